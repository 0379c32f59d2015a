#include "commands/compiler.h"

#include <array>

#include "base/error.h"
#include "base/numbers.h"
#include "commands/encoders.h"

namespace panelix::commands {

namespace {

constexpr int kCodeCount = kLastCode - kFirstCode + 1;
constexpr std::size_t kIndexEntrySize = 4;
// Code 0x80 keeps a 16-bit record count in its index entry, every other code one byte.
constexpr std::size_t kMaxRecords80 = 0xFFFF;
constexpr std::size_t kMaxRecords = 0xFF;

// All accepted records of one code, one after another in command-list order.
struct Group {
  Record bytes;
  std::size_t count = 0;
};

bool IsUpperHexDigit(char c) {
  return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F');
}

// The normalized command lines after "[USERCMD]", sorted into their codes, in list order.
std::array<std::vector<std::string>, kCodeCount> LinesByCode(const std::vector<std::string>& lines,
                                                             std::size_t userCommandLine) {
  std::array<std::vector<std::string>, kCodeCount> byCode;
  for (std::size_t i = userCommandLine + 1; i < lines.size(); ++i) {
    std::string normalized = NormalizeCommandLine(lines[i]);
    if (const auto code = CommandCodeOf(normalized)) {
      byCode[static_cast<std::size_t>(*code - kFirstCode)].push_back(std::move(normalized));
    }
  }
  return byCode;
}

Group CompileGroup(int code, const std::vector<std::string>& lines, const infoblock::SetTables& sets) {
  Group group;
  const EncoderRow* row = FindEncoder(code);
  if (row == nullptr) {
    return group;
  }
  for (const std::string& line : lines) {
    const Record record = EncodeCommand(code, line, sets);
    if (record.size() >= row->minimumLength) {
      group.bytes.insert(group.bytes.end(), record.begin(), record.end());
      ++group.count;
    }
  }
  return group;
}

void CheckRecordCount(int code, const Group& group) {
  const std::size_t maxRecords = code == kFirstCode ? kMaxRecords80 : kMaxRecords;
  if (group.count > maxRecords) {
    throw Error("Too many " + CommandName(code) + " commands: " + std::to_string(group.count) +
                " records, the command index holds at most " + std::to_string(maxRecords));
  }
}

void CheckRegionRoom(std::size_t total) {
  const std::size_t room = infoblock::kCommandRegionEnd - infoblock::kCommandRegion.offset;
  if (total > room) {
    throw Error("Command list too long: the command records take " + std::to_string(total) +
                " bytes, the info block has room for " + std::to_string(room) + " (0x1800 to 0x6FFF)");
  }
}

// Index entry: start offset big-endian, then for code 0x80 the record count low byte first, for
// every other code the record count and the group length, one byte each (modulo 256).
void PutIndexEntry(RegionWriter& index, int code, std::size_t start, const Group& group) {
  const std::size_t at = kIndexEntrySize * static_cast<std::size_t>(code - kFirstCode);
  if (group.count == 0) {
    index.Fill(at, kIndexEntrySize, 0xFF);
    return;
  }
  index.PutBE16(at, static_cast<std::uint32_t>(start));
  if (code == kFirstCode) {
    index.PutLE16(at + 2, static_cast<std::uint32_t>(group.count));
  } else {
    index.PutU8(at + 2, static_cast<std::uint32_t>(group.count));
    index.PutU8(at + 3, static_cast<std::uint32_t>(group.bytes.size()));
  }
}

}  // namespace

std::optional<std::size_t> FindUserCommandLine(const std::vector<std::string>& lines) {
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (lines[i].find("[USERCMD]") != std::string::npos) {
      return i;
    }
  }
  return std::nullopt;
}

std::optional<int> CommandCodeOf(std::string_view normalized) {
  if (normalized.size() < 3 || !IsUpperHexDigit(normalized[0]) || !IsUpperHexDigit(normalized[1]) ||
      normalized[2] != 'h') {
    return std::nullopt;
  }
  const int code = HexDigitValue(normalized[0]) * 16 + HexDigitValue(normalized[1]);
  if (code < kFirstCode) {
    return std::nullopt;
  }
  return code;
}

void CompileCommands(const std::vector<std::string>& lines, infoblock::InfoBlock& block,
                     const infoblock::SetTables& sets) {
  if (lines.size() <= kMinProjectLines) {
    return;
  }
  const auto userCommandLine = FindUserCommandLine(lines);
  if (!userCommandLine) {
    return;
  }
  const auto byCode = LinesByCode(lines, *userCommandLine);

  // Every record is encoded before anything is written, so a conversion error or a list too long
  // for the block leaves the block as it was.
  std::array<Group, kCodeCount> groups;
  std::size_t total = 0;
  for (int code = kFirstCode; code <= kLastCode; ++code) {
    const auto slot = static_cast<std::size_t>(code - kFirstCode);
    groups[slot] = CompileGroup(code, byCode[slot], sets);
    total += groups[slot].bytes.size();
  }
  // Limits are checked once every line has been read, so a parameter that is not a number is
  // reported first wherever it stands.
  for (int code = kFirstCode; code <= kLastCode; ++code) {
    CheckRecordCount(code, groups[static_cast<std::size_t>(code - kFirstCode)]);
  }
  CheckRegionRoom(total);

  RegionWriter index = block.Writer(infoblock::kCommandIndexRegion);
  RegionWriter records = block.Writer(infoblock::kCommandRegion);
  std::size_t start = infoblock::kCommandRegion.offset;
  for (int code = kFirstCode; code <= kLastCode; ++code) {
    const Group& group = groups[static_cast<std::size_t>(code - kFirstCode)];
    PutIndexEntry(index, code, start, group);
    records.PutBytes(start - infoblock::kCommandRegion.offset, group.bytes);
    start += group.bytes.size();
  }
}

}  // namespace panelix::commands
