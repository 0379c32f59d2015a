#include "wav/wav_reader.h"

#include <gtest/gtest.h>

#include "base/error.h"
#include "support/cli_runner.h"
#include "wav_fixture.h"

namespace panelix::wav {
namespace {

using test::DataChunk;
using test::MakeWav;
using test::PutChunk;
using test::WavSpec;

struct Parsed {
  WavInfo info;
  std::vector<std::string> messages;
};

Parsed Parse(const std::vector<std::uint8_t>& file) {
  Parsed p;
  p.info = ParseWav(file, [&p](const std::string& m) { p.messages.push_back(m); });
  return p;
}

TEST(WavReader, WalksTheChunkShapes) {
  std::vector<std::uint8_t> list;
  PutChunk(list, "LIST", {'I', 'N', 'F', 'O', 0, 0}, 6);
  std::vector<std::uint8_t> fact;
  PutChunk(fact, "fact", {1, 2, 3, 4}, 4);
  std::vector<std::uint8_t> junk;
  PutChunk(junk, "JUNK", {0, 0}, 2);
  std::vector<std::uint8_t> oddThenList = DataChunk({1, 2, 3});
  oddThenList.insert(oddThenList.end(), list.begin(), list.end());
  std::vector<std::uint8_t> lowerData;
  PutChunk(lowerData, "DATA", {1, 2}, 2);

  struct Case {
    const char* name;
    WavSpec spec;
    std::vector<std::uint8_t> chunks;
    std::uint32_t dataOffset;
    std::uint32_t dataSize;
    bool chunkError;
  };
  const std::vector<Case> cases{
      {"canonical", {}, DataChunk(std::vector<std::uint8_t>(100)), 44, 100, false},
      {"18-byte format", {2, 16, 44100, 18}, DataChunk(std::vector<std::uint8_t>(8)), 46, 8, false},
      {"LIST then fact then data",
       {},
       [&] {
         auto c = list;
         c.insert(c.end(), fact.begin(), fact.end());
         auto d = DataChunk({9, 9});
         c.insert(c.end(), d.begin(), d.end());
         return c;
       }(),
       44 + 14 + 12,
       2,
       false},
      {"JUNK hides the data after it",
       {},
       [&] {
         auto c = junk;
         auto d = DataChunk({9, 9});
         c.insert(c.end(), d.begin(), d.end());
         return c;
       }(),
       0,
       0,
       true},
      {"odd data size, no pad byte", {}, oddThenList, 44, 3, false},
      {"ids are case-sensitive", {}, lowerData, 0, 0, true},
      {"no data chunk", {}, {}, 0, 0, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const auto file = MakeWav(c.spec, c.chunks);
    const Parsed p = Parse(file);
    EXPECT_EQ(p.info.fileSize, file.size());
    EXPECT_EQ(p.info.dataOffset, c.dataOffset);
    EXPECT_EQ(p.info.dataSize, c.dataSize);
    EXPECT_TRUE(p.info.valid);
    EXPECT_FALSE(p.info.truncated);
    EXPECT_EQ(p.messages,
              c.chunkError ? std::vector<std::string>{"Error Chunk!"} : std::vector<std::string>{});
  }
}

TEST(WavReader, TakesTheFormatFieldsAndJudgesThem) {
  struct Case {
    WavSpec spec;
    bool valid;
    std::vector<std::string> messages;
  };
  const Case cases[] = {
      {{1, 8, 8000}, true, {}},
      {{2, 16, 22050}, true, {}},
      {{2, 24, 48000}, false, {"Can't support 24 BitsPerSample wav files"}},
      {{6, 16, 48000}, false, {"Can't support 6 channels wav files"}},
      {{0, 32, 48000},
       false,
       {"Can't support 0 channels wav files", "Can't support 32 BitsPerSample wav files"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.spec.channels << " ch " << c.spec.bits << " bits");
    const Parsed p = Parse(MakeWav(c.spec, DataChunk({0, 0, 0, 0})));
    EXPECT_EQ(p.info.formatTag, 1);
    EXPECT_EQ(p.info.channels, c.spec.channels);
    EXPECT_EQ(p.info.bitsPerSample, c.spec.bits);
    EXPECT_EQ(p.info.sampleRate, c.spec.rate);
    EXPECT_EQ(p.info.byteRate, c.spec.rate * c.spec.channels * c.spec.bits / 8);
    EXPECT_EQ(p.info.valid, c.valid);
    EXPECT_EQ(p.messages, c.messages);
  }
}

TEST(WavReader, NeverReadsPastATruncatedFile) {
  const auto whole = MakeWav({}, DataChunk(std::vector<std::uint8_t>(40, 0x11)));
  // Every cut of a canonical file: fields past the cut read as 0, the data counts what is there.
  // Cut right after the format chunk, the file is whole but has no data chunk.
  for (std::size_t cut = 0; cut < whole.size(); ++cut) {
    SCOPED_TRACE(cut);
    const std::vector<std::uint8_t> file(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(cut));
    const Parsed p = Parse(file);
    EXPECT_EQ(p.info.truncated, cut != 36);
    EXPECT_EQ(p.messages, cut == 36 ? std::vector<std::string>{}
                                    : std::vector<std::string>{"The wav file is truncated!"});
    EXPECT_EQ(p.info.valid, cut >= 36);
    if (cut > 44) {
      EXPECT_EQ(p.info.dataOffset, 44U);
      EXPECT_EQ(p.info.dataSize, cut - 44);
    } else {
      EXPECT_EQ(p.info.dataSize, 0U);
    }
  }
  // A huge size in a skipped chunk or the format chunk ends the walk, it does not wrap around.
  std::vector<std::uint8_t> huge;
  PutChunk(huge, "LIST", {}, 0xFFFFFFF8U);
  auto d = DataChunk({1});
  huge.insert(huge.end(), d.begin(), d.end());
  const Parsed p = Parse(MakeWav({}, huge));
  EXPECT_TRUE(p.info.truncated);
  EXPECT_EQ(p.info.dataSize, 0U);
  auto badFormat = MakeWav({}, DataChunk({1, 2}));
  badFormat[16] = badFormat[17] = badFormat[18] = badFormat[19] = 0xFF;
  EXPECT_TRUE(Parse(badFormat).info.truncated);
}

TEST(WavReader, LoadReportsAFileItCannotRead) {
  panelix::test::TempDir dir;
  try {
    LoadWav((dir / "none.wav").string(), NoMessage);
    ADD_FAILURE() << "no error";
  } catch (const Error& e) {
    EXPECT_STREQ(e.what(), "打开文件失败!");
  }
  const auto path = (dir / "a.wav").string();
  panelix::test::WriteBytes(path, MakeWav({1, 8, 8000}, DataChunk({1, 2, 3})));
  const WavInfo info = LoadWav(path, NoMessage);
  EXPECT_EQ(info.fileName, path);
  EXPECT_EQ(info.dataSize, 3U);
}

}  // namespace
}  // namespace panelix::wav
