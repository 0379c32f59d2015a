#include "base/folder_list.h"

#include <gtest/gtest.h>

#include <fstream>

#include "support/cli_runner.h"

namespace panelix {
namespace {

TEST(ListFolder, SortsByteWiseLeavesOutDotNamesAndMarksFolders) {
  test::TempDir dir;
  for (const char* name : {"b.bin", "B.bin", "a", ".hidden", "\xE4\xB8\xAD.png"}) {
    std::ofstream(dir / name) << "x";
  }
  std::filesystem::create_directories(dir / "sub.bin");
  const auto entries = ListFolder(dir.Path());
  ASSERT_TRUE(entries.has_value());
  std::vector<std::pair<std::string, bool>> got;
  for (const FolderEntry& entry : *entries) {
    got.emplace_back(entry.name, entry.isFolder);
  }
  EXPECT_EQ(
      got,
      (std::vector<std::pair<std::string, bool>>{
          {"B.bin", false}, {"a", false}, {"b.bin", false}, {"sub.bin", true}, {"\xE4\xB8\xAD.png", false}}));
  // A folder that cannot be listed gives nothing, which each caller turns into its own answer.
  EXPECT_FALSE(ListFolder(dir / "missing").has_value());
  EXPECT_FALSE(ListFolder(dir / "a").has_value());
}

}  // namespace
}  // namespace panelix
