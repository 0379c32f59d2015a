#include "commands/command_syntax.h"

#include "base/numbers.h"

namespace panelix::commands {

namespace {

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

constexpr std::size_t kMaxHexToken = 10;
constexpr std::size_t kMaxDecimalDigits = 63;

}  // namespace

bool IsTokenChar(char c, TokenChars chars) {
  if (IsDigit(c)) {
    return true;
  }
  if (chars == TokenChars::DigitsOnly) {
    return false;
  }
  return (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f') || c == 'X' || c == 'x';
}

std::string CommandName(int code) {
  return HexUpper(static_cast<std::uint32_t>(code) & 0xFF, 2) + "h";
}

std::string NormalizeCommandLine(std::string_view line) {
  line = line.substr(0, std::min(line.size(), kMaxLineBytes));
  std::string normalized;
  normalized.reserve(line.size());
  for (const char c : line) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte > 0x20 && byte < 0x80) {
      normalized.push_back(c);
    }
  }
  return normalized;
}

std::vector<std::string> SplitParameters(std::string_view normalized, TokenChars chars) {
  const std::size_t colon = normalized.find(':');
  const std::size_t start = colon == std::string_view::npos ? 0 : colon + 1;
  std::vector<std::string> tokens;
  std::string pending;
  for (const char c : normalized.substr(start)) {
    if (c == '/') {
      // Whatever stands before the comment mark is a parameter, also an empty one ("1,/").
      tokens.push_back(std::move(pending));
      return tokens;
    }
    if (c == ',') {
      tokens.push_back(std::move(pending));
      pending.clear();
    } else if (IsTokenChar(c, chars)) {
      pending.push_back(c);
    }
  }
  if (!pending.empty()) {
    tokens.push_back(std::move(pending));
  }
  return tokens;
}

std::uint32_t ParseCommandNumber(std::string_view token) {
  if (token.size() >= 2 && (token[1] == 'x' || token[1] == 'X')) {
    if (token.size() > kMaxHexToken) {
      return 0;
    }
    std::uint32_t value = 0;
    for (const char c : token.substr(2)) {
      value = (value << 4) | HexDigitValue(c);
    }
    return value;
  }
  std::string digits;
  for (const char c : token) {
    if (IsDigit(c) && digits.size() < kMaxDecimalDigits) {
      digits.push_back(c);
    }
  }
  // Throws ConversionError with the kept digits when there are none or the value is too large.
  const std::int32_t value = StrToInt(digits);
  return static_cast<std::uint32_t>(value);
}

}  // namespace panelix::commands
