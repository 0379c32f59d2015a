#include "base/files.h"

#include <gtest/gtest.h>

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
