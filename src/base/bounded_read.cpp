#include "base/bounded_read.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "base/error.h"

namespace panelix {

namespace {

// Closes the descriptor however the read ends.
struct FileDescriptor {
  int fd = -1;
  ~FileDescriptor() {
    if (fd >= 0) {
      ::close(fd);
    }
  }
};

}  // namespace

std::string FileTooLargeMessage(const std::filesystem::path& path, std::uint64_t limit) {
  const std::string amount =
      limit % kMiB == 0 ? std::to_string(limit / kMiB) + " MiB" : std::to_string(limit) + " bytes";
  return "The file " + path.string() + " is too large: the limit is " + amount + ".";
}

std::vector<std::uint8_t> ReadFileBytesUpTo(const std::filesystem::path& path, std::uint64_t limit,
                                            const std::string& message) {
  FileDescriptor file{::open(path.c_str(), O_RDONLY | O_CLOEXEC)};
  struct stat st {};
  if (file.fd < 0 || ::fstat(file.fd, &st) != 0 || S_ISDIR(st.st_mode)) {
    throw Error(message);
  }
  std::vector<std::uint8_t> bytes;
  if (S_ISREG(st.st_mode)) {
    if (static_cast<std::uint64_t>(st.st_size) > limit) {
      throw Error(FileTooLargeMessage(path, limit));
    }
    // Room for the byte past the end too, which the read that finds the end asks for.
    bytes.reserve(static_cast<std::size_t>(st.st_size) + 1);
  }
  constexpr std::size_t kChunk = std::size_t{1} << 16;
  for (;;) {
    // Ask for one byte more than the limit allows, so that a file grown since fstat, or a pipe,
    // is found too large without holding more than limit + 1 bytes. A file of known size is read
    // in one piece.
    const std::uint64_t room = limit + 1 - bytes.size();
    const std::size_t piece = std::max(kChunk, bytes.capacity() - bytes.size());
    const auto want = static_cast<std::size_t>(std::min<std::uint64_t>(piece, room));
    const std::size_t have = bytes.size();
    bytes.resize(have + want);
    const ssize_t n = ::read(file.fd, bytes.data() + have, want);
    if (n < 0 && errno == EINTR) {
      bytes.resize(have);
      continue;
    }
    if (n < 0) {
      throw Error(message);
    }
    bytes.resize(have + static_cast<std::size_t>(n));
    if (bytes.size() > limit) {
      throw Error(FileTooLargeMessage(path, limit));
    }
    if (n == 0) {
      return bytes;
    }
  }
}

}  // namespace panelix
