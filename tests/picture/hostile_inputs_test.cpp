// Inputs that declare far more than they hold, and inputs larger than their reader's limit: each
// is refused, quickly and without allocating what it declares, by the command line. How long each
// takes and how much memory it needs is measured, not asserted here.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "hostile_inputs.h"
#include "support/cli_runner.h"

namespace panelix::picture {
namespace {

using test::RunCli;
using test::TempDir;

// Arguments that convert a file with the tool for its kind.
std::vector<std::string> Convert(const std::string& name) {
  const std::string ext = name.substr(name.rfind('.') + 1);
  if (ext == "gif") {
    return {"gif", "-o", "out", name};
  }
  if (ext == "wav") {
    return {"wav", "-o", "out", name};
  }
  if (ext == "ini") {
    return {"check", "--project", name};
  }
  if (ext == "cursor") {
    return {"cursor", "--from-text", name, "-o", "out"};
  }
  if (ext == "txt") {
    return {"font", "string", name, "-o", "out"};
  }
  return {"picture", "-o", "out", name};
}

TEST(HostileInputs, FilesDeclaringMoreThanTheyHoldAreRefused) {
  TempDir dir;
  struct Case {
    std::string name;
    fx::Bytes bytes;
    std::string message;
  };
  const std::vector<hostile::HostileInput> found = hostile::HostileInputs();
  fx::Bytes rleEndsOfLine = hostile::BmpWithoutPixels(2048, 4096);
  fx::PutLE(rleEndsOfLine, 28, 8, 2);  // 8 bits, RLE8, two palette entries, a few ends of line
  fx::PutLE(rleEndsOfLine, 30, 1, 4);
  fx::PutLE(rleEndsOfLine, 46, 2, 4);
  rleEndsOfLine.insert(rleEndsOfLine.end(), {0, 0, 0, 0, 255, 255, 255, 0, 0, 0, 0, 0});
  fx::PutLE(rleEndsOfLine, 10, 62, 4);
  const std::vector<Case> cases{
      {found[0].name, found[0].bytes, "The BMP file: the picture is too large (16000 x 16000)."},
      {found[1].name, found[1].bytes, "the picture is too large (16384 x 16384)"},
      {found[2].name, found[2].bytes, "the picture is too large (16383 x 16383)"},
      {found[3].name, found[3].bytes,
       "The GIF picture is too large: its frames hold 67107840 pixels, the limit is 33554432."},
      // Within the pixel limit, but holding none of the pixels.
      {"bmp-2048x4096-no-pixels.bmp", hostile::BmpWithoutPixels(2048, 4096),
       "The BMP file is damaged: the pixel data is cut short."},
      {"rle-2048x4096-two-lines.bmp", rleEndsOfLine,
       "The BMP file is damaged: the compressed pixel data is cut short."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    test::WriteBytes(dir / c.name, c.bytes);
    const test::CliResult r = RunCli(Convert(c.name), dir.Path());
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
  }
  EXPECT_EQ(found[0].bytes.size(), 54u);
  EXPECT_EQ(found[1].bytes.size(), 45u);
  EXPECT_LT(found[2].bytes.size(), 1000u);
  EXPECT_LT(found[3].bytes.size(), 1100000u);
}

// Each reader refuses a file above its limit before reading it; the files here are sparse, so
// reading them would take seconds and gigabytes.
TEST(HostileInputs, FilesLargerThanTheirReadersLimitAreRefusedUnread) {
  TempDir dir;
  constexpr off_t kMiB = off_t{1} << 20;
  const std::vector<std::pair<std::string, off_t>> cases{
      {"big.bmp", 64 * kMiB + 1}, {"big.png", 3 * 1024 * kMiB}, {"big.gif", 64 * kMiB + 1},
      {"big.wav", 64 * kMiB + 1}, {"big.ini", 16 * kMiB + 1},   {"big.cursor", 16 * kMiB + 1},
      {"big.txt", 16 * kMiB + 1},
  };
  for (const auto& [name, size] : cases) {
    SCOPED_TRACE(name);
    const auto path = dir / name;
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::ftruncate(fd, size), 0);
    ::close(fd);
    const test::CliResult r = RunCli(Convert(name), dir.Path());
    EXPECT_EQ(r.exitCode, 1);
    const std::string limit = size > 16 * kMiB + 1 ? "64 MiB" : "16 MiB";
    EXPECT_NE(r.err.find("The file " + name + " is too large: the limit is " + limit + "."),
              std::string::npos)
        << r.err;
  }
}

}  // namespace
}  // namespace panelix::picture
