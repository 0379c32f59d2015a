#include "base/numbers.h"

#include <cstdio>

#include "base/error.h"

namespace panelix {

namespace {

int DigitValue(char c, int base) {
  int v = -1;
  if (c >= '0' && c <= '9') {
    v = c - '0';
  } else if (c >= 'a' && c <= 'f') {
    v = c - 'a' + 10;
  } else if (c >= 'A' && c <= 'F') {
    v = c - 'A' + 10;
  }
  return v < base ? v : -1;
}

bool TryStrToInt(std::string_view text, std::int32_t& result) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) {
    ++i;
  }
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  int base = 10;
  if (i < text.size() && text[i] == '$') {
    base = 16;
    ++i;
  } else if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
    base = 16;
    i += 2;
  } else if (i < text.size() && (text[i] == 'x' || text[i] == 'X')) {
    base = 16;
    ++i;
  }
  if (i >= text.size()) {
    return false;
  }
  std::int64_t value = 0;
  for (; i < text.size(); ++i) {
    const int d = DigitValue(text[i], base);
    if (d < 0) {
      return false;
    }
    value = value * base + d;
    if (value > 0xFFFFFFFFLL) {
      return false;
    }
  }
  if (base == 16) {
    // Hexadecimal text covers the whole 32-bit pattern: stored projects write flash addresses and
    // colours such as 0xFFFFFFFF that way.
    result = static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
    if (negative) {
      result = static_cast<std::int32_t>(0U - static_cast<std::uint32_t>(result));
    }
    return true;
  }
  if (negative) {
    value = -value;
  }
  if (value > INT32_MAX || value < INT32_MIN) {
    return false;
  }
  result = static_cast<std::int32_t>(value);
  return true;
}

}  // namespace

std::int32_t StrToInt(std::string_view text) {
  std::int32_t result = 0;
  if (!TryStrToInt(text, result)) {
    throw ConversionError(std::string(text));
  }
  return result;
}

std::int32_t StrToIntDef(std::string_view text, std::int32_t fallback) {
  std::int32_t result = 0;
  return TryStrToInt(text, result) ? result : fallback;
}

std::string HexUpper(std::uint32_t value, int digits) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "%0*X", digits, value);
  return buffer;
}

std::uint8_t HexDigitValue(char c) {
  const int v = DigitValue(c, 16);
  return static_cast<std::uint8_t>(v < 0 ? 0 : v);
}

std::uint8_t HexPair(char high, char low) {
  return static_cast<std::uint8_t>((HexDigitValue(high) << 4) | HexDigitValue(low));
}

}  // namespace panelix
