#pragma once

#include <array>
#include <cstdint>

namespace panelix::infoblock {

// A set of pictures in the picture table: the picture numbers of its first and last picture.
struct PictureSet {
  std::int32_t first = 0;
  std::int32_t last = 0;
};

// A set table: the sets recorded so far (count) and room for Capacity sets. A set number is valid
// when it is below count.
template <int Capacity>
struct SetTable {
  static constexpr int kCapacity = Capacity;
  int count = 0;
  std::array<PictureSet, Capacity> sets{};

  bool Has(int n) const { return n >= 0 && n < count; }
};

// The set tables of one Make Bin, held in memory only: the resource passes fill them, the command
// encoders that name a set by its number read them.
struct SetTables {
  SetTable<16> number;
  SetTable<16> colorNum;
  SetTable<16> keyNum;
  SetTable<32> gif;
};

}  // namespace panelix::infoblock
