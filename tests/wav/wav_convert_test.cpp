#include "wav/wav_convert.h"

#include <gtest/gtest.h>

#include "base/error.h"
#include "base/files.h"
#include "support/cli_runner.h"
#include "wav_fixture.h"

namespace panelix::wav {
namespace {

using test::DataChunk;
using test::MakeWav;
using test::Ramp;
using test::WavSpec;

struct Converted {
  std::uint64_t size = 0;
  std::vector<std::uint8_t> bin;
  std::vector<std::string> messages;
};

Converted Convert(const std::vector<std::uint8_t>& file, const WavOptions& options) {
  Converted c;
  const WavInfo info = ParseWav(file, NoMessage);
  c.size = BinDataSize(info, options, [&c](const std::string& m) { c.messages.push_back(m); });
  c.bin = ConvertWav(file, info, options, c.size).value();
  return c;
}

// The bytes at the given positions of every step-th frame of data.
std::vector<std::uint8_t> Pick(const std::vector<std::uint8_t>& data, std::size_t frameBytes,
                               std::size_t step, std::vector<std::size_t> at, std::size_t limit) {
  std::vector<std::uint8_t> out;
  for (std::size_t start = 0; start < data.size() && out.size() < limit; start += frameBytes * step) {
    for (auto i : at) {
      if (out.size() < limit) {
        out.push_back(data[start + i]);
      }
    }
  }
  return out;
}

TEST(WavConvert, SampleTableOfEveryChannelAndWidth) {
  const auto data = Ramp(64);
  struct Case {
    WavSpec spec;
    WavOptions options;
    std::vector<std::size_t> at;  // byte positions within a frame
    std::size_t size;
  };
  using C = ChannelChoice;
  using B = BitsChoice;
  const Case cases[] = {
      {{2, 16}, {C::Left, B::Bits16, 1}, {0, 1}, 32},      {{2, 16}, {C::Right, B::Bits16, 1}, {2, 3}, 32},
      {{2, 16}, {C::Two, B::Bits16, 1}, {0, 1, 2, 3}, 64}, {{2, 16}, {C::Left, B::Bits8, 2}, {1}, 8},
      {{2, 16}, {C::Right, B::Bits8, 1}, {3}, 16},         {{2, 16}, {C::Two, B::Bits8, 4}, {1, 3}, 8},
      {{1, 16}, {C::Left, B::Bits16, 1}, {0, 1}, 64},      {{1, 16}, {C::Right, B::Bits16, 2}, {0, 1}, 32},
      {{1, 16}, {C::Right, B::Bits8, 1}, {1}, 32},         {{2, 8}, {C::Left, B::Bits8, 1}, {0}, 32},
      {{2, 8}, {C::Right, B::Bits8, 8}, {1}, 4},           {{2, 8}, {C::Two, B::Bits8, 2}, {0, 1}, 32},
      {{1, 8}, {C::Left, B::Bits8, 16}, {0}, 4},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.spec.channels << "ch " << c.spec.bits << "bit channel "
                                    << static_cast<int>(c.options.channel) << " bits "
                                    << static_cast<int>(c.options.bits) << " 1:" << c.options.speed);
    const Converted r = Convert(MakeWav(c.spec, DataChunk(data)), c.options);
    EXPECT_EQ(r.size, c.size);
    EXPECT_EQ(r.bin, Pick(data, c.spec.channels * c.spec.bits / 8, static_cast<std::size_t>(c.options.speed),
                          c.at, c.size));
    EXPECT_TRUE(r.messages.empty());
  }
}

TEST(WavConvert, StereoSixteenBitToEightBitAtHalfSpeed) {
  const auto data = Ramp(176400);
  const auto file = MakeWav({2, 16, 44100}, DataChunk(data));
  const WavOptions options{ChannelChoice::Left, BitsChoice::Bits8, 2};
  const Converted r = Convert(file, options);
  ASSERT_EQ(r.size, 22050U);
  for (std::size_t i = 0; i < r.bin.size(); ++i) {
    ASSERT_EQ(r.bin[i], data[8 * i + 1]) << i;
  }
  const auto lines = DataTextLines("C:\\snd\\chime.wav", ParseWav(file, NoMessage), options, r.size);
  const std::vector<std::string> expected{"{    //C:\\snd\\chime.wav",
                                          "1,   //Sound channel number",
                                          "8,   //8bits every sample",
                                          "22050,//Samples number per-second",
                                          "22050//The bytes of Bin_File_Data_Size ",
                                          "};"};
  EXPECT_EQ(lines, expected);
}

TEST(WavConvert, DataTextFollowsTheChoices) {
  const WavInfo info = ParseWav(MakeWav({2, 16, 22050}, DataChunk(Ramp(16))), NoMessage);
  const auto two = DataTextLines("a.wav", info, {ChannelChoice::Two, BitsChoice::Bits16, 4}, 12);
  EXPECT_EQ(two[1], "2,   //Sound channel number");
  EXPECT_EQ(two[2], "16,  //16bits every sample");
  EXPECT_EQ(two[3], "5512,//Samples number per-second");
  EXPECT_EQ(two[4], "12//The bytes of Bin_File_Data_Size ");
  const auto unknown = DataTextLines("a.wav", info, {ChannelChoice::Right, BitsChoice::Unknown, 1}, 0);
  EXPECT_EQ(unknown[1], "1,   //Sound channel number");
  EXPECT_EQ(unknown[2], "16,  //16bits every sample");
}

TEST(WavConvert, EightBitSourceAsSixteenBitsDoublesTheSizeAndFillsSilence) {
  const auto data = Ramp(8000);
  const auto file = MakeWav({1, 8, 8000}, DataChunk(data));
  const Converted quarter = Convert(file, {ChannelChoice::Left, BitsChoice::Bits8, 4});
  EXPECT_EQ(quarter.size, 2000U);
  EXPECT_EQ(quarter.bin, Pick(data, 1, 4, {0}, 2000));

  for (BitsChoice bits : {BitsChoice::Bits16, BitsChoice::Unknown}) {
    const Converted r = Convert(file, {ChannelChoice::Left, bits, 4});
    EXPECT_EQ(r.messages, std::vector<std::string>{"8bits wav files,Please didn't select 16bits bin data"});
    ASSERT_EQ(r.size, 4000U);
    // The copied samples first, then the signed 16-bit silence the text declares.
    EXPECT_TRUE(std::equal(quarter.bin.begin(), quarter.bin.end(), r.bin.begin()));
    EXPECT_TRUE(std::all_of(r.bin.begin() + 2000, r.bin.end(), [](auto b) { return b == 0; }));
  }
}

TEST(WavConvert, ShortLastFrameNeverReadsPastTheData) {
  // 16-bit stereo, 6 data bytes (one and a half frames), followed by a chunk whose bytes must not
  // show up in the bin.
  std::vector<std::uint8_t> chunks = DataChunk({1, 2, 3, 4, 5, 6});
  test::PutChunk(chunks, "LIST", {0xEE, 0xEE}, 2);
  const auto file = MakeWav({2, 16}, chunks);
  const Converted right = Convert(file, {ChannelChoice::Right, BitsChoice::Bits16, 1});
  EXPECT_EQ(right.bin, (std::vector<std::uint8_t>{3, 4, 0}));
  const Converted two = Convert(file, {ChannelChoice::Two, BitsChoice::Bits16, 1});
  EXPECT_EQ(two.bin, (std::vector<std::uint8_t>{1, 2, 3, 4, 5, 6}));
  // Unsigned 8-bit samples are padded with their own silence.
  const auto eight = MakeWav({2, 8}, DataChunk({1, 2, 3}));
  const Converted r8 = Convert(eight, {ChannelChoice::Right, BitsChoice::Bits8, 1});
  EXPECT_EQ(r8.bin, (std::vector<std::uint8_t>{2}));
  // A file cut inside its data converts what is there.
  auto cut = MakeWav({1, 8}, DataChunk(Ramp(100)));
  cut.resize(cut.size() - 40);
  const Converted rc = Convert(cut, {ChannelChoice::Left, BitsChoice::Bits8, 1});
  EXPECT_EQ(rc.bin, std::vector<std::uint8_t>(Ramp(60)));
}

TEST(WavConvert, RefusesWhatItCannotConvert) {
  struct Case {
    WavSpec spec;
    WavOptions options;
    const char* message;
  };
  const Case cases[] = {
      {{2, 16}, {ChannelChoice::Left, BitsChoice::Unknown, 1}, "Can't suport this bits"},
      {{1, 16}, {ChannelChoice::Two, BitsChoice::Unknown, 1}, "Can't suport this bits"},
      {{1, 16}, {ChannelChoice::Two, BitsChoice::Bits16, 1}, "Don't support this format!"},
      {{1, 8}, {ChannelChoice::Two, BitsChoice::Bits8, 1}, "Don't support this format!"},
      {{2, 24}, {ChannelChoice::Two, BitsChoice::Bits16, 1}, "Can't support 24 BitsPerSample wav files"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.message);
    const auto file = MakeWav(c.spec, DataChunk(Ramp(48)));
    const WavInfo info = ParseWav(file, NoMessage);
    try {
      ConvertWav(file, info, c.options, BinDataSize(info, c.options, NoMessage));
      ADD_FAILURE() << "no error";
    } catch (const Error& e) {
      EXPECT_STREQ(e.what(), c.message);
    }
  }
}

TEST(WavConvert, StopsWhenTheProgressSaysSo) {
  const auto file = MakeWav({1, 8}, DataChunk(Ramp(100000)));
  const WavInfo info = ParseWav(file, NoMessage);
  const WavOptions options{ChannelChoice::Left, BitsChoice::Bits8, 2};
  int calls = 0;
  const auto result = ConvertWav(file, info, options, BinDataSize(info, options, NoMessage),
                                 [&calls](std::int64_t, std::int64_t) { return ++calls < 3; });
  EXPECT_FALSE(result.has_value());
  EXPECT_EQ(calls, 3);
}

TEST(WavConvert, PresetsFollowTheFile) {
  const WavOptions speed4{ChannelChoice::Right, BitsChoice::Bits16, 4};
  const auto preset = [&speed4](std::uint16_t channels, std::uint16_t bits) {
    WavInfo info;
    info.channels = channels;
    info.bitsPerSample = bits;
    return PresetOptions(info, speed4);
  };
  EXPECT_EQ(preset(1, 8).channel, ChannelChoice::Left);
  EXPECT_EQ(preset(1, 8).bits, BitsChoice::Bits8);
  EXPECT_EQ(preset(2, 16).channel, ChannelChoice::Two);
  EXPECT_EQ(preset(2, 16).bits, BitsChoice::Bits16);
  EXPECT_EQ(preset(2, 24).bits, BitsChoice::Unknown);
  EXPECT_EQ(preset(5, 8).channel, ChannelChoice::Right);  // kept
  EXPECT_EQ(preset(2, 16).speed, 4);
}

TEST(WavConvert, OutputsAreWrittenTogetherOrNotAtAll) {
  panelix::test::TempDir dir;
  const std::string bin = (dir / "Wav-a.bin").string();
  const auto list = dir / "Wav-a-Addr.txt";
  panelix::test::WriteText(bin, "old bin");
  panelix::test::WriteText(list, "old list");
  const std::vector<std::uint8_t> samples{1, 2, 3};
  struct Case {
    const char* name;
    FileFaults faults;
  };
  const Case failures[] = {
      {"bin write", {.failWrite = 1}}, {"text write", {.failWrite = 2}}, {"commit", {.failCommit = true}}};
  for (const auto& c : failures) {
    SCOPED_TRACE(c.name);
    std::vector<std::string> messages;
    SetFileFaults(c.faults);
    EXPECT_FALSE(WriteWavOutputs(bin, samples, {"a.wav", "1"},
                                 [&messages](const std::string& m) { messages.push_back(m); }));
    SetFileFaults({});
    EXPECT_EQ(messages, std::vector<std::string>{"The file might not be accessibl."});
    EXPECT_EQ(panelix::test::ReadBytes(bin), (std::vector<std::uint8_t>{'o', 'l', 'd', ' ', 'b', 'i', 'n'}));
    EXPECT_EQ(panelix::test::ReadBytes(list).size(), 8U);
  }
  std::vector<std::string> messages;
  ASSERT_TRUE(WriteWavOutputs(bin, samples, {"a.wav", "1"},
                              [&messages](const std::string& m) { messages.push_back(m); }));
  EXPECT_TRUE(messages.empty());
  EXPECT_EQ(panelix::test::ReadBytes(bin), samples);
  const auto text = panelix::test::ReadBytes(list);
  EXPECT_EQ(std::string(text.begin(), text.end()), "a.wav\r\n1\r\n");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 2);
}

}  // namespace
}  // namespace panelix::wav
