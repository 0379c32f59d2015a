#include "font/code_sets.h"

#include <gtest/gtest.h>

#include <string>

#include "base/codepage.h"
#include "base/error.h"

namespace panelix::font {
namespace {

std::string Text(std::uint16_t code, CodeSet set, bool traditionalSystem = false, int codePage = 936) {
  TextConverter converter;
  return Utf16ToUtf8(CodeToText(code, set, traditionalSystem, codePage, converter));
}

std::string ErrorOf(CodeSet set, std::uint16_t start, std::uint16_t end) {
  try {
    TextConverter converter;
    PlanLibrary({set, start, end, true, false, 936}, converter);
  } catch (const Error& e) {
    return e.what();
  }
  return {};
}

TEST(CodeToText, ConvertsEachCodeSet) {
  struct Case {
    std::uint16_t code;
    CodeSet set;
    bool traditionalSystem;
    int codePage;
    std::string text;
  };
  const Case cases[] = {
      {0xBBAA, CodeSet::Gb2312, false, 936, "华"},
      {0xBBAA, CodeSet::Gb2312Traditional, false, 936, "華"},  // GB2312 code drawn traditional
      {0xB0A1, CodeSet::Gb2312, false, 936, "啊"},
      {0xB5D8, CodeSet::Big5, false, 936, "華"},  // BIG5 -> 950 -> 936 -> system code page
      {0xA145, CodeSet::Big5, false, 936, "?"},   // U+2027 is outside GBK
      {0xA17F, CodeSet::Big5, false, 936, "?\x7F"},
      {0x8140, CodeSet::Gbk, false, 936, "丂"},
      {0x4E2D, CodeSet::Unicode, false, 936, "中"},
      {0x0041, CodeSet::Unicode, false, 936, "A"},
      {0x00A0, CodeSet::Gbk, false, 936, ""},      // a zero high byte is an empty string
      {0x4100, CodeSet::Gbk, false, 936, "A"},     // a zero low byte ends the string
      {0xB5D8, CodeSet::Gb2312, true, 950, "華"},  // traditional system: system code page only
      {0x4E2D, CodeSet::Unicode, true, 950, "N-"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Text(c.code, c.set, c.traditionalSystem, c.codePage), c.text) << std::hex << c.code;
  }
}

TEST(CodeFields, ReadAndNormalize) {
  EXPECT_EQ(CodeFromField(u"B0A1", "x"), 0xB0A1);
  EXPECT_EQ(CodeFromField(u"b0g1xyz", "x"), 0xB001);  // non-hex counts as 0, the rest is ignored
  EXPECT_THROW(CodeFromField(u"A1A", "Start code number is less 4."), Error);
  EXPECT_EQ(NormalizeCodeField(u"a1g"), u"A100");
  EXPECT_EQ(NormalizeCodeField(u"f7fe99"), u"F7FE");
  EXPECT_EQ(NormalizeCodeField(u""), u"0000");
  EXPECT_EQ(NormalizeCodeField(u"华A"), u"0A00");
}

TEST(LibraryCodes, CountsOrdersAndIndices) {
  struct Case {
    CodeSet set;
    std::uint16_t start;
    std::uint16_t end;
    std::size_t count;
    std::uint16_t first;
    std::uint16_t last;
  };
  const Case cases[] = {
      {CodeSet::Gb2312, 0xA1A0, 0xF7FE, 8178, 0xA1A1, 0xF7FE},
      {CodeSet::Gb2312, 0xB0A1, 0xB0FE, 94, 0xB0A1, 0xB0FE},
      {CodeSet::Gb2312, 0xB000, 0xB0FE, 94, 0xB0A1, 0xB0FE},  // only the high bytes count
      {CodeSet::Gb2312Traditional, 0xB0A1, 0xB1A1, 188, 0xB0A1, 0xB1FE},
      {CodeSet::Big5, 0x0000, 0x0001, 14240, 0xA140, 0xF9FF},
      {CodeSet::Gbk, 0x0000, 0x0001, 24066, 0x8140, 0xFEFE},
      {CodeSet::Unicode, 0x0041, 0x0041, 1, 0x0041, 0x0041},
      {CodeSet::Unicode, 0x4E00, 0x9FA5, 20902, 0x4E00, 0x9FA5},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.set));
    const std::vector<std::uint16_t> codes = LibraryCodes(c.set, c.start, c.end);
    ASSERT_EQ(codes.size(), c.count);
    EXPECT_EQ(codes.front(), c.first);
    EXPECT_EQ(codes.back(), c.last);
    for (std::size_t i = 0; i < codes.size(); ++i) {
      ASSERT_EQ(GlyphIndex(c.set, codes[i], c.start), i) << std::hex << codes[i];
    }
  }
  // BIG5 rows: 0x40..0x7F then 0xA0..0xFF; GBK rows include 0x7F.
  const std::vector<std::uint16_t> big5 = LibraryCodes(CodeSet::Big5, 0, 0);
  EXPECT_EQ(big5[63], 0xA17F);
  EXPECT_EQ(big5[64], 0xA1A0);
  EXPECT_EQ(big5[160], 0xA240);
  const std::vector<std::uint16_t> gbk = LibraryCodes(CodeSet::Gbk, 0, 0);
  EXPECT_EQ(gbk[63], 0x817F);
  EXPECT_EQ(gbk[191], 0x8240);
}

