#include "commands/encoders.h"

#include <gtest/gtest.h>

#include <set>

#include "base/error.h"

namespace panelix::commands {
namespace {

constexpr std::size_t kParameters = 22;

// Widths of parameters 0..21 as digits: the given head, then the tail width repeated.
std::string Widths(std::string head, char tail) {
  head.resize(kParameters, tail);
  return head;
}

Record Encode(int code, const std::string& line) {
  return EncodeCommand(code, NormalizeCommandLine(line), infoblock::SetTables{});
}

// Every code with a parameter-list layout: each of 22 parameters 0x010203 must come out as its
// lowest w bytes, w read from the expected width digits.
TEST(Encoders, EveryLayoutWritesEachParameterWithItsWidth) {
  const struct {
    std::vector<int> codes;
    bool lengthByte;
    std::string widths;
  } layouts[] = {
      {{0x80, 0x8A}, true, "2122212221222122212221"},
      {{0x81}, true, Widths("1221", '2')},
      {{0x82}, false, Widths("2221", '2')},
      {{0x83}, false, Widths("1", '2')},
      {{0x88}, false, Widths("112222", '1')},
      {{0x90, 0x91}, false, Widths("2222", '1')},
      {{0x94}, false, Widths("111122211133", '1')},
      {{0x96}, false, Widths("1111222", '1')},
      {{0x98}, false, Widths("22", '1')},
      {{0x9A}, true, Widths("", '1')},
      {{0x9B, 0xA0}, true, Widths("2122", '1')},
      {{0x9C}, false, Widths("", '1')},
      {{0xA2}, true, Widths("2222", '1')},
      {{0xB0}, false, Widths("2211311123", '1')},
      {{0xB1}, false, Widths("2211233", '1')},
      {{0xB2}, false, Widths("221112331123311233", '1')},
      {{0xB4}, true, Widths("11", '2')},
      {{0xC0, 0xC1, 0xC2, 0xC3}, false, Widths("122233", '1')},
      {{0xC4, 0xC5, 0xC6, 0xC7, 0xD0, 0xD1, 0xD2, 0xD3, 0xD4, 0xD5, 0xD6, 0xD7}, false, Widths("222", '1')},
      {{0xD8}, false, Widths("22112", '1')},
      {{0xD9, 0xDA}, true, Widths("2211", '2')},
      {{0xDC}, false, Widths("222231", '2')},
      {{0xDF}, false, Widths("113", '1')},
      {{0xE0}, false, Widths("22223", '1')},
      {{0xE1, 0xE2}, false, Widths("222", '3')},
      {{0xE3}, false, Widths("22233", '1')},
      {{0xE4, 0xE5, 0xE7, 0xE8}, false, Widths("22223", '2')},
      {{0xE6, 0xE9}, false, Widths("222233", '1')},
      {{0xEA, 0xEB, 0xED, 0xEE, 0xEF}, false, Widths("222222", '3')},
      {{0xEC}, false, Widths("22222233", '1')},
      {{0xF0, 0xF1}, false, Widths("222222223", '2')},
      {{0xF2, 0xF3}, false, Widths("22222222223", '2')},
      {{0xF4}, false, Widths("22222331", '2')},
      {{0xF5}, false, Widths("222222331", '2')},
      {{0xF6}, false, Widths("222211333", '1')},
      {{0xFB}, false, Widths("2222", '1')},
      {{0xFC}, false, Widths("1222233", '1')},
  };
  std::string parameters;
  for (std::size_t i = 0; i < kParameters; ++i) {
    parameters += i == 0 ? "0x010203" : ",0x010203";
  }
  for (const auto& layout : layouts) {
    Record expected = layout.lengthByte ? Record{0} : Record{};
    for (const char w : layout.widths) {
      const Record value{0x01, 0x02, 0x03};
      expected.insert(expected.end(), value.end() - (w - '0'), value.end());
    }
    if (layout.lengthByte) {
      expected[0] = static_cast<std::uint8_t>(expected.size());
    }
    for (const int code : layout.codes) {
      SCOPED_TRACE(CommandName(code));
      EXPECT_EQ(Encode(code, CommandName(code) + "#00:" + parameters), expected);
    }
  }
}

TEST(Encoders, TableHoldsExactlyTheCodesWithEncodersAndTheirMinimums) {
  std::set<int> withEncoder;
  for (const char* range :
       {"80-83", "88-88", "8A-8A", "90-91", "94-94", "96-96", "98-98", "9A-9C", "A0-A0", "A2-A2",
        "A4-A4", "B0-B2", "B4-B4", "B8-B8", "C0-C7", "D0-DA", "DC-DC", "DF-EF", "F0-F6", "FB-FC"}) {
    const int first = std::stoi(std::string(range, 2), nullptr, 16);
    const int last = std::stoi(std::string(range + 3, 2), nullptr, 16);
    for (int code = first; code <= last; ++code) {
      withEncoder.insert(code);
    }
  }
  const std::map<int, int> minimums{{0x80, 5}, {0x8A, 5}, {0x81, 4}, {0x9B, 9},
                                    {0xA0, 9}, {0xA2, 9}, {0xA4, 9}};
  for (int code = 0x80; code <= 0xFF; ++code) {
    SCOPED_TRACE(CommandName(code));
    const EncoderRow* row = FindEncoder(code);
    ASSERT_EQ(row != nullptr, withEncoder.contains(code));
    if (row != nullptr) {
      const auto minimum = minimums.find(code);
      EXPECT_EQ(row->minimumLength, minimum == minimums.end() ? 1 : minimum->second);
    }
  }
}

TEST(Encoders, RecordsOfTheWorkedLines) {
  const struct {
    int code;
    const char* line;
    Record record;
  } cases[] = {
      {0x80,
       "80h#00:0x1234,0x56,0x789,0xBCDE,0x11,0x22",
       {0x0B, 0x12, 0x34, 0x56, 0x07, 0x89, 0xBC, 0xDE, 0x00, 0x11, 0x22}},
      {0x80, "80h#00:1,2,3,", {0x06, 0x00, 0x01, 0x02, 0x00, 0x03}},
      {0x80, "80h#00:", {0x01}},  // the length byte is set also without parameters
      {0x81, "81h#00:1,2,3", {0x06, 0x01, 0x00, 0x02, 0x00, 0x03}},
      {0x83, "83h#00:1,2,3", {0x01, 0x00, 0x02, 0x00, 0x03}},
      {0xE1, "E1h#00:1,2,3,4", {0x00, 0x01, 0x00, 0x02, 0x00, 0x03, 0x00, 0x00, 0x04}},
      {0x94, "94h#00:1,2,3,4,5,6,7,8,9,10,11,12,13", {0x01, 0x02, 0x03, 0x04, 0x00, 0x05, 0x00,
                                                      0x06, 0x00, 0x07, 0x08, 0x09, 0x0A, 0x00,
                                                      0x00, 0x0B, 0x00, 0x00, 0x0C, 0x0D}},
      {0x9C, "9Ch#00:1,0x1FF", {0x01, 0xFF}},
      {0xA2, "A2h#00:1,2,3,4", {0x09, 0x00, 0x01, 0x00, 0x02, 0x00, 0x03, 0x00, 0x04}},
      {0xC2, "C2h#00:1,2", {0x01, 0x00, 0x02}},
      {0xC0, "C0h#00:1,2", {0x01, 0x00, 0x02}},
      {0x82, "82h#00:A5", {0x00, 0x05}},
      {0x82, "82h#00:0x123456789", {0x00, 0x00}},
      {0x82, "82h#00: 1 2 , 3", {0x00, 0x0C, 0x00, 0x03}},  // blanks inside a number do not matter
      {0x82, "82h#00:", {}},
      {0x84, "84h#00:1,2", {}},  // no encoder
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    EXPECT_EQ(Encode(c.code, c.line), c.record);
  }
}

TEST(Encoders, SingleValueReadsTheWholeListAsOneNumber) {
  const struct {
    const char* line;
    Record record;
  } cases[] = {
      {"B8h#00:1,2,3", {0x7B}},      // the token is 123
      {"B8h#00:0x1,2F//x", {0x2F}},  // hexadecimal 0x12F cut to its lowest byte
      {"B8h#00:1:2", {0x0C}},        // a second ":" is skipped like any other character
      {"B8h#00:,", {}},              // nothing to read
      {"B8h#00:", {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    EXPECT_EQ(Encode(0xB8, c.line), c.record);
  }
  EXPECT_THROW(Encode(0xB8, "B8h#00://note"), ConversionError);
}

TEST(Encoders, ConversionErrorsPassThrough) {
  const struct {
    int code;
    const char* line;
  } cases[] = {
      {0x82, "82h#00:1,,3"}, {0x82, "82h#00:1,/"}, {0x80, "80h#00:1,2,3,/"}, {0xC0, "C0h#00:99999999999"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    EXPECT_THROW(Encode(c.code, c.line), ConversionError);
  }
}

TEST(Encoders, LengthByteRecordLongerThan255BytesIsRefused) {
  std::string line = "9Ah#00:";
  for (int i = 0; i < 254; ++i) {
    line += "1,";
  }
  EXPECT_EQ(Encode(0x9A, line).size(), 255U);
  try {
    Encode(0x9A, line + "1");
    ADD_FAILURE() << "a 256-byte record was accepted";
  } catch (const ConversionError&) {
    ADD_FAILURE() << "wrong error";
  } catch (const Error& e) {
    EXPECT_EQ(std::string(e.what()).substr(0, 45), "Command record too long (256 bytes, at most 2");
  }
}

}  // namespace
}  // namespace panelix::commands
