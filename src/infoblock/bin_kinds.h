#pragma once

#include <array>
#include <optional>
#include <string_view>

namespace panelix::infoblock {

// The kinds of bin the flash image holds, in the fixed order of the kind table: it orders the
// resource passes, the flash addresses and the bins in the image.
enum class BinKind { Picture, Number, ColorNum, KeyNum, Gif, Font, Wav, Cursor };

inline constexpr std::array<BinKind, 8> kBinKinds{BinKind::Picture, BinKind::Number, BinKind::ColorNum,
                                                  BinKind::KeyNum,  BinKind::Gif,    BinKind::Font,
                                                  BinKind::Wav,     BinKind::Cursor};

// The file-name prefix of a kind: "Picture", "Number", "ColorNum", "KeyNum", "Gif", "Font", "Wav",
// "Cursor".
std::string_view KindPrefix(BinKind kind);

// The kind of a bin by the beginning of its file name (case-sensitive); none for other bins, the
// bootloader bin among them.
std::optional<BinKind> KindOfBin(std::string_view name);

// Name prefix of the bootloader bin, copied into the block but not placed in the image.
inline constexpr std::string_view kBootloaderPrefix = "Bootloader";

}  // namespace panelix::infoblock
