#include "base/files.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include "base/error.h"
#include "support/cli_runner.h"

namespace panelix {
namespace {

TEST(ReplacingFile, ReplacesWholeAndLeavesTheOldFileOnFailure) {
  test::TempDir dir;
  const auto target = dir / "out.bin";
  test::WriteText(target, "old contents that are longer");
  WriteFileReplacing(target, std::string_view("new"), "The file might not be accessibl.");
  EXPECT_EQ(test::ReadBytes(target), (std::vector<std::uint8_t>{'n', 'e', 'w'}));
  {
    ReplacingFile file(target, "msg");
    file.Write(std::string_view("half"));
    file.WriteRepeated(0xFF, 100000);
    EXPECT_EQ(file.Size(), 100004U);
    // Not committed: the target keeps what it had and no temporary file is left.
  }
  EXPECT_EQ(test::ReadBytes(target).size(), 3U);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 1);
}

TEST(ReplacingFile, AppendsFromFilesAndPipesUpToTheirEnd) {
  test::TempDir dir;
  const std::vector<std::uint8_t> source{1, 2, 3, 4, 5, 6, 7, 8};
  test::WriteBytes(dir / "in.bin", source);
  const int file = ::open((dir / "in.bin").c_str(), O_RDONLY);
  // A pipe cannot be copied inside the kernel; its bytes go through a buffer.
  int pipeEnds[2];
  ASSERT_EQ(::pipe(pipeEnds), 0);
  ASSERT_EQ(::write(pipeEnds[1], "abc", 3), 3);
  ::close(pipeEnds[1]);
  ReplacingFile out(dir / "out.bin", "msg");
  EXPECT_EQ(out.AppendFrom(file, 5), 5U);
  EXPECT_EQ(out.AppendFrom(file, 100), 3U);
  EXPECT_EQ(out.AppendFrom(pipeEnds[0], 10), 3U);
  EXPECT_EQ(out.Size(), 11U);
  out.Commit();
  ::close(file);
  ::close(pipeEnds[0]);
  EXPECT_EQ(test::ReadBytes(dir / "out.bin"),
            (std::vector<std::uint8_t>{1, 2, 3, 4, 5, 6, 7, 8, 'a', 'b', 'c'}));
}

TEST(ReplacingFile, ReportsUnwritableTargetsWithTheGivenMessage) {
  test::TempDir dir;
  try {
    WriteFileReplacing(dir / "missing" / "x.bin", std::string_view("a"), "The file might not be accessibl.");
    FAIL() << "no error";
  } catch (const Error& e) {
    EXPECT_STREQ(e.what(), "The file might not be accessibl.");
  }
  EXPECT_THROW(ReadFileBytes(dir / "nothing", "Can't open"), Error);
  EXPECT_THROW(ReadFileBytes(dir.Path(), "Can't open"), Error);
}

}  // namespace
}  // namespace panelix
