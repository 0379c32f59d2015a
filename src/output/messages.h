#pragma once

// Message texts shared by every converter that writes a bin and an address list. Users' scripts
// match these texts as they are, misspelling included; keep them exactly.
namespace panelix::output {

inline constexpr const char* kErrorFileName = "Error file's name";
inline constexpr const char* kFileDoesNotExist = "The file does not exist.";
inline constexpr const char* kFileNotAccessible = "The file might not be accessibl.";

}  // namespace panelix::output
