#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <thread>

#include "fixtures.h"
#include "support/cli_runner.h"

namespace panelix::picture {
namespace {

using fx::Bytes;
using panelix::test::ReadBytes;
using panelix::test::RunCli;
using panelix::test::TempDir;

TEST(PictureCli, ConvertsFilesAndFoldersInOrder) {
  TempDir dir;
  std::filesystem::create_directories(dir / "ui" / "sub");
  panelix::test::WriteBytes(dir / "ui" / "b.png", fx::EncodePng(2, 1, 2, {255, 0, 0, 0, 0, 255}));
  panelix::test::WriteBytes(dir / "ui" / "sub" / "c.bmp",
                            fx::MakeBmp({.width = 1, .height = 1, .data = {0, 0xFF, 0, 0}}));
  panelix::test::WriteBytes(dir / "a.png", fx::EncodePng(1, 1, 6, {0x12, 0x34, 0x56, 0x80}));
  const auto out = (dir / "Picture-main").string();
  const auto r = RunCli({"picture", "--format", "r5g6b5", "--argb-png", "-o", out, (dir / "a.png").string(),
                         (dir / "ui").string()});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(ReadBytes(out + ".bin"), (Bytes{0x35, 0x81, 0x00, 0xF8, 0x1F, 0x00, 0xE0, 0x07}));
  const std::string rows = "{1, 1, 0x00000000, 0x00000002},//" + (dir / "a.png").string() +
                           "\r\n{2, 1, 0x00000002, 0x00000004},//" + (dir / "ui" / "b.png").string() +
                           "\r\n{1, 1, 0x00000006, 0x00000002},//" + (dir / "ui" / "sub" / "c.bmp").string() +
                           "\r\n";
  const Bytes list = ReadBytes(dir / "Picture-main-Addr.txt");
  EXPECT_EQ(std::string(list.begin(), list.end()), rows);
  EXPECT_NE(r.out.find("3 pictures, 8 bytes"), std::string::npos) << r.out;
  // b.png has no alpha channel: the message, then 5-6-5 bytes in its place.
  EXPECT_NE(r.err.find("The png don't have Alpha"), std::string::npos) << r.err;
}

TEST(PictureCli, ErrorDiffusionGivesTheSameBytesAtAnyJobs) {
  // Six gradients: each picture is dithered on its own, row by row, whichever thread takes it.
  TempDir dir;
  for (int i = 0; i < 6; ++i) {
    Bytes rgb;
    for (int y = 0; y < 9; ++y) {
      for (int x = 0; x < 23; ++x) {
        rgb.insert(rgb.end(),
                   {static_cast<std::uint8_t>(10 * i + 3 * x), static_cast<std::uint8_t>(40 + 5 * y),
                    static_cast<std::uint8_t>(200 - 4 * x)});
      }
    }
    panelix::test::WriteBytes(dir / ("g" + std::to_string(i) + ".png"), fx::EncodePng(23, 9, 2, rgb));
  }
  Bytes first;
  for (const char* jobs : {"1", "4", "64"}) {
    const auto out = (dir / (std::string("P") + jobs)).string();
    const auto r =
        RunCli({"picture", "--dither", "floyd-steinberg", "--jobs", jobs, "-o", out, dir.Path().string()});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const Bytes bin = ReadBytes(out + ".bin");
    ASSERT_EQ(bin.size(), 6U * 23 * 9 * 2);
    if (first.empty()) {
      first = bin;
      const auto plain = RunCli({"picture", "-o", (dir / "plain").string(), dir.Path().string()});
      ASSERT_EQ(plain.exitCode, 0) << plain.err;
      EXPECT_NE(ReadBytes((dir / "plain.bin").string()), bin);
    } else {
      EXPECT_EQ(bin, first);
    }
  }
}

// A JPEG libjpeg decodes with a warning: two stray bytes before its scan.
Bytes JpegWithStrayBytes() {
  RgbImage image;
  image.width = 8;
  image.height = 8;
  image.rgb.assign(8 * 8 * 3, 0x80);
  Bytes jpeg = fx::EncodeJpeg(image, 90);
  for (std::size_t i = 0; i + 1 < jpeg.size(); ++i) {
    if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xDA) {
      jpeg.insert(jpeg.begin() + static_cast<std::ptrdiff_t>(i), {0x00, 0x00});
      break;
    }
  }
  return jpeg;
}

TEST(PictureCli, JpegWarningsNameTheFileAndFailUnderStrict) {
  TempDir dir;
  const auto bmp = (dir / "a.bmp").string();
  panelix::test::WriteBytes(bmp, fx::MakeBmp({.width = 1, .height = 1, .data = {0, 0, 0, 0}}));
  const auto jpeg = (dir / "b.jpg").string();
  panelix::test::WriteBytes(jpeg, JpegWithStrayBytes());
  const std::string warning =
      "warning: " + jpeg + ": Corrupt JPEG data: 2 extraneous bytes before marker 0xda";

  // Without --strict the picture converts, with the warning on stderr.
  const auto out = (dir / "x").string();
  const auto r = RunCli({"picture", "-o", out, bmp, jpeg});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_NE(r.err.find(warning), std::string::npos) << r.err;
  EXPECT_EQ(ReadBytes(out + ".bin").size(), 2U + 8 * 8 * 2);
  EXPECT_EQ(r.out.find("warning"), std::string::npos) << r.out;

  // With --strict the warning fails the run and the outputs stay as they were.
  panelix::test::WriteText(dir / "x.bin", "old");
  std::filesystem::remove(dir / "x-Addr.txt");
  const auto s = RunCli({"picture", "--strict", "--jobs", "2", "-o", out, bmp, jpeg});
  EXPECT_EQ(s.exitCode, 1);
  EXPECT_NE(s.err.find(warning), std::string::npos) << s.err;
  EXPECT_NE(s.err.find("Fail to convert " + jpeg), std::string::npos) << s.err;
  EXPECT_EQ(ReadBytes(dir / "x.bin").size(), 3U);
  EXPECT_FALSE(std::filesystem::exists(dir / "x-Addr.txt"));
}

TEST(PictureCli, FailuresGiveTheirMessageAndStatusOne) {
  TempDir dir;
  const auto good = (dir / "a.bmp").string();
  panelix::test::WriteBytes(good, fx::MakeBmp({.width = 1, .height = 1, .data = {0, 0, 0, 0}}));
  const auto bad = (dir / "b.png").string();
  panelix::test::WriteBytes(bad, {0x89, 'P', 'N', 'G'});
  struct Case {
    std::vector<std::string> args;
    const char* err;
  };
  const Case cases[] = {
      {{"picture", "-o", (dir / "x").string(), good, bad}, "Fail to convert "},
      {{"picture", "-o", "", good}, "Error file's name"},
      {{"picture", "-o", (dir / "x").string(), (dir / "empty").string()}, "Please input picture!"},
      {{"picture", "-o", (dir / "no" / "x").string(), good}, "The file might not be accessibl."},
      {{"picture", "--alpha", "", "-o", (dir / "x").string(), bad}, "Fail to convert "},
      {{"picture", "--format", "rgb556", "-o", (dir / "x").string(), good}, "--format"},
  };
  std::filesystem::create_directories(dir / "empty");
  panelix::test::WriteText(dir / "x.bin", "old");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args.back());
    const auto r = RunCli(c.args);
    EXPECT_NE(r.exitCode, 0);
    EXPECT_NE(r.err.find(c.err), std::string::npos) << r.err;
  }
  // No case touched the old bin or wrote an address list.
  EXPECT_EQ(ReadBytes(dir / "x.bin").size(), 3U);
  EXPECT_FALSE(std::filesystem::exists(dir / "x-Addr.txt"));
}

