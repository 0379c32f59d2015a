#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace panelix {

inline constexpr std::uint64_t kMiB = std::uint64_t{1} << 20;

// The most any text input holds: String Bin text, cursor text, project files and address lists.
inline constexpr std::uint64_t kMaxTextFileBytes = 16 * kMiB;

// "The file <path> is too large: the limit is 16 MiB." (the limit in whole MiB when it is a
// multiple of one, otherwise in bytes).
std::string FileTooLargeMessage(const std::filesystem::path& path, std::uint64_t limit);

// Reads a whole file of at most limit bytes. A regular file whose size is above the limit is
// refused before any of it is read; a pipe or device is refused as soon as more than limit bytes
// arrive. Throws panelix::Error with FileTooLargeMessage(path, limit) then, and with message when
// the file cannot be opened or read (a folder included).
std::vector<std::uint8_t> ReadFileBytesUpTo(const std::filesystem::path& path, std::uint64_t limit,
                                            const std::string& message);

}  // namespace panelix
