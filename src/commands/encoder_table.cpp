#include "commands/encoder_table.h"

#include <algorithm>

namespace panelix::commands {

namespace {

using F = RecordForm;

// Record layouts, named after the first code that uses them. {from, width} runs read as
// "from this index on, this many bytes".
constexpr WidthRule k80{{}, 0, {2, 1, 2, 2}};
constexpr WidthRule k81{{0, 1}, {1, 2}, {3, 1}, {4, 2}};
constexpr WidthRule k82{{0, 2}, {3, 1}, {4, 2}};
constexpr WidthRule k83{{0, 1}, {1, 2}};
constexpr WidthRule k88{{0, 1}, {2, 2}, {6, 1}};
constexpr WidthRule k88Gif{{0, 1}, {2, 2}, {4, 1}};
constexpr WidthRule k90{{0, 2}, {4, 1}};
constexpr WidthRule k90Set{{0, 1}, {1, 2}, {3, 1}};
constexpr WidthRule k94{{0, 1}, {4, 2}, {7, 1}, {10, 3}, {12, 1}};
constexpr WidthRule k96{{0, 1}, {4, 2}, {7, 1}};
constexpr WidthRule k98{{0, 2}, {2, 1}};
constexpr WidthRule kBytes{{0, 1}};
constexpr WidthRule k9B{{0, 2}, {1, 1}, {2, 2}, {4, 1}};
constexpr WidthRule kA2{{0, 2}, {4, 1}};
constexpr WidthRule kA4{{{0, 1}, {6, 2}, {8, 1}}, 10, {1, 2, 2, 2, 2}};
constexpr WidthRule kB0{{0, 2}, {2, 1}, {4, 3}, {5, 1}, {8, 2}, {9, 3}, {10, 1}};
constexpr WidthRule kB1{{0, 2}, {2, 1}, {4, 2}, {5, 3}, {7, 1}};
constexpr WidthRule kB2{{0, 2},  {2, 1},  {5, 2},  {6, 3},  {8, 1}, {10, 2},
                        {11, 3}, {13, 1}, {15, 2}, {16, 3}, {18, 1}};
constexpr WidthRule kB4{{0, 1}, {2, 2}};
constexpr WidthRule kC0{{0, 1}, {1, 2}, {4, 3}, {6, 1}};
constexpr WidthRule kC4{{0, 2}, {3, 1}};
constexpr WidthRule kD8{{0, 2}, {2, 1}, {4, 2}, {5, 1}};
constexpr WidthRule kD9{{0, 2}, {2, 1}, {4, 2}};
constexpr WidthRule kDC{{0, 2}, {4, 3}, {5, 1}, {6, 2}};
constexpr WidthRule kDF{{0, 1}, {2, 3}, {3, 1}};
constexpr WidthRule kE0{{0, 2}, {4, 3}, {5, 1}};
constexpr WidthRule kE1{{0, 2}, {3, 3}};
constexpr WidthRule kE3{{0, 2}, {3, 3}, {5, 1}};
constexpr WidthRule kE4{{0, 2}, {4, 3}, {5, 2}};
constexpr WidthRule kE6{{0, 2}, {4, 3}, {6, 1}};
constexpr WidthRule kEA{{0, 2}, {6, 3}};
constexpr WidthRule kEC{{0, 2}, {6, 3}, {8, 1}};
constexpr WidthRule kF0{{0, 2}, {8, 3}, {9, 2}};
constexpr WidthRule kF2{{0, 2}, {10, 3}, {11, 2}};
constexpr WidthRule kF4{{0, 2}, {5, 3}, {7, 1}, {8, 2}};
constexpr WidthRule kF5{{0, 2}, {6, 3}, {8, 1}, {9, 2}};
constexpr WidthRule kF6{{0, 2}, {4, 1}, {6, 3}, {9, 1}};
constexpr WidthRule kFB{{0, 2}, {4, 1}};
constexpr WidthRule kFC{{0, 1}, {1, 2}, {5, 3}, {7, 1}};

constexpr EncoderRow kRows[] = {
    {0x80, F::LengthByte, &k80, nullptr, 5}, {0x81, F::LengthByte, &k81, nullptr, 4},
    {0x82, F::Plain, &k82, nullptr, 1},      {0x83, F::Plain, &k83, nullptr, 1},
    {0x88, F::GifSet, &k88, &k88Gif, 1},     {0x8A, F::LengthByte, &k80, nullptr, 5},
    {0x90, F::NumberSet, &k90, &k90Set, 1},  {0x91, F::ColorNumSet, &k90, &k90Set, 1},
    {0x94, F::Plain, &k94, nullptr, 1},      {0x96, F::Plain, &k96, nullptr, 1},
    {0x98, F::Plain, &k98, nullptr, 1},      {0x9A, F::LengthByte, &kBytes, nullptr, 1},
    {0x9B, F::LengthByte, &k9B, nullptr, 9}, {0x9C, F::Plain, &kBytes, nullptr, 1},
    {0xA0, F::LengthByte, &k9B, nullptr, 9}, {0xA2, F::LengthByte, &kA2, nullptr, 9},
    {0xA4, F::KeyNumSet, &kA4, nullptr, 9},  {0xB0, F::Plain, &kB0, nullptr, 1},
    {0xB1, F::Plain, &kB1, nullptr, 1},      {0xB2, F::Plain, &kB2, nullptr, 1},
    {0xB4, F::LengthByte, &kB4, nullptr, 1}, {0xB8, F::SingleValue, &kBytes, nullptr, 1},
    {0xC0, F::Plain, &kC0, nullptr, 1},      {0xC1, F::Plain, &kC0, nullptr, 1},
    {0xC2, F::Plain, &kC0, nullptr, 1},      {0xC3, F::Plain, &kC0, nullptr, 1},
    {0xC4, F::Plain, &kC4, nullptr, 1},      {0xC5, F::Plain, &kC4, nullptr, 1},
    {0xC6, F::Plain, &kC4, nullptr, 1},      {0xC7, F::Plain, &kC4, nullptr, 1},
    {0xD0, F::Plain, &kC4, nullptr, 1},      {0xD1, F::Plain, &kC4, nullptr, 1},
    {0xD2, F::Plain, &kC4, nullptr, 1},      {0xD3, F::Plain, &kC4, nullptr, 1},
    {0xD4, F::Plain, &kC4, nullptr, 1},      {0xD5, F::Plain, &kC4, nullptr, 1},
    {0xD6, F::Plain, &kC4, nullptr, 1},      {0xD7, F::Plain, &kC4, nullptr, 1},
    {0xD8, F::Plain, &kD8, nullptr, 1},      {0xD9, F::LengthByte, &kD9, nullptr, 1},
    {0xDA, F::LengthByte, &kD9, nullptr, 1}, {0xDC, F::Plain, &kDC, nullptr, 1},
    {0xDF, F::Plain, &kDF, nullptr, 1},      {0xE0, F::Plain, &kE0, nullptr, 1},
    {0xE1, F::Plain, &kE1, nullptr, 1},      {0xE2, F::Plain, &kE1, nullptr, 1},
    {0xE3, F::Plain, &kE3, nullptr, 1},      {0xE4, F::Plain, &kE4, nullptr, 1},
    {0xE5, F::Plain, &kE4, nullptr, 1},      {0xE6, F::Plain, &kE6, nullptr, 1},
    {0xE7, F::Plain, &kE4, nullptr, 1},      {0xE8, F::Plain, &kE4, nullptr, 1},
    {0xE9, F::Plain, &kE6, nullptr, 1},      {0xEA, F::Plain, &kEA, nullptr, 1},
    {0xEB, F::Plain, &kEA, nullptr, 1},      {0xEC, F::Plain, &kEC, nullptr, 1},
    {0xED, F::Plain, &kEA, nullptr, 1},      {0xEE, F::Plain, &kEA, nullptr, 1},
    {0xEF, F::Plain, &kEA, nullptr, 1},      {0xF0, F::Plain, &kF0, nullptr, 1},
    {0xF1, F::Plain, &kF0, nullptr, 1},      {0xF2, F::Plain, &kF2, nullptr, 1},
    {0xF3, F::Plain, &kF2, nullptr, 1},      {0xF4, F::Plain, &kF4, nullptr, 1},
    {0xF5, F::Plain, &kF5, nullptr, 1},      {0xF6, F::Plain, &kF6, nullptr, 1},
    {0xFB, F::Plain, &kFB, nullptr, 1},      {0xFC, F::Plain, &kFC, nullptr, 1},
};

constexpr bool IsAscending() {
  for (std::size_t i = 1; i < std::size(kRows); ++i) {
    if (kRows[i - 1].code >= kRows[i].code) {
      return false;
    }
  }
  return true;
}
static_assert(IsAscending(), "encoder rows must be sorted by code for the lookup");

}  // namespace

const EncoderRow* FindEncoder(int code) {
  const auto* row = std::lower_bound(std::begin(kRows), std::end(kRows), code,
                                     [](const EncoderRow& r, int c) { return r.code < c; });
  return row != std::end(kRows) && row->code == code ? row : nullptr;
}

}  // namespace panelix::commands
