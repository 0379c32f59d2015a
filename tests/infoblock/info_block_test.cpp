#include "infoblock/info_block.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

#include "infoblock/bin_kinds.h"

namespace panelix::infoblock {
namespace {

std::vector<std::uint8_t> At(const InfoBlock& block, std::size_t offset, std::size_t count) {
  const auto bytes = block.Bytes().subspan(offset, count);
  return {bytes.begin(), bytes.end()};
}

bool AllFF(const InfoBlock& block, std::size_t from, std::size_t to) {
  for (std::size_t i = from; i < to; ++i) {
    if (block.Bytes()[i] != 0xFF) {
      return false;
    }
  }
  return true;
}

TEST(InfoBlockTest, StartsAllFFAndWritesOnlyS) {
  InfoBlock large;
  EXPECT_EQ(large.Written().size(), 0x20000u);
  EXPECT_TRUE(AllFF(large, 0, kBlockCapacity));
  InfoBlock small(kSmallBlockSize);
  EXPECT_EQ(small.Written().size(), 0x3000u);
  EXPECT_THROW(InfoBlock(0x1000), std::invalid_argument);
}

TEST(InfoBlockTest, PictureEntriesSplitAt341) {
  struct Case {
    int n;
    std::size_t offset;
  };
  for (const Case c :
       {Case{0, 0x0602}, Case{1, 0x060E}, Case{340, 0x15F2}, Case{341, 0x7000}, Case{8873, 0x1FFF0}}) {
    SCOPED_TRACE(c.n);
    EXPECT_EQ(PictureEntryOffset(c.n), c.offset);
  }
  InfoBlock block;
  block.PutPicture(0, {480, 272, 0x00020000, 0x0003FC00});
  EXPECT_EQ(At(block, 0x0602, 12), (std::vector<std::uint8_t>{0x01, 0xE0, 0x01, 0x10, 0x00, 0x02, 0x00, 0x00,
                                                              0x00, 0x03, 0xFC, 0x00}));
  block.PutPicture(8873, {0x12345, 2, 3, 4});  // width keeps its low 16 bits
  EXPECT_EQ(At(block, 0x1FFF0, 4), (std::vector<std::uint8_t>{0x23, 0x45, 0x00, 0x02}));
  block.PutPictureCount(342);
  EXPECT_EQ(At(block, 0x0600, 2), (std::vector<std::uint8_t>{0x01, 0x56}));
}

TEST(InfoBlockTest, FullTablesNeverSpillIntoTheirNeighbours) {
  InfoBlock block;
  EXPECT_THROW(block.PutPicture(kMaxPictures, {1, 1, 1, 1}), std::out_of_range);
  EXPECT_THROW(block.PutFont(8, {16, 1, 1}), std::out_of_range);
  EXPECT_THROW(block.PutSound(14, {14, 1, 1}), std::out_of_range);
  EXPECT_THROW(block.PutCursor(16, {1, 1}), std::out_of_range);
  EXPECT_TRUE(AllFF(block, 0, kBlockCapacity));

  block.PutSound(13, {13, 0x01020304, 0x05060708});
  EXPECT_EQ(At(block, 0x1700 + 117, 9),
            (std::vector<std::uint8_t>{13, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08}));
  EXPECT_TRUE(AllFF(block, 0x1700 + 126, 0x1780));
  block.PutCursor(15, {0xAABBCCDD, 0x100});
  EXPECT_EQ(At(block, 0x17F8, 8),
            (std::vector<std::uint8_t>{0xAA, 0xBB, 0xCC, 0xDD, 0x00, 0x00, 0x01, 0x00}));
  EXPECT_TRUE(AllFF(block, 0x1800, 0x1810));
  // A region writer refuses a field that would cross the region's end.
  EXPECT_THROW(block.Writer(kSettingsRegion).PutBE16(0x22, 1), std::out_of_range);
  EXPECT_EQ(block.Bytes()[0x0423], 0xFF);
}

TEST(InfoBlockTest, FontSlotAndBuildTime) {
  InfoBlock block;
  block.PutFont(5, {16, 0x00021800, 0x1234});
  EXPECT_EQ(At(block, 0x1600 + 45, 9),
            (std::vector<std::uint8_t>{16, 0x00, 0x02, 0x18, 0x00, 0x00, 0x00, 0x12, 0x34}));
  EXPECT_TRUE(AllFF(block, 0x1600, 0x1600 + 45));
  EXPECT_TRUE(AllFF(block, 0x1600 + 54, 0x1700));
  block.PutBuildTime({2024, 3, 3, 14, 5, 9});
  EXPECT_EQ(At(block, 0x0423, 7), (std::vector<std::uint8_t>{0x03, 0x03, 0x14, 0x18, 0x0E, 0x05, 0x09}));
}

TEST(BinKindTest, KindByNamePrefix) {
  EXPECT_EQ(KindOfBin("Picture-main.bin"), BinKind::Picture);
  EXPECT_EQ(KindOfBin("ColorNum1.bin"), BinKind::ColorNum);
  EXPECT_EQ(KindOfBin("Font_C1_16.bin"), BinKind::Font);
  EXPECT_EQ(KindOfBin("Wav-beep.bin"), BinKind::Wav);
  EXPECT_EQ(KindOfBin("picture.bin"), std::nullopt);
  EXPECT_EQ(KindOfBin("Bootloader.bin"), std::nullopt);
}

}  // namespace
}  // namespace panelix::infoblock
