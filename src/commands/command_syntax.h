#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace panelix::commands {

// Lowest and highest command code of the module; every code has a slot in the command index.
inline constexpr int kFirstCode = 0x80;
inline constexpr int kLastCode = 0xFF;

// Lines of the command list are looked at up to this many bytes; the rest of a line is ignored.
inline constexpr std::size_t kMaxLineBytes = 1023;

// The three-character name of a command code: two upper-case hexadecimal digits and "h"
// (0x8A gives "8Ah").
std::string CommandName(int code);

// A command-list line as the compiler reads it: its first 1023 bytes with every byte that is not
// printable ASCII (0x21..0x7F) dropped, so blanks, tabs, carriage returns and non-ASCII characters
// of the 8-bit code page vanish.
std::string NormalizeCommandLine(std::string_view line);

// Which characters a parameter token collects.
enum class TokenChars {
  HexNotation,  // 0-9, A-F, a-f, X and x
  DigitsOnly,   // 0-9 only (the GIF form of code 88h)
};

// True when c belongs to a parameter token of that kind.
bool IsTokenChar(char c, TokenChars chars);

// The parameter tokens of a normalized line, in order; a token's position is its index.
// The scan starts after the first ":" (at the line's first character when there is none); a ","
// ends a token, a "/" ends the list, other characters are skipped. A token ended by "," or "/"
// is kept even when empty (the number parser rejects it); an empty token at the end of the line
// is dropped.
std::vector<std::string> SplitParameters(std::string_view normalized,
                                         TokenChars chars = TokenChars::HexNotation);

// The value of a parameter token. When the token's second character is "x" or "X" the characters
// after the first two are hexadecimal digits ("x" counting as 0; more than 10 characters give 0).
// Otherwise the first 63 decimal digits of the token are read as a signed 32-bit number, letters
// dropped. Throws panelix::ConversionError carrying the kept digits when there are none or the
// value is above 2147483647.
std::uint32_t ParseCommandNumber(std::string_view token);

}  // namespace panelix::commands
