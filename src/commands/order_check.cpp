// The order check that Make Bin runs first: the module numbers the commands of a code by their
// position in the command region, so the lines of each code must stand in the order of their
// sequence numbers ("#" and two hexadecimal digits).
#include <array>
#include <cctype>

#include "base/numbers.h"
#include "commands/command_syntax.h"
#include "commands/compiler.h"

namespace panelix::commands {

namespace {

// Lines of one code that are looked at; later ones are not checked.
constexpr std::size_t kMaxCheckedLines = 255;

struct Entry {
  const std::string* text;  // the line as the command list holds it
  int number;               // its sequence number, -1 when it has none
};

// Sequence number of a normalized line: the two hexadecimal digits after its first "#", or -1
// when there is no "#", fewer than two characters follow it, or either is no hexadecimal digit.
int SequenceNumber(std::string_view normalized) {
  const std::size_t hash = normalized.find('#');
  if (hash == std::string_view::npos || normalized.size() - hash < 3) {
    return -1;
  }
  const char high = normalized[hash + 1];
  const char low = normalized[hash + 2];
  if (!std::isxdigit(static_cast<unsigned char>(high)) || !std::isxdigit(static_cast<unsigned char>(low))) {
    return -1;
  }
  return HexPair(high, low);
}

// Sorts by sequence number with a selection sort that swaps the first smallest number forward;
// the order of lines with equal numbers follows from those swaps and is part of the report.
// Returns true when some line has a smaller number than a line before it.
bool SortEntries(std::vector<Entry>& entries) {
  bool outOfOrder = false;
  for (std::size_t p = 0; p + 1 < entries.size(); ++p) {
    std::size_t minimum = p;
    for (std::size_t q = p + 1; q < entries.size(); ++q) {
      if (entries[q].number < entries[minimum].number) {
        minimum = q;
      }
    }
    if (minimum != p) {
      std::swap(entries[p], entries[minimum]);
      outOfOrder = true;
    }
  }
  return outOfOrder;
}

std::string Filler(const std::string& hex, int number) {
  return hex + "h #" + HexUpper(static_cast<std::uint32_t>(number), 2) + ":";
}

void AppendFillers(std::vector<std::string>& report, const std::string& hex, int from, int to) {
  for (int n = from; n <= to; ++n) {
    report.push_back(Filler(hex, n));
  }
}

void AppendReport(std::vector<std::string>& report, int code, const std::vector<Entry>& listed,
                  const std::vector<Entry>& sorted) {
  const std::string hex = HexUpper(static_cast<std::uint32_t>(code), 2);
  report.push_back("Command " + hex + "h error:");
  for (const Entry& entry : listed) {
    report.push_back(*entry.text);
  }
  report.emplace_back();
  report.push_back("New command " + hex + "h:");
  AppendFillers(report, hex, 0, sorted.front().number - 1);
  for (std::size_t i = 0; i < sorted.size(); ++i) {
    report.push_back(*sorted[i].text);
    if (i + 1 < sorted.size()) {
      AppendFillers(report, hex, sorted[i].number + 1, sorted[i + 1].number - 1);
    }
  }
  report.emplace_back();
}

}  // namespace

OrderCheckResult CheckCommandOrder(const std::vector<std::string>& lines) {
  OrderCheckResult result;
  if (lines.size() <= kMinProjectLines) {
    return result;
  }
  const auto userCommandLine = FindUserCommandLine(lines);
  if (!userCommandLine) {
    result.ok = false;
    return result;
  }
  std::array<std::vector<Entry>, kLastCode - kFirstCode + 1> byCode;
  for (std::size_t i = *userCommandLine + 1; i < lines.size(); ++i) {
    const std::string normalized = NormalizeCommandLine(lines[i]);
    if (const auto code = CommandCodeOf(normalized)) {
      auto& entries = byCode[static_cast<std::size_t>(*code - kFirstCode)];
      if (entries.size() < kMaxCheckedLines) {
        entries.push_back({&lines[i], SequenceNumber(normalized)});
      }
    }
  }
  for (int code = kFirstCode; code <= kLastCode; ++code) {
    const auto& listed = byCode[static_cast<std::size_t>(code - kFirstCode)];
    std::vector<Entry> sorted = listed;
    if (SortEntries(sorted)) {
      AppendReport(result.report, code, listed, sorted);
      result.ok = false;
    }
  }
  return result;
}

}  // namespace panelix::commands
