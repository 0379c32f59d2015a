#include "commands/command_syntax.h"

#include <gtest/gtest.h>

#include "base/error.h"

namespace panelix::commands {
namespace {

using Tokens = std::vector<std::string>;

TEST(CommandSyntax, NamesAreTwoUpperCaseDigitsAndH) {
  EXPECT_EQ(CommandName(0x80), "80h");
  EXPECT_EQ(CommandName(0x8A), "8Ah");
  EXPECT_EQ(CommandName(0xFC), "FCh");
}

TEST(CommandSyntax, NormalizeKeepsOnlyPrintableAscii) {
  EXPECT_EQ(NormalizeCommandLine("80h #05 : 0x10, 20, 0x0300 // note"), "80h#05:0x10,20,0x0300//note");
  EXPECT_EQ(NormalizeCommandLine("\t 82h#00:1,\x01 2\r"), "82h#00:1,2");
  // Bytes of the 8-bit code page above 0x7F vanish; DEL (0x7F) is below 0x80 and stays.
  EXPECT_EQ(NormalizeCommandLine("82h#00:\xC4\xE3 1\x7F"), "82h#00:1\x7F");
}

TEST(CommandSyntax, NormalizeLooksAtTheFirst1023BytesOnly) {
  const std::string head = "82h#00:" + std::string(1016, ' ');
  ASSERT_EQ(head.size(), 1023U);
  EXPECT_EQ(NormalizeCommandLine(head + "5"), "82h#00:");
  EXPECT_EQ(NormalizeCommandLine(head.substr(0, 1022) + "5"), "82h#00:5");
}

TEST(CommandSyntax, SplitParameters) {
  const struct {
    const char* line;
    Tokens tokens;
  } cases[] = {
      {"80h#00:1,2,3", {"1", "2", "3"}},
      {"82h#00:1,2,3,", {"1", "2", "3"}},          // a trailing "," adds nothing
      {"82h#00:1,2,3/4,5", {"1", "2", "3"}},       // "/" ends the list
      {"82h#00:1,,3", {"1", "", "3"}},             // empty token between commas is kept
      {"82h#00:1,/", {"1", ""}},                   // and so is one ended by the comment mark
      {"82h#00:/note", {""}},                      //
      {"82h#00:", {}},                             //
      {"82h#00:0x1G2,z9,-7", {"0x12", "9", "7"}},  // other characters are skipped
      {"82h#00:a:b", {"ab"}},                      // only the first ":" opens the list
      {"80h#00", {"8000"}},                        // without ":" the name's digits join in
      {"90h#00PT:1,2", {"1", "2"}},                // a keyword before ":" is outside
      {"91h#00:CPT1,2", {"C1", "2"}},              // after ":" the C of CPT is a digit
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    EXPECT_EQ(SplitParameters(c.line), c.tokens);
  }
  EXPECT_EQ(SplitParameters("88h#05GIF:1,0x10,AB,7", TokenChars::DigitsOnly), (Tokens{"1", "010", "", "7"}));
}

TEST(CommandSyntax, ParseCommandNumber) {
  const struct {
    const char* token;
    std::uint32_t value;
  } cases[] = {
      {"0x1F", 0x1F},
      {"0X1f", 0x1F},
      {"0xFFFFFFFF", 0xFFFFFFFF},
      {"0x123456789", 0},  // more than eight digits
      {"0x", 0},
      {"5x10", 0x10},  // the first character is not examined
      {"0x1x", 0x10},  // a further x counts as 0
      {"A5", 5},
      {"12F", 12},
      {"1a2b3c4d5e6f7", 1234567},
      {"0", 0},
      {"2147483647", 2147483647},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.token);
    EXPECT_EQ(ParseCommandNumber(c.token), c.value);
  }
  // Only the first 63 digits count.
  EXPECT_EQ(ParseCommandNumber(std::string(62, '0') + "12"), 1U);
}

TEST(CommandSyntax, ParseCommandNumberRejectsWhatHasNoValue) {
  const struct {
    std::string token;
    std::string message;
  } cases[] = {
      {"", "'' is not a valid integer value"},
      {"ABx", "'' is not a valid integer value"},
      {"2147483648", "'2147483648' is not a valid integer value"},
      {"3a000b000c000", "'3000000000' is not a valid integer value"},
      {std::string(70, '9'), "'" + std::string(63, '9') + "' is not a valid integer value"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.token);
    try {
      ParseCommandNumber(c.token);
      ADD_FAILURE() << "no conversion error";
    } catch (const ConversionError& e) {
      EXPECT_EQ(e.what(), c.message);
    }
  }
}

}  // namespace
}  // namespace panelix::commands
