// The command region read back. Length-byte records (and A4h's two length bytes) say how long
// they are; plain records do not, so a group of plain records is split into as many records as
// the index counts, each of a length its code's layout can have. Whatever split is chosen, the
// lines compile back to the same bytes, because a group is only its records one after another.
#include "readback/command_list_reader.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <unordered_set>

#include "base/bytes.h"
#include "base/error.h"
#include "base/numbers.h"
#include "commands/command_syntax.h"
#include "commands/compiler.h"
#include "commands/encoder_table.h"

namespace panelix::inspect {

namespace {

using commands::EncoderRow;
using commands::RecordForm;
using commands::WidthRule;
using Bytes = std::span<const std::uint8_t>;

constexpr std::size_t kIndexEntrySize = 4;
// A split of a plain group is searched for at most this many steps; damaged data may allow none.
constexpr std::size_t kMaxSplitSteps = 200000;
// GIF, Number and ColorNum set numbers are one byte of the record; a set table holds at most 32.
constexpr int kNoSetByte = 32;

struct Group {
  int code = 0;
  const EncoderRow* row = nullptr;
  std::size_t start = 0;
  std::size_t count = 0;
  int lengthByte = -1;  // group length modulo 256; -1 for code 0x80, whose entry has none
};

std::string Hex(std::size_t value, int digits = 4) {
  return "0x" + HexUpper(static_cast<std::uint32_t>(value), digits);
}

std::uint32_t ReadValue(Bytes bytes, std::size_t at, std::size_t width) {
  std::uint32_t value = 0;
  for (std::size_t i = 0; i < width; ++i) {
    value = (value << 8) | bytes[at + i];
  }
  return value;
}

// The parameter values of bytes laid out by widths, or nothing when the bytes do not end at a
// parameter's end.
std::optional<std::vector<std::uint32_t>> ReadParameters(Bytes bytes, const WidthRule& widths) {
  std::vector<std::uint32_t> values;
  std::size_t at = 0;
  while (at < bytes.size()) {
    const std::size_t width = widths.Width(values.size());
    if (at + width > bytes.size()) {
      return std::nullopt;
    }
    values.push_back(ReadValue(bytes, at, width));
    at += width;
  }
  return values;
}

// Lengths a record laid out by widths can have, up to maxLength: the sums of the first k widths.
std::vector<bool> LayoutLengths(const WidthRule& widths, std::size_t maxLength, std::size_t plus = 0) {
  std::vector<bool> lengths(maxLength + 1, false);
  std::size_t sum = 0;
  for (std::size_t i = 0;; ++i) {
    sum += widths.Width(i);
    if (sum + plus > maxLength) {
      break;
    }
    lengths[sum + plus] = true;
  }
  return lengths;
}

std::string Line(int code, std::size_t sequence, std::string_view keyword,
                 const std::vector<std::uint32_t>& values) {
  std::string text = commands::CommandName(code) + "#" +
                     HexUpper(static_cast<std::uint32_t>(std::min<std::size_t>(sequence, 0xFF)), 2);
  text += keyword;
  text += ':';
  for (std::size_t i = 0; i < values.size(); ++i) {
    text += (i == 0 ? "" : ",") + std::to_string(values[i]);
  }
  return text;
}

template <int Capacity>
std::optional<int> SetNumberOf(infoblock::SetTable<Capacity>& table, std::uint32_t first, std::uint32_t last,
                               bool fixed) {
  for (int n = 0; n < table.count && n < Capacity; ++n) {
    const auto& set = table.sets[static_cast<std::size_t>(n)];
    if ((static_cast<std::uint32_t>(set.first) & 0xFFFF) == first &&
        (static_cast<std::uint32_t>(set.last) & 0xFFFF) == last) {
      return n;
    }
  }
  if (fixed || table.count >= Capacity) {
    return std::nullopt;
  }
  table.sets[static_cast<std::size_t>(table.count)] = {static_cast<std::int32_t>(first),
                                                       static_cast<std::int32_t>(last)};
  return table.count++;
}

// How well a record of some length at some place reads: not at all, in its code's plain layout,
// or only in a set-lookup form.
enum class Fit { None, Plain, Lookup };

// Splits length bytes into count records whose lengths fit; nothing when no split is found.
// Lengths are tried nearest the average first, records that read best first.
template <typename FitFn>
std::optional<std::vector<std::size_t>> SplitGroup(std::size_t length, std::size_t count,
                                                   const std::vector<bool>& allowed, FitFn fit) {
  if (count == 0) {
    return length == 0 ? std::optional<std::vector<std::size_t>>(std::vector<std::size_t>{}) : std::nullopt;
  }
  std::vector<std::size_t> lengths;
  for (std::size_t n = 1; n < allowed.size(); ++n) {
    if (allowed[n]) {
      lengths.push_back(n);
    }
  }
  if (lengths.empty()) {
    return std::nullopt;
  }
  std::unordered_set<std::uint64_t> failed;
  std::size_t steps = 0;
  std::vector<std::size_t> out;
  const auto search = [&](const auto& self, std::size_t pos, std::size_t done) -> bool {
    const std::size_t left = length - pos;
    const std::size_t records = count - done;
    const std::uint64_t key = (static_cast<std::uint64_t>(pos) << 32) | done;
    if (failed.contains(key) || ++steps > kMaxSplitSteps || left < lengths.front() * records ||
        left > lengths.back() * records) {
      return false;
    }
    if (records == 1) {
      if (left < allowed.size() && allowed[left] && fit(pos, left) != Fit::None) {
        out.push_back(left);
        return true;
      }
      failed.insert(key);
      return false;
    }
    const std::size_t target = left / records;
    const auto start = std::lower_bound(lengths.begin(), lengths.end(), target);
    for (const Fit wanted : {Fit::Plain, Fit::Lookup}) {
      // Lengths nearest the average first, alternating above and below it.
      auto above = start;
      auto below = start;
      while (above != lengths.end() || below != lengths.begin()) {
        std::size_t pick = 0;
        if (above != lengths.end() &&
            (below == lengths.begin() || *above - target <= target - *(below - 1))) {
          pick = *above++;
        } else {
          pick = *--below;
        }
        if (pick < left && fit(pos, pick) == wanted) {
          out.push_back(pick);
          if (self(self, pos + pick, done + 1)) {
            return true;
          }
          out.pop_back();
        }
      }
    }
    failed.insert(key);
    return false;
  };
  if (search(search, 0, 0)) {
    return out;
  }
  return std::nullopt;
}

class Decompiler {
 public:
  Decompiler(Bytes block, infoblock::SetTables& sets, bool fixedSets)
      : m_block(block),
        m_sets(sets),
        m_fixed(fixedSets),
        m_regionEnd(std::min(block.size(), infoblock::kCommandRegionEnd)) {}

