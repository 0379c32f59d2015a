#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "base/error.h"
#include "base/progress.h"
#include "infoblock/info_block.h"

namespace panelix::project {

// How a key's value text is read.
enum class InfoValueKind {
  Version,  // the decimal digits; exactly two digits d1 d2 give d1 * 16 + d2, any other count 1
  Keyword,  // the characters 0x21..0x7F compared with the key's words; an unknown word gives 0
  Number,   // the decimal digits read as one number
  Flag,     // "False" 0, "True" 1 anywhere before the line's first "/", else a number
};

// How a number is stored in its field.
enum class InfoNumberMap {
  Plain,       // the low bits that fit the field
  McuBit,      // 8 -> 0, 16 -> 1, 32 -> 2, anything else 0
  ColorDepth,  // 8 -> 0, 24 -> 2, anything else 1
};

// One key of the [INFO] section: its text, the field it fills in the module settings (block
// offset and width in bytes, big-endian) and how its value is read. Keyword values are the
// position of the word in words.
struct InfoKey {
  const char* key;
  std::size_t offset;
  int width;
  InfoValueKind kind;
  std::vector<const char*> words;
  InfoNumberMap map = InfoNumberMap::Plain;
};

// The keys in the order in which they must stand in the section.
const std::vector<InfoKey>& InfoKeys();

// Outcome of reading the [INFO] section.
struct InfoParseResult {
  bool ok = false;
  // Why the parse failed, for callers that explain more than the window does: "" when the list
  // has ten lines or fewer, "[INFO]" when no line holds it, else the key that was not found after
  // the previous key.
  std::string missing;
};

// Where the keys of the [INFO] section stand in a command list. The section starts at the first
// line that contains "[INFO]"; each key (in table order) is on the first line after the previous
// key's line that contains the key's text.
struct InfoKeyLines {
  std::vector<std::size_t> lines;  // the index of each key's line, in table order, as far as found
  std::string missing;             // "" when every key was found, else "[INFO]" or the first key missing
};
InfoKeyLines FindInfoKeyLines(const std::vector<std::string>& lines);

// A number of the [INFO] section that is not a number. what() is the message the user sees
// ("'<digits>' is not a valid integer value"); Line() is the index of the key line in the list.
class InfoNumberError : public ConversionError {
 public:
  InfoNumberError(std::string digits, std::size_t line) : ConversionError(std::move(digits)), m_line(line) {}
  std::size_t Line() const { return m_line; }

 private:
  std::size_t m_line;
};

// Reads the [INFO] section of the command list (lines as bytes in the 8-bit code page) and stores
// every key's encoding in the module settings of block (0x0400..0x0422). Keys are searched in
// table order, each from the line after the previous key's line; the first line that contains the
// key's text is its line. A key line without ":" or "=" sends "Error: " + the line to message and
// counts as the value 0. Fields stored before a failure stay in block. Throws InfoNumberError for
// a number without digits or above 2147483647.
InfoParseResult ParseInfoSection(const std::vector<std::string>& lines, infoblock::InfoBlock& block,
                                 const MessageFn& message);

}  // namespace panelix::project
