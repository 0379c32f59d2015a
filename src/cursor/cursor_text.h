#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cursor/cursor.h"

namespace panelix::cursor {

// The cursor as hexadecimal text: 16 lines, line n holding bytes 16n..16n+15, each written as
// "0x", two upper-case hexadecimal digits and ",", nothing between entries. No line endings; the
// caller joins the lines (CR LF in files, the memo's own line breaks in the window).
std::vector<std::string> CursorTextLines(const CursorBytes& bytes);

// Reads cursor bytes back from text, line by line (lines split at LF). In each line every "x" or
// "X" is followed by two characters read as one byte, the first the high nibble; a character that
// is not a hexadecimal digit, or one missing at the end of the line, counts as 0. Reading goes on
// after the pair and stops once 256 bytes are filled; bytes the text does not supply stay 0.
// Never fails. Characters are UTF-16 code units, as the window's text field holds them.
CursorBytes ImportCursorText(std::u16string_view text);
// The same for UTF-8 text.
CursorBytes ImportCursorText(std::string_view utf8);

// What the lenient reading above forgives, as the message the user sees, or nothing when the text
// holds exactly 256 values, each "x" or "X" followed by two hexadecimal digits. Lines count from 1:
//   "Line 3 of the cursor text: \"xZZ\" is not a hexadecimal byte."
//   "Line 17 of the cursor text holds value 257; a cursor holds 256 values."
//   "The cursor text ends on line 2 after 10 values; a cursor holds 256 values."
std::optional<std::string> FindCursorTextFault(std::u16string_view text);

}  // namespace panelix::cursor