  CommandListRead Run() {
    std::vector<Group> groups = ReadIndex();
    std::size_t expected = infoblock::kCommandRegion.offset;
    for (std::size_t i = 0; i < groups.size(); ++i) {
      const Group& group = groups[i];
      if (group.start != expected) {
        Problem("the command index puts " + Name(group) + " at " + Hex(group.start) + ", where " +
                (i == 0 ? std::string("the first group") : Name(groups[i - 1]) + "'s records end") + " is " +
                Hex(expected));
        return std::move(m_result);
      }
      const std::optional<std::size_t> end =
          i + 1 < groups.size() ? std::optional(groups[i + 1].start) : std::nullopt;
      if (end && (*end <= group.start || *end > m_regionEnd)) {
        Problem("the command index puts " + Name(groups[i + 1]) + " at " + Hex(*end) + ", " +
                (*end <= group.start ? "before the records of " + Name(group) + " at " + Hex(group.start)
                                     : "past the command region (ends " + Hex(m_regionEnd) + ")"));
        return std::move(m_result);
      }
      const std::optional<std::size_t> length = ReadGroup(group, end);
      if (!length) {
        return std::move(m_result);
      }
      expected = group.start + *length;
    }
    return std::move(m_result);
  }

 private:
  void Problem(std::string text) { m_result.problems.push_back(std::move(text)); }
  static std::string Name(const Group& group) { return commands::CommandName(group.code); }

  std::vector<Group> ReadIndex() {
    std::vector<Group> groups;
    if (m_block.size() < infoblock::kCommandIndexRegion.offset + infoblock::kCommandIndexRegion.size) {
      return groups;
    }
    for (int code = commands::kFirstCode; code <= commands::kLastCode; ++code) {
      const std::size_t at = infoblock::kCommandIndexRegion.offset +
                             kIndexEntrySize * static_cast<std::size_t>(code - commands::kFirstCode);
      if (ReadBE32(m_block, at) == 0xFFFFFFFF) {
        continue;
      }
      Group group{code, commands::FindEncoder(code), ReadBE16(m_block, at), 0, -1};
      if (code == commands::kFirstCode) {
        group.count = ReadLE16(m_block, at + 2);
      } else {
        group.count = m_block[at + 2];
        group.lengthByte = m_block[at + 3];
      }
      if (group.row == nullptr) {
        Problem("the command index has an entry for " + Name(group) + ", a code without records");
        continue;
      }
      if (group.count == 0) {
        Problem("the command index entry of " + Name(group) + " counts no records");
        continue;
      }
      groups.push_back(group);
    }
    return groups;
  }

