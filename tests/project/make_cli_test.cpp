#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "make_bin_fixture.h"
#include "support/cli_runner.h"

namespace panelix::project {
namespace {

using namespace panelix::test;
using namespace panelix::project::test;
namespace fs = std::filesystem;

std::string ProjectText(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) {
    text += line + "\r\n";
  }
  return text;
}

// 750 command lines of 41 bytes each: more than the command region holds.
std::vector<std::string> ManyCommands() {
  std::vector<std::string> lines;
  for (const char* code : {"F0h", "F1h", "F2h"}) {
    for (int i = 0; i < 250; ++i) {
      lines.push_back(std::string(code) + "#00:1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,18,19,20");
    }
  }
  return lines;
}

// A bin folder with one picture bin, one sound bin and a project beside them.
struct Fixture {
  TempDir dir;
  fs::path bins = dir / "bins";
  fs::path out = dir / "out";

  explicit Fixture(const std::vector<std::string>& commands = {"80h#00:1,2,3"}) {
    fs::create_directories(bins);
    fs::create_directories(out);
    WriteBytes(bins / "Picture-a.bin", Pattern(4, 0xA0));
    WriteText(bins / "Picture-a-Addr.txt", Row(2, 1, 0, 4, "a.bmp"));
    WriteBytes(bins / "Wav-a.bin", Pattern(8, 0xB0));
    WriteText(bins / "project.ini", ProjectText(ProjectLines(commands)));
  }
  CliResult Make(const std::vector<std::string>& extra = {}) const {
    std::vector<std::string> args{"make",
                                  "--bins",
                                  bins.string(),
                                  "--project",
                                  (bins / "project.ini").string(),
                                  "--info",
                                  (out / "demo").string(),
                                  "--flash",
                                  (out / "Flash").string()};
    args.insert(args.end(), extra.begin(), extra.end());
    return RunCli(args);
  }
  bool OutEmpty() const { return fs::is_empty(out); }
};

TEST(MakeCliTest, WritesInfoBinReportAndImage) {
  Fixture f;
  ::setenv("SOURCE_DATE_EPOCH", "1709474709", 1);  // 2024-03-03 14:05:09 UTC
  const CliResult result = f.Make();
  ::unsetenv("SOURCE_DATE_EPOCH");
  ASSERT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.err, "");
  const std::vector<std::uint8_t> info = ReadBytes(f.out / "demo.bin");
  ASSERT_EQ(info.size(), 0x20000u);
  EXPECT_EQ(std::vector<std::uint8_t>(info.begin() + 0x400, info.begin() + 0x423), kExampleSettings);
  EXPECT_EQ(std::vector<std::uint8_t>(info.begin() + 0x423, info.begin() + 0x42A),
            (std::vector<std::uint8_t>{3, 3, 20, 24, 14, 5, 9}));
  EXPECT_EQ(std::vector<std::uint8_t>(info.begin() + 0x600, info.begin() + 0x60E),
            (std::vector<std::uint8_t>{0x00, 0x01, 0x00, 0x02, 0x00, 0x01, 0x00, 0x02, 0x00, 0x00, 0x00, 0x00,
                                       0x00, 0x04}));
  EXPECT_EQ(std::vector<std::uint8_t>(info.begin() + 0x1700, info.begin() + 0x170A),
            (std::vector<std::uint8_t>{0x00, 0x00, 0x02, 0x00, 0x04, 0x00, 0x00, 0x00, 0x08, 0xFF}));
  EXPECT_EQ(std::vector<std::uint8_t>(info.begin() + 0x200, info.begin() + 0x204),
            (std::vector<std::uint8_t>{0x18, 0x00, 0x01, 0x00}));
  const std::string report =
      "{2,1,0x00020000,0x00000004},//a.bmp---Picture No.0\r\n{0,0x00020004,0x00000008},//Wav-a.bin\r\n";
  EXPECT_EQ(ReadBytes(f.out / "demo.txt"), std::vector<std::uint8_t>(report.begin(), report.end()));
  EXPECT_EQ(ReadBytes(f.out / "Flash.bin"), Concat({info, Pattern(4, 0xA0), Pattern(8, 0xB0)}));
  EXPECT_NE(result.out.find("0x00020004 0x00000008 Wav        Wav-a.bin"), std::string::npos) << result.out;

