#include "base/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>

#include "base/error.h"

namespace panelix {

namespace {

void WriteAll(int fd, const std::uint8_t* data, std::size_t size) {
  while (size > 0) {
    const ssize_t n = ::write(fd, data, size);
    if (n < 0) {
      if (errno == EINTR) {
        continue;
      }
      throw std::system_error(errno, std::generic_category());
    }
    data += n;
    size -= static_cast<std::size_t>(n);
  }
}

}  // namespace

std::vector<std::uint8_t> ReadFileBytes(const std::filesystem::path& path, const std::string& message) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    throw Error(message);
  }
  std::vector<std::uint8_t> bytes;
  struct stat st {};
  if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
    bytes.reserve(static_cast<std::size_t>(st.st_size));
  } else if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
    ::close(fd);
    throw Error(message);
  }
  std::array<std::uint8_t, 1 << 16> chunk{};
  for (;;) {
    const ssize_t n = ::read(fd, chunk.data(), chunk.size());
    if (n < 0) {
      if (errno == EINTR) {
        continue;
      }
      ::close(fd);
      throw Error(message);
    }
    if (n == 0) {
      break;
    }
    bytes.insert(bytes.end(), chunk.begin(), chunk.begin() + n);
  }
  ::close(fd);
  return bytes;
}

ReplacingFile::ReplacingFile(std::filesystem::path target, std::string message)
    : m_target(std::move(target)), m_message(std::move(message)) {
  std::string pattern = m_target.string() + ".tmp-XXXXXX";
  m_fd = ::mkstemp(pattern.data());
  if (m_fd < 0) {
    throw Error(m_message);
  }
  m_temp = pattern;
  // mkstemp creates the file 0600; give it the mode a newly created file would get.
  const mode_t mask = ::umask(0);
  ::umask(mask);
  ::fchmod(m_fd, 0666 & ~mask);
}

ReplacingFile::~ReplacingFile() {
  Discard();
}

void ReplacingFile::Discard() noexcept {
  if (m_fd >= 0) {
    ::close(m_fd);
    m_fd = -1;
  }
  if (!m_temp.empty()) {
    ::unlink(m_temp.c_str());
    m_temp.clear();
  }
}

void ReplacingFile::Write(std::span<const std::uint8_t> bytes) {
  if (m_fd < 0) {
    throw Error(m_message);
  }
  try {
    WriteAll(m_fd, bytes.data(), bytes.size());
  } catch (const std::system_error&) {
    Discard();
    throw Error(m_message);
  }
  m_size += bytes.size();
}

void ReplacingFile::Write(std::string_view text) {
  Write(std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
}

void ReplacingFile::WriteRepeated(std::uint8_t value, std::uint64_t count) {
  std::array<std::uint8_t, 1 << 16> block{};
  block.fill(value);
  while (count > 0) {
    const auto n = static_cast<std::size_t>(std::min<std::uint64_t>(count, block.size()));
    Write(std::span<const std::uint8_t>(block.data(), n));
    count -= n;
  }
}

std::uint64_t ReplacingFile::AppendFrom(int fd, std::uint64_t count) {
  if (m_fd < 0) {
    throw Error(m_message);
  }
  std::uint64_t copied = 0;
  bool inKernel = true;
  std::vector<std::uint8_t> buffer;
  while (copied < count) {
    const auto want =
        static_cast<std::size_t>(std::min<std::uint64_t>(count - copied, std::uint64_t{1} << 30));
    ssize_t n = -1;
    if (inKernel) {
      n = ::copy_file_range(fd, nullptr, m_fd, nullptr, want, 0);
      if (n < 0 && (errno == EXDEV || errno == EINVAL || errno == ENOSYS || errno == EOPNOTSUPP ||
                    errno == EBADF || errno == EPERM)) {
        // Not possible between these two files: copy through a buffer instead.
        inKernel = false;
        buffer.resize(std::size_t{1} << 20);
        continue;
      }
    } else {
      n = ::read(fd, buffer.data(), std::min(want, buffer.size()));
      if (n > 0) {
        try {
          WriteAll(m_fd, buffer.data(), static_cast<std::size_t>(n));
        } catch (const std::system_error&) {
          n = -1;
        }
      }
    }
    if (n < 0 && errno == EINTR) {
      continue;
    }
    if (n < 0) {
      Discard();
      throw Error(m_message);
    }
    if (n == 0) {
      break;
    }
    copied += static_cast<std::uint64_t>(n);
    m_size += static_cast<std::uint64_t>(n);
  }
  return copied;
}

void ReplacingFile::Commit() {
  if (m_fd < 0) {
    throw Error(m_message);
  }
  const int closed = ::close(m_fd);
  m_fd = -1;
  if (closed != 0 || ::rename(m_temp.c_str(), m_target.c_str()) != 0) {
    Discard();
    throw Error(m_message);
  }
  m_temp.clear();
}

void WriteFileReplacing(const std::filesystem::path& path, std::span<const std::uint8_t> bytes,
                        const std::string& message) {
  ReplacingFile file(path, message);
  file.Write(bytes);
  file.Commit();
}

void WriteFileReplacing(const std::filesystem::path& path, std::string_view text,
                        const std::string& message) {
  ReplacingFile file(path, message);
  file.Write(text);
  file.Commit();
}

}  // namespace panelix
