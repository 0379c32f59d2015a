#pragma once

// Message texts of the font library generator, spelt exactly so: users and their scripts match on
// them.
namespace panelix::font {

inline constexpr const char* kStartLess4 = "Start code number is less 4.";
inline constexpr const char* kEndLess4 = "End code number is less 4.";
inline constexpr const char* kStartAboveEnd = "Error for start code > end code. And stop.";
inline constexpr const char* kStartBelowA1A0 = "Font Start Code is less 0xA1A0";
inline constexpr const char* kEndAboveF7FE = "Font End Code is over 0xF7FE";
inline constexpr const char* kOpenCreateError = "open Creat file error!\n";
inline constexpr const char* kFailToOpen = "Fail to Open the file";
inline constexpr const char* kStringBinOk = "String Font bin ok";
inline constexpr const char* kAsciiBinOk = "Ascii Font bin ok";
inline constexpr const char* kTooManyCharacters =
    "The text has more than 65535 characters; a String Bin font holds at most 65535.";
inline constexpr const char* kProposedName = "Font_";
// Followed by the family or file that could not be opened.
inline constexpr const char* kCannotOpenFont = "Cannot open the font ";

}  // namespace panelix::font
