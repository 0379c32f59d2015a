// Warnings about [USERCMD] lines: lines the compiler drops, numbers it reads loosely or cuts,
// references to sets that do not exist, and lines of one code whose parameter counts differ (the
// module steps through a code's plain records at one length, so a longer record shifts every later
// command of that code).
#include <algorithm>
#include <map>

#include "base/error.h"
#include "base/numbers.h"
#include "commands/command_syntax.h"
#include "commands/compiler.h"
#include "commands/encoders.h"
#include "project/warning_checks.h"

namespace panelix::project::checks {

namespace {

using commands::EncoderRow;
using commands::RecordForm;

struct LineContext {
  const ProjectSource& project;
  std::size_t index;
  std::string normalized;
  int code;
  Warnings& warn;

  void Add(std::string text) const {
    warn.Add(project.path.string(), project.FileLine(index), commands::CommandName(code), std::move(text));
  }
};

bool KeywordCounts(std::string_view normalized, std::string_view keyword) {
  return normalized.find(keyword, 1) != std::string_view::npos;
}

// The layout the line's parameters are written with, and whether hexadecimal notation counts.
const commands::WidthRule* WidthsOf(const EncoderRow& row, std::string_view normalized, bool& digitsOnly) {
  digitsOnly = false;
  switch (row.form) {
    case RecordForm::GifSet:
      digitsOnly = KeywordCounts(normalized, "GIF");
      return digitsOnly ? row.keywordWidths : row.widths;
    case RecordForm::NumberSet:
      return KeywordCounts(normalized, "PT") ? row.keywordWidths : row.widths;
    case RecordForm::ColorNumSet:
      return KeywordCounts(normalized, "CPT") ? row.keywordWidths : row.widths;
    default:
      return row.widths;
  }
}

// The parameter texts as written (blanks dropped): after the first ":", up to the first "/",
// split at ",".
std::vector<std::string> ParameterTexts(std::string_view normalized) {
  const std::size_t colon = normalized.find(':');
  std::string_view list = colon == std::string_view::npos ? normalized : normalized.substr(colon + 1);
  list = list.substr(0, list.find('/'));
  std::vector<std::string> texts;
  std::size_t start = 0;
  while (start <= list.size()) {
    const std::size_t comma = list.find(',', start);
    texts.emplace_back(
        list.substr(start, comma == std::string_view::npos ? std::string_view::npos : comma - start));
    if (comma == std::string_view::npos) {
      break;
    }
    start = comma + 1;
  }
  if (!texts.empty() && texts.back().empty()) {
    texts.pop_back();
  }
  return texts;
}

bool IsPlainNumber(std::string_view text, bool digitsOnly) {
  const auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
  if (!digitsOnly && text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    return text.size() <= 10 && std::all_of(text.begin() + 2, text.end(), [&](char c) {
             return isDigit(c) || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
           });
  }
  return !text.empty() && std::all_of(text.begin(), text.end(), isDigit);
}

void CheckNumbers(const LineContext& line, const EncoderRow& row) {
  bool digitsOnly = false;
  const commands::WidthRule* widths = WidthsOf(row, line.normalized, digitsOnly);
  const std::vector<std::string> texts = ParameterTexts(line.normalized);
  if (row.form == RecordForm::SingleValue && texts.size() > 1) {
    line.Add(line.normalized.substr(0, 3) +
             " takes one value: its parameters are read together as one number");
    return;
  }
  const std::vector<std::string> tokens = commands::SplitParameters(
      line.normalized, digitsOnly ? commands::TokenChars::DigitsOnly : commands::TokenChars::HexNotation);
  for (std::size_t i = 0; i < texts.size() && i < tokens.size(); ++i) {
    std::uint32_t value = 0;
    try {
      value = commands::ParseCommandNumber(tokens[i]);
    } catch (const ConversionError&) {
      return;  // an error of its own
    }
    if (!IsPlainNumber(texts[i], digitsOnly)) {
      line.Add("parameter " + std::to_string(i + 1) + " '" + texts[i] + "' is not a plain number" +
               (digitsOnly ? " (the GIF form reads decimal digits only)" : "") + ": it is read as " +
               std::to_string(value));
    }
    const std::size_t width = row.form == RecordForm::SingleValue ? 1 : widths->Width(i);
    if (width < 4 && (value >> (8 * width)) != 0) {
      line.Add("parameter " + std::to_string(i + 1) + " " + std::to_string(value) + " does not fit its " +
               std::to_string(width) + "-byte field: it is stored as " +
               std::to_string(value & ((1U << (8 * width)) - 1)));
    }
  }
}

// Set references, when the bins and so the set tables are known.
void CheckSetReference(const LineContext& line, const EncoderRow& row, const infoblock::SetTables& sets) {
  const auto check = [&](const char* keyword, const char* kind, int count, std::size_t parameter,
                         bool dropped) {
    if (!KeywordCounts(line.normalized, keyword)) {
      return;
    }
    const std::vector<std::string> tokens = commands::SplitParameters(
        line.normalized, row.form == RecordForm::GifSet ? commands::TokenChars::DigitsOnly
                                                        : commands::TokenChars::HexNotation);
    if (tokens.empty()) {
      return;
    }
    const std::size_t at = parameter == SIZE_MAX ? tokens.size() - 1 : parameter;
    if (at >= tokens.size()) {
      return;
    }
    std::uint32_t set = 0;
    try {
      set = commands::ParseCommandNumber(tokens[at]) & 0xFF;
    } catch (const ConversionError&) {
      return;
    }
    if (static_cast<int>(set) >= count) {
      line.Add(std::string(kind) + " set " + std::to_string(set) + " does not exist (the bins make " +
               std::to_string(count) +
               "): " + (dropped ? "the line is dropped" : "the set number stays in the record"));
    }
  };
  switch (row.form) {
    case RecordForm::GifSet:
      check("GIF", "GIF", sets.gif.count, SIZE_MAX, false);
      break;
    case RecordForm::NumberSet:
      check("PT", "Number", sets.number.count, 0, false);
      break;
    case RecordForm::ColorNumSet:
      check("CPT", "ColorNum", sets.colorNum.count, 0, false);
      break;
    case RecordForm::KeyNumSet:
      check("KPT", "KeyNum", sets.keyNum.count, 4, true);
      break;
    default:
      break;
  }
}

bool SelfDescribing(const EncoderRow& row) {
  return row.form == RecordForm::LengthByte || row.form == RecordForm::KeyNumSet;
}

}  // namespace

void CheckCommandLines(const ProjectSource& project, const infoblock::SetTables* sets, Warnings& warn) {
  const ProjectLines& lines = project.lines;
  const auto userCommands = commands::FindUserCommandLine(lines);
  if (lines.size() <= commands::kMinProjectLines || !userCommands) {
    return;
  }
  // Parameter counts of the lines of each code with plain records, for the shift check below.
  std::map<int, std::vector<std::pair<std::size_t, std::size_t>>> counts;
  const infoblock::SetTables none;
  for (std::size_t i = *userCommands + 1; i < lines.size(); ++i) {
    const std::string normalized = commands::NormalizeCommandLine(lines[i]);
    if (normalized.empty() || normalized[0] == '/' || normalized[0] == ';' || normalized[0] == '[') {
      continue;
    }
    const auto code = commands::CommandCodeOf(normalized);
    if (!code) {
      warn.Add(project.path.string(), project.FileLine(i), "",
               "'" + normalized.substr(0, 24) +
                   "' is no command line (one begins with its code, two upper-case hexadecimal digits and "
                   "\"h\", such as 80h): it is dropped");
      continue;
    }
    const LineContext line{project, i, normalized, *code, warn};
    const EncoderRow* row = commands::FindEncoder(*code);
    if (row == nullptr) {
      line.Add(commands::CommandName(*code) + " is a code without records: the line is dropped");
      continue;
    }
    if (HasControlCharacter(lines[i])) {
      line.Add("a control character in the line is dropped");
    }
    CheckNumbers(line, *row);
    if (sets != nullptr) {
      CheckSetReference(line, *row, *sets);
    }
    commands::Record record;
    try {
      record = commands::EncodeCommand(*code, normalized, sets != nullptr ? *sets : none);
    } catch (const Error&) {
      continue;  // an error of its own
    }
    if (row->form == RecordForm::KeyNumSet && !KeywordCounts(normalized, "KPT")) {
      line.Add("A4h without the keyword KPT compiles to nothing: the line is dropped");
    } else if (record.size() < row->minimumLength &&
               (sets != nullptr || row->form != RecordForm::KeyNumSet)) {
      line.Add("the record has " + std::to_string(record.size()) + " bytes, " + commands::CommandName(*code) +
               " needs at least " + std::to_string(row->minimumLength) + ": the line is dropped");
    } else if (!SelfDescribing(*row)) {
      counts[*code].emplace_back(i, commands::SplitParameters(normalized).size());
    }
  }
  for (const auto& [code, lineCounts] : counts) {
    std::map<std::size_t, int> tally;
    for (const auto& entry : lineCounts) {
      ++tally[entry.second];
    }
    const std::size_t usual = std::max_element(tally.begin(), tally.end(), [](const auto& a, const auto& b) {
                                return a.second < b.second;
                              })->first;
    for (const auto& [index, count] : lineCounts) {
      if (count != usual) {
        warn.Add(project.path.string(), project.FileLine(index), commands::CommandName(code),
                 "this " + commands::CommandName(code) + " line has " + std::to_string(count) +
                     " parameters, the other lines of its code " + std::to_string(usual) +
                     ": the module reads its records at one length, so every later " +
                     commands::CommandName(code) + " command shifts");
      }
    }
  }
}

}  // namespace panelix::project::checks
