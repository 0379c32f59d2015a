#include "project/make_bin.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "make_bin_fixture.h"
#include "support/old_files.h"

namespace panelix::project {
namespace {

using namespace panelix::test;
using namespace panelix::project::test;
namespace fs = std::filesystem;

constexpr infoblock::BuildTime kTime{2024, 3, 3, 14, 5, 9};

std::vector<std::uint8_t> Slice(const infoblock::InfoBlock& block, std::size_t offset, std::size_t count) {
  const auto bytes = block.Bytes().subspan(offset, count);
  return {bytes.begin(), bytes.end()};
}

bool AllFF(std::span<const std::uint8_t> bytes) {
  return std::all_of(bytes.begin(), bytes.end(), [](std::uint8_t b) { return b == 0xFF; });
}

struct BuildRun {
  std::optional<BuiltImage> image;
  std::vector<std::string> messages;
  std::vector<std::string> orderReport;
};

BuildRun Build(const TempDir& dir, const std::vector<std::string>& bins,
               const std::vector<std::string>& lines) {
  BuildRun run;
  MakeBinInput input{dir.Path(), bins, lines, infoblock::kLargeBlockSize, kTime};
  run.image = BuildInfoBlock(
      input, [&](const std::string& m) { run.messages.push_back(m); },
      [&](const std::vector<std::string>& report) { run.orderReport = report; });
  return run;
}

// A 4-byte picture bin with its list and an 8-byte sound bin, built with the default project.
BuildRun BuildPictureAndSound(const TempDir& dir) {
  WriteBytes(dir / "Picture-a.bin", Pattern(4, 0));
  WriteText(dir / "Picture-a-Addr.txt", EvenRows(2, 2));
  WriteBytes(dir / "Wav-a.bin", Pattern(8, 0));
  return Build(dir, {"Picture-a.bin", "Wav-a.bin"}, ProjectLines());
}

// Two picture bins with their address lists and a font bin listed between them, a bootloader and
// one command line: the three outputs byte for byte.
TEST(MakeBinTest, PicturesFontBootloaderAndCommandsLandWhereTheRulesSay) {
  TempDir dir;
  const auto pictureA = Pattern(0x1000, 1);
  const auto pictureB = Pattern(0x800, 2);
  const auto font = Pattern(0x300, 3);
  WriteBytes(dir / "PictureA.bin", pictureA);
  WriteText(dir / "PictureA-Addr.txt",
            Row(16, 16, 0, 0x200, "a1.bmp") + "\r\n" + Row(32, 32, 0x200, 0xE00, "a2.bmp"));
  WriteBytes(dir / "PictureB.bin", pictureB);
  WriteText(dir / "PictureB-Addr.txt", Row(8, 8, 0, 0x800, "b.bmp"));
  WriteBytes(dir / "Font_C1_16.bin", font);
  WriteBytes(dir / "Bootloader.bin", {0xA5, 0x5A, 0x01, 0x02, 0x03});
  WriteBytes(dir / "notes.bin", {1, 2, 3});  // no kind: not in the image

  const BuildRun run =
      Build(dir, {"Bootloader.bin", "PictureA.bin", "Font_C1_16.bin", "notes.bin", "PictureB.bin"},
            ProjectLines({"80h#00:1,2,3"}));
  ASSERT_TRUE(run.image);
  EXPECT_TRUE(run.messages.empty());
  const infoblock::InfoBlock& block = *run.image->block;

  EXPECT_EQ(Slice(block, 0, 6), (std::vector<std::uint8_t>{0xA5, 0x5A, 0x01, 0x02, 0x03, 0xFF}));
  EXPECT_TRUE(AllFF(block.Bytes().subspan(5, 0x200 - 5)));
  EXPECT_EQ(Slice(block, 0x200, 8),
            (std::vector<std::uint8_t>{0x18, 0x00, 0x01, 0x00, 0xFF, 0xFF, 0xFF, 0xFF}));
  EXPECT_EQ(Slice(block, 0x400, 0x23), kExampleSettings);
  EXPECT_EQ(Slice(block, 0x423, 7), (std::vector<std::uint8_t>{3, 3, 20, 24, 14, 5, 9}));
  EXPECT_EQ(Slice(block, 0x600, 2 + 36),
            (std::vector<std::uint8_t>{0x00, 0x03,                                      // picture count
                                       0x00, 0x10, 0x00, 0x10, 0x00, 0x02, 0x00, 0x00,  // a1
                                       0x00, 0x00, 0x02, 0x00,                          //
                                       0x00, 0x20, 0x00, 0x20, 0x00, 0x02, 0x02, 0x00,  // a2
                                       0x00, 0x00, 0x0E, 0x00,                          //
                                       0x00, 0x08, 0x00, 0x08, 0x00, 0x02, 0x10, 0x00,  // b
                                       0x00, 0x00, 0x08, 0x00}));
  EXPECT_TRUE(AllFF(block.Bytes().subspan(0x626, 0x1609 - 0x626)));
  EXPECT_EQ(Slice(block, 0x1609, 9),
            (std::vector<std::uint8_t>{16, 0x00, 0x02, 0x18, 0x00, 0x00, 0x00, 0x03, 0x00}));
  EXPECT_TRUE(AllFF(block.Bytes().subspan(0x1612, 0x1800 - 0x1612)));
  EXPECT_EQ(Slice(block, 0x1800, 7), (std::vector<std::uint8_t>{0x06, 0x00, 0x01, 0x02, 0x00, 0x03, 0xFF}));
  EXPECT_TRUE(AllFF(block.Bytes().subspan(0x7000)));

  EXPECT_EQ(run.image->report,
            "{16,16,0x00020000,0x00000200},//a1.bmp---Picture No.0\r\n"
            "{32,32,0x00020200,0x00000E00},//a2.bmp---Picture No.1\r\n"
            "{8,8,0x00021000,0x00000800},//b.bmp---Picture No.2\r\n"
            "{16,0x00021800,0x00000300},//Font_C1_16.bin\r\n");

  WriteInfoBin(dir / "demo.bin", *run.image);
  WriteReport(dir / "demo.txt", *run.image);
  ASSERT_TRUE(WriteFlashImage(dir / "Panelix_Flash.bin", *run.image));
  const std::vector<std::uint8_t> info(block.Written().begin(), block.Written().end());
  EXPECT_EQ(ReadBytes(dir / "demo.bin"), info);
  const std::string report = run.image->report;
  EXPECT_EQ(ReadBytes(dir / "demo.txt"), std::vector<std::uint8_t>(report.begin(), report.end()));
  EXPECT_EQ(ReadBytes(dir / "Panelix_Flash.bin"), Concat({info, pictureA, pictureB, font}));
}

TEST(MakeBinTest, BootloaderOnlyGivesTheBlockAsTheWholeImage) {
  TempDir dir;
  WriteBytes(dir / "Bootloader.bin", Pattern(367, 0));
  const BuildRun run = Build(dir, {"Bootloader.bin"}, ProjectLines());
  ASSERT_TRUE(run.image);
  EXPECT_EQ(Slice(*run.image->block, 0x600, 2), (std::vector<std::uint8_t>{0, 0}));
  EXPECT_EQ(Slice(*run.image->block, 0, 367), Pattern(367, 0));
  EXPECT_TRUE(AllFF(run.image->block->Bytes().subspan(367, 0x200 - 367)));
  ASSERT_TRUE(WriteFlashImage(dir / "flash.bin", *run.image));
  const auto written = run.image->block->Written();
  EXPECT_EQ(ReadBytes(dir / "flash.bin"), std::vector<std::uint8_t>(written.begin(), written.end()));
}

TEST(MakeBinTest, BootloaderProblemsLeaveItsRegionBlankAndGoOn) {
  struct Case {
    std::vector<std::string> bins;
    std::string message;
  };
  TempDir dir;
  WriteBytes(dir / "Bootloader1.bin", Pattern(16, 1));
  WriteBytes(dir / "Bootloader2.bin", Pattern(16, 1));
  WriteBytes(dir / "BootloaderBig.bin", Pattern(513, 1));
  for (const Case& c : {Case{{"Bootloader1.bin", "Bootloader2.bin"}, "There are too much bootloader files!"},
                        Case{{"BootloaderBig.bin"}, "The bootloader files is too large!"},
                        Case{{"BootloaderGone.bin"}, "Open fail!"}}) {
    SCOPED_TRACE(c.message);
    const BuildRun run = Build(dir, c.bins, ProjectLines());
    ASSERT_TRUE(run.image);
    EXPECT_EQ(run.messages, std::vector<std::string>{c.message});
    EXPECT_TRUE(AllFF(run.image->block->Bytes().subspan(0, 0x200)));
  }
}

// Number, ColorNum, KeyNum and Gif bins: their entries follow the Picture entries and their sets
// are what the commands that name a set look up.
TEST(MakeBinTest, SetKindsFillTheSetTables) {
  TempDir dir;
  WriteBytes(dir / "Picture-bg.bin", Pattern(4, 0));
  WriteText(dir / "Picture-bg-Addr.txt", EvenRows(2, 2));
  WriteBytes(dir / "Number-a.bin", Pattern(12, 0));
  WriteText(dir / "Number-a-Addr.txt", EvenRows(12, 1));
  WriteBytes(dir / "KeyNum-a.bin", Pattern(10, 0));
  WriteText(dir / "KeyNum-a-Addr.txt", EvenRows(5, 2));
  WriteBytes(dir / "Gif-a.bin", Pattern(6, 0));
  WriteText(dir / "Gif-a-Addr.txt", "//0\r\n" + EvenRows(3, 2));
  const BuildRun run = Build(dir, {"Gif-a.bin", "KeyNum-a.bin", "Number-a.bin", "Picture-bg.bin"},
                             ProjectLines({"90h#00PT:0,0x1234,5,6"}));
  ASSERT_TRUE(run.image);
  const infoblock::SetTables& sets = run.image->sets;
  EXPECT_EQ(sets.number.count, 1);
  EXPECT_EQ(sets.number.sets[0].first, 2);
  EXPECT_EQ(sets.number.sets[0].last, 13);
  EXPECT_EQ(sets.colorNum.count, 0);
  EXPECT_EQ(sets.keyNum.count, 1);
  EXPECT_EQ(sets.keyNum.sets[0].first, 14);
  EXPECT_EQ(sets.keyNum.sets[0].last, 18);
  EXPECT_EQ(sets.gif.count, 1);
  EXPECT_EQ(sets.gif.sets[0].first, 19);
  EXPECT_EQ(sets.gif.sets[0].last, 21);
  EXPECT_EQ(run.image->pictureCount, 22);
  // Image order: Picture, Number, KeyNum, Gif; entry 21 is the Gif's last frame, at 4 in the Gif bin,
  // which starts at 0x20000 + 4 + 12 + 10.
  EXPECT_EQ(Slice(*run.image->block, infoblock::PictureEntryOffset(21) + 4, 4),
            (std::vector<std::uint8_t>{0x00, 0x02, 0x00, 0x1E}));
  // The 90h line with "PT" names Number set 0: first 2, last 13.
  EXPECT_EQ(Slice(*run.image->block, 0x1800, 10),
            (std::vector<std::uint8_t>{0x00, 0x02, 0x00, 0x0D, 0x12, 0x34, 0x00, 0x05, 0x06, 0xFF}));
  EXPECT_EQ(run.image->report.substr(0, 55), "{1,1,0x00020000,0x00000002},//p0.bmp---Picture No.0\r\n{1");
  EXPECT_NE(run.image->report.find("\r\n{1,1,0x00020004,0x00000001},//p0.bmp\r\n"), std::string::npos);
}

// Sixteen sets fill a set table; a seventeenth bin gets no entries but keeps its place, so every
// later flash address still equals the bin's offset in the image.
TEST(MakeBinTest, BinsPastASetLimitKeepFlashAddressesTrue) {
  TempDir dir;
  std::vector<std::string> bins;
  for (int i = 0; i < 17; ++i) {
    const std::string name = "Number" + std::string(1, static_cast<char>('a' + i));
    WriteBytes(dir / (name + ".bin"), Pattern(12, 0));
    WriteText(dir / (name + "-Addr.txt"), EvenRows(12, 1));
    bins.push_back(name + ".bin");
  }
  WriteBytes(dir / "Cursor-arrow.bin", Pattern(256, 0));
  bins.push_back("Cursor-arrow.bin");
  const BuildRun run = Build(dir, bins, ProjectLines());
  ASSERT_TRUE(run.image);
  EXPECT_EQ(run.messages, std::vector<std::string>{"Number is over than 15"});
  EXPECT_EQ(run.image->sets.number.count, 16);
  EXPECT_EQ(run.image->sets.number.sets[15].first, 180);
  EXPECT_EQ(run.image->pictureCount, 16 * 12);
  ASSERT_EQ(run.image->bins.size(), 18u);
  EXPECT_EQ(run.image->bins[16].address, 0x20000u + 16 * 12);
  // The cursor lies behind all seventeen Number bins, in the table and in the image.
  EXPECT_EQ(Slice(*run.image->block, 0x1780, 8),
            (std::vector<std::uint8_t>{0x00, 0x02, 0x00, 0xCC, 0x00, 0x00, 0x01, 0x00}));
  ASSERT_TRUE(WriteFlashImage(dir / "flash.bin", *run.image));
  const auto image = ReadBytes(dir / "flash.bin");
  ASSERT_EQ(image.size(), 0x20000u + 17 * 12 + 256);
  EXPECT_EQ(std::vector<std::uint8_t>(image.begin() + 0x200CC, image.end()), Pattern(256, 0));
}

// Each set kind stops adding sets after its own limit with its own message; the limit bin itself
// is entered, the bins after it are not.
TEST(MakeBinTest, EachSetKindHasItsLimitAndMessage) {
  struct Case {
    const char* prefix;
    int sets;
    std::string message;
  };
  for (const Case& c :
       {Case{"Number", 16, "Number is over than 15"}, Case{"ColorNum", 16, "ColorNum is over than 15"},
        Case{"KeyNum", 16, "KeyNum is over than 15"}, Case{"Gif", 32, "Gif number is over than 10"}}) {
    SCOPED_TRACE(c.prefix);
    TempDir dir;
    std::vector<std::string> bins;
    for (int i = 0; i <= c.sets; ++i) {
      const std::string name = c.prefix + std::to_string(100 + i);
      WriteBytes(dir / (name + ".bin"), Pattern(2, 0));
      WriteText(dir / (name + "-Addr.txt"), "//0\r\n" + EvenRows(2, 1));
      bins.push_back(name + ".bin");
    }
    const BuildRun run = Build(dir, bins, ProjectLines());
    ASSERT_TRUE(run.image);
    EXPECT_EQ(run.messages, std::vector<std::string>{c.message});
    EXPECT_EQ(run.image->pictureCount, 2 * c.sets);
    const infoblock::SetTables& sets = run.image->sets;
    const int count = c.sets == 32                          ? sets.gif.count
                      : c.prefix == std::string("Number")   ? sets.number.count
                      : c.prefix == std::string("ColorNum") ? sets.colorNum.count
                                                            : sets.keyNum.count;
    EXPECT_EQ(count, c.sets);
    // The bin past the limit keeps its place in the image behind the last entered one.
    ASSERT_EQ(run.image->bins.size(), static_cast<std::size_t>(c.sets + 1));
    EXPECT_EQ(run.image->bins.back().address, 0x20000u + 2 * static_cast<std::uint32_t>(c.sets));
  }
}

// With the short block every flash address counts from 0x3000 and the image holds only its first
// 0x3000 bytes ahead of the bins.
TEST(MakeBinTest, ShortBlockCountsFlashAddressesFromItsEnd) {
  TempDir dir;
  WriteBytes(dir / "Picture-a.bin", Pattern(6, 0x10));
  WriteText(dir / "Picture-a-Addr.txt", Row(3, 1, 0, 6, "a.bmp"));
  WriteBytes(dir / "Gif-a.bin", Pattern(4, 0x20));
  // The GIF converter ends each frame row with LF CR LF: the lone CR lines are dropped and do not
  // count as lines.
  WriteText(dir / "Gif-a-Addr.txt",
            "//0\r\n{1, 2, 0x00000000, 0x00000002},//a.gif-Frames0\n\r\n"
            "{1, 2, 0x00000002, 0x00000002},//a.gif-Frames1\n\r\n");
  WriteBytes(dir / "Cursor-a.bin", Pattern(3, 0x30));
  MakeBinInput input{dir.Path(),
                     {"Cursor-a.bin", "Gif-a.bin", "Picture-a.bin"},
                     ProjectLines(),
                     infoblock::kSmallBlockSize,
                     kTime};
  const auto image = BuildInfoBlock(input, NoMessage, [](const auto&) {});
  ASSERT_TRUE(image);
  const infoblock::InfoBlock& block = *image->block;
  EXPECT_EQ(Slice(block, 0x600, 2 + 36),
            (std::vector<std::uint8_t>{0x00, 0x03,                                      //
                                       0x00, 0x03, 0x00, 0x01, 0x00, 0x00, 0x30, 0x00,  // a.bmp
                                       0x00, 0x00, 0x00, 0x06,                          //
                                       0x00, 0x01, 0x00, 0x02, 0x00, 0x00, 0x30, 0x06,  // Frames0
                                       0x00, 0x00, 0x00, 0x02,                          //
                                       0x00, 0x01, 0x00, 0x02, 0x00, 0x00, 0x30, 0x08,  // Frames1
                                       0x00, 0x00, 0x00, 0x02}));
  EXPECT_EQ(Slice(block, 0x1780, 9), (std::vector<std::uint8_t>{0x00, 0x00, 0x30, 0x0A, 0, 0, 0, 3, 0xFF}));
  EXPECT_EQ(image->sets.gif.sets[0].first, 1);
  EXPECT_EQ(image->sets.gif.sets[0].last, 2);
  EXPECT_EQ(image->report,
            "{3,1,0x00003000,0x00000006},//a.bmp---Picture No.0\r\n"
            "{1,2,0x00003006,0x00000002},//a.gif-Frames0\r\n"
            "{1,2,0x00003008,0x00000002},//a.gif-Frames1\r\n"
            "{0x0000300A,0x00000003},//Cursor-a.bin\r\n");
  ASSERT_TRUE(WriteFlashImage(dir / "flash.bin", *image));
  const std::vector<std::uint8_t> head(block.Written().begin(), block.Written().end());
  ASSERT_EQ(head.size(), 0x3000u);
  EXPECT_EQ(ReadBytes(dir / "flash.bin"),
            Concat({head, Pattern(6, 0x10), Pattern(4, 0x20), Pattern(3, 0x30)}));
}

TEST(MakeBinTest, SoundsCursorsAndFontSlots) {
  TempDir dir;
  WriteBytes(dir / "Wav-empty.bin", {});
  WriteBytes(dir / "Wav-beep.bin", Pattern(0x40, 0));
  WriteBytes(dir / "Font.bin", Pattern(0x10, 0));
  WriteBytes(dir / "Font_D2_24.bin", Pattern(0x20, 0));
  WriteBytes(dir / "Font_Dx_32.bin", Pattern(0x10, 0));
  WriteBytes(dir / "Cursor.bin", Pattern(0x100, 0));
  const BuildRun run = Build(
      dir, {"Cursor.bin", "Wav-empty.bin", "Wav-beep.bin", "Font.bin", "Font_D2_24.bin", "Font_Dx_32.bin"},
      ProjectLines());
  ASSERT_TRUE(run.image);
  const infoblock::InfoBlock& block = *run.image->block;
  EXPECT_EQ(Slice(block, 0x1600, 9), (std::vector<std::uint8_t>{255, 0x00, 0x02, 0x00, 0x00, 0, 0, 0, 0x10}));
  EXPECT_EQ(Slice(block, 0x1600 + 9 * 4, 9),
            (std::vector<std::uint8_t>{32, 0x00, 0x02, 0x00, 0x30, 0, 0, 0, 0x10}));
  EXPECT_EQ(Slice(block, 0x1600 + 9 * 6, 9),
            (std::vector<std::uint8_t>{24, 0x00, 0x02, 0x00, 0x10, 0, 0, 0, 0x20}));
  EXPECT_TRUE(AllFF(block.Bytes().subspan(0x1609, 27)));
  EXPECT_EQ(Slice(block, 0x1700, 10),
            (std::vector<std::uint8_t>{0, 0x00, 0x02, 0x00, 0x40, 0, 0, 0, 0x40, 0xFF}));
  EXPECT_EQ(Slice(block, 0x1780, 9),
            (std::vector<std::uint8_t>{0x00, 0x02, 0x00, 0x80, 0, 0, 0x01, 0x00, 0xFF}));
  EXPECT_EQ(run.image->report,
            "{255,0x00020000,0x00000010},//Font.bin\r\n"
            "{24,0x00020010,0x00000020},//Font_D2_24.bin\r\n"
            "{32,0x00020030,0x00000010},//Font_Dx_32.bin\r\n"
            "{0,0x00020040,0x00000040},//Wav-beep.bin\r\n"
            "{0x00020080,0x00000100},//Cursor.bin\r\n");
}

TEST(MakeBinTest, PictureTableContinuesAt0x7000AndStopsWhenFull) {
  TempDir dir;
  WriteBytes(dir / "Picture-many.bin", Pattern(342, 0));
  WriteText(dir / "Picture-many-Addr.txt", EvenRows(342, 1, 2, 3));
  BuildRun run = Build(dir, {"Picture-many.bin"}, ProjectLines());
  ASSERT_TRUE(run.image);
  const infoblock::InfoBlock& block = *run.image->block;
  EXPECT_EQ(Slice(block, 0x600, 2), (std::vector<std::uint8_t>{0x01, 0x56}));
  EXPECT_EQ(Slice(block, 0x15F2, 12),
            (std::vector<std::uint8_t>{0, 2, 0, 3, 0x00, 0x02, 0x01, 0x54, 0, 0, 0, 1}));
  EXPECT_TRUE(AllFF(block.Bytes().subspan(0x15FE, 2)));
  EXPECT_EQ(Slice(block, 0x7000, 12),
            (std::vector<std::uint8_t>{0, 2, 0, 3, 0x00, 0x02, 0x01, 0x55, 0, 0, 0, 1}));

  WriteBytes(dir / "Picture-full.bin", Pattern(infoblock::kMaxPictures + 1, 0));
  WriteText(dir / "Picture-full-Addr.txt", EvenRows(infoblock::kMaxPictures + 1, 1));
  EXPECT_THROW(
      {
        try {
          Build(dir, {"Picture-full.bin"}, ProjectLines());
        } catch (const Error& e) {
          EXPECT_STREQ(e.what(), "There are too many pictures! The picture table holds 8874.");
          throw;
        }
      },
      Error);
}

std::string FailureOf(const TempDir& dir, const std::vector<std::string>& bins,
                      const std::vector<std::string>& lines) {
  try {
    const BuildRun run = Build(dir, bins, lines);
    return run.image ? "built" : "stopped";
  } catch (const Error& e) {
    return e.what();
  }
}

TEST(MakeBinTest, FailuresStopBeforeAnythingIsWritten) {
  TempDir dir;
  WriteBytes(dir / "Picture-a.bin", Pattern(4, 0));
  WriteText(dir / "Picture-a-Addr.txt", EvenRows(2, 2));
  WriteBytes(dir / "Picture-nolist.bin", Pattern(4, 0));
  WriteBytes(dir / "Picture-empty.bin", Pattern(4, 0));
  WriteText(dir / "Picture-empty-Addr.txt", "\r\n");
  WriteBytes(dir / "Picture-bad.bin", Pattern(4, 0));
  WriteText(dir / "Picture-bad-Addr.txt", "{12F, 2, 0x0, 0x4},//x\r\n");
  // Lists that do not describe their bins: rows short of the bin, rows past it, no row at all.
  WriteBytes(dir / "Picture-short.bin", Pattern(6, 0));
  WriteText(dir / "Picture-short-Addr.txt", EvenRows(2, 2));
  WriteBytes(dir / "Picture-long.bin", Pattern(3, 0));
  WriteText(dir / "Picture-long-Addr.txt", EvenRows(2, 2));
  WriteBytes(dir / "Picture-norow.bin", Pattern(4, 0));
  WriteText(dir / "Picture-norow-Addr.txt", "//0\r\nFail to convert x.png\r\n");
  std::vector<std::string> missingKey = ProjectLines();
  missingKey.erase(missingKey.begin() + 10);  // YSIZE
  std::vector<std::string> badInfoNumber = ProjectLines();
  badInfoNumber[10] = "XSIZE = wide";
  const std::string dirText = dir.Path().string();

  struct Case {
    std::vector<std::string> bins;
    std::vector<std::string> lines;
    std::string expected;
  };
  const std::vector<Case> cases{
      {{}, ProjectLines(), "There aren't any picture data!"},
      {{"Picture-a.bin"}, {"[INFO]", "a", "b", "c"}, "There aren't any info data!"},
      {{"Picture-nolist.bin"}, ProjectLines(), "Open " + dirText + "/Picture-nolist-Addr.txt fail!"},
      {{"Picture-empty.bin"}, ProjectLines(), "Open " + dirText + "/Picture-empty-Addr.txt fail!"},
      {{"Picture-bad.bin"}, ProjectLines(), "'12F' is not a valid integer value"},
      {{"Picture-short.bin"},
       ProjectLines(),
       "The rows of " + dirText + "/Picture-short-Addr.txt add up to 4 bytes, but " + dirText +
           "/Picture-short.bin holds 6 bytes!"},
      {{"Picture-long.bin"},
       ProjectLines(),
       "The rows of " + dirText + "/Picture-long-Addr.txt add up to 4 bytes, but " + dirText +
           "/Picture-long.bin holds 3 bytes!"},
      {{"Picture-norow.bin"},
       ProjectLines(),
       dirText + "/Picture-norow-Addr.txt has no valid row for " + dirText + "/Picture-norow.bin!"},
      {{"Picture-a.bin"}, missingKey, "Module info error!"},
      {{"Picture-a.bin"}, {"[INFO]", "a", "b", "c", "d", "e"}, "Module info error!"},
      {{"Picture-a.bin"}, badInfoNumber, "'' is not a valid integer value"},
      {{"Picture-a.bin", "Font-gone.bin"}, ProjectLines(), "Can't open " + dirText + "/Font-gone.bin"},
      {{"Picture-a.bin"}, ProjectLines({"82h#00:1,,3"}), "'' is not a valid integer value"},
      {{"Picture-a.bin"}, ProjectLines({"82h#00:1,2", "82h#01:12F"}), "built"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.expected);
    EXPECT_EQ(FailureOf(dir, c.bins, c.lines), c.expected);
  }
  std::vector<std::string> lines = ProjectLines();
  lines.pop_back();
  lines.push_back("; [USERCMD] from here on");  // the line need only hold the text
  EXPECT_EQ(FailureOf(dir, {"Picture-a.bin"}, lines), "built");
  lines.back() = "[USER CMD]";
  EXPECT_EQ(FailureOf(dir, {"Picture-a.bin"}, lines), "stopped");
  // No file was written by any of these.
  for (const auto& entry : fs::directory_iterator(dir.Path())) {
    const std::string name = entry.path().filename().string();
    EXPECT_TRUE(name.starts_with("Picture-")) << name;
  }
}

TEST(MakeBinTest, OutOfOrderCommandsStopWithTheirReport) {
  TempDir dir;
  WriteBytes(dir / "Picture-a.bin", Pattern(4, 0));
  WriteText(dir / "Picture-a-Addr.txt", EvenRows(2, 2));
  const BuildRun run = Build(dir, {"Picture-a.bin"}, ProjectLines({"80h#01:1,2,3", "80h#00:1,2,3"}));
  EXPECT_FALSE(run.image);
  EXPECT_EQ(run.orderReport,
            (std::vector<std::string>{"Command 80h error:", "80h#01:1,2,3", "80h#00:1,2,3", "",
                                      "New command 80h:", "80h#00:1,2,3", "80h#01:1,2,3", ""}));
}

TEST(MakeBinTest, InfoBinReportAndImageAppearTogetherOrNotAtAll) {
  TempDir dir;
  WriteBytes(dir / "Picture-a.bin", Pattern(4, 0));
  WriteText(dir / "Picture-a-Addr.txt", EvenRows(2, 2));
  const BuildRun run = Build(dir, {"Picture-a.bin"}, ProjectLines());
  ASSERT_TRUE(run.image);
  const auto info = dir / "UserInfo.bin";
  const auto report = dir / "UserInfo.txt";
  const auto flash = dir / "flash.bin";
  const OldFiles old({info, report, flash});
  for (const FileFaults faults :
       {FileFaults{.failWrite = 1}, FileFaults{.failWrite = 4}, FileFaults{.failCommit = true}}) {
    old.Write();
    SetFileFaults(faults);
    EXPECT_THROW(
        {
          MakeOutputs outputs(*run.image);
          outputs.WriteInfo(info, report);
          outputs.WriteImage(flash);
          outputs.Commit();
        },
        Error);
    SetFileFaults({});
    old.ExpectKept();
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path()), {}), 5);
  }
  MakeOutputs outputs(*run.image);
  outputs.WriteInfo(info, report);
  ASSERT_TRUE(outputs.WriteImage(flash));
  outputs.Commit();
  EXPECT_EQ(ReadBytes(flash).size(), 0x20000u + 4);

  // Outputs that would overwrite a file the image was built from or each other are refused before
  // writing.
  const std::string bin = (dir / "Picture-a.bin").string();
  const std::string list = (dir / "Picture-a-Addr.txt").string();
  struct Case {
    fs::path info, report, flash;
    std::string message;
  };
  const std::vector<Case> cases{
      {info, report, bin, "The output " + bin + " would overwrite the input " + bin + "."},
      {info, report, info, "The outputs " + info.string() + " and " + info.string() + " are the same file."},
      {info, info, flash, "The outputs " + info.string() + " and " + info.string() + " are the same file."},
      {info, list, flash, "The output " + list + " would overwrite the input " + list + "."},
  };
  for (const Case& c : cases) {
    try {
      MakeOutputs refused(*run.image);
      refused.WriteInfo(c.info, c.report);
      refused.WriteImage(c.flash);
      ADD_FAILURE() << "no error";
    } catch (const Error& e) {
      EXPECT_EQ(std::string(e.what()), c.message);
    }
  }
  EXPECT_EQ(ReadBytes(bin), Pattern(4, 0));
}

