#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "commands/command_syntax.h"
#include "commands/encoder_table.h"
#include "infoblock/set_tables.h"

namespace panelix::commands {

using Record = std::vector<std::uint8_t>;

// A length-byte record describes its own length in one byte, so it holds at most this many.
inline constexpr std::size_t kMaxLengthByteRecord = 255;

// The parameters of a normalized line, each written with the width its index has in rule,
// most significant byte first; higher bits are cut. Throws panelix::ConversionError for a token
// that is not a number.
Record EncodeParameters(std::string_view normalized, const WidthRule& widths,
                        TokenChars chars = TokenChars::HexNotation);

// The record of one command line of code (possibly empty: nothing to encode, or a set that does
// not exist). A code without an encoder gives an empty record. Throws panelix::ConversionError
// for a parameter that is not a number and panelix::Error for a length-byte record longer than
// 255 bytes.
Record EncodeCommand(int code, std::string_view normalized, const infoblock::SetTables& sets);

// The records of the codes that name a picture set (88h, 90h, 91h, A4h); row.form says which.
Record EncodeSetCommand(const EncoderRow& row, std::string_view normalized, const infoblock::SetTables& sets);

}  // namespace panelix::commands
