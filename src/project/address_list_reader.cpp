#include "project/address_list_reader.h"

#include "base/error.h"
#include "base/numbers.h"

namespace panelix::project {

namespace {

bool IsValueChar(char c) {
  return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f') || c == 'X' || c == 'x';
}

}  // namespace

std::vector<std::string> ReadAddressListLines(std::span<const std::uint8_t> bytes) {
  std::vector<std::string> lines;
  std::string line;
  const auto finish = [&] {
    if (!line.empty()) {
      lines.push_back(std::move(line));
    }
    line.clear();
  };
  for (std::uint8_t byte : bytes) {
    if (byte == '\n') {
      finish();
    } else if (line.size() >= kMaxAddressLine) {
      continue;
    } else if (byte == '\t') {
      line.append(4, ' ');
    } else if (byte >= 0x20 && byte < 0x80) {
      line += static_cast<char>(byte);
    }
  }
  finish();
  return lines;
}

std::uint32_t ParseAddressValue(std::string_view value) {
  if (value.size() >= 2 && (value[1] == 'x' || value[1] == 'X')) {
    if (value.size() > 10) {
      return 0;
    }
    std::uint32_t number = 0;
    for (char c : value.substr(2)) {
      number = (number << 4) | HexDigitValue(c);
    }
    return number;
  }
  if (value.empty()) {
    throw ConversionError(std::string(value));
  }
  std::uint64_t number = 0;
  for (char c : value) {
    if (c < '0' || c > '9') {
      throw ConversionError(std::string(value));
    }
    number = number * 10 + static_cast<std::uint64_t>(c - '0');
    if (number > 2147483647u) {
      throw ConversionError(std::string(value));
    }
  }
  return static_cast<std::uint32_t>(number);
}

std::optional<AddressRowValues> ParseAddressRow(std::string_view line) {
  if (line.empty() || line.front() != '{') {
    return std::nullopt;
  }
  AddressRowValues row{};
  std::size_t count = 0;
  std::string value;
  for (char c : line.substr(1)) {
    if (c == ',' || c == '}') {
      row.values[count++] = ParseAddressValue(value);
      value.clear();
      if (count == row.values.size()) {
        break;
      }
    } else if (IsValueChar(c)) {
      value += c;
    }
  }
  if (count < row.values.size()) {
    return std::nullopt;
  }
  const std::size_t close = line.find('}');
  row.comment = close == std::string_view::npos ? std::string() : std::string(line.substr(close + 1));
  return row;
}

}  // namespace panelix::project