TEST(MakeBinTest, ImageStopsWhenABinVanishedOrChangedAndKeepsTheOldImage) {
  TempDir dir;
  const BuildRun run = BuildPictureAndSound(dir);
  ASSERT_TRUE(run.image);
  WriteBytes(dir / "flash.bin", {1, 2, 3});

  const std::string bin = (dir / "Wav-a.bin").string();
  struct Case {
    const char* what;
    std::function<void()> change;
    std::string message;
  };
  const std::vector<Case> cases{
      {"grown", [&] { WriteBytes(bin, Pattern(9, 0)); }, bin + " has changed since Make Bin read it!"},
      {"shrunk", [&] { WriteBytes(bin, Pattern(7, 0)); }, bin + " has changed since Make Bin read it!"},
      {"unreadable", [&] { fs::remove(bin), fs::create_directory(bin); }, "Can't open " + bin},
      {"gone", [&] { fs::remove(bin); }, "Can't open " + bin},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    c.change();
    try {
      WriteFlashImage(dir / "flash.bin", *run.image);
      ADD_FAILURE() << "no error";
    } catch (const Error& e) {
      EXPECT_EQ(std::string(e.what()), c.message);
    }
    EXPECT_EQ(ReadBytes(dir / "flash.bin"), (std::vector<std::uint8_t>{1, 2, 3}));
  }
  EXPECT_THROW(WriteFlashImage(dir / "no-such-folder" / "flash.bin", *run.image), Error);

  // With the bin back, the new image replaces the old one and nothing is left beside it.
  WriteBytes(dir / "Wav-a.bin", Pattern(8, 0));
  ASSERT_TRUE(WriteFlashImage(dir / "flash.bin", *run.image));
  EXPECT_EQ(ReadBytes(dir / "flash.bin").size(), 0x20000u + 4 + 8);
  int files = 0;
  for ([[maybe_unused]] const auto& entry : fs::directory_iterator(dir.Path())) {
    ++files;
  }
  EXPECT_EQ(files, 4);
}

