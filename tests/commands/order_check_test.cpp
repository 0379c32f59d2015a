#include <gtest/gtest.h>

#include "commands/compiler.h"

namespace panelix::commands {
namespace {

using Lines = std::vector<std::string>;

Lines Project(const Lines& commands) {
  Lines lines{" ", "[INFO]", "a=1", "b=2", "c=3", "d=4", "e=5", "f=6", "g=7", " ", "[USERCMD]"};
  lines.insert(lines.end(), commands.begin(), commands.end());
  return lines;
}

TEST(CheckCommandOrder, ReportListsTheLinesAsTheyStandAndAsTheyShouldStand) {
  const OrderCheckResult result =
      CheckCommandOrder(Project({"80h#00:1,2,3", "80h #02 : 4,5,6\r", "82h#00:1", "80h#01:7,8,9"}));
  EXPECT_FALSE(result.ok);
  EXPECT_EQ(result.report,
            (Lines{"Command 80h error:", "80h#00:1,2,3", "80h #02 : 4,5,6\r", "80h#01:7,8,9", "",
                   "New command 80h:", "80h#00:1,2,3", "80h#01:7,8,9", "80h #02 : 4,5,6\r", ""}));
}

TEST(CheckCommandOrder, FillersStandForTheMissingNumbers) {
  const OrderCheckResult result =
      CheckCommandOrder(Project({"8Ah#03:a", "8Ah#01:b", "8Ah#0C:c", "8Ah#0A:d"}));
  EXPECT_FALSE(result.ok);
  EXPECT_EQ(result.report,
            (Lines{"Command 8Ah error:", "8Ah#03:a", "8Ah#01:b", "8Ah#0C:c", "8Ah#0A:d", "",
                   "New command 8Ah:",   "8Ah #00:", "8Ah#01:b", "8Ah #02:", "8Ah#03:a", "8Ah #04:",
                   "8Ah #05:",           "8Ah #06:", "8Ah #07:", "8Ah #08:", "8Ah #09:", "8Ah#0A:d",
                   "8Ah #0B:",           "8Ah#0C:c", ""}));
}

TEST(CheckCommandOrder, EqualNumbersKeepTheOrderTheSwapsGive) {
  // The first swap exchanges A (02) with C (01), which puts A behind B (02).
  const OrderCheckResult result = CheckCommandOrder(Project({"82h#02:A", "82h#02:B", "82h#01:C"}));
  EXPECT_FALSE(result.ok);
  EXPECT_EQ(result.report, (Lines{"Command 82h error:", "82h#02:A", "82h#02:B", "82h#01:C", "",
                                  "New command 82h:", "82h #00:", "82h#01:C", "82h#02:B", "82h#02:A", ""}));
}

TEST(CheckCommandOrder, LinesWithoutNumberSortFirst) {
  const OrderCheckResult result = CheckCommandOrder(Project({"C0h#01:a", "C0h:b", "C0h#2:c", "C0h#0G:d"}));
  EXPECT_FALSE(result.ok);
  // "#2:" and "#0G" are no numbers (-1): fillers start at 0 after them.
  EXPECT_EQ(result.report,
            (Lines{"Command C0h error:", "C0h#01:a", "C0h:b", "C0h#2:c", "C0h#0G:d", "",
                   "New command C0h:", "C0h:b", "C0h#2:c", "C0h#0G:d", "C0h #00:", "C0h#01:a", ""}));
}

TEST(CheckCommandOrder, PassingLists) {
  const Lines cases[] = {
      {"80h#01:1", "80h#01:2"},      // equal numbers
      {"80h#00:1", "80h#05:2"},      // a gap, but ascending
      {"80h:1", "80h:2", "82h//x"},  // no numbers at all
      {"80h#0a:1", "80h# 0 B:2", "8Ah#00", "8ah#05", "8ah#01", "//80h#09", "80h#FF"},
  };
  for (const Lines& commands : cases) {
    SCOPED_TRACE(commands.front());
    const OrderCheckResult result = CheckCommandOrder(Project(commands));
    EXPECT_TRUE(result.ok);
    EXPECT_TRUE(result.report.empty());
  }
}

TEST(CheckCommandOrder, EveryCodeIsCheckedLowerCodesReportedFirst) {
  // 84h has no encoder but is checked all the same.
  const OrderCheckResult result =
      CheckCommandOrder(Project({"84h#01:x", "81h#01:x", "84h#00:y", "81h#00:y"}));
  EXPECT_FALSE(result.ok);
  ASSERT_EQ(result.report.size(), 16U);
  EXPECT_EQ(result.report[0], "Command 81h error:");
  EXPECT_EQ(result.report[8], "Command 84h error:");
}

TEST(CheckCommandOrder, OnlyTheFirst255LinesOfACodeAreChecked) {
  Lines commands(255, "82h#05:x");
  commands.push_back("82h#01:late");
  EXPECT_TRUE(CheckCommandOrder(Project(commands)).ok);
  commands[254] = "82h#01:in";
  EXPECT_FALSE(CheckCommandOrder(Project(commands)).ok);
}

TEST(CheckCommandOrder, ShortListsPassListsWithoutCommandSectionFail) {
  Lines tenLines{"[USERCMD]", "80h#01:1", "80h#00:1"};
  tenLines.resize(10, " ");
  EXPECT_TRUE(CheckCommandOrder(tenLines).ok);
  Lines noSection = Project({"80h#01:1", "80h#00:1"});
  noSection.erase(noSection.begin() + 10);
  const OrderCheckResult result = CheckCommandOrder(noSection);
  EXPECT_FALSE(result.ok);
  EXPECT_TRUE(result.report.empty());
}

}  // namespace
}  // namespace panelix::commands
