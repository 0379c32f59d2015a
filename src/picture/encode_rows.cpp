// The pixel loops that pay for vector code: compiled with full optimisation (see CMakeLists.txt)
// and once more for AVX2, chosen when the program starts.
#include "picture/encode_rows.h"

namespace panelix::picture::detail {

namespace {

template <int First, int Last>
[[gnu::always_inline]] inline void R5G6B5Loop(const std::uint8_t* __restrict row, std::size_t n,
                                              std::uint8_t* __restrict out) {
  for (std::size_t k = 0; k < n; ++k) {
    const std::uint8_t* p = row + 3 * k;
    const unsigned value = (static_cast<unsigned>(p[First] >> 3) << 11) |
                           (static_cast<unsigned>(p[1] >> 2) << 5) | static_cast<unsigned>(p[Last] >> 3);
    out[2 * k] = static_cast<std::uint8_t>(value & 0xFF);
    out[2 * k + 1] = static_cast<std::uint8_t>(value >> 8);
  }
}

}  // namespace

__attribute__((target_clones("avx2", "default"))) void R5G6B5Row(const std::uint8_t* row, std::size_t n,
                                                                 bool bgr, std::uint8_t* out) {
  if (bgr) {
    R5G6B5Loop<2, 0>(row, n, out);
  } else {
    R5G6B5Loop<0, 2>(row, n, out);
  }
}

}  // namespace panelix::picture::detail
