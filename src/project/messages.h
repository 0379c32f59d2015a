#pragma once

// Message texts and section names of the project library that more than one file uses, spelt
// exactly so: users and their scripts match on them.
namespace panelix::project {

inline constexpr const char* kOpenFail = "Open fail!";
inline constexpr const char* kCreateError = "open Creat file error!\n";
inline constexpr const char* kNoPictureData = "There aren't any picture data!";
inline constexpr const char* kNoInfoData = "There aren't any info data!";

// The section headers of a project file, each alone on its line.
inline constexpr const char* kInfoSection = "[INFO]";
inline constexpr const char* kUserCommandSection = "[USERCMD]";

}  // namespace panelix::project
