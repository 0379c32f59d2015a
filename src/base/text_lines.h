#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace panelix {

// What becomes of a CR that ends a text whose last line has no LF ("a\r").
enum class FinalCr {
  Drop,  // it is a line break like the CR of a CR LF: "a\r" is the line "a"
  Keep,  // it is a character of the last line: "a\r" is the line "a\r"
};

// The lines of a text: split at LF, a CR right before the LF dropped; a line feed at the very end
// closes the last line rather than opening another, so "a\r\nb\r\n" and "a\nb" are both the lines
// "a" and "b" and an empty text has no lines. Any other CR, a lone one inside a line included, is a
// character of its line; a CR at the very end of the text goes by finalCr.
std::vector<std::string> SplitLines(std::string_view text, FinalCr finalCr = FinalCr::Drop);
std::vector<std::u16string> SplitLines(std::u16string_view text, FinalCr finalCr = FinalCr::Drop);

}  // namespace panelix