  // Reads one group; returns its length in bytes, or nothing after naming what is wrong.
  std::optional<std::size_t> ReadGroup(const Group& group, std::optional<std::size_t> end) {
    if (group.start >= m_regionEnd) {
      Problem("the records of " + Name(group) + " start at " + Hex(group.start) +
              ", past the command region (ends " + Hex(m_regionEnd) + ")");
      return std::nullopt;
    }
    const RecordForm form = group.row->form;
    if (form == RecordForm::LengthByte || form == RecordForm::KeyNumSet) {
      return ReadSelfDescribing(group, end);
    }
    return ReadPlainGroup(group, end);
  }

  bool CheckLengthByte(const Group& group, std::size_t length) {
    if (group.lengthByte >= 0 && static_cast<int>(length % 256) != group.lengthByte) {
      Problem("the command index gives " + Name(group) + " a length of " + std::to_string(group.lengthByte) +
              " (modulo 256), its records take " + std::to_string(length) + " bytes");
      return false;
    }
    return true;
  }

  std::optional<std::size_t> ReadSelfDescribing(const Group& group, std::optional<std::size_t> end) {
    const std::size_t limit = end.value_or(m_regionEnd);
    std::size_t at = group.start;
    for (std::size_t k = 0; k < group.count; ++k) {
      const bool keyNum = group.row->form == RecordForm::KeyNumSet;
      const std::size_t head = keyNum ? 2 : 1;
      if (at + head > limit) {
        Problem(Name(group) + " record " + std::to_string(k) + " at " + Hex(at) + " runs past " + Hex(limit));
        return std::nullopt;
      }
      const std::size_t length = keyNum ? ReadBE16(m_block, at) : m_block[at];
      if (length < std::max<std::size_t>(head, group.row->minimumLength) || at + length > limit) {
        Problem(Name(group) + " record " + std::to_string(k) + " at " + Hex(at) + " has the length " +
                std::to_string(length) + ", which " +
                (at + length > limit ? "runs past " + Hex(limit) : "is too short"));
        return std::nullopt;
      }
      const Bytes record = m_block.subspan(at, length);
      const std::optional<std::string> line =
          keyNum ? KeyNumLine(group, k, record) : LengthByteLine(group, k, record);
      if (!line) {
        Problem(Name(group) + " record " + std::to_string(k) + " at " + Hex(at) +
                " does not match the layout of its code");
        return std::nullopt;
      }
      m_result.lines.push_back({group.code, *line});
      at += length;
    }
    if (end && at != *end) {
      Problem("the records of " + Name(group) + " end at " + Hex(at) + ", the next group starts at " +
              Hex(*end));
      return std::nullopt;
    }
    if (!CheckLengthByte(group, at - group.start)) {
      return std::nullopt;
    }
    return at - group.start;
  }

  std::optional<std::string> LengthByteLine(const Group& group, std::size_t k, Bytes record) {
    const auto values = ReadParameters(record.subspan(1), *group.row->widths);
    return values ? std::optional(Line(group.code, k, "", *values)) : std::nullopt;
  }

  // A4h: length (2), p0..p3, first and last picture of the KeyNum set, then parameters 5 on.
  std::optional<std::string> KeyNumLine(const Group& group, std::size_t k, Bytes record) {
    constexpr std::size_t kRangeAt = 6;
    if (record.size() < kRangeAt + 4) {
      return std::nullopt;
    }
    const auto set =
        SetNumberOf(m_sets.keyNum, ReadBE16(record, kRangeAt), ReadBE16(record, kRangeAt + 2), m_fixed);
    if (!set) {
      Problem(Name(group) + " record " + std::to_string(k) + " names pictures " +
              std::to_string(ReadBE16(record, kRangeAt)) + ".." +
              std::to_string(ReadBE16(record, kRangeAt + 2)) + ", which are no KeyNum set");
      return std::nullopt;
    }
    std::vector<std::uint8_t> work(record.begin() + 2, record.begin() + kRangeAt);
    work.push_back(static_cast<std::uint8_t>(*set));
    work.insert(work.end(), record.begin() + kRangeAt + 4, record.end());
    const auto values = ReadParameters(work, *group.row->widths);
    return values ? std::optional(Line(group.code, k, "KPT", *values)) : std::nullopt;
  }