TEST(PlanLibrary, RangeMessages) {
  EXPECT_EQ(ErrorOf(CodeSet::Gb2312, 0xA19F, 0xF7FE), "Font Start Code is less 0xA1A0");
  EXPECT_EQ(ErrorOf(CodeSet::Gb2312Traditional, 0xA1A0, 0xF7FF), "Font End Code is over 0xF7FE");
  EXPECT_EQ(ErrorOf(CodeSet::Unicode, 0x0042, 0x0041), "Error for start code > end code. And stop.");
  EXPECT_EQ(ErrorOf(CodeSet::Big5, 0xF000, 0xA000), "Error for start code > end code. And stop.");
  EXPECT_EQ(ErrorOf(CodeSet::Gbk, 0x0000, 0x0010), "");
}

TEST(PlanLibrary, HalfWidthRowMessagesAndMemoLines) {
  TextConverter converter;
  LibraryPlan plan = PlanLibrary({CodeSet::Gb2312, 0xA3A1, 0xA3FE, true, false, 936}, converter);
  ASSERT_EQ(plan.texts.size(), 94u);
  EXPECT_EQ(plan.texts[0], u"!");
  EXPECT_EQ(plan.texts[93], u"~");
  EXPECT_EQ(plan.okMessage, "GB2312 Font Lib ok");
  plan = PlanLibrary({CodeSet::Gb2312Traditional, 0xA3A1, 0xA3FE, false, false, 936}, converter);
  EXPECT_EQ(plan.texts[0], u"\uFF01");  // the full-width form without the half-width row
  EXPECT_EQ(plan.okMessage, "繁体GB2312 Font Lib ok");
  plan = PlanLibrary({CodeSet::Gbk, 0, 0, true, false, 936}, converter);
  EXPECT_EQ(plan.okMessage, "GB2312 Font Lib ok");
  EXPECT_EQ(plan.texts[GlyphIndex(CodeSet::Gbk, 0xA3C1, 0)], u"\uFF21");  // GBK has no half-width row
  plan = PlanLibrary({CodeSet::Unicode, 0x0041, 0x0041, true, false, 936}, converter);
  EXPECT_EQ(plan.texts, std::vector<std::u16string>{u"A"});
  EXPECT_EQ(plan.okMessage, "UniCode Font Lib ok");
  EXPECT_EQ(plan.memoLines,
            (std::vector<std::string>{"Unicode start:0041", "Unicode end:0041", "Unicode nmuber:1"}));
  // Traditional-system mode always runs BIG5 through the system code page.
  plan = PlanLibrary({CodeSet::Gb2312, 0xA1A0, 0xF7FE, true, true, 950}, converter);
  EXPECT_EQ(plan.texts.size(), 14240u);
  EXPECT_EQ(plan.texts[GlyphIndex(CodeSet::Big5, 0xB5D8, 0)], u"華");
  EXPECT_EQ(plan.okMessage, "BIG5 Font Lib ok");
}

TEST(CodeSetAt, OutOfRangeIndexIsTheFirstSet) {
  EXPECT_STREQ(CodeSetAt(-1).item, "GB2312");
  EXPECT_STREQ(CodeSetAt(5).item, "GB2312");
  EXPECT_STREQ(CodeSetAt(2).item, "繁体GB2312");
  EXPECT_EQ(CodeSetAt(3).defaultEnd, 0xFEBF);
}

}  // namespace
}  // namespace panelix::font
