// panelix cursor: the cursor editor's file and text forms. --from-text reads a cursor text (as the
// editor's Import does) and writes the 256-byte cursor file (as Export does); --to-text prints the
// text of a cursor file.
#include <cstdio>
#include <memory>
#include <string>

#include "base/bounded_read.h"
#include "base/codepage.h"
#include "base/error.h"
#include "base/files.h"
#include "cli/options.h"
#include "cli/subcommand.h"
#include "cli/terminal.h"
#include "cursor/cursor.h"
#include "cursor/cursor_text.h"
#include "output/output_names.h"

namespace panelix::cli {

namespace {

struct CursorArgs {
  std::string fromText;
  std::string toText;
  std::string output;
  int encoding = 0;
};

int FromText(const CursorArgs& args) {
  const std::vector<std::uint8_t> raw =
      ReadFileBytesUpTo(args.fromText, kMaxTextFileBytes, CantOpenMessage(args.fromText));
  // Decode the text so that a double-byte character is one character, as it is in the editor's
  // text field.
  const std::string text =
      DecodeTextFile(std::string_view(reinterpret_cast<const char*>(raw.data()), raw.size()),
                     TextEncoding(args.encoding), args.fromText, PrintMessage);
  const std::u16string wide = Utf8ToUtf16(text);
  // The window forgives a text that is short, long or not hexadecimal; a script should not.
  if (const auto fault = cursor::FindCursorTextFault(wide)) {
    throw Error(args.fromText + ": " + *fault);
  }
  const cursor::CursorBytes bytes = cursor::ImportCursorText(std::u16string_view(wide));
  const std::string name = output::OutputBinName(args.output);
  CheckOutputsApart({args.fromText}, {name});
  cursor::WriteCursorFile(name, bytes);
  return 0;
}

int ToText(const CursorArgs& args) {
  // Anything much larger than a cursor file is refused before it is read.
  const std::vector<std::uint8_t> raw = ReadFileBytesUpTo(args.toText, kMiB, CantOpenMessage(args.toText));
  if (raw.size() != cursor::kCursorFileSize) {
    throw Error(args.toText + " is not a cursor file: it holds " + std::to_string(raw.size()) +
                " bytes, a cursor file " + std::to_string(cursor::kCursorFileSize));
  }
  cursor::CursorBytes bytes{};
  std::copy(raw.begin(), raw.end(), bytes.begin());
  for (const auto& line : cursor::CursorTextLines(bytes)) {
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fputc('\n', stdout);
  }
  return 0;
}

SubcommandAction Setup(CLI::App& app) {
  auto args = std::make_shared<CursorArgs>();
  auto* from = app.add_option("--from-text", args->fromText,
                              "cursor text to import: after every x or X two hex digits give the next byte")
                   ->type_name("TEXT")
                   ->check(CLI::ExistingFile);
  auto* to = app.add_option("--to-text", args->toText,
                            "cursor file (" + std::to_string(cursor::kCursorFileSize) +
                                " bytes) whose text is printed")
                 ->type_name("BIN")
                 ->check(CLI::ExistingFile);
  auto* out = AddOutput(app, args->output);
  AddEncoding(app, args->encoding)->needs(from);
  from->excludes(to);
  from->needs(out);
  to->excludes(out);
  app.footer(
      "Examples:\n  panelix cursor --from-text arrow.txt -o Cursor-arrow\n  panelix cursor --to-text "
      "Cursor-arrow.bin");
  return [args, from, to] {
    if (from->count() > 0) {
      return FromText(*args);
    }
    if (to->count() > 0) {
      return ToText(*args);
    }
    throw Error("Give --from-text TEXT -o NAME, or --to-text BIN");
  };
}

const bool kRegistered = RegisterSubcommand(
    {"cursor", "cursor file from its hexadecimal text, or the text of a cursor file", Setup});

}  // namespace

}  // namespace panelix::cli
