#pragma once

// Message texts shared by every converter that writes a bin and an address list. The spelling is
// the one users of the module tools know; keep it exactly.
namespace panelix::output {

inline constexpr const char* kErrorFileName = "Error file's name";
inline constexpr const char* kFileDoesNotExist = "The file does not exist.";
inline constexpr const char* kFileNotAccessible = "The file might not be accessibl.";

}  // namespace panelix::output
