#include "project/project_check.h"

#include <gtest/gtest.h>

#include "bootloader/register_script.h"
#include "make_bin_fixture.h"
#include "project/flash_budget.h"

namespace panelix::project {
namespace {

using namespace panelix::test;
using namespace panelix::project::test;

std::string Texts(const std::vector<Finding>& findings) {
  std::string all;
  for (const Finding& f : findings) {
    all += FindingText(f) + "\n";
  }
  return all;
}

// A project whose [INFO] line key is replaced by line, with the given command lines.
ProjectSource Source(const std::string& key, const std::string& line,
                     const std::vector<std::string>& commands = {}) {
  ProjectSource source{"p.ini", test::ProjectLines(commands), true};
  for (std::string& l : source.lines) {
    if (!key.empty() && l.starts_with(key + " ")) {
      l = line;
    }
  }
  return source;
}

// Each lenient rule that changes or drops something gives a warning naming the file and line;
// the bytes stay those of today (the check passes).
TEST(ProjectCheckTest, LenientRulesWarnWithFileAndLine) {
  struct Case {
    std::string key;
    std::string line;
    std::vector<std::string> commands;
    std::string warning;
  };
  const std::vector<Case> cases{
      {"XSIZE", "XSIZE = 48O", {}, "p.ini:10: warning: '48O' is not a plain number: XSIZE reads it as 48"},
      {"XSIZE", "XSIZE = -480", {}, "'-480' is not a plain number: XSIZE reads it as 480"},
      {"XSIZE", "XSIZE = 1.5", {}, "'1.5' is not a plain number: XSIZE reads it as 15"},
      {"XSIZE",
       std::string("XSIZE = 10\0"
                   "24",
                   14),
       {},
       "a control character in the value of XSIZE is dropped"},
      {"XSIZE", "XSIZE = 70000", {}, "XSIZE 70000 does not fit its 16-bit field: it is stored as 4464"},
      {"ColorDepth", "ColorDepth = 17", {}, "ColorDepth 17 is not 8, 16 or 24: it is stored as 16"},
      {"FlashType", "FlashType = XYZ", {}, "FlashType 'XYZ' is not one of NOR, NAND: it is stored as NOR"},
      {"CX9Type", "CX9Type = CX-9", {}, "CX9Type 'CX-9' is not one of CX-1A"},
      {"PCVersion", "PCVersion = 1", {}, "a version has two: it is stored as 01"},
      {"HSPW", "HSPW 20", {}, "p.ini:17: warning: HSPW has no ':' or '='"},
      {"",
       "",
       {"82h#00:0x10000,1"},
       "p.ini:27: warning: parameter 1 65536 does not fit its 2-byte field: it is stored as 0"},
      {"", "", {"82h#00:48O,1"}, "parameter 1 '48O' is not a plain number: it is read as 48"},
      {"", "", {"8Gh#00:1,2"}, "'8Gh#00:1,2' is no command line"},
      {"", "", {"80 #00:1,2,3"}, "'80#00:1,2,3' is no command line"},
      {"", "", {"84h#00:1,2,3"}, "84h is a code without records: the line is dropped"},
      {"", "", {"80h#00:1,2"}, "the record has 4 bytes, 80h needs at least 5: the line is dropped"},
      {"", "", {"A4h#00:1,2,3,4,1,6,7,8,9,10"}, "A4h without the keyword KPT compiles to nothing"},
      {"", "", {"B8h#00:1,2,3"}, "B8h takes one value"},
      {"", "", {"88h#00GIF:1,2,0x10,4,0"}, "(the GIF form reads decimal digits only): it is read as 10"},
      {"",
       "",
       {"82h#00:1,2", "82h#01:1,2,3", "82h#02:5,6"},
       "p.ini:28: warning: this 82h line has 3 parameters, the other lines of its code 2"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.warning);
    const ProjectCheck check = CheckProject(Source(c.key, c.line, c.commands), std::nullopt);
    EXPECT_FALSE(check.HasErrors()) << Texts(check.findings);
    EXPECT_NE(Texts(check.findings).find(c.warning), std::string::npos) << Texts(check.findings);
  }
  EXPECT_EQ(Texts(CheckProject(Source("", "", {"80h#00:1,2,3", "82h#00:1,2"}), std::nullopt).findings), "");
}

// Errors say where they stand: the project file and the line of the command.
TEST(ProjectCheckTest, ErrorsNameTheirLine) {
  const ProjectCheck number = CheckProject(Source("", "", {"82h#00:1,,3"}), std::nullopt);
  EXPECT_TRUE(number.HasErrors());
  EXPECT_NE(Texts(number.findings)
                .find("'' is not a valid integer value\np.ini:27: bad number in this command line"),
            std::string::npos)
      << Texts(number.findings);
  const ProjectCheck missing = CheckProject(Source("YSIZE", "Y = 600"), std::nullopt);
  EXPECT_NE(Texts(missing.findings).find("Module info error!\np.ini: the key \"YSIZE\" is missing"),
            std::string::npos);
}

// With the bins: names no rule takes, a font's size code, pictures larger than the panel, a
// bootloader for another panel, set references to sets that do not exist.
TEST(ProjectCheckTest, BinFolderWarnings) {
  TempDir dir;
  WriteBytes(dir / "logo.bin", Pattern(4, 1));
  WriteBytes(dir / "picture-2.bin", Pattern(4, 1));
  WriteBytes(dir / "x.BIN", Pattern(4, 1));
  WriteBytes(dir / "w.Bin", Pattern(4, 1));
  WriteBytes(dir / ".x.bin.bak", Pattern(4, 1));
  WriteBytes(dir / "Picture-a.bin", Pattern(8, 1));
  WriteText(dir / "Picture-a-Addr.txt", Row(2, 2, 0, 4, "a") + "\r\n" + Row(2000, 2, 4, 4, "b"));
  WriteBytes(dir / "Font_C1_24.bin", Pattern(32 * 10, 1));
  std::vector<std::uint8_t> stringFont{'C', 'X', '9', 'x', 'F', 'o', 'n', 't', 0, 1, 16, 16, 0, 'A'};
  stringFont.resize(stringFont.size() + 32, 0x18);
  WriteBytes(dir / "Font_C2_24.bin", stringFont);
  bootloader::BootloaderParameters small;
  small.xsize = 480;
  small.ysize = 272;
  WriteBytes(dir / "Bootloader.bin", bootloader::BuildBootloader(small));
  MakeBinInput input{
      dir.Path(),
      {"Bootloader.bin", "Font_C1_24.bin", "Font_C2_24.bin", "Picture-a.bin", "logo.bin", "picture-2.bin"},
      test::ProjectLines({"88h#00GIF:1,2,3,4,5"}),
      infoblock::kLargeBlockSize,
      {}};
  const ProjectCheck check = CheckProject({"p.ini", input.commandList, true}, input);
  ASSERT_FALSE(check.HasErrors()) << Texts(check.findings);
  const std::string texts = Texts(check.findings);
  for (const std::string expected :
       {"logo.bin: warning: no kind takes this bin", "(names are case-sensitive: Picture)",
        "x.BIN: warning: the bin folder lists only names that end in exactly \".bin\"",
        "Picture-a-Addr.txt:3: warning: a picture of 2000 x 2 is larger than the panel of [INFO] (1024 x "
        "600)",
        "Font_C1_24.bin: warning: its size code is 24, but its 320 bytes are no whole number of 24 x 24 "
        "glyphs",
        "Font_C2_24.bin: warning: its size code is 24, but its glyphs are 16 x 16: the font table records 24",
        "Bootloader.bin: warning: the bootloader sets up a 480 x 272 panel, [INFO] says 1024 x 600",
        "p.ini:27: warning: GIF set 5 does not exist (the bins make 0)"}) {
    EXPECT_NE(texts.find(expected), std::string::npos) << expected << "\n" << texts;
  }
  // The folder is read like the bin folder itself: in name order, hidden files left out.
  EXPECT_LT(texts.find("w.Bin: warning"), texts.find("x.BIN: warning")) << texts;
  EXPECT_EQ(texts.find(".x.bin.bak"), std::string::npos) << texts;
  ASSERT_TRUE(check.image);
  const FlashBudget budget = BudgetOf(*check.image);
  EXPECT_EQ(budget.megabits, 128u);
  EXPECT_EQ(BudgetText(budget), "used 131446 of 16777216 bytes (0.8 %)");
  EXPECT_FALSE(BudgetOf(*check.image, 1).Fits());
}

}  // namespace
}  // namespace panelix::project

