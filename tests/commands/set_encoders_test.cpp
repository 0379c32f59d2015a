#include <gtest/gtest.h>

#include "base/error.h"
#include "commands/encoders.h"

namespace panelix::commands {
namespace {

// Two sets in each table: GIF 0 = 307..319, GIF 1 = 317..329, Number 1 = 17..29,
// ColorNum 0 = 107..119, KeyNum 1 = 217..229.
infoblock::SetTables TwoSetsEach() {
  infoblock::SetTables sets;
  sets.gif.count = 2;
  sets.gif.sets[0] = {307, 319};
  sets.gif.sets[1] = {317, 329};
  sets.number.count = 2;
  sets.number.sets[0] = {5, 16};
  sets.number.sets[1] = {17, 29};
  sets.colorNum.count = 2;
  sets.colorNum.sets[0] = {107, 119};
  sets.colorNum.sets[1] = {120, 131};
  sets.keyNum.count = 2;
  sets.keyNum.sets[0] = {200, 216};
  sets.keyNum.sets[1] = {217, 229};
  return sets;
}

TEST(SetEncoders, RecordsOfTheWorkedLines) {
  const infoblock::SetTables sets = TwoSetsEach();
  const struct {
    int code;
    const char* line;
    Record record;
  } cases[] = {
      {0x88, "88h#05GIF:1,2,3,4,1", {0x01, 0x02, 0x00, 0x03, 0x00, 0x04, 0x01, 0x3D, 0x01, 0x49}},
      {0x88, "88h#05GIF:1,2,3,4,2", {0x01, 0x02, 0x00, 0x03, 0x00, 0x04, 0x02}},  // no set 2
      {0x88, "88h#05GIF:1,2,0x10,4,0", {0x01, 0x02, 0x00, 0x0A, 0x00, 0x04, 0x01, 0x33, 0x01, 0x3F}},
      {0x88, "88h#05:1,2,0x10,4,0", {0x01, 0x02, 0x00, 0x10, 0x00, 0x04, 0x00, 0x00}},
      // The set number is the lowest byte of the last parameter, also of a 2-byte one.
      {0x88, "88h#05GIF:1,2,257", {0x01, 0x02, 0x01, 0x01, 0x3D, 0x01, 0x49}},
      {0x88, "88h#05GIF:", {}},
      {0x90, "90h#00PT:1,0x1234,5,6", {0x00, 0x11, 0x00, 0x1D, 0x12, 0x34, 0x00, 0x05, 0x06}},
      {0x90, "90h#00PT:2,0x1234,5,6", {0x02, 0x12, 0x34, 0x00, 0x05, 0x06}},
      {0x90, "90h#00:1,0x1234,5,6", {0x00, 0x01, 0x12, 0x34, 0x00, 0x05, 0x00, 0x06}},
      {0x90,
       "90h#00CPT:1,0x1234,5,6",
       {0x00, 0x11, 0x00, 0x1D, 0x12, 0x34, 0x00, 0x05, 0x06}},  // CPT holds PT
      {0x90, "90h#00PT:", {}},
      {0x91, "91h#00CPT:0,0x1234,5,6", {0x00, 0x6B, 0x00, 0x77, 0x12, 0x34, 0x00, 0x05, 0x06}},
      {0x91, "91h#00PT:0,0x1234,5,6", {0x00, 0x00, 0x12, 0x34, 0x00, 0x05, 0x00, 0x06}},  // plain form
      // After ":" the C of CPT joins the next token: "C0" is decimal 0.
      {0x91, "91h#00:CPT0,0x1234", {0x00, 0x6B, 0x00, 0x77, 0x12, 0x34}},
      {0xA4,
       "A4h#00KPT:1,2,3,4,1,6,7,8,9,10,11,12,13,14,15",
       {0x00, 0x1A, 0x01, 0x02, 0x03, 0x04, 0x00, 0xD9, 0x00, 0xE5, 0x06, 0x00, 0x07,
        0x00, 0x08, 0x09, 0x0A, 0x0B, 0x00, 0x0C, 0x00, 0x0D, 0x00, 0x0E, 0x00, 0x0F}},
      {0xA4, "A4h#00KPT:1,2,3,4,1", {0x00, 0x0A, 0x01, 0x02, 0x03, 0x04, 0x00, 0xD9, 0x00, 0xE5}},
      {0xA4, "A4h#00KPT:1,2,3,4,2,6,7,8,9,10", {}},  // no set 2
      {0xA4, "A4h#00:1,2,3,4,1,6,7,8,9,10", {}},     // no keyword
      {0xA4, "A4h#00KPT:1,2,3,4", {}},               // no parameter 4
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    EXPECT_EQ(EncodeCommand(c.code, NormalizeCommandLine(c.line), sets), c.record);
  }
}

TEST(SetEncoders, SetNumbersAreCheckedAgainstTheCountNotTheCapacity) {
  infoblock::SetTables sets = TwoSetsEach();
  sets.number.count = 1;  // set 1 is filled in memory but not recorded in this run
  EXPECT_EQ(EncodeCommand(0x90, "90h#00PT:1,2", sets), (Record{0x01, 0x00, 0x02}));
  sets.number.count = 100;  // a count beyond the table's room never reads past it
  EXPECT_EQ(EncodeCommand(0x90, "90h#00PT:20,2", sets), (Record{0x14, 0x00, 0x02}));
}

TEST(SetEncoders, GifFormTakesDecimalDigitsOnly) {
  const infoblock::SetTables sets = TwoSetsEach();
  // "AB" has no digit left in the GIF form: an empty token.
  EXPECT_THROW(EncodeCommand(0x88, "88h#05GIF:1,AB,0", sets), ConversionError);
  EXPECT_EQ(EncodeCommand(0x88, "88h#05:1,0xAB,0", sets), (Record{0x01, 0xAB, 0x00, 0x00}));
}

}  // namespace
}  // namespace panelix::commands
