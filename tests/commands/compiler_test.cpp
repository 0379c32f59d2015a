#include "commands/compiler.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "base/error.h"

namespace panelix::commands {
namespace {

using Bytes = std::vector<std::uint8_t>;

// A project: ten lines of [INFO] text, "[USERCMD]" and the given command lines.
std::vector<std::string> Project(std::vector<std::string> commands) {
  std::vector<std::string> lines{" ",   "[INFO]", "a=1", "b=2", "c=3",      "d=4",
                                 "e=5", "f=6",    "g=7", " ",   "[USERCMD]"};
  lines.insert(lines.end(), commands.begin(), commands.end());
  return lines;
}

Bytes At(const infoblock::InfoBlock& block, std::size_t offset, std::size_t count) {
  const auto bytes = block.Bytes().subspan(offset, count);
  return {bytes.begin(), bytes.end()};
}

Bytes IndexEntry(const infoblock::InfoBlock& block, int code) {
  return At(block, 0x200 + 4 * static_cast<std::size_t>(code - 0x80), 4);
}

// Codes whose index entry is not FF FF FF FF.
std::vector<int> UsedCodes(const infoblock::InfoBlock& block) {
  std::vector<int> used;
  for (int code = 0x80; code <= 0xFF; ++code) {
    if (IndexEntry(block, code) != Bytes(4, 0xFF)) {
      used.push_back(code);
    }
  }
  return used;
}

bool Untouched(const infoblock::InfoBlock& block) {
  return std::all_of(block.Bytes().begin(), block.Bytes().end(), [](std::uint8_t b) { return b == 0xFF; });
}

infoblock::InfoBlock Compile(const std::vector<std::string>& lines) {
  infoblock::InfoBlock block;
  CompileCommands(lines, block, infoblock::SetTables{});
  return block;
}

TEST(CompileCommands, OneLineGivesOneRecordAndOneIndexEntry) {
  const auto block = Compile(Project({"80h#00:1,2,3"}));
  EXPECT_EQ(At(block, 0x1800, 7), (Bytes{0x06, 0x00, 0x01, 0x02, 0x00, 0x03, 0xFF}));
  EXPECT_EQ(IndexEntry(block, 0x80), (Bytes{0x18, 0x00, 0x01, 0x00}));
  EXPECT_EQ(UsedCodes(block), std::vector<int>{0x80});
}

TEST(CompileCommands, GroupsFollowCodeOrderAndRecordsListOrder) {
  const auto block =
      Compile(Project({"82h#00:1,2", "C2h#00:1,2", "80h#00:1,2,3", "82h#01:3,4", "C0h#00:5,6"}));
  EXPECT_EQ(At(block, 0x1800, 25), (Bytes{0x06, 0x00, 0x01, 0x02, 0x00, 0x03,              // 80h
                                          0x00, 0x01, 0x00, 0x02, 0x00, 0x03, 0x00, 0x04,  // 82h, 82h
                                          0x05, 0x00, 0x06,                                // C0h
                                          0x01, 0x00, 0x02,                                // C2h
                                          0xFF, 0xFF, 0xFF, 0xFF, 0xFF}));
  EXPECT_EQ(IndexEntry(block, 0x82), (Bytes{0x18, 0x06, 0x02, 0x08}));
  EXPECT_EQ(IndexEntry(block, 0xC0), (Bytes{0x18, 0x0E, 0x01, 0x03}));
  EXPECT_EQ(IndexEntry(block, 0xC2), (Bytes{0x18, 0x11, 0x01, 0x03}));
  EXPECT_EQ(UsedCodes(block), (std::vector<int>{0x80, 0x82, 0xC0, 0xC2}));
}

TEST(CompileCommands, OnlyLinesBeginningWithANameOfACodeWithEncoderCount) {
  const auto block = Compile(Project({
      "   \t80h #00: 1, 2, 3",  // leading blanks do not matter
      "8ah#00:1,2,3",           // names are case-sensitive
      "//80h#00:1,2,3",         // a comment line
      "84h#00:1,,x",            // no encoder: never read, so no conversion error
      "80h#01:1,2",             // 4 bytes, below the 80h minimum of 5
      "A2h#00:1,2,3",           // 7 bytes, below the A2h minimum of 9
      "7Fh#00:1",               // below the first code
      "FDh#00:1",               // no encoder
  }));
  EXPECT_EQ(UsedCodes(block), std::vector<int>{0x80});
  EXPECT_EQ(IndexEntry(block, 0x80), (Bytes{0x18, 0x00, 0x01, 0x00}));
}

TEST(CompileCommands, SetCommandsReadTheSetTablesOfTheRun) {
  infoblock::SetTables sets;
  sets.gif.count = 1;
  sets.gif.sets[0] = {307, 319};
  sets.keyNum.count = 2;
  sets.keyNum.sets[1] = {217, 229};
  infoblock::InfoBlock block;
  CompileCommands(
      Project({"A4h#00KPT:1,2,3,4,1", "88h#05GIF:1,2,0", "A4h#01:1,2,3,4,1", "A4h#02KPT:1,2,3,4,2"}), block,
      sets);
  // 88h: the last parameter's byte (GIF set 0) becomes its picture range; A4h follows directly.
  EXPECT_EQ(At(block, 0x1800, 18), (Bytes{0x01, 0x02, 0x00, 0x01, 0x33, 0x01, 0x3F, 0x00, 0x0A, 0x01, 0x02,
                                          0x03, 0x04, 0x00, 0xD9, 0x00, 0xE5, 0xFF}));
  EXPECT_EQ(IndexEntry(block, 0x88), (Bytes{0x18, 0x00, 0x01, 0x07}));
  // Only the A4h line with "KPT" and an existing set gives a record.
  EXPECT_EQ(IndexEntry(block, 0xA4), (Bytes{0x18, 0x07, 0x01, 0x0A}));
}

TEST(CompileCommands, LineCutAt1023CharactersBeforeItIsRead) {
  const std::string line = "82h#00:1" + std::string(1015, ' ') + ",2";
  const auto block = Compile(Project({line}));
  EXPECT_EQ(At(block, 0x1800, 3), (Bytes{0x00, 0x01, 0xFF}));
}

TEST(CompileCommands, NothingIsCompiledWithoutAUsableProject) {
  std::vector<std::string> tenLines{"[USERCMD]", "80h#00:1,2,3"};
  tenLines.resize(10, " ");
  EXPECT_TRUE(Untouched(Compile(tenLines)));
  auto noSection = Project({"80h#00:1,2,3"});
  noSection.erase(noSection.begin() + 10);
  EXPECT_TRUE(Untouched(Compile(noSection)));
  // Lines before the first line containing "[USERCMD]" are not commands.
  auto early = Project({"x[USERCMD]x", "82h#00:1"});
  early.erase(early.begin() + 10);
  early.insert(early.begin() + 9, std::string("82h#00:2"));
  EXPECT_EQ(At(Compile(early), 0x1800, 3), (Bytes{0x00, 0x01, 0xFF}));
}

TEST(CompileCommands, Code80CountsRecordsLowByteFirstOthersKeepLengthModulo256) {
  std::vector<std::string> commands(300, "80h#00:1,2,3");
  commands.insert(commands.end(), 100, "82h#00:1,2");
  const auto block = Compile(Project(commands));
  EXPECT_EQ(IndexEntry(block, 0x80), (Bytes{0x18, 0x00, 0x2C, 0x01}));
  // 80h: 300 records of 6 bytes end at 0x1800 + 1800 = 0x1F08; 82h: 100 records of 4 bytes = 400.
  EXPECT_EQ(IndexEntry(block, 0x82), (Bytes{0x1F, 0x08, 0x64, 0x90}));
}

TEST(CompileCommands, ConversionErrorStopsWithBlockUntouched) {
  infoblock::InfoBlock block;
  try {
    CompileCommands(Project({"80h#00:1,2,3", "82h#00:1,,3"}), block, {});
    ADD_FAILURE() << "no conversion error";
  } catch (const ConversionError& e) {
    EXPECT_STREQ(e.what(), "'' is not a valid integer value");
  }
  EXPECT_TRUE(Untouched(block));
  // The first bad line in code order is the one reported, not the first in list order.
  try {
    CompileCommands(Project({"C0h#00:3000000000", "82h#00:2147483648"}), block, {});
    ADD_FAILURE() << "no conversion error";
  } catch (const ConversionError& e) {
    EXPECT_STREQ(e.what(), "'2147483648' is not a valid integer value");
  }
}

TEST(CompileCommands, RecordsFillTheRegionUpTo0x6FFFButNoFurther) {
  // 9Ah records of 255 bytes: 88 of them take 22440 bytes; 88 more bytes fill the region exactly.
  std::string longLine = "9Ah#00:";
  for (int i = 0; i < 254; ++i) {
    longLine += "1,";
  }
  std::vector<std::string> commands(88, longLine);
  std::string filler = "9Ah#00:";
  for (int i = 0; i < 87; ++i) {
    filler += "1,";
  }
  commands.push_back(filler);
  const auto full = Compile(Project(commands));
  EXPECT_EQ(At(full, 0x6FFF, 2), (Bytes{0x01, 0xFF}));
  EXPECT_EQ(IndexEntry(full, 0x9A), (Bytes{0x18, 0x00, 89, static_cast<std::uint8_t>(22528 % 256)}));

  commands.push_back("9Ch#00:1");
  infoblock::InfoBlock block;
  try {
    CompileCommands(Project(commands), block, {});
    ADD_FAILURE() << "the records passed the end of the command region";
  } catch (const ConversionError&) {
    ADD_FAILURE() << "wrong error";
  } catch (const Error& e) {
    EXPECT_STREQ(e.what(),
                 "Command list too long: the command records take 22529 bytes, the info block has room for "
                 "22528 (0x1800 to 0x6FFF)");
  }
  EXPECT_TRUE(Untouched(block));
}

TEST(CompileCommands, MoreRecordsThanTheIndexCanCountAreRefused) {
  EXPECT_NO_THROW(Compile(Project(std::vector<std::string>(255, "9Ch#00:1"))));
  infoblock::InfoBlock block;
  try {
    CompileCommands(Project(std::vector<std::string>(256, "9Ch#00:1")), block, {});
    ADD_FAILURE() << "256 records of one code were accepted";
  } catch (const Error& e) {
    EXPECT_STREQ(e.what(), "Too many 9Ch commands: 256 records, the command index holds at most 255");
  }
  EXPECT_TRUE(Untouched(block));
  // A parameter that is not a number is reported before any limit, whatever its code.
  std::vector<std::string> commands(256, "9Ch#00:1");
  commands.push_back("C0h#00:x");
  EXPECT_THROW(CompileCommands(Project(commands), block, {}), ConversionError);
}

}  // namespace
}  // namespace panelix::commands
