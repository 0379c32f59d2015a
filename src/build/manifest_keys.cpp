#include "build/manifest_keys.h"

#include <array>

namespace panelix::build {

namespace {

using V = ValueType;

constexpr std::array<std::string_view, 3> kPictureFormats{"r5g6b5", "r8g8b8", "bw"};
constexpr std::array<std::string_view, 2> kGifFormats{"r5g6b5", "r8g8b8"};
constexpr std::array<std::string_view, 2> kOrders{"rgb", "bgr"};
constexpr std::array<std::string_view, 3> kRotations{"0", "r90", "l90"};
constexpr std::array<std::string_view, 3> kDithers{"none", "ordered", "floyd-steinberg"};
constexpr std::array<std::string_view, 3> kChannels{"left", "right", "two"};
constexpr std::array<std::string_view, 2> kBits{"8", "16"};
constexpr std::array<std::string_view, 5> kSpeeds{"1", "2", "4", "8", "16"};
constexpr std::array<std::string_view, 5> kCodeSets{"gb2312", "big5", "gb2312-trad", "gbk", "unicode"};
constexpr std::array<std::string_view, 3> kFontKinds{"library", "ascii", "string"};
constexpr std::array<std::string_view, 3> kLcdInterfaces{"16", "18", "24"};
constexpr std::array<std::string_view, 6> kRgbOrders{"RGB", "RBG", "GRB", "GBR", "BRG", "BGR"};
constexpr std::array<std::string_view, 3> kColors{"8", "16", "24"};
constexpr std::array<std::string_view, 5> kReadCommands{"03", "0B", "1B", "3B", "BB"};
constexpr std::array<std::string_view, 2> kAddressModes{"24", "32"};
constexpr std::array<std::string_view, 5> kCanvases{"linear8", "linear16", "block8", "block16", "block24"};
constexpr std::array<std::string_view, 8> kSpiSpeeds{"2", "4", "6", "8", "10", "12", "14", "16"};
constexpr std::array<std::string_view, 2> kSpis{"0", "1"};

constexpr KeyRule kPictureKeys[] = {
    {"inputs", V::InputList, "", {}, {}, true}, {"format", V::Word, "--format", {}, kPictureFormats},
    {"order", V::Word, "--order", {}, kOrders}, {"rotate", V::Word, "--rotate", {}, kRotations},
    {"reverse-x", V::Switch, "--reverse-x"},    {"reverse-y", V::Switch, "--reverse-y"},
    {"nand-pad", V::Switch, "--nand-pad"},      {"argb-png", V::Switch, "--argb-png"},
    {"alpha", V::Integer, "--alpha"},           {"dither", V::Word, "--dither", {}, kDithers},
};

constexpr KeyRule kGifKeys[] = {
    {"inputs", V::InputList, "", {}, {}, true}, {"format", V::Word, "--format", {}, kGifFormats},
    {"order", V::Word, "--order", {}, kOrders}, {"rotate", V::Word, "--rotate", {}, kRotations},
    {"reverse-x", V::Switch, "--reverse-x"},    {"reverse-y", V::Switch, "--reverse-y"},
    {"nand-pad", V::Switch, "--nand-pad"},      {"dither", V::Word, "--dither", {}, kDithers},
};

constexpr KeyRule kSoundKeys[] = {
    {"input", V::InputFile, "", {}, {}, true},
    {"channel", V::Word, "--channel", {}, kChannels},
    {"bits", V::Word, "--bits", {}, kBits},
    {"speed", V::Word, "--speed", {}, kSpeeds},
};

// `kind` picks the font subcommand and is read before these; `text` belongs to String Bin fonts,
// `set`, `range` and `half-width` to libraries.
constexpr KeyRule kFontKeys[] = {
    {"text", V::InputFile, ""},
    {"set", V::Word, "--set", {}, kCodeSets},
    {"range", V::Pair, "--start", "--end"},
    {"half-width", V::Switch, "", "--no-half-width"},
    {"face", V::Text, "--font"},
    {"size", V::Integer, "--size"},
    {"cell", V::Pair, "--width", "--height"},
    {"limit", V::Integer, "--limit"},
    {"rotate", V::Word, "--rotate", {}, kRotations},
    {"reverse-x", V::Switch, "--reverse-x"},
    {"reverse-y", V::Switch, "--reverse-y"},
    {"origin", V::JoinedPair, "--origin"},
};

constexpr KeyRule kCursorKeys[] = {
    {"text", V::InputFile, "--from-text", {}, {}, true},
};

constexpr KeyRule kBootloaderKeys[] = {
    {"xsize", V::Integer, "--xsize"},
    {"hspw", V::Integer, "--hspw"},
    {"hsbp", V::Integer, "--hsbp"},
    {"hsfp", V::Integer, "--hsfp"},
    {"ysize", V::Integer, "--ysize"},
    {"vspw", V::Integer, "--vspw"},
    {"vsbp", V::Integer, "--vsbp"},
    {"vsfp", V::Integer, "--vsfp"},
    {"flash-addr", V::Integer, "--flash-addr"},
    {"cclk-od", V::Integer, "--cclk-od"},
    {"cclk-r", V::Integer, "--cclk-r"},
    {"cclk-n", V::Integer, "--cclk-n"},
    {"mclk-od", V::Integer, "--mclk-od"},
    {"mclk-r", V::Integer, "--mclk-r"},
    {"mclk-n", V::Integer, "--mclk-n"},
    {"sclk-od", V::Integer, "--sclk-od"},
    {"sclk-r", V::Integer, "--sclk-r"},
    {"sclk-n", V::Integer, "--sclk-n"},
    {"pwm-pre", V::Integer, "--pwm-pre"},
    {"pwm-period", V::Integer, "--pwm-period"},
    {"pwm", V::Integer, "--pwm"},
    {"lcd-if", V::Word, "--lcd-if", {}, kLcdInterfaces},
    {"rgb-order", V::Word, "--rgb-order", {}, kRgbOrders},
    {"color", V::Word, "--color", {}, kColors},
    {"read-cmd", V::Word, "--read-cmd", {}, kReadCommands},
    {"addr-mode", V::Word, "--addr-mode", {}, kAddressModes},
    {"canvas", V::Word, "--canvas", {}, kCanvases},
    {"spi-speed", V::Word, "--spi-speed", {}, kSpiSpeeds},
    {"spi", V::Word, "--spi", {}, kSpis},
    {"pclk-fall", V::Switch, "--pclk-fall", "--pclk-rise"},
    {"hsync-high", V::Switch, "--hsync-high"},
    {"vsync-high", V::Switch, "--vsync-high"},
    {"de-low", V::Switch, "--de-low"},
    {"de-mode", V::Switch, "--de-mode"},
};

constexpr std::array<std::string_view, 4> kPicturePrefixes{"Picture", "Number", "ColorNum", "KeyNum"};
constexpr std::array<std::string_view, 1> kGifPrefixes{"Gif"};
constexpr std::array<std::string_view, 1> kSoundPrefixes{"Wav"};
constexpr std::array<std::string_view, 1> kFontPrefixes{"Font"};
constexpr std::array<std::string_view, 1> kCursorPrefixes{"Cursor"};
constexpr std::array<std::string_view, 1> kBootloaderPrefixes{"Bootloader"};

constexpr KindRules kKinds[] = {
    {AssetKind::Picture, "picture", "picture", kPictureKeys, kPicturePrefixes},
    {AssetKind::Gif, "gif", "gif", kGifKeys, kGifPrefixes},
    {AssetKind::Sound, "sound", "wav", kSoundKeys, kSoundPrefixes},
    {AssetKind::Font, "font", "font", kFontKeys, kFontPrefixes},
    {AssetKind::Cursor, "cursor", "cursor", kCursorKeys, kCursorPrefixes},
    {AssetKind::Bootloader, "bootloader", "bootloader", kBootloaderKeys, kBootloaderPrefixes},
};

}  // namespace

std::span<const KindRules> AssetKinds() {
  return kKinds;
}

std::span<const std::string_view> FontKinds() {
  return kFontKinds;
}

}  // namespace panelix::build
