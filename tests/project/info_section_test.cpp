#include "project/info_section.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace panelix::project {
namespace {

// The [INFO] section of a typical 1024 x 600 module, after two free lines.
std::vector<std::string> ExampleSection() {
  return {"; module settings",
          " ",
          "[INFO]",
          "PCVersion = 10",
          "COMPort = UART",
          "Baudrate = 115200 // link speed",
          "PCBVersion : 12",
          "MCUBit = 8",
          "MCUType = STM",
          "CX9Type = CX-2",
          "CX9IF = SPI",
          "XSIZE = 1024",
          "YSIZE = 600",
          "VBPD = 20",
          "VFPD = 12",
          "VSPW = 3",
          "HBPD = 140",
          "HFPD = 160",
          "HSPW = 20",
          "PCLKRISING = True",
          "HSYNCPolarity = 0",
          "VSYNCPolarity = 0",
          "DEPolarity = 1",
          "RGBSequence = RGB",
          "ColorDepth = 16",
          "FlashType = NOR",
          "FlashSize = 128"};
}

const std::vector<std::uint8_t> kExampleBytes{0x10, 0x00, 0x01, 0xC2, 0x00, 0x12, 0x00, 0x01, 0x02,
                                              0x02, 0x04, 0x00, 0x02, 0x58, 0x00, 0x14, 0x00, 0x0C,
                                              0x00, 0x03, 0x00, 0x8C, 0x00, 0xA0, 0x00, 0x14, 0x01,
                                              0x00, 0x00, 0x01, 0x00, 0x01, 0x00, 0x00, 0x80};

std::vector<std::uint8_t> Settings(const infoblock::InfoBlock& block) {
  const auto bytes = block.Bytes().subspan(0x0400, 0x23);
  return {bytes.begin(), bytes.end()};
}

// The example section with the line of one key replaced.
std::vector<std::string> WithLine(const std::string& key, const std::string& line) {
  std::vector<std::string> lines = ExampleSection();
  for (std::string& l : lines) {
    if (l.starts_with(key + " ") || l.starts_with(key + "=") || l.starts_with(key + ":")) {
      l = line;
      return lines;
    }
  }
  ADD_FAILURE() << "no line for " << key;
  return lines;
}

TEST(InfoSectionTest, ExampleSectionGivesItsBytes) {
  infoblock::InfoBlock block;
  std::vector<std::string> messages;
  const InfoParseResult result =
      ParseInfoSection(ExampleSection(), block, [&](const std::string& m) { messages.push_back(m); });
  EXPECT_TRUE(result.ok);
  EXPECT_EQ(Settings(block), kExampleBytes);
  EXPECT_TRUE(messages.empty());
  EXPECT_EQ(block.Bytes()[0x03FF], 0xFF);
  EXPECT_EQ(block.Bytes()[0x0423], 0xFF);
}

TEST(InfoSectionTest, ValueVariantsOfOneLine) {
  struct Case {
    const char* key;
    const char* line;
    std::vector<std::uint8_t> field;
  };
  const std::vector<Case> cases{
      {"XSIZE", "XSIZE=800", {0x03, 0x20}},
      {"XSIZE", "XSIZE : 800 // width", {0x03, 0x20}},
      {"XSIZE", "XSIZE = 1,024", {0x04, 0x00}},
      {"XSIZE", "XSIZE = -5", {0x00, 0x05}},
      {"XSIZE", "XSIZE = 70000", {0x11, 0x70}},
      {"XSIZE", "XSIZE = 800 = 2", {0x1F, 0x42}},  // every digit after the first "=": 8002
      {"XSIZE", "XSIZE = 8 : 5", {0x00, 0x05}},    // ":" wins over an earlier "="
      {"PCVersion", "PCVersion = 1", {0x01}},
      {"PCVersion", "PCVersion = 123", {0x01}},
      {"PCVersion", "PCVersion = v2.5", {0x25}},
      {"PCVersion", "PCVersion = 1.2", {0x12}},
      {"PCVersion", "PCVersion = ", {0x01}},
      {"COMPort", "COMPort = uart", {0x00}},
      {"COMPort", "COMPort = UART1", {0x00}},
      {"COMPort", "COMPort = I2C // host", {0x02}},
      {"MCUType", "MCUType = S T M", {0x01}},
      {"MCUType", "MCUType =\tSTC\r", {0x02}},
      {"CX9Type", "CX9Type = CX-4", {0x04}},
      {"CX9IF", "CX9IF = 8080-16", {0x01}},
      {"RGBSequence", "RGBSequence = BGR", {0x05}},
      {"FlashType", "FlashType = NAND", {0x01}},
      {"MCUBit", "MCUBit = 16", {0x01}},
      {"MCUBit", "MCUBit = 32", {0x02}},
      {"MCUBit", "MCUBit = 64", {0x00}},
      {"ColorDepth", "ColorDepth = 8", {0x00}},
      {"ColorDepth", "ColorDepth = 18", {0x01}},
      {"ColorDepth", "ColorDepth = 24", {0x02}},
      {"Baudrate", "Baudrate = 16777217", {0x00, 0x00, 0x01}},
      {"PCLKRISING", "PCLKRISING = 0 / 5", {0x00}},
      {"PCLKRISING", "PCLKRISING = False", {0x00}},
      {"PCLKRISING", "PCLKRISING = 300", {0x2C}},
      {"PCLKRISING", "PCLKRISING True", {0x01}},
      {"PCLKRISING", "PCLKRISING = 1 // not True", {0x01}},
      {"HSYNCPolarity", "HSYNCPolarity = 257", {0x01}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    infoblock::InfoBlock block;
    std::vector<std::string> messages;
    ASSERT_TRUE(ParseInfoSection(WithLine(c.key, c.line), block, [&](const std::string& m) {
                  messages.push_back(m);
                }).ok);
    std::size_t offset = 0;
    for (const InfoKey& key : InfoKeys()) {
      if (std::string(key.key) == c.key) {
        offset = key.offset;
      }
    }
    const auto field = block.Bytes().subspan(offset, c.field.size());
    EXPECT_EQ(std::vector<std::uint8_t>(field.begin(), field.end()), c.field);
    EXPECT_TRUE(messages.empty());
  }
}

TEST(InfoSectionTest, KeyLineWithoutSeparatorIsReportedAndReadAsZero) {
  struct Case {
    const char* key;
    const char* line;
    std::vector<std::uint8_t> field;
  };
  for (const Case& c : {Case{"HSPW", "HSPW 20", {0x00, 0x00}}, Case{"ColorDepth", "ColorDepth 24", {0x01}},
                        Case{"PCVersion", "PCVersion 12", {0x00}}, Case{"COMPort", "COMPort SPI", {0x00}}}) {
    SCOPED_TRACE(c.line);
    infoblock::InfoBlock block;
    std::vector<std::string> messages;
    EXPECT_TRUE(ParseInfoSection(WithLine(c.key, c.line), block, [&](const std::string& m) {
                  messages.push_back(m);
                }).ok);
    EXPECT_EQ(messages, std::vector<std::string>{std::string("Error: ") + c.line});
    std::size_t offset = 0;
    for (const InfoKey& key : InfoKeys()) {
      if (std::string(key.key) == c.key) {
        offset = key.offset;
      }
    }
    const auto field = block.Bytes().subspan(offset, c.field.size());
    EXPECT_EQ(std::vector<std::uint8_t>(field.begin(), field.end()), c.field);
    // The keys after it are read as usual.
    EXPECT_EQ(block.Bytes()[0x0421], 0x00);
    EXPECT_EQ(block.Bytes()[0x0422], 0x80);
  }
}

TEST(InfoSectionTest, KeysAreFoundInTableOrderOnly) {
  infoblock::InfoBlock block;
  // YSIZE before XSIZE: the search for XSIZE passes the YSIZE line, which is then missing.
  std::vector<std::string> swapped = ExampleSection();
  std::swap(swapped[11], swapped[12]);
  InfoParseResult result = ParseInfoSection(swapped, block, NoMessage);
  EXPECT_FALSE(result.ok);
  EXPECT_EQ(result.missing, "YSIZE");
  EXPECT_EQ(block.Bytes()[0x040A], 0x04);  // XSIZE stored before the failure

  std::vector<std::string> noSection = ExampleSection();
  noSection[2] = "[INF0]";
  EXPECT_EQ(ParseInfoSection(noSection, block, NoMessage).missing, "[INFO]");

  std::vector<std::string> noFlashSize = ExampleSection();
  noFlashSize.pop_back();
  EXPECT_EQ(ParseInfoSection(noFlashSize, block, NoMessage).missing, "FlashSize");

  const std::vector<std::string> all = ExampleSection();
  const std::vector<std::string> tenLines(all.begin(), all.begin() + 10);
  result = ParseInfoSection(tenLines, block, NoMessage);
  EXPECT_FALSE(result.ok);
  EXPECT_EQ(result.missing, "");

  // A comment that mentions the next key is taken as its line.
  std::vector<std::string> comment = ExampleSection();
  comment.insert(comment.begin() + 11, "// XSIZE: 40 on the small panel");
  infoblock::InfoBlock commented;
  EXPECT_TRUE(ParseInfoSection(comment, commented, NoMessage).ok);
  EXPECT_EQ(commented.Bytes()[0x040A], 0x00);
  EXPECT_EQ(commented.Bytes()[0x040B], 0x28);
  EXPECT_EQ(commented.Bytes()[0x040C], 0x02);
}

TEST(InfoSectionTest, NumberWithoutDigitsStopsWithTheLine) {
  struct Case {
    const char* key;
    const char* line;
    const char* message;
    std::size_t index;
  };
  for (const Case& c :
       {Case{"XSIZE", "XSIZE = wide", "'' is not a valid integer value", 11},
        Case{"Baudrate", "Baudrate = 2147483648", "'2147483648' is not a valid integer value", 5},
        Case{"MCUBit", "MCUBit = eight // 8", "'' is not a valid integer value", 7}}) {
    SCOPED_TRACE(c.line);
    infoblock::InfoBlock block;
    try {
      ParseInfoSection(WithLine(c.key, c.line), block, NoMessage);
      ADD_FAILURE() << "no error";
    } catch (const InfoNumberError& e) {
      EXPECT_STREQ(e.what(), c.message);
      EXPECT_EQ(e.Line(), c.index);
    }
  }
  infoblock::InfoBlock block;
  EXPECT_TRUE(ParseInfoSection(WithLine("Baudrate", "Baudrate = 2147483647"), block, NoMessage).ok);
}

}  // namespace
}  // namespace panelix::project