  // Record lengths a plain-like code can have, up to maxLength.
  std::vector<bool> AllowedLengths(const Group& group, std::size_t maxLength) const {
    const EncoderRow& row = *group.row;
    if (row.form == RecordForm::SingleValue) {
      std::vector<bool> allowed(std::min<std::size_t>(maxLength, 1) + 1, false);
      allowed.back() = maxLength >= 1;
      return allowed;
    }
    std::vector<bool> allowed = LayoutLengths(*row.widths, maxLength);
    if (row.keywordWidths != nullptr) {
      // The set-lookup form: 88h replaces its last byte by the set's picture range (3 bytes more);
      // 90h and 91h put the range in place of their first byte, or keep a set number that names no
      // set.
      const bool gif = row.form == RecordForm::GifSet;
      const std::vector<bool> lookup = LayoutLengths(*row.keywordWidths, maxLength, 3);
      const std::vector<bool> kept = LayoutLengths(*row.keywordWidths, maxLength);
      for (std::size_t n = 0; n <= maxLength; ++n) {
        allowed[n] = allowed[n] || lookup[n] || (!gif && kept[n]);
      }
    }
    return allowed;
  }

  std::optional<std::size_t> ReadPlainGroup(const Group& group, std::optional<std::size_t> end) {
    const std::size_t room = m_regionEnd - group.start;
    std::vector<std::size_t> candidates;
    if (end) {
      candidates.push_back(*end - group.start);
    } else {
      // The last group: its length is known modulo 256, and everything after it stays 0xFF.
      for (std::size_t length = static_cast<std::size_t>(group.lengthByte); length <= room; length += 256) {
        if (std::all_of(m_block.begin() + static_cast<std::ptrdiff_t>(group.start + length),
                        m_block.begin() + static_cast<std::ptrdiff_t>(m_regionEnd),
                        [](std::uint8_t b) { return b == 0xFF; })) {
          candidates.push_back(length);
        }
      }
    }
    for (const std::size_t length : candidates) {
      if (!CheckLengthByte(group, length)) {
        return std::nullopt;
      }
      const auto split =
          SplitGroup(length, group.count, AllowedLengths(group, length),
                     [&](std::size_t pos, std::size_t n) { return FitOf(group, group.start + pos, n); });
      if (!split) {
        continue;
      }
      std::size_t at = group.start;
      for (std::size_t k = 0; k < split->size(); ++k) {
        const auto line = PlainLine(group, k, m_block.subspan(at, (*split)[k]));
        if (!line) {
          Problem(Name(group) + " record " + std::to_string(k) + " at " + Hex(at) +
                  " does not match the layout of its code");
          return std::nullopt;
        }
        m_result.lines.push_back({group.code, *line});
        at += (*split)[k];
      }
      return length;
    }
    Problem("the " + std::to_string(group.count) + " records of " + Name(group) + " at " + Hex(group.start) +
            " cannot be laid out by its code's layout");
    return std::nullopt;
  }

  // How a record of n bytes at block offset at reads. With the bins' set tables a set-lookup form
  // whose picture range is a real set reads best; with sets made up, the plain layout does.
  Fit FitOf(const Group& group, std::size_t at, std::size_t n) {
    const Bytes record = m_block.subspan(at, n);
    const EncoderRow& row = *group.row;
    const bool plain =
        row.form == RecordForm::SingleValue ? n == 1 : ReadParameters(record, *row.widths).has_value();
    if (row.keywordWidths == nullptr) {
      return plain ? Fit::Plain : Fit::None;
    }
    // A trial reading must not add a made-up set.
    const infoblock::SetTables saved = m_sets;
    const bool lookup = PlainLineSetForm(group, 0, record).has_value();
    m_sets = saved;
    if (m_fixed && lookup) {
      return Fit::Plain;
    }
    return plain ? Fit::Plain : lookup ? Fit::Lookup : Fit::None;
  }

  std::optional<std::string> PlainLine(const Group& group, std::size_t k, Bytes record) {
    if (m_fixed && group.row->keywordWidths != nullptr) {
      if (auto line = PlainLineSetForm(group, k, record)) {
        return line;
      }
    }
    const EncoderRow& row = *group.row;
    if (row.form == RecordForm::SingleValue) {
      return Line(group.code, k, "", {record[0]});
    }
    if (auto values = ReadParameters(record, *row.widths)) {
      return Line(group.code, k, "", *values);
    }
    return PlainLineSetForm(group, k, record);
  }

