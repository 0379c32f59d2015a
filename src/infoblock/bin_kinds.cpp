#include "infoblock/bin_kinds.h"

namespace panelix::infoblock {

std::string_view KindPrefix(BinKind kind) {
  static constexpr std::array<std::string_view, 8> kPrefixes{"Picture", "Number", "ColorNum", "KeyNum",
                                                             "Gif",     "Font",   "Wav",      "Cursor"};
  return kPrefixes[static_cast<std::size_t>(kind)];
}

std::optional<BinKind> KindOfBin(std::string_view name) {
  for (BinKind kind : kBinKinds) {
    if (name.starts_with(KindPrefix(kind))) {
      return kind;
    }
  }
  return std::nullopt;
}

}  // namespace panelix::infoblock
