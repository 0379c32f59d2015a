#include "base/text_lines.h"

namespace panelix {

namespace {

template <typename Char>
std::vector<std::basic_string<Char>> Split(std::basic_string_view<Char> text, FinalCr finalCr) {
  std::vector<std::basic_string<Char>> lines;
  std::size_t begin = 0;
  while (begin < text.size()) {
    const std::size_t found = text.find(Char('\n'), begin);
    const bool lastLine = found == std::basic_string_view<Char>::npos;
    const std::size_t end = lastLine ? text.size() : found;
    std::basic_string_view<Char> line = text.substr(begin, end - begin);
    if (!line.empty() && line.back() == Char('\r') && (!lastLine || finalCr == FinalCr::Drop)) {
      line.remove_suffix(1);
    }
    lines.emplace_back(line);
    begin = end + 1;
  }
  return lines;
}

}  // namespace

std::vector<std::string> SplitLines(std::string_view text, FinalCr finalCr) {
  return Split(text, finalCr);
}

std::vector<std::u16string> SplitLines(std::u16string_view text, FinalCr finalCr) {
  return Split(text, finalCr);
}

}  // namespace panelix
