#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/error.h"
#include "build/manifest.h"
#include "build/plan.h"

namespace panelix::build {
namespace {

const char* kProject = "[project]\nfile = \"p.ini\"\n";

std::string WithProject(const std::string& assets) {
  return std::string(kProject) + assets;
}

TEST(Manifest, EveryKindGivesItsToolsCommandLine) {
  struct Case {
    const char* toml;
    std::vector<std::string> tool;
    std::vector<std::string> flags;
    std::vector<std::string> inputs;
  };
  const Case cases[] = {
      {"[[picture]]\noutput = \"Number-d\"\ninputs = \"digits\"\nrotate = 0\nformat = \"BW\"\nreverse-y = "
       "true\n"
       "nand-pad = false\nalpha = 90\n",
       {"picture"},
       {"--format", "bw", "--rotate", "0", "--reverse-y", "--alpha", "90"},
       {"digits"}},
      {"[[gif]]\noutput = \"Gif-a\"\ninputs = [\"a.gif\", \"b\"]\ndither = \"Ordered\"\norder = \"bgr\"\n",
       {"gif"},
       {"--order", "bgr", "--dither", "ordered"},
       {"a.gif", "b"}},
      {"[[sound]]\noutput = \"Wav-c\"\ninput = \"s/c.wav\"\nspeed = 2\nbits = 16\nchannel = \"right\"\n",
       {"wav"},
       {"--channel", "right", "--bits", "16", "--speed", "2"},
       {"s/c.wav"}},
      {"[[font]]\noutput = \"Font_C1_16\"\nkind = \"library\"\nset = \"big5\"\nrange = [\"A140\", \"A3BF\"]\n"
       "half-width = false\ncell = [16, 24]\nface = \"DejaVu Sans\"\norigin = [0, 2]\n",
       {"font", "library"},
       {"--set", "big5", "--start", "A140", "--end", "A3BF", "--no-half-width", "--font", "DejaVu Sans",
        "--width", "16", "--height", "24", "--origin", "0,2"},
       {}},
      {"[[font]]\noutput = \"Font_C2_16\"\nkind = \"string\"\ntext = \"menu.txt\"\nsize = 12\n",
       {"font", "string"},
       {"--size", "12"},
       {"menu.txt"}},
      {"[[cursor]]\noutput = \"Cursor-a\"\ntext = \"arrow.txt\"\n",
       {"cursor"},
       {"--from-text", "arrow.txt"},
       {"arrow.txt"}},
      {"[bootloader]\noutput = \"Bootloader\"\nspi-speed = 4\nxsize = 480\npclk-fall = false\nread-cmd = "
       "\"0b\"\n",
       {"bootloader"},
       {"--xsize", "480", "--read-cmd", "0B", "--spi-speed", "4", "--pclk-rise"},
       {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.toml);
    const Manifest manifest = ReadManifest(WithProject(c.toml), "m.toml");
    ASSERT_EQ(manifest.assets.size(), 1u);
    const Asset& asset = manifest.assets.front();
    EXPECT_EQ(asset.line, 3u);
    EXPECT_EQ(asset.tool, c.tool);
    EXPECT_EQ(asset.flags, c.flags);
    EXPECT_EQ(asset.inputs, c.inputs);
  }
}

TEST(Manifest, ProjectSettingsAndDefaults) {
  const Manifest plain = ReadManifest(kProject, "m.toml");
  EXPECT_EQ(plain.project.file, "p.ini");
  EXPECT_EQ(plain.project.info, "UserInfo");
  EXPECT_EQ(plain.project.flash, "Panelix_Flash");
  EXPECT_EQ(plain.project.buildTime, "");
  const Manifest full = ReadManifest(
      "[project]\nfile = \"a/p.ini\"\ninfo = \"UI\"\nflash = \"F\"\noutput = \"out\"\nbins = \"b\"\n"
      "build-time = 2024-02-29T23:05:09\ncodepage = 950\n",
      "m.toml");
  EXPECT_EQ(full.project.buildTime, "2024-02-29T23:05:09");
  EXPECT_EQ(full.project.codePage, 950);
  EXPECT_EQ(
      ReadManifest("[project]\nfile = \"p\"\nbuild-time = \"2001-01-02T03:04:05\"\n", "m").project.buildTime,
      "2001-01-02T03:04:05");
}

TEST(Manifest, ErrorsNameTheLine) {
  struct Case {
    std::string toml;
    const char* message;
  };
  const Case cases[] = {
      {"[project]\nfile = \"p.ini\"\n[[picture]]\noutput = \"Picture-a\"\ninputs = \"a.png\"\nfromat = "
       "\"bw\"\n",
       "m.toml:6: unknown key \"fromat\" in [[picture]]"},
      {WithProject("[[picture]]\noutput = \"Picture-a\"\n"), "m.toml:3: [[picture]] needs \"inputs\""},
      {WithProject("[[picture]]\noutput = \"Gif-a\"\ninputs = \"a\"\n"),
       "m.toml:4: the bin's name must begin with Picture, Number, ColorNum or KeyNum so that Make Bin knows "
       "its "
       "kind: \"Gif-a\""},
      {WithProject("[[gif]]\noutput = \"Gif-a\"\ninputs = \"a\"\nformat = \"bw\"\n"),
       "m.toml:6: \"format\" is one of r5g6b5, r8g8b8, not \"bw\""},
      {WithProject("[[sound]]\noutput = \"Wav-a\"\ninput = [\"a.wav\", \"b.wav\"]\n"),
       "m.toml:5: \"input\" names one file"},
      {WithProject("[[font]]\noutput = \"Font_A\"\nkind = \"ascii\"\nset = \"gbk\"\n"),
       "m.toml:6: \"set\" belongs to fonts of kind \"library\""},
      {WithProject("[[font]]\noutput = \"Font_A\"\nkind = \"string\"\n"),
       "m.toml:3: a String Bin font needs \"text\""},
      {WithProject("[[font]]\noutput = \"Font_A\"\nkind = \"ascii\"\ncell = [8]\n"),
       "m.toml:6: \"cell\" takes two values"},
      {WithProject("[bootloader]\noutput = \"Bootloader\"\nxsize = \"480\"\n"),
       "m.toml:5: \"xsize\" takes a whole number"},
      {WithProject("[[cursor]]\noutput = \"../Cursor-a\"\ntext = \"a\"\n"),
       "m.toml:4: \"output\" is a bin's name in the bins folder, without a folder"},
      {WithProject("[[cursor]]\noutput = \"Cursor-a\"\ntext = \"a\"\n[[cursor]]\noutput = \"Cursor-a.bin\"\n"
                   "text = \"b\"\n"),
       "m.toml:6: \"Cursor-a.bin\" is already written by the asset on line 3"},
      {WithProject("[[sprite]]\noutput = \"x\"\n"), "m.toml:3: unknown table \"sprite\""},
      {"[project]\nfile = \"p\"\nbuild-time = \"2024-13-01T00:00:00\"\n",
       "m.toml:3: \"build-time\" is given as YYYY-MM-DDTHH:MM:SS"},
      {"[project]\nfile = \"p\"\ncodepage = 1252\n", "m.toml:3: \"codepage\" is 936 or 950"},
      {"[project]\nflash = \"F\"\n", "m.toml:1: [project] needs \"file\""},
      {"[[cursor]]\noutput = \"Cursor-a\"\ntext = \"a\"\n", "m.toml:1: the manifest has no [project] table"},
      {"[project]\nfile = \"p\"\nfile = \"q\"\n", "m.toml:3: "},
      {"[project\n", "m.toml:1: "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.toml);
    try {
      ReadManifest(c.toml, "m.toml");
      ADD_FAILURE() << "no error";
    } catch (const Error& e) {
      EXPECT_EQ(std::string(e.what()).rfind(c.message, 0), 0u) << e.what();
    }
  }
}

TEST(Plan, StepsRunInTheManifestsFolderWithRelativeInputs) {
  const Manifest manifest = ReadManifest(
      "[project]\nfile = \"p.ini\"\noutput = \"out\"\nbuild-time = 2024-01-02T03:04:05\ncodepage = 936\n"
      "[[picture]]\noutput = \"Picture-a\"\ninputs = [\"pics/a.png\"]\n"
      "[[sound]]\noutput = \"Wav-c\"\ninput = \"sounds/c.wav\"\n",
      "m.toml");
  const BuildPlan plan = PlanBuild(manifest, "/proj/demo/m.toml");
  EXPECT_EQ(plan.outDir, "/proj/demo/out");
  ASSERT_EQ(plan.conversions.size(), 2u);
  const Step& picture = plan.conversions[0];
  EXPECT_EQ(picture.name, "Picture-a.bin");
  EXPECT_EQ(picture.workDir, "/proj/demo");
  EXPECT_EQ(picture.args, (std::vector<std::string>{"--codepage", "936", "picture", "-o",
                                                    "/proj/demo/out/bins/Picture-a", "pics/a.png"}));
  EXPECT_EQ(picture.outputs, (std::vector<std::filesystem::path>{"/proj/demo/out/bins/Picture-a.bin",
                                                                 "/proj/demo/out/bins/Picture-a-Addr.txt"}));
  // A sound's data text names the file as given: it is converted from its own folder.
  const Step& sound = plan.conversions[1];
  EXPECT_EQ(sound.workDir, "/proj/demo/sounds");
  EXPECT_EQ(sound.args.back(), "c.wav");
  EXPECT_EQ(plan.make.args, (std::vector<std::string>{
                                "--codepage", "936", "make", "--bins", "/proj/demo/out/bins", "--project",
                                "p.ini", "--info", "/proj/demo/out/UserInfo", "--flash",
                                "/proj/demo/out/Panelix_Flash", "--build-time", "2024-01-02T03:04:05"}));
  const BuildPlan moved = PlanBuild(manifest, "/proj/demo/m.toml", "/elsewhere/o/");
  EXPECT_EQ(moved.outDir, "/elsewhere/o");
  EXPECT_EQ(moved.binsDir, "/elsewhere/o/bins");
}

}  // namespace
}  // namespace panelix::build