TEST(MakeBinTest, AStopAtAnyProgressCallLeavesTheOldImage) {
  TempDir dir;
  const BuildRun run = BuildPictureAndSound(dir);
  ASSERT_TRUE(run.image);
  std::size_t calls = 0;
  const auto counted = [&calls](std::size_t stopAt) {
    return [&calls, stopAt](std::int64_t, std::int64_t) { return ++calls != stopAt; };
  };
  ASSERT_TRUE(WriteFlashImage(dir / "full.bin", *run.image, counted(0)));
  const std::size_t total = calls;
  ASSERT_GT(total, 1U);
  const auto info = dir / "UserInfo.bin";
  const auto report = dir / "UserInfo.txt";
  const auto flash = dir / "flash.bin";
  for (std::size_t stop = 1; stop <= total; ++stop) {
    SCOPED_TRACE(stop);
    for (const auto& old : {info, report, flash}) {
      WriteText(old, "old");
    }
    calls = 0;
    EXPECT_FALSE(WriteFlashImage(flash, *run.image, counted(stop)));
    EXPECT_EQ(calls, stop);
    calls = 0;
    {
      // Make Bin's outputs are not put in place when the image was stopped.
      MakeOutputs outputs(*run.image);
      outputs.WriteInfo(info, report);
      EXPECT_FALSE(outputs.WriteImage(flash, counted(stop)));
    }
    for (const auto& old : {info, report, flash}) {
      EXPECT_EQ(ReadBytes(old), (std::vector<std::uint8_t>{'o', 'l', 'd'}));
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path()), {}), 7);
  }
}

