#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include "base/codepage.h"
#include "base/error.h"
#include "base/files.h"
#include "output/address_list.h"
#include "output/bin_writer.h"
#include "output/output_names.h"
#include "support/cli_runner.h"

namespace panelix::output {
namespace {

using Bytes = std::vector<std::uint8_t>;

struct Messages {
  std::vector<std::string> seen;
  MessageFn Sink() {
    return [this](const std::string& text) { seen.push_back(text); };
  }
};

TEST(OutputNames, BinAndAddressListNames) {
  struct Case {
    const char* chosen;
    const char* bin;
    const char* list;
  };
  const Case cases[] = {
      {"/home/ui/Picture-main.bin", "/home/ui/Picture-main.bin", "/home/ui/Picture-main-Addr.txt"},
      {"logo", "logo.bin", "logo-Addr.txt"},
      {"x.BIN", "x.BIN.bin", "x.BIN-Addr.txt"},
      {"set.bin.old", "set.bin.old", "set-Addr.txt"},
      {"a.bin/b.bin", "a.bin/b.bin", "a-Addr.txt"},
      {"Picture-", "Picture-.bin", "Picture--Addr.txt"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.chosen);
    EXPECT_EQ(OutputBinName(c.chosen), c.bin);
    EXPECT_EQ(AddressListName(OutputBinName(c.chosen)), c.list);
  }
  try {
    OutputBinName("");
    FAIL() << "empty name accepted";
  } catch (const Error& e) {
    EXPECT_STREQ(e.what(), "Error file's name");
  }
}

TEST(AddressList, Rows) {
  EXPECT_EQ(AddressRow(480, 272, 0, 0x3FC00, "/home/ui/bg.bmp"),
            "{480, 272, 0x00000000, 0x0003FC00},//"
            "/home/ui/bg.bmp");
  EXPECT_EQ(AddressRow(100, 50, 0x3FC00, 0x28A, "/home/ui/icon.png"),
            "{100, 50, 0x0003FC00, 0x0000028A},//"
            "/home/ui/icon.png");
  EXPECT_EQ(AddressRow(0, 0, 0, 0, ""), "{0, 0, 0x00000000, 0x00000000},//");
  EXPECT_EQ(AddressRow(1, 1, 0xFFFFFFFFU, 0xABCDEF12U, "x"), "{1, 1, 0xFFFFFFFF, 0xABCDEF12},//x");
}

TEST(AddressList, WritesCrLfLinesInTheSystemCodePageAndReplacesWhole) {
  test::TempDir dir;
  Messages messages;
  const auto bin = (dir / "Picture-main.bin").string();
  const std::vector<std::string> two = {"{1, 1, 0x00000000, 0x00000002},//a",
                                        "{2, 1, 0x00000002, 0x00000004},//\u56fe"};
  ASSERT_EQ(WriteAddressList(bin, two, messages.Sink()), WriteResult::Written);
  const std::string expected = "{1, 1, 0x00000000, 0x00000002},//a\r\n{2, 1, 0x00000002, 0x00000004},//" +
                               EncodeCodePage("\u56fe", SystemCodePage()) + "\r\n";
  EXPECT_EQ(test::ReadBytes(dir / "Picture-main-Addr.txt"), Bytes(expected.begin(), expected.end()));
  // A shorter list replaces the longer one whole.
  ASSERT_EQ(WriteAddressList(bin, {"x"}, messages.Sink()), WriteResult::Written);
  EXPECT_EQ(test::ReadBytes(dir / "Picture-main-Addr.txt"), (Bytes{'x', '\r', '\n'}));
  ASSERT_EQ(WriteAddressList(bin, {}, messages.Sink()), WriteResult::Written);
  EXPECT_TRUE(test::ReadBytes(dir / "Picture-main-Addr.txt").empty());
  EXPECT_TRUE(messages.seen.empty());

  EXPECT_EQ(WriteAddressList("", two, messages.Sink()), WriteResult::NoOutputName);
  EXPECT_EQ(WriteAddressList((dir / "no" / "x.bin").string(), two, messages.Sink()),
            WriteResult::NotAccessible);
  EXPECT_EQ(messages.seen,
            (std::vector<std::string>{"The file does not exist.", "The file might not be accessibl."}));
}

TEST(BinWriter, BinAndListAppearTogetherAtTheCommit) {
  test::TempDir dir;
  const auto bin = dir / "Picture-x.bin";
  const auto list = dir / "Picture-x-Addr.txt";
  test::WriteBytes(bin, Bytes(100, 0xAA));
  test::WriteText(list, "old");
  Messages messages;
  for (int run = 0; run < 2; ++run) {
    BinWriter writer(bin.string());
    EXPECT_EQ(writer.Append(Bytes{1, 2}, messages.Sink()), WriteResult::Written);
    EXPECT_EQ(writer.Append(Bytes{}, messages.Sink()), WriteResult::Written);
    EXPECT_EQ(writer.Append(Bytes{3}, messages.Sink()), WriteResult::Written);
    EXPECT_EQ(writer.BytesWritten(), 3U);
    // Until the commit the old pair stays as it was.
    EXPECT_EQ(test::ReadBytes(bin).size(), run == 0 ? 100U : 3U);
    EXPECT_EQ(writer.Commit({"row"}, messages.Sink()), WriteResult::Written);
    EXPECT_TRUE(writer.Committed());
    // A second run to the same name gives the same bin, not a longer one.
    EXPECT_EQ(test::ReadBytes(bin), (Bytes{1, 2, 3}));
    EXPECT_EQ(test::ReadBytes(list), (Bytes{'r', 'o', 'w', '\r', '\n'}));
  }
  // A run without items commits an empty bin; one never committed changes nothing.
  {
    BinWriter abandoned(bin.string());
    EXPECT_EQ(abandoned.Append(Bytes{9, 9, 9, 9}, messages.Sink()), WriteResult::Written);
  }
  BinWriter empty(bin.string());
  EXPECT_EQ(test::ReadBytes(bin).size(), 3U);
  EXPECT_EQ(empty.Commit({}, messages.Sink()), WriteResult::Written);
  EXPECT_TRUE(test::ReadBytes(bin).empty());
  EXPECT_TRUE(test::ReadBytes(list).empty());
  EXPECT_TRUE(messages.seen.empty());
  // Nothing but the pair is left in the folder.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 2);
}

TEST(BinWriter, ReportsEveryItemThatCannotBeWrittenAndKeepsTheOldPair) {
  test::TempDir dir;
  Messages messages;
  BinWriter nameless("");
  EXPECT_EQ(nameless.Append(Bytes{1}, messages.Sink()), WriteResult::NoOutputName);
  EXPECT_EQ(nameless.Commit({}, messages.Sink()), WriteResult::NoOutputName);
  BinWriter lost((dir / "missing" / "x.bin").string());
  EXPECT_EQ(lost.Append(Bytes{1}, messages.Sink()), WriteResult::NotAccessible);
  EXPECT_EQ(lost.Append(Bytes{2}, messages.Sink()), WriteResult::NotAccessible);
  EXPECT_FALSE(lost.Begun());
  EXPECT_EQ(lost.Commit({}, messages.Sink()), WriteResult::NotAccessible);
  EXPECT_EQ(messages.seen,
            (std::vector<std::string>{"The file does not exist.", "The file does not exist.",
                                      "The file might not be accessibl.", "The file might not be accessibl.",
                                      "The file might not be accessibl."}));

  // A disk that fills up during the run: the item is reported, the run can no longer commit and
  // the old pair stays.
  const auto bin = dir / "full.bin";
  test::WriteBytes(bin, Bytes{7, 7});
  test::WriteText(dir / "full-Addr.txt", "old");
  messages.seen.clear();
  BinWriter writer(bin.string());
  ASSERT_EQ(writer.Append(Bytes{1}, messages.Sink()), WriteResult::Written);
  SetFileFaults({.failWrite = 1});
  EXPECT_EQ(writer.Append(Bytes{8}, messages.Sink()), WriteResult::NotAccessible);
  EXPECT_EQ(writer.Append(Bytes{9}, messages.Sink()), WriteResult::NotAccessible);
  EXPECT_TRUE(writer.ItemLost());
  EXPECT_EQ(writer.Commit({"row"}, messages.Sink()), WriteResult::NotAccessible);
  EXPECT_EQ(messages.seen, std::vector<std::string>(3, "The file might not be accessibl."));
  EXPECT_EQ(test::ReadBytes(bin), (Bytes{7, 7}));
  EXPECT_EQ(test::ReadBytes(dir / "full-Addr.txt"), (Bytes{'o', 'l', 'd'}));
  // A commit that fails leaves the old pair too.
  BinWriter failing(bin.string());
  ASSERT_EQ(failing.Append(Bytes{1}, messages.Sink()), WriteResult::Written);
  SetFileFaults({.failCommit = true});
  EXPECT_EQ(failing.Commit({"row"}, messages.Sink()), WriteResult::NotAccessible);
  EXPECT_EQ(test::ReadBytes(bin), (Bytes{7, 7}));
  EXPECT_EQ(test::ReadBytes(dir / "full-Addr.txt"), (Bytes{'o', 'l', 'd'}));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 2);
}

}  // namespace
}  // namespace panelix::output
