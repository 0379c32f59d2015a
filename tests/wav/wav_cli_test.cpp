#include <gtest/gtest.h>

#include "support/cli_runner.h"
#include "wav_fixture.h"

namespace panelix {
namespace {

using test::ReadBytes;
using test::RunCli;
using test::TempDir;
using wav::test::DataChunk;
using wav::test::MakeWav;
using wav::test::Ramp;

std::string ReadText(const std::filesystem::path& p) {
  const auto bytes = ReadBytes(p);
  return {bytes.begin(), bytes.end()};
}

TEST(WavCli, ConvertsWithTheFilePresetsAndWritesTheDataText) {
  TempDir dir;
  const auto data = Ramp(4000);
  test::WriteBytes(dir / "in.wav", MakeWav({2, 16, 22050}, DataChunk(data)));
  // Stereo 16-bit presets "Two Channel" and "16bits": the bin is the data chunk as it stands.
  const auto r = RunCli({"wav", "--speed", "4", "-o", "Wav-in", "in.wav"}, dir.Path());
  ASSERT_EQ(r.exitCode, 0) << r.err;
  std::vector<std::uint8_t> expected;
  for (std::size_t i = 0; i < data.size() && expected.size() < 1000; ++i) {
    if (i % 16 < 4) {
      expected.push_back(data[i]);
    }
  }
  EXPECT_EQ(ReadBytes(dir / "Wav-in.bin"), expected);
  EXPECT_EQ(ReadText(dir / "Wav-in-Addr.txt"),
            "{    //in.wav\r\n2,   //Sound channel number\r\n16,  //16bits every sample\r\n"
            "5512,//Samples number per-second\r\n1000//The bytes of Bin_File_Data_Size \r\n};\r\n");

  // Converting again to the same name replaces both files.
  const auto again =
      RunCli({"wav", "--channel", "left", "--bits", "8", "-o", "Wav-in.bin", "in.wav"}, dir.Path());
  ASSERT_EQ(again.exitCode, 0) << again.err;
  EXPECT_EQ(ReadBytes(dir / "Wav-in.bin").size(), 1000U);
  EXPECT_NE(ReadText(dir / "Wav-in-Addr.txt").find("1,   //Sound channel number\r\n8,   //8bits"),
            std::string::npos);
}

TEST(WavCli, InfoShowsTheFieldsTheWindowShows) {
  TempDir dir;
  test::WriteBytes(dir / "m.wav", MakeWav({1, 8, 8000}, DataChunk(Ramp(8000))));
  const auto r = RunCli({"wav", "--info", "m.wav"}, dir.Path());
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out,
            "Wav file size:   8044\nPCM Format Tag:  1\nSound Channels:  1\nSmaplesPerSec:  8000\n"
            "AvgBytesPerSec:  8000\nBitsPerSample:   8\nData Size:   8000\nData offset:   44\n");
}

TEST(WavCli, BadInputGetsTheToolsMessageAndFailure) {
  TempDir dir;
  test::WriteBytes(dir / "mono.wav", MakeWav({1, 16, 8000}, DataChunk(Ramp(100))));
  test::WriteBytes(dir / "w24.wav", MakeWav({2, 24, 8000}, DataChunk(Ramp(96))));
  auto cut = MakeWav({1, 8, 8000}, DataChunk(Ramp(100)));
  cut.resize(30);
  test::WriteBytes(dir / "cut.wav", cut);
  std::filesystem::create_directories(dir / "dir.wav");
  struct Case {
    std::vector<std::string> args;
    const char* message;
  };
  const Case cases[] = {
      {{"wav", "--channel", "two", "-o", "x", "mono.wav"}, "Don't support this format!"},
      {{"wav", "-o", "x", "w24.wav"}, "Can't support 24 BitsPerSample wav files"},
      {{"wav", "--info", "w24.wav"}, "Can't support 24 BitsPerSample wav files"},
      {{"wav", "-o", "x", "cut.wav"}, "The wav file is truncated!"},
      {{"wav", "-o", "", "mono.wav"}, "Error file's name"},
      {{"wav", "mono.wav"}, "-o NAME"},
      {{"wav", "-o", "no/such/Wav-x", "mono.wav"}, "The file might not be accessibl."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.message);
    const auto r = RunCli(c.args, dir.Path());
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
  }
  EXPECT_FALSE(std::filesystem::exists(dir / "x.bin"));
}

}  // namespace
}  // namespace panelix
