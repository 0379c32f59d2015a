#include "project/address_list_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/error.h"

namespace panelix::project {
namespace {

std::vector<std::string> Lines(const std::string& text) {
  return ReadAddressListLines(std::vector<std::uint8_t>(text.begin(), text.end()));
}

TEST(AddressListReaderTest, LinesDropControlsHighBytesAndEmptyLines) {
  EXPECT_EQ(Lines("{1, 2, 0x0, 0x4},//a.bmp\r\n\r\n\n{5,\t6}\x01\xC4\xE3\r\nlast"),
            (std::vector<std::string>{"{1, 2, 0x0, 0x4},//a.bmp", "{5,    6}", "last"}));
  EXPECT_TRUE(Lines("").empty());
  EXPECT_TRUE(Lines("\r\n\n\t\x02").size() == 1);  // a tab alone still leaves four spaces

  const std::vector<std::string> cut = Lines(std::string(1500, 'a') + "\n" + std::string(1023, 'b') + "\tc");
  ASSERT_EQ(cut.size(), 2u);
  EXPECT_EQ(cut[0].size(), 1024u);
  EXPECT_EQ(cut[1], std::string(1023, 'b') + "    ");
}

TEST(AddressListReaderTest, ValuesByTheNumberRule) {
  struct Case {
    const char* text;
    std::uint32_t value;
  };
  for (const Case& c :
       {Case{"0x0003FC00", 0x3FC00}, Case{"0X1f", 0x1F}, Case{"0x", 0}, Case{"0xFFFFFFFF", 0xFFFFFFFF},
        Case{"0x100000000", 0},  // nine hexadecimal digits: eleven characters
        Case{"0x1X", 0x10}, Case{"Ax10", 0x10}, Case{"480", 480}, Case{"0480", 480},
        Case{"2147483647", 2147483647u}}) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(ParseAddressValue(c.text), c.value);
  }
  for (const char* bad : {"", "12F", "A5", "x1", "2147483648"}) {
    SCOPED_TRACE(bad);
    try {
      ParseAddressValue(bad);
      ADD_FAILURE() << "no error";
    } catch (const ConversionError& e) {
      EXPECT_EQ(e.what(), "'" + std::string(bad) + "' is not a valid integer value");
    }
  }
}

TEST(AddressListReaderTest, RowsAndNonRows) {
  auto row = ParseAddressRow("{480, 272, 0x00000000, 0x0003FC00},//bg.bmp");
  ASSERT_TRUE(row);
  EXPECT_EQ(row->values, (std::array<std::uint32_t, 4>{480, 272, 0, 0x3FC00}));
  EXPECT_EQ(row->comment, ",//bg.bmp");

  row = ParseAddressRow("{ 10 ; 20 , 0x10 ,0x20 , 99}tail}more");  // ";" is skipped, a fifth value ignored
  ASSERT_TRUE(row);
  EXPECT_EQ(row->values, (std::array<std::uint32_t, 4>{1020, 16, 32, 99}));
  EXPECT_EQ(row->comment, "tail}more");

  row = ParseAddressRow("{1,2}3,4,");  // "}" ends a value like ","
  ASSERT_TRUE(row);
  EXPECT_EQ(row->values, (std::array<std::uint32_t, 4>{1, 2, 3, 4}));
  EXPECT_EQ(row->comment, "3,4,");

  EXPECT_FALSE(ParseAddressRow("//0"));
  EXPECT_FALSE(ParseAddressRow(" {1,2,3,4}"));
  EXPECT_FALSE(ParseAddressRow("{1,2,3}"));
  EXPECT_FALSE(ParseAddressRow("{1,2,3,4"));                // the fourth value never ends
  EXPECT_EQ(ParseAddressRow("{1,2,3,4G}")->values[3], 4u);  // "G" is skipped
}

TEST(AddressListReaderTest, BadDecimalStopsEvenInAShortLine) {
  EXPECT_THROW(ParseAddressRow("{12F,2,3,4}"), ConversionError);
  EXPECT_THROW(ParseAddressRow("{1,,3,4}"), ConversionError);
  EXPECT_FALSE(ParseAddressRow("{1,/"));  // "/" is skipped; the row just ends early
  EXPECT_THROW(ParseAddressRow("{a,"), ConversionError);
}

}  // namespace
}  // namespace panelix::project
