#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace panelix {

// Reads a whole field as a 32-bit signed integer, as stored project files and typed fields are
// written: leading
// blanks skipped, an optional sign, then decimal digits, or hexadecimal digits after "$", "0x",
// "0X", "x" or "X". Anything else, an empty text, or a value outside the 32-bit signed range throws
// ConversionError carrying the text as given.
std::int32_t StrToInt(std::string_view text);

// Like StrToInt, but returns fallback instead of throwing.
std::int32_t StrToIntDef(std::string_view text, std::int32_t fallback);

// Hexadecimal text, upper case, zero-filled to digits (more digits are kept when the value needs
// them).
std::string HexUpper(std::uint32_t value, int digits);

// Value of one hexadecimal digit; a character that is not one counts as 0.
std::uint8_t HexDigitValue(char c);
// Two characters read as one byte, the first the high nibble; non-hex characters count as 0.
std::uint8_t HexPair(char high, char low);

}  // namespace panelix