  // --build-time wins over the clock; the typed name with ".bin" gets "demo.bin.txt".
  const CliResult again =
      RunCli({"make", "--bins", f.bins.string(), "--project", (f.bins / "project.ini").string(), "--info",
              (f.out / "x.bin").string(), "--flash", (f.out / "Flash").string(), "--build-time",
              "2031-12-31T23:59:58"});
  ASSERT_EQ(again.exitCode, 0) << again.err;
  const auto second = ReadBytes(f.out / "x.bin");
  EXPECT_EQ(std::vector<std::uint8_t>(second.begin() + 0x423, second.begin() + 0x42A),
            (std::vector<std::uint8_t>{12, 31, 20, 31, 23, 59, 58}));
  EXPECT_TRUE(fs::exists(f.out / "x.bin.txt"));
}

TEST(MakeCliTest, FailuresSayWhyAndWriteNothing) {
  struct Case {
    std::string name;
    std::vector<std::string> commands;
    std::function<void(const Fixture&)> spoil;
    std::vector<std::string> expected;  // stderr lines, in order (substrings)
  };
  const std::vector<Case> cases{
      {"missing address list",
       {},
       [](const Fixture& f) { fs::remove(f.bins / "Picture-a-Addr.txt"); },
       {"Open ", "Picture-a-Addr.txt fail!"}},
      {"bad decimal token",
       {},
       [](const Fixture& f) { WriteText(f.bins / "Picture-a-Addr.txt", "{2a,1,0,4}\r\n"); },
       {"'2a' is not a valid integer value"}},
      {"missing key",
       {},
       [](const Fixture& f) {
         auto lines = ProjectLines();
         lines.erase(lines.begin() + 5);  // PCBVersion
         WriteText(f.bins / "project.ini", ProjectText(lines));
       },
       {"Module info error!", "the key \"PCBVersion\" is missing"}},
      {"bad [INFO] number",
       {},
       [](const Fixture& f) {
         auto lines = ProjectLines();
         lines[12] = "VBPD = none";
         WriteText(f.bins / "project.ini", ProjectText(lines));
       },
       {"'' is not a valid integer value", "project.ini:13: bad number in the [INFO] section"}},
      {"bad command number",
       {"80h#00:1,2,3", "82h#00:1,/"},
       nullptr,
       {"'' is not a valid integer value", "project.ini:30: bad number in this command line"}},
      {"out of order",
       {"82h#02:1", "82h#01:2"},
       nullptr,
       {"Command 82h error:", "82h#02:1", "82h#01:2", "New command 82h:", "82h #00:", "82h#01:2",
        "82h#02:1"}},
      {"command region full", ManyCommands(), nullptr, {"Command list too long"}},
      {"no bins",
       {},
       [](const Fixture& f) {
         for (const char* name : {"Picture-a.bin", "Wav-a.bin"}) {
           fs::remove(f.bins / name);
         }
       },
       {"There aren't any picture data!"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Fixture f(c.commands);
    if (c.spoil) {
      c.spoil(f);
    }
    const CliResult result = f.Make();
    EXPECT_EQ(result.exitCode, 1);
    std::size_t at = 0;
    for (const std::string& part : c.expected) {
      const std::size_t found = result.err.find(part, at);
      EXPECT_NE(found, std::string::npos) << part << " in\n" << result.err;
      at = found == std::string::npos ? at : found + part.size();
    }
    EXPECT_TRUE(f.OutEmpty());
  }
}

TEST(MakeCliTest, CheckReadsTheProjectOnly) {
  Fixture f({"82h#00:1,2", "82h#01:3"});
  CliResult result = RunCli({"check", "--project", (f.bins / "project.ini").string()});
  EXPECT_EQ(result.exitCode, 0) << result.err;
  result =
      RunCli({"make", "--check", "--project", (f.bins / "project.ini").string(), "--bins", f.bins.string()});
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_NE(result.out.find("Picture-a.bin"), std::string::npos);

  auto lines = ProjectLines();
  std::swap(lines[10], lines[11]);  // YSIZE before XSIZE
  WriteText(f.bins / "project.ini", ProjectText(lines));
  result = RunCli({"check", "--project", (f.bins / "project.ini").string()});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_NE(result.err.find("the key \"YSIZE\" is missing"), std::string::npos) << result.err;
  EXPECT_TRUE(f.OutEmpty());

  // With LF line ends the list holds added lines before "[INFO]" and "[USERCMD]" and before a last
  // line without a line feed; the line number is still the file's.
  std::string text;
  for (const std::string& line : ProjectLines({"82h#00:1", "82h#01:x"})) {
    text += line + "\n";
  }
  text.pop_back();
  WriteText(f.bins / "project.ini", text);
  result = RunCli({"check", "--project", (f.bins / "project.ini").string()});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_NE(result.err.find("project.ini:30: bad number in this command line"), std::string::npos)
      << result.err;
}

}  // namespace
}  // namespace panelix::project
