// panelix font: font libraries of a code set, ASCII fonts, String Bin fonts for the characters of a
// text file, and a look at one glyph.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "base/codepage.h"
#include "base/error.h"
#include "base/numbers.h"
#include "cli/options.h"
#include "cli/subcommand.h"
#include "cli/terminal.h"
#include "font/code_sets.h"
#include "font/font_runs.h"
#include "font/messages.h"

namespace panelix::cli {

namespace {

using namespace panelix::font;

// A family the user named must exist; the default face may be replaced, but the user is told.
void ReportFontSubstitution(const FontChoice& choice) {
  const FontSource source = ResolveFont(choice);
  if (!source.substituted) {
    return;
  }
  if (choice.family != FontChoice{}.family) {
    throw Error("The font family " + choice.family + " is not installed; " + source.family +
                " would have been used.");
  }
  // Said once, however many times a command asks for its job.
  static bool told = false;
  if (!told) {
    told = true;
    PrintMessage(choice.family + " is not installed; using " + source.family);
  }
}

// What every font command shares: the face and how each glyph is drawn and packed.
struct GlyphFlags {
  std::string font = "宋体";
  std::string size = "14";
  std::string width = "16";
  std::string height = "16";
  std::string limit = "200";
  std::string rotate = "0";
  bool reverseX = false;
  bool reverseY = false;
  std::string origin = "2,1";
  int jobs = 0;
  std::string output;

  void Declare(CLI::App& app, bool withOutput) {
    app.add_option("--font", font,
                   "font family (through fontconfig) or font file (default the Song face 宋体)")
        ->type_name("FONT");
    app.add_option("--size", size, "character height in pixels (default 14)")->type_name("N");
    app.add_option("--width", width, "cell width W (default 16)")->type_name("N");
    app.add_option("--height", height, "cell height H (default 16)")->type_name("N");
    app.add_option("--limit", limit,
                   "gray limit: a pixel darker than this is ink (default 200, above 255 is 255)")
        ->type_name("N");
    AddChoice(app, "--rotate", rotate, ChoiceWords<std::string>{{"0", "0"}, {"r90", "r90"}, {"l90", "l90"}},
              "rotation of the cell, r90 clockwise, l90 counter-clockwise (default 0)");
    app.add_flag("--reverse-x", reverseX, "mirror left-right");
    app.add_flag("--reverse-y", reverseY, "mirror top-bottom");
    app.add_option("--origin", origin, "text origin X,Y inside the cell (default 2,1)")->type_name("X,Y");
    app.add_option("--jobs", jobs,
                   "glyphs rendered side by side (default one per core); the bytes do not change")
        ->type_name("N")
        ->check(CLI::Range(1, 64));
    if (withOutput) {
      AddOutput(app, output)->required();
    }
  }