// The size of the file a running process writes into folder without a name yet (opened with
// O_TMPFILE, or named beside the target), or -1 while it has none.
std::int64_t UnnamedOutputSize(pid_t pid, const std::filesystem::path& folder) {
  std::error_code ec;
  const std::filesystem::path fds = "/proc/" + std::to_string(pid) + "/fd";
  for (const auto& entry : std::filesystem::directory_iterator(fds, ec)) {
    const auto target = std::filesystem::read_symlink(entry.path(), ec).string();
    if (ec || target.rfind(folder.string() + "/", 0) != 0 || target.find("Addr") != std::string::npos ||
        target.find(".png") != std::string::npos) {
      continue;
    }
    struct stat st {};
    if (::stat(entry.path().c_str(), &st) == 0 && S_ISREG(st.st_mode)) {
      return st.st_size;
    }
  }
  return -1;
}

TEST(PictureCli, AKilledRunLeavesTheOldPairAndNoTemporaryFile) {
  // Sixty pictures, then a FIFO nobody writes to: the run writes the sixty and waits on the
  // FIFO for as long as it takes to see the bytes and kill it.
  TempDir dir;
  const auto png = dir / "p.png";
  Bytes rgb(32 * 32 * 3);
  for (std::size_t i = 0; i < rgb.size(); ++i) {
    rgb[i] = static_cast<std::uint8_t>(i * 7);
  }
  panelix::test::WriteBytes(png, fx::EncodePng(32, 32, 2, rgb));
  const auto fifo = dir / "stuck.png";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const auto out = dir / "out";
  std::filesystem::create_directories(out);
  panelix::test::WriteText(out / "P.bin", "old bin");
  panelix::test::WriteText(out / "P-Addr.txt", "old list");
  std::vector<std::string> args{PANELIX_CLI, "picture", "--jobs", "2", "-o", (out / "P").string()};
  constexpr int kPictures = 60;
  for (int i = 0; i < kPictures; ++i) {
    args.push_back(png.string());
  }
  args.push_back(fifo.string());
  std::vector<char*> argv;
  for (auto& a : args) {
    argv.push_back(a.data());
  }
  argv.push_back(nullptr);

  const pid_t pid = ::fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    if (std::FILE* null = std::freopen("/dev/null", "w", stdout); null != nullptr) {
      ::dup2(::fileno(null), STDERR_FILENO);
    }
    ::execv(argv[0], argv.data());
    ::_exit(127);
  }
  const std::int64_t written = std::int64_t{kPictures} * 32 * 32 * 2;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  std::int64_t seen = -1;
  while (seen < written && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
    seen = UnnamedOutputSize(pid, out);
  }
  ::kill(pid, SIGKILL);
  int status = 0;
  ::waitpid(pid, &status, 0);
  ASSERT_TRUE(WIFSIGNALED(status));
  ASSERT_EQ(seen, written) << "the run never wrote its pictures";

  const Bytes bin = ReadBytes(out / "P.bin");
  const Bytes list = ReadBytes(out / "P-Addr.txt");
  EXPECT_EQ(std::string(bin.begin(), bin.end()), "old bin");
  EXPECT_EQ(std::string(list.begin(), list.end()), "old list");
  std::vector<std::string> left;
  for (const auto& entry : std::filesystem::directory_iterator(out)) {
    left.push_back(entry.path().filename().string());
  }
  std::sort(left.begin(), left.end());
  EXPECT_EQ(left, (std::vector<std::string>{"P-Addr.txt", "P.bin"}));
}

