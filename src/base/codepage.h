#pragma once

#include <string>
#include <string_view>

#include "base/progress.h"

namespace panelix {

// The 8-bit code page that stored text files and the module's font and command texts are in: 936
// (simplified Chinese) unless the host locale is Chinese (Taiwan), then 950. SetSystemCodePage overrides it
// for the rest of the process (the CLI's --codepage).
int SystemCodePage();
void SetSystemCodePage(int codePage);
// True when the host locale is Chinese (Taiwan): the font generator's traditional-system mode.
bool IsTraditionalLocale();

// The name ICU knows a code page's converter by: the 2000 tables for 936 and 950, "UTF-8" for
// 65001 and "windows-<n>" for any other.
std::string CodePageConverterName(int codePage);

// Converts UTF-8 text to the given code page (936, 950, or any code page ICU knows as
// "windows-<n>"); characters the code page lacks become "?". Throws panelix::Error for an
// unknown code page.
std::string EncodeCodePage(std::string_view utf8, int codePage);
// Converts text in the given code page to UTF-8; undecodable bytes become U+FFFD.
std::string DecodeCodePage(std::string_view bytes, int codePage);

// The code page number that stands for UTF-8, the other encoding text files may be read in.
inline constexpr int kUtf8CodePage = 65001;

// Reads the bytes of a text file that a tool takes (String Bin text, cursor text, project file) in
// the given encoding (936, 950 or kUtf8CodePage) and returns them as UTF-8. A file that begins with
// the UTF-8 byte-order mark is read as UTF-8 whatever the encoding, without the mark. Nothing else
// changes the text; what may have gone wrong is said through warn, naming the file:
//   "NAME: the text is valid UTF-8 with non-ASCII characters but is read in code page 936; give
//    --encoding utf-8 if it was written as UTF-8"
//   "NAME:LINE: bytes that code page 936 cannot convert are read as U+FFFD" (one per line, lines
//    counted from 1 at line feeds).
std::string DecodeTextFile(std::string_view bytes, int encoding, const std::string& name,
                           const MessageFn& warn);

// Converts the text of a file read with DecodeTextFile into the code page, warning through warn for
// each line whose characters the code page lacks ("NAME:LINE: characters that code page 936 lacks
// become \"?\"").
std::string EncodeTextFile(std::string_view utf8, int codePage, const std::string& name,
                           const MessageFn& warn);

// "936", "950" or "utf-8": the encoding's name as --encoding takes it.
std::string EncodingName(int encoding);

// UTF-8 <-> UTF-16 helpers for code that works on characters.
std::u16string Utf8ToUtf16(std::string_view utf8);
std::string Utf16ToUtf8(std::u16string_view utf16);

}  // namespace panelix
