#pragma once

#include <cstddef>
#include <cstdint>

namespace panelix::picture::detail {

// R5G6B5 of one row of n pixels (R, G, B bytes each) into 2 * n bytes: (R>>3)<<11 | (G>>2)<<5 | B>>3
// little-endian, with R and B swapped when bgr. Built for the widest vector unit the processor has.
void R5G6B5Row(const std::uint8_t* row, std::size_t n, bool bgr, std::uint8_t* out);

}  // namespace panelix::picture::detail
