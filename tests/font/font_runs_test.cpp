#include "font/font_runs.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <iterator>
#include <thread>

#include "base/error.h"
#include "base/files.h"
#include "font/code_sets.h"
#include "font/glyph_renderer.h"
#include "support/cli_runner.h"

namespace panelix::font {
namespace {

using test::ReadBytes;
using test::TempDir;

int InkInside(const GlyphCell& cell, int limit) {
  return static_cast<int>(std::count_if(cell.pixels.begin(), cell.pixels.end(),
                                        [limit](std::uint32_t p) { return Level(p) < limit; }));
}

TEST(StringBinHead, HeaderAndCodeTable) {
  TextConverter converter;
  const std::vector<std::uint8_t> head = StringBinHead({u"AB中"}, 16, 16, 936, converter);
  EXPECT_EQ(head, (std::vector<std::uint8_t>{'C', 'X', '9', 'x', 'F', 'o', 'n', 't', 0x00, 0x03, 0x10, 0x10,
                                             0x00, 0x41, 0x00, 0x42, 0xD6, 0xD0}));
  // Line breaks give no entries; W' and H' are the rotated sizes, low 8 bits.
  const std::vector<std::uint8_t> two = StringBinHead({u"ab", u"c"}, 24, 0x110, 936, converter);
  EXPECT_EQ(two, (std::vector<std::uint8_t>{'C', 'X', '9', 'x', 'F', 'o', 'n', 't', 0x00, 0x03, 24, 0x10,
                                            0x00, 'a', 0x00, 'b', 0x00, 'c'}));
  EXPECT_EQ(StringBinHead({}, 16, 16, 936, converter).size(), 12u);
}

TEST(StringBinHead, UnrepresentableCharactersAndTheWalk) {
  TextConverter converter;
  struct Case {
    std::u16string line;
    std::vector<std::uint8_t> table;
  };
  const Case cases[] = {
      {u"\uAC00x", {0x00, 0x3F, 0x00, 'x'}},      // Hangul is not in 936: "?"
      {u"\U0001F600", {0x00, 0x3F, 0x00, 0x3F}},  // each half of the pair is "?"
      {u"\u20ACA", {0x80, 0x41, 0x00, 0x00}},     // euro is the single byte 0x80: it takes "A" along
      {u"\u83EF", {0xC8, 0x41}},                  // 華 is in GBK
  };
  for (const Case& c : cases) {
    const std::vector<std::uint8_t> head = StringBinHead({c.line}, 16, 16, 936, converter);
    EXPECT_EQ(std::vector<std::uint8_t>(head.begin() + 12, head.end()), c.table);
  }
  EXPECT_THROW(StringBinHead({std::u16string(65536, u'a')}, 16, 16, 936, converter), Error);
  EXPECT_EQ(StringBinHead({std::u16string(65535, u'a')}, 16, 16, 936, converter).size(), 12u + 2 * 65535);
}

TEST(StringBinLines, KeepACrThatEndsTheFile) {
  EXPECT_EQ(StringBinLines(u"ab\r\nc"), (std::vector<std::u16string>{u"ab", u"c"}));
  EXPECT_EQ(StringBinLines(u"ab\nc\n"), (std::vector<std::u16string>{u"ab", u"c"}));
  EXPECT_EQ(StringBinLines(u"\n\nx"), (std::vector<std::u16string>{u"", u"", u"x"}));
  EXPECT_TRUE(StringBinLines(u"").empty());
  EXPECT_EQ(StringBinLines(u"ab\r\nc\r"), (std::vector<std::u16string>{u"ab", u"c\r"}));
  EXPECT_EQ(StringBinTexts({u"ab", u"c"}), (std::vector<std::u16string>{u"a", u"b", u"c"}));
}

TEST(HexDump, EightEntriesPerLine) {
  std::vector<std::uint8_t> bytes(9, 0xAB);
  bytes[0] = 0x0F;
  EXPECT_EQ(HexDump(bytes),
            "0x0F, 0xAB, 0xAB, 0xAB, 0xAB, 0xAB, 0xAB, 0xAB, \r\n"
            "0xAB, ");
  EXPECT_EQ(HexDump(std::vector<std::uint8_t>(32)).size(), 32u * 6 + 4 * 2);
}

TEST(SaveLibrary, NamesAndReplacement) {
  TempDir dir;
  const std::string fontA = (dir / "fontA").string();
  EXPECT_EQ(SaveLibrary(fontA, std::vector<std::uint8_t>{1, 2, 3}), fontA + ".bin");
  EXPECT_EQ(SaveLibrary((dir / "x.BIN").string(), std::vector<std::uint8_t>{1}),
            (dir / "x.BIN.bin").string());
  // A shorter library over a longer file leaves exactly the new bytes.
  SaveLibrary(fontA + ".bin", std::vector<std::uint8_t>{9});
  EXPECT_EQ(ReadBytes(fontA + ".bin"), std::vector<std::uint8_t>{9});
  try {
    SaveLibrary("", std::vector<std::uint8_t>{1});
    FAIL();
  } catch (const Error& e) {
    EXPECT_STREQ(e.what(), "Error file's name");
  }
  try {
    SaveLibrary((dir / "missing" / "f.bin").string(), std::vector<std::uint8_t>{1});
    FAIL();
  } catch (const Error& e) {
    EXPECT_STREQ(e.what(), "open Creat file error!\n");
  }
}

// A failing write or rename, or an input in the output's place, leaves the old file as it was.
TEST(SaveLibrary, AFailureKeepsTheOldFile) {
  TempDir dir;
  const std::string font = (dir / "font.bin").string();
  const std::vector<std::uint8_t> old{'o', 'l', 'd'};
  struct Case {
    FileFaults faults;
    std::vector<std::filesystem::path> inputs;
    std::string message;
  } cases[] = {
      {{.failWrite = 1}, {}, "open Creat file error!\n"},
      {{.failCommit = true}, {}, "open Creat file error!\n"},
      {{}, {font}, "The output " + font + " would overwrite the input " + font + "."},
  };
  for (const Case& c : cases) {
    test::WriteBytes(font, old);
    SetFileFaults(c.faults);
    try {
      SaveLibrary(font, std::vector<std::uint8_t>(4096, 1), c.inputs);
      ADD_FAILURE() << c.message;
    } catch (const Error& e) {
      EXPECT_EQ(e.what(), c.message);
    }
    SetFileFaults({});
    EXPECT_EQ(ReadBytes(font), old);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 1);
  }
}

TEST(ResolveFont, DefaultFaceFallsBackToAnInstalledCjkFace) {
  const FontSource source = ResolveFont(FontChoice{});
  EXPECT_FALSE(source.path.empty());
  GlyphRenderer renderer(source, 14);
  const GlyphCell cell = renderer.RenderGlyph(u"汉", RenderSettings{});
  EXPECT_GT(InkInside(cell, 200), 20) << source.path;
  // The ink starts at the text origin (2, 1): nothing in the first two columns or the top row.
  for (int y = 0; y < cell.height; ++y) {
    EXPECT_EQ(Level(cell.At(0, y)), 255);
  }
  for (int x = 0; x < cell.width; ++x) {
    EXPECT_EQ(Level(cell.At(x, 0)), 255);
  }
}

TEST(GlyphRenderer, ClipsAtTheCellAndMovesWithTheOrigin) {
  GlyphRenderer renderer(ResolveFont(FontChoice{}), 14);
  RenderSettings settings;
  settings.width = 8;
  // Two characters in an 8-pixel cell: no wrap, nothing below the first line's box.
  const GlyphCell two = renderer.RenderGlyph(u"汉字", settings);
  EXPECT_EQ(two.pixels.size(), 8u * 16u);
  EXPECT_GT(InkInside(two, 200), 0);
  settings.width = 16;
  settings.originX = 100;  // drawn entirely outside: an empty glyph
  EXPECT_EQ(InkInside(renderer.RenderGlyph(u"汉", settings), 255), 0);
  settings.originX = 2;
  EXPECT_EQ(InkInside(renderer.RenderGlyph(u"", settings), 255), 0);
  settings.rotation = Rotation::Left90;
  settings.height = 24;
  const GlyphCell turned = renderer.RenderGlyph(u"汉", settings);
  EXPECT_EQ(turned.width, 24);
  EXPECT_EQ(turned.height, 16);
}

TEST(RenderGlyphs, ThreadsGiveTheSameBytesAndStopWritesNothing) {
  TextConverter converter;
  const LibraryPlan plan = PlanLibrary({CodeSet::Gb2312, 0xB0A1, 0xB1FE, true, false, 936}, converter);
  GlyphJob job;
  const auto one = RenderGlyphs(job, plan.texts, NoProgress);
  ASSERT_TRUE(one.has_value());
  EXPECT_EQ(one->size(), 188u * 32u);
  job.threads = 2;
  EXPECT_EQ(RenderGlyphs(job, plan.texts, NoProgress), one);
  const LibraryPlan many = PlanLibrary({CodeSet::Gb2312, 0xB0A1, 0xD7FE, true, false, 936}, converter);
  for (int threads : {1, 2}) {
    job.threads = threads;
    std::int64_t calls = 0;
    const auto stopped = RenderGlyphs(job, many.texts, [&calls](std::int64_t done, std::int64_t total) {
      ++calls;
      EXPECT_LT(done, total);
      return done < 10;
    });
    EXPECT_FALSE(stopped.has_value());
    EXPECT_GT(calls, 0);
  }
  // Glyph 0 of the library is 啊 at B0A1: it has ink.
  EXPECT_TRUE(std::any_of(one->begin(), one->begin() + 32, [](std::uint8_t b) { return b != 0; }));
  job.settings.width = 300;
  EXPECT_THROW(RenderGlyphs(job, plan.texts, NoProgress), Error);
}

TEST(RenderGlyphs, CellsThatHoldNoGlyphAreRefused) {
  struct Case {
    int width, height;
    const char* message;
  };
  const Case cases[] = {
      {7, 16, "A font cell must be at least 8 pixels wide and 1 pixel high (Font Width 7, Font Height 16)."},
      {0, 16, "A font cell must be at least 8 pixels wide and 1 pixel high (Font Width 0, Font Height 16)."},
      {16, 0, "A font cell must be at least 8 pixels wide and 1 pixel high (Font Width 16, Font Height 0)."},
  };
  for (const Case& c : cases) {
    GlyphJob job;
    job.settings.width = c.width;
    job.settings.height = c.height;
    try {
      RenderGlyphs(job, AsciiTexts(), NoProgress);
      ADD_FAILURE() << c.message;
    } catch (const Error& e) {
      EXPECT_STREQ(e.what(), c.message);
    }
  }
  GlyphJob job;
  job.settings.width = 8;
  job.settings.height = 1;
  EXPECT_TRUE(RenderGlyphs(job, AsciiTexts(), NoProgress).has_value());
}

// A failing worker must end the run with its failure, whichever thread it is on; the calling
// thread must not wait for the failed one for ever.
TEST(RunInParallel, AFailingThreadEndsTheRunWithItsMessage) {
  for (const int failingThread : {0, 1, 3}) {
    SCOPED_TRACE(failingThread);
    std::atomic<int> done{0};
    const ParallelWork work = [&](int thread, std::size_t) {
      if (thread == failingThread) {
        throw Error("The glyph could not be drawn.");
      }
      // The other threads take their time, so the failing one gets its share of the items.
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
      ++done;
    };
    try {
      RunInParallel(2000, 4, work, [](std::int64_t, std::int64_t) { return true; });
      ADD_FAILURE() << "no failure";
    } catch (const Error& e) {
      EXPECT_STREQ(e.what(), "The glyph could not be drawn.");
    }
    EXPECT_LT(done.load(), 2000);
  }
}

}  // namespace
}  // namespace panelix::font
