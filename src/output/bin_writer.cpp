#include "output/bin_writer.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "base/error.h"
#include "base/files.h"
#include "output/messages.h"

namespace panelix::output {

WriteResult BinWriter::Append(std::span<const std::uint8_t> bytes, const MessageFn& message) {
  if (m_outputName.empty()) {
    message(kFileDoesNotExist);
    return WriteResult::NoOutputName;
  }
  if (!m_begun) {
    try {
      WriteFileReplacing(m_outputName, bytes, kFileNotAccessible);
    } catch (const Error&) {
      message(kFileNotAccessible);
      return WriteResult::NotAccessible;
    }
    m_begun = true;
  } else if (!AppendToExisting(bytes)) {
    message(kFileNotAccessible);
    return WriteResult::NotAccessible;
  }
  m_written += bytes.size();
  return WriteResult::Written;
}

bool BinWriter::AppendToExisting(std::span<const std::uint8_t> bytes) {
  // The bin is created again if someone removed it during the run.
  const int fd = ::open(m_outputName.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
  if (fd < 0) {
    return false;
  }
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || ::lseek(fd, 0, SEEK_END) < 0) {
    ::close(fd);
    return false;
  }
  const off_t before = st.st_size;
  const std::uint8_t* data = bytes.data();
  std::size_t left = bytes.size();
  bool ok = true;
  while (left > 0) {
    const ssize_t n = ::write(fd, data, left);
    if (n < 0 && errno == EINTR) {
      continue;
    }
    if (n <= 0) {
      ok = false;
      break;
    }
    data += n;
    left -= static_cast<std::size_t>(n);
  }
  if (!ok) {
    // Keep the bin made of whole items only.
    [[maybe_unused]] const int cut = ::ftruncate(fd, before);
  }
  if (::close(fd) != 0 && ok) {
    ok = false;
    [[maybe_unused]] const int cut = ::truncate(m_outputName.c_str(), before);
  }
  return ok;
}

}  // namespace panelix::output