  std::optional<std::string> PlainLineSetForm(const Group& group, std::size_t k, Bytes record) {
    switch (group.row->form) {
      case RecordForm::GifSet:
        return GifLine(group, k, record);
      case RecordForm::NumberSet:
        return NumberLine(group, k, record, m_sets.number, "PT");
      case RecordForm::ColorNumSet:
        return NumberLine(group, k, record, m_sets.colorNum, "CPT");
      default:
        return std::nullopt;
    }
  }

  // 88h with "GIF": the last byte of the parameters became the GIF set's picture range.
  std::optional<std::string> GifLine(const Group& group, std::size_t k, Bytes record) {
    if (record.size() < 4) {
      return std::nullopt;
    }
    const std::size_t rangeAt = record.size() - 4;
    const auto set =
        SetNumberOf(m_sets.gif, ReadBE16(record, rangeAt), ReadBE16(record, rangeAt + 2), m_fixed);
    if (!set) {
      return std::nullopt;
    }
    std::vector<std::uint8_t> encoded(record.begin(), record.begin() + static_cast<std::ptrdiff_t>(rangeAt));
    encoded.push_back(static_cast<std::uint8_t>(*set));
    const auto values = ReadParameters(encoded, *group.row->keywordWidths);
    return values ? std::optional(Line(group.code, k, "GIF", *values)) : std::nullopt;
  }

  // 90h with "PT", 91h with "CPT": the set's picture range in place of the set number, or a set
  // number that names no set kept as it is.
  template <int Capacity>
  std::optional<std::string> NumberLine(const Group& group, std::size_t k, Bytes record,
                                        infoblock::SetTable<Capacity>& table, std::string_view keyword) {
    if (!record.empty() && record[0] >= kNoSetByte) {
      if (const auto values = ReadParameters(record, *group.row->keywordWidths)) {
        return Line(group.code, k, keyword, *values);
      }
    }
    if (record.size() < 4) {
      return std::nullopt;
    }
    const auto set = SetNumberOf(table, ReadBE16(record, 0), ReadBE16(record, 2), m_fixed);
    if (!set) {
      return std::nullopt;
    }
    std::vector<std::uint8_t> encoded{static_cast<std::uint8_t>(*set)};
    encoded.insert(encoded.end(), record.begin() + 4, record.end());
    const auto values = ReadParameters(encoded, *group.row->keywordWidths);
    return values ? std::optional(Line(group.code, k, keyword, *values)) : std::nullopt;
  }

  Bytes m_block;
  infoblock::SetTables& m_sets;
  bool m_fixed;
  std::size_t m_regionEnd;
  CommandListRead m_result;
};

}  // namespace

CommandListRead ReadCommandList(std::span<const std::uint8_t> block, infoblock::SetTables& sets,
                                bool fixedSets) {
  return Decompiler(block, sets, fixedSets).Run();
}

std::string CompareRecompiled(std::span<const std::uint8_t> block, const std::vector<CommandLine>& lines,
                              const infoblock::SetTables& sets) {
  std::vector<std::string> project(commands::kMinProjectLines, " ");
  project.push_back("[USERCMD]");
  for (const CommandLine& line : lines) {
    project.push_back(line.text);
  }
  infoblock::InfoBlock rebuilt(block.size() <= infoblock::kSmallBlockSize ? infoblock::kSmallBlockSize
                                                                          : infoblock::kLargeBlockSize);
  try {
    commands::CompileCommands(project, rebuilt, sets);
  } catch (const Error& e) {
    return std::string("the decompiled commands do not compile: ") + e.what();
  }
  const auto differs = [&](std::size_t from, std::size_t to) -> std::optional<std::size_t> {
    to = std::min(to, block.size());
    for (std::size_t at = from; at < to; ++at) {
      if (rebuilt.Bytes()[at] != block[at]) {
        return at;
      }
    }
    return std::nullopt;
  };
  const auto index = differs(infoblock::kCommandIndexRegion.offset,
                             infoblock::kCommandIndexRegion.offset + infoblock::kCommandIndexRegion.size);
  const auto records = differs(infoblock::kCommandRegion.offset, infoblock::kCommandRegionEnd);
  if (index || records) {
    return "the decompiled commands compile to other bytes (first difference at " +
           Hex(index ? *index : *records) + ")";
  }
  return {};
}

}  // namespace panelix::inspect
