#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "support/cli_runner.h"

namespace panelix {
namespace {

namespace fs = std::filesystem;
using test::RunCli;
using test::TempDir;

// Every file under a folder, by its path inside it, with its bytes.
std::map<std::string, std::vector<std::uint8_t>> Files(const fs::path& folder) {
  std::map<std::string, std::vector<std::uint8_t>> files;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    const fs::path inside = entry.path().lexically_relative(folder);
    if (entry.is_regular_file() && inside.begin()->string() != ".panelix-cache") {
      files[inside.string()] = test::ReadBytes(entry.path());
    }
  }
  return files;
}

bool Holds(const std::vector<std::uint8_t>& bytes, const std::string& text) {
  return std::search(bytes.begin(), bytes.end(), text.begin(), text.end()) != bytes.end();
}

fs::path CopyDemo(const fs::path& to) {
  fs::create_directories(to.parent_path());
  fs::copy(PANELIX_DEMO, to, fs::copy_options::recursive);
  return to / "panelix.toml";
}

// The demo built asset by asset with the tools, from the demo's folder, as a user would type them.
void BuildDemoByHand(const fs::path& demo, const fs::path& out) {
  const std::string bins = (out / "bins").string();
  fs::create_directories(bins);
  const std::vector<std::vector<std::string>> commands{
      {"--codepage", "936", "picture", "--format", "r5g6b5", "-o", bins + "/Picture-main",
       "pictures/background.png", "pictures/splash.jpg", "pictures/button.bmp", "pictures/icon-ok.png",
       "pictures/icon-alarm.png", "pictures/icon-warn.png"},
      {"--codepage", "936", "picture", "--format", "r5g6b5", "-o", bins + "/Number-digits",
       "pictures/digits"},
      {"--codepage", "936", "picture", "--format", "r5g6b5", "-o", bins + "/KeyNum-keys", "pictures/keys"},
      {"--codepage",
       "936",
       "bootloader",
       "--xsize",
       "480",
       "--ysize",
       "272",
       "--hspw",
       "4",
       "--hsbp",
       "43",
       "--hsfp",
       "8",
       "--vspw",
       "4",
       "--vsbp",
       "12",
       "--vsfp",
       "8",
       "--lcd-if",
       "24",
       "--color",
       "16",
       "--canvas",
       "block16",
       "--spi-speed",
       "4",
       "-o",
       bins + "/Bootloader"},
      {"--codepage", "936", "gif", "--format", "r5g6b5", "-o", bins + "/Gif-spinner", "gif/spinner.gif"},
      {"--codepage", "936", "font", "library", "--set", "gb2312", "--width", "16", "--height", "16", "-o",
       bins + "/Font_C1_16"},
      {"--codepage", "936", "font", "string", "fonts/menu.txt", "--width", "16", "--height", "16", "-o",
       bins + "/Font_C2_16"},
      {"--codepage", "936", "font", "ascii", "--width", "8", "--height", "16", "-o", bins + "/Font_D1_16"},
      {"--codepage", "936", "cursor", "--from-text", "cursor/arrow.txt", "-o", bins + "/Cursor-arrow"},
      {"--codepage", "936", "make", "--bins", bins, "--project", "project.ini", "--info",
       (out / "UserInfo").string(), "--flash", (out / "Panelix_Flash").string(), "--build-time",
       "2024-06-01T12:00:00"},
  };
  const auto sound = RunCli({"--codepage", "936", "wav", "--channel", "left", "--bits", "8", "--speed", "1",
                             "-o", bins + "/Wav-chime", "chime.wav"},
                            demo / "sounds");
  ASSERT_EQ(sound.exitCode, 0) << sound.err;
  for (const auto& command : commands) {
    const auto r = RunCli(command, demo);
    ASSERT_EQ(r.exitCode, 0) << command[2] << ": " << r.err;
  }
}

TEST(BuildCli, DemoIsTheToolsOneByOneReproducibleAndIncremental) {
  TempDir dir;
  const fs::path first = CopyDemo(dir / "one/demo");
  const fs::path second = CopyDemo(dir / "two/elsewhere/project");
  const auto built = RunCli({"build", first.string(), "--out", (dir / "one/out").string()});
  ASSERT_EQ(built.exitCode, 0) << built.err;
  EXPECT_NE(built.out.find("Built Panelix_Flash.bin"), std::string::npos) << built.out;
  const auto again = RunCli({"build", "panelix.toml", "--out", "../out2"}, second.parent_path());
  ASSERT_EQ(again.exitCode, 0) << again.err;

  // Two folders, one set of bytes, and no folder of either in any output.
  const auto files = Files(dir / "one/out");
  EXPECT_EQ(files, Files(dir / "two/elsewhere/out2"));
  EXPECT_EQ(files.size(), 18u);
  for (const auto& [name, bytes] : files) {
    EXPECT_FALSE(Holds(bytes, dir.Path().string())) << name;
  }
  BuildDemoByHand(first.parent_path(), dir / "by-hand");
  EXPECT_EQ(files, Files(dir / "by-hand"));

  // Nothing changed: nothing converted. One picture changed: its bin and the image.
  const auto unchanged = RunCli({"build", first.string(), "--out", (dir / "one/out").string()});
  ASSERT_EQ(unchanged.exitCode, 0) << unchanged.err;
  EXPECT_EQ(unchanged.out.find("Built"), std::string::npos) << unchanged.out;
  fs::copy_file(first.parent_path() / "pictures/keys/key1-up.png",
                first.parent_path() / "pictures/keys/key0-up.png", fs::copy_options::overwrite_existing);
  const auto changed = RunCli({"build", first.string(), "--out", (dir / "one/out").string()});
  ASSERT_EQ(changed.exitCode, 0) << changed.err;
  std::vector<std::string> rebuilt;
  for (std::size_t at = 0; (at = changed.out.find("Built ", at)) != std::string::npos; ++at) {
    rebuilt.push_back(changed.out.substr(at + 6, changed.out.find('\n', at) - at - 6));
  }
  EXPECT_EQ(rebuilt, (std::vector<std::string>{"KeyNum-keys.bin", "Panelix_Flash.bin"})) << changed.out;
}

TEST(BuildCli, FailuresNameTheManifestLineAndWriteNoImage) {
  TempDir dir;
  test::WriteText(dir / "p.ini", "x");
  struct Case {
    const char* toml;
    const char* message;
  };
  const Case cases[] = {
      {"[project]\nfile = \"p.ini\"\n[[cursor]]\noutput = \"Cursor-a\"\ntexte = \"a.txt\"\n",
       "m.toml:5: unknown key \"texte\" in [[cursor]]"},
      {"[project]\nfile = \"p.ini\"\n[[cursor]]\noutput = \"Cursor-a\"\ntext = \"missing.txt\"\n",
       "m.toml:3: Cursor-a.bin was not built"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.toml);
    test::WriteText(dir / "m.toml", c.toml);
    const auto r = RunCli({"build", "m.toml"}, dir.Path());
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    EXPECT_FALSE(fs::exists(dir / "build/Panelix_Flash.bin"));
  }
}

TEST(BuildCli, DryRunPrintsThePlanAndWritesNothing) {
  TempDir dir;
  test::WriteText(
      dir / "m.toml",
      "[project]\nfile = \"p.ini\"\n[[cursor]]\noutput = \"Cursor-a\"\ntext = \"my arrow.txt\"\n");
  const auto r = RunCli({"build", "--dry-run", "m.toml", "--out", "o"}, dir.Path());
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_NE(r.out.find("m.toml:3: Cursor-a.bin\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find(" cursor --from-text 'my arrow.txt' -o "), std::string::npos) << r.out;
  EXPECT_NE(r.out.find(" make --bins "), std::string::npos) << r.out;
  EXPECT_FALSE(fs::exists(dir / "o"));
  // Without a build time the image is not reproducible, and the build says so.
  EXPECT_NE(r.err.find("m.toml:1: no build-time in [project] and no SOURCE_DATE_EPOCH"), std::string::npos)
      << r.err;
}

}  // namespace
}  // namespace panelix
