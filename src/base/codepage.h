#pragma once

#include <string>
#include <string_view>

namespace panelix {

// The 8-bit code page that text files of the module tools are stored in: 936 (simplified
// Chinese) unless the host locale is Chinese (Taiwan), then 950. SetSystemCodePage overrides it
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

// UTF-8 <-> UTF-16 helpers for code that works on characters.
std::u16string Utf8ToUtf16(std::string_view utf8);
std::string Utf16ToUtf8(std::u16string_view utf16);

}  // namespace panelix
