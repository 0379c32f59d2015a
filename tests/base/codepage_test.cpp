#include "base/codepage.h"

#include <gtest/gtest.h>

namespace panelix {
namespace {

TEST(CodePage, EncodesAndDecodesChineseCodePages) {
  // 中 is D6D0 in 936 and A4A4 in 950.
  EXPECT_EQ(EncodeCodePage("a\xE4\xB8\xAD", 936), "a\xD6\xD0");
  EXPECT_EQ(EncodeCodePage("\xE4\xB8\xAD", 950), "\xA4\xA4");
  EXPECT_EQ(DecodeCodePage("\xD6\xD0z", 936), "\xE4\xB8\xADz");
  // A character the code page lacks becomes "?".
  EXPECT_EQ(EncodeCodePage("\xC7\x85", 950), "?");  // U+01C5 is in neither code page
}

}  // namespace
}  // namespace panelix
