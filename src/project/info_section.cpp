#include "project/info_section.h"

#include <cstdint>
#include <optional>
#include <string_view>

#include "base/codepage.h"
#include "project/messages.h"

namespace panelix::project {

namespace {

constexpr std::size_t kMinimumLines = 11;

// The value text of a key line: after the first ":" (after the first "=" when there is no ":"), up
// to the first "/" after it. Empty optional when the line has no separator.
std::optional<std::string_view> ValueText(std::string_view line) {
  std::size_t separator = line.find(':');
  if (separator == std::string_view::npos) {
    separator = line.find('=');
  }
  if (separator == std::string_view::npos) {
    return std::nullopt;
  }
  std::string_view value = line.substr(separator + 1);
  return value.substr(0, value.find('/'));
}

std::string Digits(std::string_view text) {
  std::string digits;
  for (char c : text) {
    if (c >= '0' && c <= '9') {
      digits += c;
    }
  }
  return digits;
}

// The digits of the value read as one decimal number: stored project files rely on every other
// character of a number field being skipped.
std::uint32_t ReadNumber(std::string_view value, std::size_t line) {
  const std::string digits = Digits(value);
  if (digits.empty()) {
    throw InfoNumberError(digits, line);
  }
  std::uint64_t number = 0;
  for (char c : digits) {
    number = number * 10 + static_cast<std::uint64_t>(c - '0');
    if (number > 2147483647u) {
      throw InfoNumberError(digits, line);
    }
  }
  return static_cast<std::uint32_t>(number);
}

std::uint32_t ReadVersion(std::string_view value) {
  const std::string digits = Digits(value);
  if (digits.size() != 2) {
    return 1;
  }
  return static_cast<std::uint32_t>((digits[0] - '0') * 16 + (digits[1] - '0'));
}

std::uint32_t ReadKeyword(std::string_view value, const std::vector<const char*>& words) {
  std::string word;
  for (char c : value) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x21 && byte <= 0x7F) {
      word += c;
    }
  }
  for (std::size_t i = 0; i < words.size(); ++i) {
    if (word == words[i]) {
      return static_cast<std::uint32_t>(i);
    }
  }
  return 0;
}

std::uint32_t MapNumber(std::uint32_t number, InfoNumberMap map) {
  switch (map) {
    case InfoNumberMap::McuBit:
      return number == 8 ? 0 : number == 16 ? 1 : number == 32 ? 2 : 0;
    case InfoNumberMap::ColorDepth:
      return number == 8 ? 0 : number == 24 ? 2 : 1;
    case InfoNumberMap::Plain:
      break;
  }
  return number;
}

// The encoding of one key line.
std::uint32_t EncodeKeyLine(const InfoKey& key, std::string_view line, std::size_t lineIndex,
                            const MessageFn& message) {
  if (key.kind == InfoValueKind::Flag) {
    const std::string_view head = line.substr(0, line.find('/'));
    if (head.find("False") != std::string_view::npos) {
      return 0;
    }
    if (head.find("True") != std::string_view::npos) {
      return 1;
    }
  }
  const std::optional<std::string_view> value = ValueText(line);
  if (!value) {
    message("Error: " + DecodeCodePage(line, SystemCodePage()));
    return MapNumber(0, key.map);
  }
  switch (key.kind) {
    case InfoValueKind::Version:
      return ReadVersion(*value);
    case InfoValueKind::Keyword:
      return ReadKeyword(*value, key.words);
    case InfoValueKind::Number:
    case InfoValueKind::Flag:
      break;
  }
  return MapNumber(ReadNumber(*value, lineIndex), key.map);
}

void Store(infoblock::InfoBlock& block, const InfoKey& key, std::uint32_t value) {
  RegionWriter settings = block.Writer(infoblock::kSettingsRegion);
  const std::size_t at = key.offset - infoblock::kSettingsRegion.offset;
  switch (key.width) {
    case 1:
      settings.PutU8(at, value);
      break;
    case 2:
      settings.PutBE16(at, value);
      break;
    default:
      settings.PutBE24(at, value);
      break;
  }
}

}  // namespace

