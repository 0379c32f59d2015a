#include "font/code_sets.h"

#include <unicode/translit.h>
#include <unicode/ucnv.h>
#include <unicode/unistr.h>

#include <map>

#include "base/codepage.h"
#include "base/error.h"
#include "base/numbers.h"
#include "font/messages.h"

namespace panelix::font {

namespace {

struct ConverterCloser {
  void operator()(UConverter* c) const { ucnv_close(c); }
};
using ConverterPtr = std::unique_ptr<UConverter, ConverterCloser>;

}  // namespace

const CodeSetInfo& CodeSetAt(int index) {
  if (index < 0 || index >= static_cast<int>(kCodeSets.size())) {
    index = 0;
  }
  return kCodeSets[static_cast<std::size_t>(index)];
}

struct TextConverter::Impl {
  std::map<int, ConverterPtr> converters;
  std::unique_ptr<icu::Transliterator> toSimplified;
  std::unique_ptr<icu::Transliterator> toTraditional;

  UConverter* Get(int codePage) {
    auto found = converters.find(codePage);
    if (found != converters.end()) {
      return found->second.get();
    }
    UErrorCode status = U_ZERO_ERROR;
    ConverterPtr converter(ucnv_open(CodePageConverterName(codePage).c_str(), &status));
    if (U_FAILURE(status) || !converter) {
      throw Error("Unknown code page " + std::to_string(codePage));
    }
    status = U_ZERO_ERROR;
    ucnv_setSubstChars(converter.get(), "?", 1, &status);
    return converters.emplace(codePage, std::move(converter)).first->second.get();
  }

