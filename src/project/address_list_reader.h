#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace panelix::project {

// Longest address-list line kept; a tab that starts below the limit still adds its four spaces.
inline constexpr std::size_t kMaxAddressLine = 1024;

// The lines of an address list as the project builder reads them: the bytes split at line feeds;
// every byte below 0x20 except the tab, and every byte 0x80..0xFF, dropped; a tab becomes four
// spaces; a line stops growing at kMaxAddressLine characters; lines left empty are dropped. The
// position of a line in the result is its line index.
std::vector<std::string> ReadAddressListLines(std::span<const std::uint8_t> bytes);

// One value of an address row. When its second character is "x" or "X" it is hexadecimal: the
// characters after the first two, each 0-9, A-F or a-f worth its digit and any other worth 0
// (more than 10 characters read as 0). Any other value is decimal and must hold digits only, at
// most 2147483647; otherwise panelix::ConversionError carrying the value is thrown.
std::uint32_t ParseAddressValue(std::string_view value);

// An address row: the four values after "{" (width, height, address in the bin, length) and the
// comment, the rest of the line after its first "}".
struct AddressRowValues {
  std::array<std::uint32_t, 4> values;
  std::string comment;
};

// Reads a line as an address row. A row begins with "{"; the characters 0-9, A-F, a-f, X and x
// are collected into the current value, "," or "}" ends it, everything else is skipped. A line
// that is not a row, or that ends before four values have been ended, gives nothing. Each value is
// converted as it ends (ParseAddressValue), so a bad decimal value throws even in a short line.
std::optional<AddressRowValues> ParseAddressRow(std::string_view line);

}  // namespace panelix::project
