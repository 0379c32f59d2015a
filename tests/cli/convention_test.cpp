// What every subcommand of panelix shares: exit statuses, hints for misspelt words, option texts,
// --version, the bash completion and the man pages.
#include <gtest/gtest.h>

#include <cctype>
#include <sstream>

#include "support/cli_runner.h"

namespace panelix {
namespace {

using test::RunCli;
using test::TempDir;

// The subcommands listed by a --help text.
std::vector<std::string> Subcommands(const std::string& help) {
  std::vector<std::string> names;
  std::istringstream in(help);
  bool listing = false;
  for (std::string line; std::getline(in, line);) {
    if (line == "Subcommands:") {
      listing = true;
    } else if (listing && line.rfind("  ", 0) == 0 && line.size() > 2 && line[2] != ' ') {
      names.push_back(line.substr(2, line.find(' ', 2) - 2));
    } else if (listing && line.empty()) {
      listing = false;
    }
  }
  return names;
}

TEST(CliConvention, EveryUsageErrorExitsOneAndNamesTheNearestWord) {
  TempDir dir;
  test::WriteText(dir / "a.wav", "");
  struct Case {
    std::vector<std::string> args;
    const char* err;
  };
  const Case cases[] = {
      {{}, "A subcommand is required"},
      {{"pictures"}, "Unknown subcommand 'pictures'; did you mean picture?"},
      {{"gfi", "x.gif"}, "did you mean gif?"},
      {{"picture", "--formt", "bw", "-o", "x", "a.png"}, "Unknown option '--formt'; did you mean --format?"},
      {{"picture", "--jbos=2", "-o", "x", "a.png"}, "did you mean --jobs?"},
      {{"font", "strng", "t.txt"}, "did you mean string?"},
      {{"picture", "a.png"}, "--output is required"},
      {{"picture", "--format", "rgb556", "-o", "x", "a.png"},
       "--format: 'rgb556' is not one of r5g6b5|rgb565|r8g8b8|rgb888|bw|mono|argb4444; did you mean rgb565?"},
      {{"wav", "--speed", "3", "-o", "x", "a.wav"}, "--speed: '3' is not one of 1|2|4|8|16\n"},
      {{"--codepage", "437", "cursor"}, "--codepage"},
      {{"combine", "-o", "x", "1", "2", "3", "4", "5", "6", "7"}, "files"},
      {{"frobnicate"}, "Unknown subcommand 'frobnicate'\n"},
      {{"build", "--frobnicate"}, "Unknown option '--frobnicate'\n"},
      {{"inspect", "--block-size", "64K", "a.wav"}, "--block-size: '64K' is not one of 12K|128K\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args.empty() ? "(none)" : c.args.front() + " " + c.args.back());
    const auto r = RunCli(c.args, dir.Path());
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find(c.err), std::string::npos) << r.err;
  }
  // A word far from every name gets no guess.
  EXPECT_EQ(RunCli({"frobnicate"}).err.find("did you mean"), std::string::npos);
}

TEST(CliConvention, HelpAndVersionSucceed) {
  const auto help = RunCli({"--help"});
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_NE(help.out.find("Subcommands:"), std::string::npos) << help.out;
  const auto version = RunCli({"--version"});
  EXPECT_EQ(version.exitCode, 0);
  EXPECT_EQ(version.out.rfind("panelix " PANELIX_VERSION "\nbuilt with: zlib ", 0), 0U) << version.out;
  for (const char* library :
       {"libspng", "libjpeg-turbo", "giflib", "FreeType", "fontconfig", "ICU", "CLI11"}) {
    EXPECT_NE(version.out.find(library), std::string::npos) << library;
  }
}

// One style: summaries and option texts begin in lower case (or with a name written in capitals),
// and -o reads the same everywhere.
TEST(CliConvention, SummariesAndOptionTextsShareOneStyle) {
  const std::string help = RunCli({"--help"}).out;
  const std::vector<std::string> subcommands = Subcommands(help);
  ASSERT_GE(subcommands.size(), 8U) << help;
  std::istringstream in(help.substr(help.find("Subcommands:")));
  for (std::string line; std::getline(in, line);) {
    const auto text = line.find_first_not_of(' ', line.find(' ', 2));
    if (line.rfind("  ", 0) == 0 && text != std::string::npos) {
      EXPECT_FALSE(std::isupper(static_cast<unsigned char>(line[text])) &&
                   std::islower(static_cast<unsigned char>(line[text + 1])))
          << line;
    }
  }
  const std::string outputText =
      "name of the output file as typed into the save dialog; \".bin\" is added when the name lacks it";
  int withOutput = 0;
  for (const std::string& sub : subcommands) {
    std::string subHelp = RunCli({sub, "--help"}).out;
    for (const std::string& nested : Subcommands(subHelp)) {
      subHelp += RunCli({sub, nested, "--help"}).out;
    }
    std::size_t options = 0;
    std::size_t texts = 0;
    for (auto at = subHelp.find("-o,--output"); at != std::string::npos;
         at = subHelp.find("-o,--output", at + 1)) {
      ++options;
    }
    for (auto at = subHelp.find(outputText); at != std::string::npos; at = subHelp.find(outputText, at + 1)) {
      ++texts;
    }
    EXPECT_EQ(texts, options) << sub;
    withOutput += static_cast<int>(options);
  }
  EXPECT_GE(withOutput, 8);
}

TEST(CliConvention, BashCompletionAndManPagesComeFromTheProgram) {
  const auto completion = RunCli({"--bash-completion"});
  ASSERT_EQ(completion.exitCode, 0);
  TempDir dir;
  test::WriteText(dir / "panelix.bash", completion.out);
  // The script is valid bash and offers the subcommands and the words of a choice.
  const std::string complete =
      "bash -c " +
      test::ShellQuote("source " + (dir / "panelix.bash").string() +
                       "; COMP_WORDS=(panelix picture --format ''); COMP_CWORD=3; _panelix; "
                       "echo \"${COMPREPLY[*]}\"; COMP_WORDS=(panelix pic); COMP_CWORD=1; "
                       "_panelix; echo \"${COMPREPLY[*]}\"") +
      " > " + test::ShellQuote((dir / "words.txt").string());
  ASSERT_EQ(std::system(complete.c_str()), 0);
  const auto words = test::ReadBytes(dir / "words.txt");
  EXPECT_EQ(std::string(words.begin(), words.end()),
            "r5g6b5 rgb565 r8g8b8 rgb888 bw mono argb4444\npicture\n");

  const std::string docs = PANELIX_SOURCE_DIR "/scripts/cli-docs.sh " + test::ShellQuote(PANELIX_CLI) + " " +
                           test::ShellQuote(dir.Path().string()) + " " PANELIX_VERSION;
  ASSERT_EQ(std::system(docs.c_str()), 0);
  for (const char* page : {"panelix.1", "panelix-picture.1", "panelix-make.1", "panelix-font-string.1"}) {
    SCOPED_TRACE(page);
    const auto text = test::ReadBytes(dir / "man" / "man1" / page);
    const std::string man(text.begin(), text.end());
    EXPECT_NE(man.find(".TH"), std::string::npos);
    EXPECT_NE(man.find(PANELIX_VERSION), std::string::npos);
  }
  const auto picture = test::ReadBytes(dir / "man" / "man1" / "panelix-picture.1");
  EXPECT_NE(std::string(picture.begin(), picture.end()).find("rgb565"), std::string::npos);
}

}  // namespace
}  // namespace panelix
