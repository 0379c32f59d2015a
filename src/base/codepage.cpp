#include "base/codepage.h"

#include <unicode/ucnv.h>
#include <unicode/unistr.h>
#include <unicode/utf8.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <memory>

#include "base/error.h"

namespace panelix {

namespace {

std::atomic<int> g_codePage{0};

std::string LocaleName() {
  for (const char* var : {"LC_ALL", "LC_CTYPE", "LANG"}) {
    const char* value = std::getenv(var);
    if (value != nullptr && *value != '\0') {
      return value;
    }
  }
  return {};
}

struct ConverterCloser {
  void operator()(UConverter* c) const { ucnv_close(c); }
};
using ConverterPtr = std::unique_ptr<UConverter, ConverterCloser>;

ConverterPtr OpenConverter(int codePage) {
  UErrorCode status = U_ZERO_ERROR;
  ConverterPtr converter(ucnv_open(CodePageConverterName(codePage).c_str(), &status));
  if (U_FAILURE(status) || !converter) {
    throw Error("Unknown code page " + std::to_string(codePage));
  }
  return converter;
}

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// True when bytes are well-formed UTF-8 holding at least one character beyond ASCII.
bool IsUtf8BeyondAscii(std::string_view bytes) {
  bool beyondAscii = false;
  const auto length = static_cast<std::int32_t>(bytes.size());
  for (std::int32_t i = 0; i < length;) {
    UChar32 c = 0;
    U8_NEXT(reinterpret_cast<const std::uint8_t*>(bytes.data()), i, length, c);
    if (c < 0) {
      return false;
    }
    beyondAscii = beyondAscii || c > 0x7F;
  }
  return beyondAscii;
}

// Calls each(lineNumber, line) for every line of text, split at line feeds.
template <typename Each>
void ForEachLine(std::string_view text, Each each) {
  std::size_t number = 1;
  for (std::size_t begin = 0; begin < text.size(); ++number) {
    const std::size_t end = std::min(text.find('\n', begin), text.size());
    each(number, text.substr(begin, end - begin));
    begin = end + 1;
  }
}

}  // namespace

std::string EncodingName(int encoding) {
  return encoding == kUtf8CodePage ? "utf-8" : std::to_string(encoding);
}

std::string DecodeTextFile(std::string_view bytes, int encoding, const std::string& name,
                           const MessageFn& warn) {
  if (bytes.substr(0, kByteOrderMark.size()) == kByteOrderMark) {
    bytes.remove_prefix(kByteOrderMark.size());
    encoding = kUtf8CodePage;
  }
  if (encoding != kUtf8CodePage && IsUtf8BeyondAscii(bytes)) {
    warn(name + ": the text is valid UTF-8 with non-ASCII characters but is read in code page " +
         EncodingName(encoding) + "; give --encoding utf-8 if it was written as UTF-8");
  }
  const std::string text = DecodeCodePage(bytes, encoding);
  if (text.find("\xEF\xBF\xBD") != std::string::npos) {
    const std::string what = encoding == kUtf8CodePage ? "UTF-8" : "code page " + EncodingName(encoding);
    ForEachLine(bytes, [&](std::size_t number, std::string_view line) {
      if (DecodeCodePage(line, encoding).find("\xEF\xBF\xBD") != std::string::npos) {
        warn(name + ":" + std::to_string(number) + ": bytes that " + what +
             " cannot convert are read as U+FFFD");
      }
    });
  }
  return text;
}

std::string EncodeTextFile(std::string_view utf8, int codePage, const std::string& name,
                           const MessageFn& warn) {
  std::string out;
  ForEachLine(utf8, [&](std::size_t number, std::string_view line) {
    const std::string bytes = EncodeCodePage(line, codePage);
    if (std::count(bytes.begin(), bytes.end(), '?') > std::count(line.begin(), line.end(), '?')) {
      warn(name + ":" + std::to_string(number) + ": characters that code page " + EncodingName(codePage) +
           " lacks become \"?\"");
    }
    out += bytes;
    out += '\n';
  });
  if (!utf8.empty() && utf8.back() != '\n') {
    out.pop_back();
  }
  return out;
}

std::string CodePageConverterName(int codePage) {
  switch (codePage) {
    case 936:
      return "windows-936-2000";
    case 950:
      return "windows-950-2000";
    case 65001:
      return "UTF-8";
    default:
      return "windows-" + std::to_string(codePage);
  }
}

bool IsTraditionalLocale() {
  const std::string name = LocaleName();
  return name.rfind("zh_TW", 0) == 0;
}

int SystemCodePage() {
  const int forced = g_codePage.load();
  if (forced != 0) {
    return forced;
  }
  return IsTraditionalLocale() ? 950 : 936;
}

void SetSystemCodePage(int codePage) {
  g_codePage.store(codePage);
}

std::string EncodeCodePage(std::string_view utf8, int codePage) {
  const icu::UnicodeString text =
      icu::UnicodeString::fromUTF8(icu::StringPiece(utf8.data(), static_cast<std::int32_t>(utf8.size())));
  ConverterPtr converter = OpenConverter(codePage);
  UErrorCode status = U_ZERO_ERROR;
  ucnv_setSubstChars(converter.get(), "?", 1, &status);
  status = U_ZERO_ERROR;
  const std::int32_t needed =
      ucnv_fromUChars(converter.get(), nullptr, 0, text.getBuffer(), text.length(), &status);
  std::string out(static_cast<std::size_t>(needed), '\0');
  status = U_ZERO_ERROR;
  ucnv_fromUChars(converter.get(), out.data(), needed, text.getBuffer(), text.length(), &status);
  if (U_FAILURE(status) && status != U_STRING_NOT_TERMINATED_WARNING) {
    throw Error("Cannot convert text to code page " + std::to_string(codePage));
  }
  return out;
}

std::string DecodeCodePage(std::string_view bytes, int codePage) {
  ConverterPtr converter = OpenConverter(codePage);
  UErrorCode status = U_ZERO_ERROR;
  const auto length = static_cast<std::int32_t>(bytes.size());
  std::u16string wide(bytes.size() + 1, u'\0');
  const std::int32_t got = ucnv_toUChars(converter.get(), wide.data(), static_cast<std::int32_t>(wide.size()),
                                         bytes.data(), length, &status);
  if (U_FAILURE(status)) {
    throw Error("Cannot convert text from code page " + std::to_string(codePage));
  }
  wide.resize(static_cast<std::size_t>(got));
  return Utf16ToUtf8(wide);
}

std::u16string Utf8ToUtf16(std::string_view utf8) {
  const icu::UnicodeString text =
      icu::UnicodeString::fromUTF8(icu::StringPiece(utf8.data(), static_cast<std::int32_t>(utf8.size())));
  return std::u16string(text.getBuffer(), static_cast<std::size_t>(text.length()));
}

std::string Utf16ToUtf8(std::u16string_view utf16) {
  const icu::UnicodeString text(utf16.data(), static_cast<std::int32_t>(utf16.size()));
  std::string out;
  text.toUTF8String(out);
  return out;
}

}  // namespace panelix
