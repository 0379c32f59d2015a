#include "base/numbers.h"

#include <gtest/gtest.h>

#include "base/error.h"

namespace panelix {
namespace {

TEST(StrToInt, ReadsWholeFields) {
  struct Case {
    const char* text;
    std::int32_t value;
  };
  const Case cases[] = {{"150", 150},
                        {"  42", 42},
                        {"-7", -7},
                        {"+3", 3},
                        {"0x1F", 31},
                        {"$ff", 255},
                        {"X10", 16},
                        {"2147483647", INT32_MAX},
                        {"-2147483648", INT32_MIN},
                        {"0xFFFFFFFF", -1}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(StrToInt(c.text), c.value);
  }
}

TEST(StrToInt, RejectsWithTheConversionMessage) {
  for (const char* text : {"", "12a", "2147483648", "0x", "- 1", "1 "}) {
    SCOPED_TRACE(text);
    try {
      StrToInt(text);
      ADD_FAILURE() << "no error";
    } catch (const ConversionError& e) {
      EXPECT_EQ(std::string(e.what()), std::string("'") + text + "' is not a valid integer value");
      EXPECT_EQ(e.Text(), text);
    }
  }
  EXPECT_EQ(StrToIntDef("x", 9), 9);
}

TEST(Hex, UpperCaseFixedWidthAndPairs) {
  EXPECT_EQ(HexUpper(0x3FC00, 8), "0003FC00");
  EXPECT_EQ(HexUpper(0xab, 2), "AB");
  EXPECT_EQ(HexUpper(0x123, 2), "123");
  EXPECT_EQ(HexPair('1', '2'), 0x12);
  EXPECT_EQ(HexPair('a', 'F'), 0xAF);
  EXPECT_EQ(HexPair('G', '5'), 0x05);
}

}  // namespace
}  // namespace panelix
