#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include "base/codepage.h"
#include "base/error.h"
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

TEST(AddressList, RowsAndLines) {
  EXPECT_EQ(AddressRow(480, 272, 0, 0x3FC00, "/home/ui/bg.bmp"),
            "{480, 272, 0x00000000, 0x0003FC00},//"
            "/home/ui/bg.bmp");
  EXPECT_EQ(AddressRow(100, 50, 0x3FC00, 0x28A, "/home/ui/icon.png"),
            "{100, 50, 0x0003FC00, 0x0000028A},//"
            "/home/ui/icon.png");
  EXPECT_EQ(AddressRow(0, 0, 0, 0, ""), "{0, 0, 0x00000000, 0x00000000},//");
  EXPECT_EQ(AddressRow(1, 1, 0xFFFFFFFFU, 0xABCDEF12U, "x"), "{1, 1, 0xFFFFFFFF, 0xABCDEF12},//x");

  EXPECT_EQ(SplitLines(""), std::vector<std::string>{});
  EXPECT_EQ(SplitLines("a\r\nb\r\n"), (std::vector<std::string>{"a", "b"}));
  EXPECT_EQ(SplitLines("a\nb"), (std::vector<std::string>{"a", "b"}));
  EXPECT_EQ(SplitLines("a\n\nb\n"), (std::vector<std::string>{"a", "", "b"}));
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

TEST(BinWriter, FirstItemReplacesTheOldBinAndLaterItemsAppend) {
  test::TempDir dir;
  const auto bin = dir / "Picture-x.bin";
  test::WriteBytes(bin, Bytes(100, 0xAA));
  Messages messages;
  for (int run = 0; run < 2; ++run) {
    BinWriter writer(bin.string());
    EXPECT_EQ(writer.Append(Bytes{1, 2}, messages.Sink()), WriteResult::Written);
    EXPECT_EQ(writer.Append(Bytes{}, messages.Sink()), WriteResult::Written);
    EXPECT_EQ(writer.Append(Bytes{3}, messages.Sink()), WriteResult::Written);
    EXPECT_EQ(writer.BytesWritten(), 3U);
    // A second run to the same name gives the same bin, not a longer one.
    EXPECT_EQ(test::ReadBytes(bin), (Bytes{1, 2, 3}));
  }
  // A run whose only item is empty still replaces the old bin.
  BinWriter empty(bin.string());
  EXPECT_EQ(empty.Append(Bytes{}, messages.Sink()), WriteResult::Written);
  EXPECT_TRUE(test::ReadBytes(bin).empty());
  EXPECT_TRUE(messages.seen.empty());
}

TEST(BinWriter, ReportsEveryItemThatCannotBeWritten) {
  test::TempDir dir;
  Messages messages;
  BinWriter nameless("");
  EXPECT_EQ(nameless.Append(Bytes{1}, messages.Sink()), WriteResult::NoOutputName);
  BinWriter lost((dir / "missing" / "x.bin").string());
  EXPECT_EQ(lost.Append(Bytes{1}, messages.Sink()), WriteResult::NotAccessible);
  EXPECT_EQ(lost.Append(Bytes{2}, messages.Sink()), WriteResult::NotAccessible);
  EXPECT_FALSE(lost.Begun());
  EXPECT_EQ(messages.seen,
            (std::vector<std::string>{"The file does not exist.", "The file might not be accessibl.",
                                      "The file might not be accessibl."}));

  // A bin that turns read-only during the run keeps the items it had.
  if (::geteuid() != 0) {
    const auto bin = dir / "ro.bin";
    BinWriter writer(bin.string());
    ASSERT_EQ(writer.Append(Bytes{7, 7}, messages.Sink()), WriteResult::Written);
    ::chmod(bin.c_str(), 0444);
    EXPECT_EQ(writer.Append(Bytes{8}, messages.Sink()), WriteResult::NotAccessible);
    EXPECT_EQ(test::ReadBytes(bin), (Bytes{7, 7}));
  }
}

}  // namespace
}  // namespace panelix::output
