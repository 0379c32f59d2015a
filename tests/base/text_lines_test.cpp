#include "base/text_lines.h"

#include <gtest/gtest.h>

namespace panelix {
namespace {

std::u16string Wide(const std::string& text) {
  return std::u16string(text.begin(), text.end());
}

// Each text with its lines as the address list takes them (FinalCr::Drop) and as a String Bin takes
// them (FinalCr::Keep); the two differ only on a CR at the very end.
TEST(SplitLines, LineEndsOfEveryKind) {
  struct Case {
    std::string text;
    std::vector<std::string> dropped;
    std::vector<std::string> kept;
  };
  const std::vector<Case> cases = {
      {"", {}, {}},
      {"a\nb", {"a", "b"}, {"a", "b"}},
      {"a\nb\n", {"a", "b"}, {"a", "b"}},
      {"a\r\nb\r\n", {"a", "b"}, {"a", "b"}},
      {"ab\r\nc", {"ab", "c"}, {"ab", "c"}},
      {"a\rb\n", {"a\rb"}, {"a\rb"}},
      {"a\r", {"a"}, {"a\r"}},
      {"a\nb\r", {"a", "b"}, {"a", "b\r"}},
      {"\r", {""}, {"\r"}},
      {"a\r\r\n", {"a\r"}, {"a\r"}},
      {"\n\nx", {"", "", "x"}, {"", "", "x"}},
      {"a\n\nb\n", {"a", "", "b"}, {"a", "", "b"}},
      {"\r\n\r\n", {"", ""}, {"", ""}},
      {"\n", {""}, {""}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.text));
    EXPECT_EQ(SplitLines(c.text), c.dropped);
    EXPECT_EQ(SplitLines(c.text, FinalCr::Keep), c.kept);
    std::vector<std::u16string> wideKept;
    for (const auto& line : c.kept) {
      wideKept.push_back(Wide(line));
    }
    EXPECT_EQ(SplitLines(Wide(c.text), FinalCr::Keep), wideKept);
    EXPECT_EQ(SplitLines(Wide(c.text)).size(), c.dropped.size());
  }
}

}  // namespace
}  // namespace panelix
