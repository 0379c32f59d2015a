#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace panelix {

// Reads a whole file. Throws panelix::Error with message when it cannot be opened or read.
std::vector<std::uint8_t> ReadFileBytes(const std::filesystem::path& path, const std::string& message);

// Writes a file whole: the bytes go to a temporary file beside the target, which is then renamed
// over it, so a failed write never destroys what the user had. Throws panelix::Error with message
// when any step fails (the temporary file is removed then).
void WriteFileReplacing(const std::filesystem::path& path, std::span<const std::uint8_t> bytes,
                        const std::string& message);
void WriteFileReplacing(const std::filesystem::path& path, std::string_view text, const std::string& message);

// A file written in pieces and put in place whole by Commit(). Until then the target is
// untouched; destroying an uncommitted writer removes its temporary file.
class ReplacingFile {
 public:
  // Throws panelix::Error with message when the temporary file cannot be created.
  ReplacingFile(std::filesystem::path target, std::string message);
  ~ReplacingFile();
  ReplacingFile(const ReplacingFile&) = delete;
  ReplacingFile& operator=(const ReplacingFile&) = delete;

  // Appends bytes, repeating partial writes; throws panelix::Error with the message on failure.
  void Write(std::span<const std::uint8_t> bytes);
  void Write(std::string_view text);
  // Appends count copies of value without holding them all in memory.
  void WriteRepeated(std::uint8_t value, std::uint64_t count);
  // Appends up to count bytes of the file open as fd, read from its current offset, copied inside
  // the kernel where the file systems allow it (no user-space buffer then). Returns the bytes
  // appended, fewer than count only when that file ends first. Throws panelix::Error with the
  // message when reading or writing fails.
  std::uint64_t AppendFrom(int fd, std::uint64_t count);
  // Bytes written so far.
  std::uint64_t Size() const { return m_size; }
  // Renames the temporary file over the target.
  void Commit();

 private:
  void Discard() noexcept;

  std::filesystem::path m_target;
  std::filesystem::path m_temp;
  std::string m_message;
  int m_fd = -1;
  std::uint64_t m_size = 0;
};

}  // namespace panelix
