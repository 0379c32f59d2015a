#include "base/codepage.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

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

TEST(CodePage, TextFilesAreReadInTheirEncodingWithWarningsThatNameTheLine) {
  struct Case {
    const char* bytes;
    int encoding;
    const char* text;
    std::vector<std::string> warnings;
  };
  const Case cases[] = {
      // Code page text stays as it was read, without a word.
      {"A\xD6\xD0\r\nB", 936, "A\xE4\xB8\xAD\r\nB", {}},
      {"plain ASCII\n", 936, "plain ASCII\n", {}},
      // UTF-8 read as 936: the glyphs are wrong, and the warning says how to read it.
      {"\xE4\xB8\xAD",
       936,
       nullptr,
       {"t.txt: the text is valid UTF-8 with non-ASCII characters but is read in code page 936; give "
        "--encoding utf-8 if it was written as UTF-8",
        // Its last byte starts a character that the text does not finish.
        "t.txt:1: bytes that code page 936 cannot convert are read as U+FFFD"}},
      {"\xE4\xB8\xAD\n", kUtf8CodePage, "\xE4\xB8\xAD\n", {}},
      // A byte-order mark makes the file UTF-8 whatever the encoding, and is dropped.
      {"\xEF\xBB\xBF\xE4\xB8\xAD", 950, "\xE4\xB8\xAD", {}},
      // Bytes that cannot be converted: one warning per line that holds them.
      {"ok\nA\x81 \nok\n\x81",
       936,
       nullptr,
       {"t.txt:2: bytes that code page 936 cannot convert are read as U+FFFD",
        "t.txt:4: bytes that code page 936 cannot convert are read as U+FFFD"}},
      {"ok\n\xC3(\n",
       kUtf8CodePage,
       "ok\n\xEF\xBF\xBD(\n",
       {"t.txt:2: bytes that UTF-8 cannot convert are read as U+FFFD"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.bytes);
    std::vector<std::string> warnings;
    const std::string text =
        DecodeTextFile(c.bytes, c.encoding, "t.txt", [&](const std::string& w) { warnings.push_back(w); });
    if (c.text != nullptr) {
      EXPECT_EQ(text, c.text);
    }
    EXPECT_EQ(warnings, c.warnings);
  }
}

TEST(CodePage, TextConvertedIntoTheCodePageNamesLinesWithLostCharacters) {
  std::vector<std::string> warnings;
  const auto warn = [&](const std::string& w) { warnings.push_back(w); };
  EXPECT_EQ(EncodeTextFile("a?\n\xE4\xB8\xAD\r\n\xC7\x85\n", 936, "p.ini", warn), "a?\n\xD6\xD0\r\n?\n");
  EXPECT_EQ(warnings, std::vector<std::string>{"p.ini:3: characters that code page 936 lacks become \"?\""});
  EXPECT_EQ(EncodeTextFile("x", 936, "p.ini", warn), "x");
}

}  // namespace
}  // namespace panelix