TEST(PictureCli, FormatAliasesGiveTheBytesOfTheirFormat) {
  TempDir dir;
  const auto png = (dir / "a.png").string();
  panelix::test::WriteBytes(png, fx::EncodePng(2, 1, 6, {0x12, 0x34, 0x56, 0x80, 0xF0, 0x0F, 0xAA, 0x20}));
  struct Case {
    std::vector<std::string> alias;
    std::vector<std::string> same;
  };
  const Case cases[] = {
      {{"--format", "rgb565"}, {"--format", "r5g6b5"}},
      {{"--format", "RGB888"}, {"--format", "r8g8b8"}},
      {{"--format", "mono"}, {"--format", "bw"}},
      {{"--format", "argb4444"}, {"--format", "r5g6b5", "--argb-png"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.alias.back());
    std::vector<Bytes> outputs;
    for (std::vector<std::string> args : {c.alias, c.same}) {
      const auto out = (dir / ("out" + std::to_string(outputs.size()))).string();
      args.insert(args.begin(), "picture");
      args.insert(args.end(), {"-o", out, png});
      const auto r = RunCli(args);
      ASSERT_EQ(r.exitCode, 0) << r.err;
      outputs.push_back(ReadBytes(out + ".bin"));
    }
    EXPECT_EQ(outputs[0], outputs[1]);
  }
}

}  // namespace
}  // namespace panelix::picture
