#include "base/bytes.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace panelix {
namespace {

TEST(RegionWriter, WritesBigAndLittleEndianInsideTheRegion) {
  std::vector<std::uint8_t> block(16, 0xFF);
  RegionWriter table(std::span<std::uint8_t>(block).subspan(4, 8), "table");
  table.PutBE16(0, 0x1234);
  table.PutBE24(2, 0xABCDEF);
  table.PutLE16(5, 0x5678);
  table.PutU8(7, 0x1FF);  // cut to the field
  EXPECT_EQ(block, (std::vector<std::uint8_t>{0xFF, 0xFF, 0xFF, 0xFF, 0x12, 0x34, 0xAB, 0xCD, 0xEF, 0x78,
                                              0x56, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}));
}

TEST(RegionWriter, RefusesToPassTheRegionEnd) {
  std::vector<std::uint8_t> block(8, 0);
  RegionWriter table(std::span<std::uint8_t>(block).subspan(0, 4), "table");
  EXPECT_THROW(table.PutBE32(1, 1), std::out_of_range);
  EXPECT_THROW(table.PutU8(4, 1), std::out_of_range);
  EXPECT_THROW(table.Sub(2, 3, "sub"), std::out_of_range);
  EXPECT_THROW(table.PutBE16(SIZE_MAX, 1), std::out_of_range);
  EXPECT_EQ(block, std::vector<std::uint8_t>(8, 0));
}

TEST(Bytes, AppendAndReadRoundTrip) {
  std::vector<std::uint8_t> out;
  AppendBE32(out, 0x01020304);
  AppendLE32(out, 0x01020304);
  AppendBE24(out, 0x0A0B0C);
  AppendLE16(out, 0xBEEF);
  EXPECT_EQ(ReadBE32(out, 0), 0x01020304U);
  EXPECT_EQ(ReadLE32(out, 4), 0x01020304U);
  EXPECT_EQ(ReadBE24(out, 8), 0x0A0B0CU);
  EXPECT_EQ(ReadLE16(out, 11), 0xBEEFU);
  EXPECT_EQ(out[0], 0x01);
  EXPECT_EQ(out[4], 0x04);
}

}  // namespace
}  // namespace panelix