  GlyphJob Job() const {
    GlyphJob job;
    job.font.family = font;
    job.font.pixelHeight = StrToInt(size);
    job.settings.width = StrToInt(width);
    job.settings.height = StrToInt(height);
    job.settings.rotation = rotate == "r90"   ? Rotation::Right90
                            : rotate == "l90" ? Rotation::Left90
                                              : Rotation::None;
    job.settings.mirrorX = reverseX;
    job.settings.mirrorY = reverseY;
    const std::size_t comma = origin.find(',');
    if (comma == std::string::npos) {
      throw Error("--origin takes X,Y");
    }
    job.settings.originX = StrToInt(origin.substr(0, comma));
    job.settings.originY = StrToInt(origin.substr(comma + 1));
    job.limit = std::min(StrToInt(limit), 255);
    job.threads = jobs > 0 ? jobs : static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    if (job.font.pixelHeight < 1 || job.font.pixelHeight > kMaxCellSide) {
      throw Error("--size must be between 1 and " + std::to_string(kMaxCellSide));
    }
    CheckCellSize(job.settings);
    ReportFontSubstitution(job.font);
    return job;
  }
};

const std::vector<std::pair<std::string, CodeSet>> kSetWords{{"gb2312", CodeSet::Gb2312},
                                                             {"big5", CodeSet::Big5},
                                                             {"gb2312-trad", CodeSet::Gb2312Traditional},
                                                             {"gbk", CodeSet::Gbk},
                                                             {"unicode", CodeSet::Unicode}};

CodeSet SetOf(const std::string& word) {
  for (const auto& [name, set] : kSetWords) {
    if (name == word) {
      return set;
    }
  }
  return CodeSet::Gb2312;
}

ChoiceWords<std::string> SetChoices() {
  ChoiceWords<std::string> words;
  for (const auto& entry : kSetWords) {
    words.emplace_back(entry.first, entry.first);
  }
  return words;
}

// Writes the font bin of a run.
void SaveFont(const GlyphFlags& flags, const std::optional<std::vector<std::uint8_t>>& bytes,
              const std::string& okMessage, const std::vector<std::filesystem::path>& inputs = {}) {
  if (!bytes) {
    return;  // stopped: nothing written, nothing said
  }
  const std::string name = SaveLibrary(flags.output, *bytes, inputs);
  PrintMessage(okMessage);
  std::printf("%s\n", name.c_str());
}

// Renders the texts and writes the font bin.
void WriteFont(const GlyphFlags& flags, const std::vector<std::u16string>& texts,
               const std::string& okMessage) {
  SaveFont(flags, RenderGlyphs(flags.Job(), texts, TerminalProgress("Font")), okMessage);
}

void SetupLibrary(CLI::App& app, GlyphFlags& flags, std::string& set, std::string& start, std::string& end,
                  bool& noHalfWidth) {
  AddChoice(app, "--set", set, SetChoices(), "code set (default gb2312)");
  app.add_option("--start", start,
                 "start code, four hex digits, for the GB2312 sets and UniCode (default the set's)")
      ->type_name("CODE");
  app.add_option("--end", end,
                 "end code, four hex digits, for the GB2312 sets and UniCode (default the set's)")
      ->type_name("CODE");
  app.add_flag("--no-half-width", noHalfWidth, "draw the full-width forms in row A3 of the GB2312 sets");
  flags.Declare(app, true);
}

// The glyph as text rows of its packed bits, '#' for ink.
std::string AsciiArt(const std::vector<std::uint8_t>& bytes, int width, int height) {
  std::string art;
  const int rowBytes = width / 8;
  for (int y = 0; y < height && rowBytes > 0; ++y) {
    for (int k = 0; k < rowBytes; ++k) {
      const std::uint8_t byte = bytes[static_cast<std::size_t>(y * rowBytes + k)];
      for (int bit = 7; bit >= 0; --bit) {
        art += ((byte >> bit) & 1u) != 0 ? '#' : '.';
      }
    }
    art += '\n';
  }
  return art;
}

SubcommandAction Setup(CLI::App& app) {
  app.require_subcommand(1);
  struct State {
    GlyphFlags library, ascii, string, test;
    std::string set = "gb2312";
    std::string start, end;
    bool noHalfWidth = false;
    std::string textFile;
    int encoding = 0;
    std::string testSet = "gb2312";
    std::string code;
    std::string text;
  };
  auto state = std::make_shared<State>();
  CLI::App* library =
      app.add_subcommand("library", "a font library of a whole code set (or a Unicode range)");
  SetupLibrary(*library, state->library, state->set, state->start, state->end, state->noHalfWidth);
  CLI::App* ascii = app.add_subcommand("ascii", "an ASCII font: the 94 characters ! .. ~");
  state->ascii.Declare(*ascii, true);
  CLI::App* string = app.add_subcommand("string", "a String Bin font of the characters of a text file");
  string->add_option("TEXTFILE", state->textFile, "text file whose characters the font holds")
      ->required()
      ->type_name("FILE");
  AddEncoding(*string, state->encoding);
  state->string.Declare(*string, true);
  CLI::App* test = app.add_subcommand("test", "draw one code or text and print its bytes and its picture");
  test->add_option("CODE", state->code, "code of the chosen set, four hex digits")->type_name("CODE");
  test->add_option("--text", state->text, "text drawn as it is, all characters in one cell");
  AddChoice(*test, "--set", state->testSet, SetChoices(), "code set the CODE belongs to (default gb2312)");
  state->test.Declare(*test, false);

  return [state, library, ascii, string, test]() {
    TextConverter converter;
    const int codePage = SystemCodePage();
    const bool traditional = IsTraditionalLocale();
    if (library->parsed()) {
      const CodeSetInfo& info = CodeSetAt(static_cast<int>(SetOf(state->set)));
      LibraryRequest request;
      request.set = info.set;
      request.start =
          state->start.empty() ? info.defaultStart : CodeFromField(Utf8ToUtf16(state->start), kStartLess4);
      request.end = state->end.empty() ? info.defaultEnd : CodeFromField(Utf8ToUtf16(state->end), kEndLess4);
      request.halfWidth = !state->noHalfWidth;
      request.traditionalSystem = traditional;
      request.systemCodePage = codePage;
      const LibraryPlan plan = PlanLibrary(request, converter);
      for (const std::string& line : plan.memoLines) {
        std::printf("%s\n", line.c_str());
      }
      WriteFont(state->library, plan.texts, plan.okMessage);
    } else if (ascii->parsed()) {
      WriteFont(state->ascii, AsciiTexts(), kAsciiBinOk);
    } else if (string->parsed()) {
      const std::vector<std::u16string> lines =
          StringBinLines(LoadTextFile(state->textFile, TextEncoding(state->encoding), PrintMessage));
      SaveFont(state->string,
               MakeStringBin(state->string.Job(), lines, codePage, converter, TerminalProgress("Font")),
               kStringBinOk, {state->textFile});
    } else if (test->parsed()) {
      std::u16string text;
      if (!state->text.empty()) {
        text = Utf8ToUtf16(state->text);
      } else {
        const std::uint16_t code = CodeFromField(NormalizeCodeField(Utf8ToUtf16(state->code)), kStartLess4);
        text = CodeToText(code, SetOf(state->testSet), traditional, codePage, converter);
      }
      GlyphJob job = state->test.Job();
      job.threads = 1;
      const std::optional<std::vector<std::uint8_t>> bytes = RenderGlyphs(job, {text}, NoProgress);
      std::printf("%s\n%s", HexDump(*bytes).c_str(),
                  AsciiArt(*bytes, RotatedWidth(job.settings), RotatedHeight(job.settings)).c_str());
    }
    return 0;
  };
}

const bool kRegistered =
    RegisterSubcommand({"font", "font libraries, ASCII and String Bin fonts, glyph test", Setup});

}  // namespace

}  // namespace panelix::cli