const std::vector<InfoKey>& InfoKeys() {
  using K = InfoValueKind;
  static const std::vector<InfoKey> kKeys{
      {"PCVersion", 0x0400, 1, K::Version, {}},
      {"COMPort", 0x0401, 1, K::Keyword, {"UART", "SPI", "I2C"}},
      {"Baudrate", 0x0402, 3, K::Number, {}},
      {"PCBVersion", 0x0405, 1, K::Version, {}},
      {"MCUBit", 0x0406, 1, K::Number, {}, InfoNumberMap::McuBit},
      {"MCUType", 0x0407, 1, K::Keyword, {"Corvane", "STM", "STC"}},
      {"CX9Type", 0x0408, 1, K::Keyword, {"CX-1A", "CX-1B", "CX-2", "CX-3", "CX-4"}},
      {"CX9IF", 0x0409, 1, K::Keyword, {"8080-8", "8080-16", "SPI", "I2C"}},
      {"XSIZE", 0x040A, 2, K::Number, {}},
      {"YSIZE", 0x040C, 2, K::Number, {}},
      {"VBPD", 0x040E, 2, K::Number, {}},
      {"VFPD", 0x0410, 2, K::Number, {}},
      {"VSPW", 0x0412, 2, K::Number, {}},
      {"HBPD", 0x0414, 2, K::Number, {}},
      {"HFPD", 0x0416, 2, K::Number, {}},
      {"HSPW", 0x0418, 2, K::Number, {}},
      {"PCLKRISING", 0x041A, 1, K::Flag, {}},
      {"HSYNCPolarity", 0x041B, 1, K::Number, {}},
      {"VSYNCPolarity", 0x041C, 1, K::Number, {}},
      {"DEPolarity", 0x041D, 1, K::Number, {}},
      {"RGBSequence", 0x041E, 1, K::Keyword, {"RGB", "RBG", "GRB", "GBR", "BRG", "BGR"}},
      {"ColorDepth", 0x041F, 1, K::Number, {}, InfoNumberMap::ColorDepth},
      {"FlashType", 0x0420, 1, K::Keyword, {"NOR", "NAND"}},
      {"FlashSize", 0x0421, 2, K::Number, {}},
  };
  return kKeys;
}

InfoKeyLines FindInfoKeyLines(const std::vector<std::string>& lines) {
  InfoKeyLines found;
  // Each search starts at the line after the one the previous search took.
  std::size_t cursor = 0;
  const auto take = [&](std::string_view text) -> std::optional<std::size_t> {
    while (cursor < lines.size()) {
      const std::size_t index = cursor++;
      if (lines[index].find(text) != std::string::npos) {
        return index;
      }
    }
    return std::nullopt;
  };
  if (!take(kInfoSection)) {
    found.missing = kInfoSection;
    return found;
  }
  for (const InfoKey& key : InfoKeys()) {
    const std::optional<std::size_t> line = take(key.key);
    if (!line) {
      found.missing = key.key;
      return found;
    }
    found.lines.push_back(*line);
  }
  return found;
}

InfoParseResult ParseInfoSection(const std::vector<std::string>& lines, infoblock::InfoBlock& block,
                                 const MessageFn& message) {
  InfoParseResult result;
  if (lines.size() < kMinimumLines) {
    return result;
  }
  const InfoKeyLines found = FindInfoKeyLines(lines);
  for (std::size_t i = 0; i < found.lines.size(); ++i) {
    const std::size_t line = found.lines[i];
    Store(block, InfoKeys()[i], EncodeKeyLine(InfoKeys()[i], lines[line], line, message));
  }
  result.missing = found.missing;
  result.ok = found.missing.empty();
  return result;
}

}  // namespace panelix::project
