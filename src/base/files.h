#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace panelix {

// The message of a file that cannot be opened, read or written: "Can't open <path>".
std::string CantOpenMessage(const std::filesystem::path& path);

// Reads a whole file. Throws panelix::Error with message when it cannot be opened or read.
std::vector<std::uint8_t> ReadFileBytes(const std::filesystem::path& path, const std::string& message);

// Writes a file whole: the bytes go to a temporary file beside the target, which is then renamed
// over it, so a failed write never destroys what the user had. Throws panelix::Error with message
// when any step fails (the temporary file is removed then).
void WriteFileReplacing(const std::filesystem::path& path, std::span<const std::uint8_t> bytes,
                        const std::string& message);
void WriteFileReplacing(const std::filesystem::path& path, std::string_view text, const std::string& message);

// A file written in pieces and put in place whole by Commit(). Until then the target is
// untouched. The bytes go to an unnamed temporary file in the target's folder where the file
// system allows it (so even a killed process leaves nothing behind), else to a named one beside
// the target, which is removed when the writer goes uncommitted or the process is ended by
// SIGINT, SIGTERM or SIGHUP (see RemoveTemporaryFilesOnSignals).
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
  // Appends up to count bytes of the file open as fd, read from its current offset. Returns the bytes
  // appended, fewer than count only when that file ends first. Throws panelix::Error with the
  // message when writing fails, and with readMessage (the message when it is empty) when reading
  // that file fails.
  std::uint64_t AppendFrom(int fd, std::uint64_t count, const std::string& readMessage = {});
  // Bytes written so far.
  std::uint64_t Size() const { return m_size; }
  const std::filesystem::path& Target() const { return m_target; }
  const std::string& Message() const { return m_message; }
  // Renames the temporary file over the target (Prepare, then Publish).
  void Commit();

  // The two halves of Commit, for putting several files in place together (OutputFiles):
  // Prepare closes the file and gives it a temporary name beside the target, and throws the
  // message when that fails; Publish renames it over the target.
  void Prepare();
  void Publish();

 private:
  void Discard() noexcept;
  void Fail();

  std::filesystem::path m_target;
  std::filesystem::path m_temp;  // empty while the file has no name
  std::string m_message;
  int m_fd = -1;
  std::uint64_t m_size = 0;
  bool m_prepared = false;
  int m_slot = -1;                               // its place among the names removed on a signal
  std::unique_ptr<std::uint8_t[]> m_copyBuffer;  // AppendFrom's, made on first use
};

// The outputs of one run, put in place together. Each output is written to its own temporary file;
// Commit() first closes and names every one of them, and only when all that succeeded renames them
// over their targets, so until then every target keeps what it had. Outputs not committed are
// removed when the object goes.
class OutputFiles {
 public:
  OutputFiles() = default;
  OutputFiles(const OutputFiles&) = delete;
  OutputFiles& operator=(const OutputFiles&) = delete;

  // Starts an output. Throws panelix::Error with message when its temporary file cannot be made.
  // The reference stays valid as long as this object.
  ReplacingFile& Add(std::filesystem::path target, std::string message);
  // Puts every output in place. Throws panelix::Error with the message of the output that failed;
  // the targets are then all as they were.
  void Commit();
  bool Empty() const { return m_files.empty(); }

 private:
  std::vector<std::unique_ptr<ReplacingFile>> m_files;
};

// Refuses a run whose outputs would overwrite one of its inputs or each other. Two paths are the
// same file when they name one existing file (also through links) or, for files not there yet, the
// same place. Throws panelix::Error naming both:
//   "The output <output> would overwrite the input <input>."
//   "The outputs <output> and <output> are the same file."
void CheckOutputsApart(const std::vector<std::filesystem::path>& inputs,
                       const std::vector<std::filesystem::path>& outputs);

// Installs handlers for SIGINT, SIGTERM and SIGHUP that remove the temporary files of the
// replacements under way and then end the process by the same signal (a non-zero exit status).
void RemoveTemporaryFilesOnSignals();

// A seam for tests: makes the file layer fail as a full disk or a failing rename would.
struct FileFaults {
  // The nth write into a replacing file from now on fails (1 = the next one); 0 = none.
  std::uint64_t failWrite = 0;
  // The next commit (Prepare) fails.
  bool failCommit = false;
};
void SetFileFaults(const FileFaults& faults);

}  // namespace panelix