  static std::unique_ptr<icu::Transliterator> Open(const char* id) {
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::Transliterator> t(
        icu::Transliterator::createInstance(icu::UnicodeString(id, -1, US_INV), UTRANS_FORWARD, status));
    if (U_FAILURE(status) || !t) {
      throw Error(std::string("Cannot map Chinese text (") + id + ")");
    }
    return t;
  }
};

TextConverter::TextConverter() : m_impl(std::make_unique<Impl>()) {}
TextConverter::~TextConverter() = default;

std::u16string TextConverter::Decode(std::string_view bytes, int codePage) {
  UConverter* converter = m_impl->Get(codePage);
  ucnv_resetToUnicode(converter);
  std::u16string out(bytes.size() + 1, u'\0');
  UErrorCode status = U_ZERO_ERROR;
  const std::int32_t got = ucnv_toUChars(converter, out.data(), static_cast<std::int32_t>(out.size()),
                                         bytes.data(), static_cast<std::int32_t>(bytes.size()), &status);
  out.resize(U_FAILURE(status) && status != U_STRING_NOT_TERMINATED_WARNING ? 0
                                                                            : static_cast<std::size_t>(got));
  return out;
}

std::string TextConverter::Encode(std::u16string_view text, int codePage) {
  // A String Bin's code table holds one code per UTF-16 unit, as the firmware counts characters, so
  // each half of a surrogate pair is a character of its own that no 8-bit code page has.
  std::u16string units(text);
  for (char16_t& unit : units) {
    if (unit >= 0xD800 && unit < 0xE000) {
      unit = u'?';
    }
  }
  UConverter* converter = m_impl->Get(codePage);
  ucnv_resetFromUnicode(converter);
  std::string out(units.size() * 4 + 4, '\0');
  UErrorCode status = U_ZERO_ERROR;
  const std::int32_t n = ucnv_fromUChars(converter, out.data(), static_cast<std::int32_t>(out.size()),
                                         units.data(), static_cast<std::int32_t>(units.size()), &status);
  out.resize(U_FAILURE(status) ? 0 : static_cast<std::size_t>(n));
  return out;
}

std::u16string TextConverter::ToSimplified(std::u16string_view text) {
  if (!m_impl->toSimplified) {
    m_impl->toSimplified = Impl::Open("Hant-Hans");
  }
  icu::UnicodeString s(text.data(), static_cast<std::int32_t>(text.size()));
  m_impl->toSimplified->transliterate(s);
  return std::u16string(s.getBuffer(), static_cast<std::size_t>(s.length()));
}

std::u16string TextConverter::ToTraditional(std::u16string_view text) {
  if (!m_impl->toTraditional) {
    m_impl->toTraditional = Impl::Open("Hans-Hant");
  }
  icu::UnicodeString s(text.data(), static_cast<std::int32_t>(text.size()));
  m_impl->toTraditional->transliterate(s);
  return std::u16string(s.getBuffer(), static_cast<std::size_t>(s.length()));
}

std::u16string CodeToText(std::uint16_t code, CodeSet set, bool traditionalSystem, int systemCodePage,
                          TextConverter& converter) {
  if (set == CodeSet::Unicode && !traditionalSystem) {
    return std::u16string(1, static_cast<char16_t>(code));
  }
  // The two bytes as a zero-terminated string: a zero high byte is an empty string, a zero low
  // byte leaves the high byte alone.
  const char b0 = static_cast<char>(code >> 8);
  const char b1 = static_cast<char>(code & 0xFFu);
  std::string bytes;
  if (b0 != 0) {
    bytes.push_back(b0);
    if (b1 != 0) {
      bytes.push_back(b1);
    }
  }
  if (traditionalSystem) {
    return converter.Decode(bytes, systemCodePage);
  }
  switch (set) {
    case CodeSet::Gb2312:
      return converter.ToSimplified(converter.Decode(bytes, systemCodePage));
    case CodeSet::Gb2312Traditional:
      return converter.ToTraditional(converter.Decode(bytes, systemCodePage));
    case CodeSet::Big5: {
      std::string gbk = converter.Encode(converter.Decode(bytes, 950), 936);
      if (gbk.size() > 2) {
        gbk.resize(2);
      }
      return converter.Decode(gbk, systemCodePage);
    }
    case CodeSet::Gbk:
    case CodeSet::Unicode:
      break;
  }
  return converter.Decode(bytes, systemCodePage);
}

std::uint16_t CodeFromField(std::u16string_view text, const std::string& lessMessage) {
  if (text.size() < 4) {
    throw Error(lessMessage);
  }
  auto narrow = [](char16_t c) { return c < 0x80 ? static_cast<char>(c) : '0'; };
  const unsigned high = HexPair(narrow(text[0]), narrow(text[1]));
  const unsigned low = HexPair(narrow(text[2]), narrow(text[3]));
  return static_cast<std::uint16_t>(high << 8 | low);
}

std::u16string NormalizeCodeField(std::u16string_view text) {
  std::u16string out(4, u'0');
  for (std::size_t i = 0; i < 4 && i < text.size(); ++i) {
    const char16_t c = text[i];
    if ((c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'F')) {
      out[i] = c;
    } else if (c >= u'a' && c <= u'f') {
      out[i] = static_cast<char16_t>(c - u'a' + u'A');
    }
  }
  return out;
}

std::vector<std::uint16_t> LibraryCodes(CodeSet set, std::uint16_t start, std::uint16_t end) {
  std::vector<std::uint16_t> codes;
  auto addRow = [&codes](unsigned lead, unsigned first, unsigned last) {
    for (unsigned trail = first; trail <= last; ++trail) {
      codes.push_back(static_cast<std::uint16_t>(lead << 8 | trail));
    }
  };
  switch (set) {
    case CodeSet::Gb2312:
    case CodeSet::Gb2312Traditional:
      if (start < 0xA1A0) {
        throw Error(kStartBelowA1A0);
      }
      if (end > 0xF7FE) {
        throw Error(kEndAboveF7FE);
      }
      for (unsigned lead = start >> 8u; lead <= (end >> 8u); ++lead) {
        addRow(lead, 0xA1, 0xFE);
      }
      break;
    case CodeSet::Big5:
      for (unsigned lead = 0xA1; lead <= 0xF9; ++lead) {
        addRow(lead, 0x40, 0x7F);
        addRow(lead, 0xA0, 0xFF);
      }
      break;
    case CodeSet::Gbk:
      for (unsigned lead = 0x81; lead <= 0xFE; ++lead) {
        addRow(lead, 0x40, 0xFE);
      }
      break;
    case CodeSet::Unicode:
      for (unsigned code = start; code <= end; ++code) {
        codes.push_back(static_cast<std::uint16_t>(code));
      }
      break;
  }
  return codes;
}

std::size_t GlyphIndex(CodeSet set, std::uint16_t code, std::uint16_t start) {
  const unsigned lead = code >> 8u;
  const unsigned trail = code & 0xFFu;
  switch (set) {
    case CodeSet::Gb2312:
    case CodeSet::Gb2312Traditional:
      return (lead - (start >> 8u)) * 94 + (trail - 0xA1);
    case CodeSet::Big5:
      return (lead - 0xA1) * 160 + (trail <= 0x7F ? trail - 0x40 : 64 + (trail - 0xA0));
    case CodeSet::Gbk:
      return (lead - 0x81) * 191 + (trail - 0x40);
    case CodeSet::Unicode:
      break;
  }
  return static_cast<std::size_t>(code) - start;
}

LibraryPlan PlanLibrary(const LibraryRequest& request, TextConverter& converter) {
  if (request.end < request.start) {
    throw Error(kStartAboveEnd);
  }
  const CodeSet set = request.traditionalSystem ? CodeSet::Big5 : request.set;
  LibraryPlan plan;
  const std::vector<std::uint16_t> codes = LibraryCodes(set, request.start, request.end);
  const bool gb2312 = set == CodeSet::Gb2312 || set == CodeSet::Gb2312Traditional;
  plan.texts.reserve(codes.size());
  for (const std::uint16_t code : codes) {
    if (gb2312 && request.halfWidth && (code >> 8u) == 0xA3) {
      // The half-width ASCII row: trail 0xA1 + n draws the single character 0x21 + n.
      plan.texts.emplace_back(1, static_cast<char16_t>(0x21 + ((code & 0xFFu) - 0xA1)));
      continue;
    }
    plan.texts.push_back(CodeToText(code, set, request.traditionalSystem, request.systemCodePage, converter));
  }
  switch (set) {
    case CodeSet::Gb2312:
    case CodeSet::Gbk:
      plan.okMessage = "GB2312 Font Lib ok";
      break;
    case CodeSet::Gb2312Traditional:
      plan.okMessage = "繁体GB2312 Font Lib ok";
      break;
    case CodeSet::Big5:
      plan.okMessage = "BIG5 Font Lib ok";
      break;
    case CodeSet::Unicode:
      plan.okMessage = "UniCode Font Lib ok";
      plan.memoLines = {"Unicode start:" + HexUpper(request.start, 4),
                        "Unicode end:" + HexUpper(request.end, 4),
                        "Unicode nmuber:" + std::to_string(codes.size())};
      break;
  }
  return plan;
}

}  // namespace panelix::font