TEST(MakeBinTest, OutputNames) {
  struct Case {
    const char* typed;
    const char* info;
    const char* report;
  };
  for (const Case& c : {Case{"demo", "demo.bin", "demo.txt"}, Case{"demo.bin", "demo.bin", "demo.bin.txt"},
                        Case{"UserInfo.txt", "UserInfo.txt.bin", "UserInfo.txt"}}) {
    SCOPED_TRACE(c.typed);
    EXPECT_EQ(InfoBinName(c.typed), c.info);
    EXPECT_EQ(ReportName(c.typed), c.report);
  }
  EXPECT_THROW(InfoBinName(""), Error);
}

TEST(MakeBinTest, RepeatedBuildsDifferOnlyInTheBuildTime) {
  TempDir dir;
  WriteBytes(dir / "Picture-a.bin", Pattern(4, 0));
  WriteText(dir / "Picture-a-Addr.txt", EvenRows(2, 2));
  const BuildRun first = Build(dir, {"Picture-a.bin"}, ProjectLines({"82h#00:1,2"}));
  MakeBinInput input{dir.Path(),
                     {"Picture-a.bin"},
                     ProjectLines({"82h#00:1,2"}),
                     infoblock::kLargeBlockSize,
                     {2031, 12, 31, 23, 59, 58}};
  const auto second = BuildInfoBlock(input, NoMessage, [](const auto&) {});
  ASSERT_TRUE(first.image && second);
  std::vector<std::uint8_t> a(first.image->block->Written().begin(), first.image->block->Written().end());
  std::vector<std::uint8_t> b(second->block->Written().begin(), second->block->Written().end());
  EXPECT_EQ(std::vector<std::uint8_t>(b.begin() + 0x423, b.begin() + 0x42A),
            (std::vector<std::uint8_t>{12, 31, 20, 31, 23, 59, 58}));
  std::copy(a.begin() + 0x423, a.begin() + 0x42A, b.begin() + 0x423);
  EXPECT_EQ(a, b);
}

}  // namespace
}  // namespace panelix::project