namespace panelix::project {
namespace {

using namespace panelix::test;
using namespace panelix::project::test;

struct CliProject {
  TempDir dir;
  explicit CliProject(const std::vector<std::string>& commands) {
    std::filesystem::create_directories(dir / "bins");
    WriteBytes(dir / "bins/Picture-a.bin", Pattern(4, 0xA0));
    WriteText(dir / "bins/Picture-a-Addr.txt", Row(2, 1, 0, 4, "a.bmp"));
    std::string text;
    for (const std::string& line : test::ProjectLines(commands)) {
      text += line + "\r\n";
    }
    WriteText(dir / "bins/project.ini", text);
  }
  CliResult Make(const std::vector<std::string>& extra) const {
    std::vector<std::string> args{"make",
                                  "--bins",
                                  (dir / "bins").string(),
                                  "--project",
                                  (dir / "bins/project.ini").string(),
                                  "--info",
                                  (dir / "UserInfo").string(),
                                  "--flash",
                                  (dir / "Flash").string()};
    args.insert(args.end(), extra.begin(), extra.end());
    return RunCli(args);
  }
  bool Wrote() const {
    return std::filesystem::exists(dir / "UserInfo.bin") || std::filesystem::exists(dir / "Flash.bin");
  }
};

// make warns and still writes today's bytes; --strict stops it; an image larger than the flash
// stops it with nothing written; the budget is reported.
TEST(MakeCliCheckTest, WarningsStrictAndFlashBudget) {
  const CliProject project({"80h#00:1,2,3", "8Gh#00:1"});
  const CliResult strict = project.Make({"--strict"});
  EXPECT_EQ(strict.exitCode, 1);
  EXPECT_NE(strict.err.find("project.ini:30: warning: '8Gh#00:1' is no command line"), std::string::npos)
      << strict.err;
  EXPECT_FALSE(project.Wrote());

  const CliResult tooSmall = project.Make({"--flash-size", "1"});
  EXPECT_EQ(tooSmall.exitCode, 1);
  EXPECT_NE(
      tooSmall.err.find("The flash image is larger than the flash: used 131076 of 131072 bytes (100.0 %)"),
      std::string::npos)
      << tooSmall.err;
  EXPECT_FALSE(project.Wrote());

  const CliResult made = project.Make({});
  EXPECT_EQ(made.exitCode, 0) << made.err;
  EXPECT_NE(made.err.find("warning: '8Gh#00:1' is no command line"), std::string::npos);
  EXPECT_NE(made.out.find("used 131076 of 16777216 bytes (0.8 %)"), std::string::npos) << made.out;
  EXPECT_TRUE(project.Wrote());

  const CliResult check =
      RunCli({"check", "--strict", "--project", (project.dir / "bins/project.ini").string()});
  EXPECT_EQ(check.exitCode, 1);
}

}  // namespace
}  // namespace panelix::project
