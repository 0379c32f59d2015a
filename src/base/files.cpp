#include "base/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <system_error>

#include "base/error.h"

namespace panelix {

namespace {

// The injected faults (SetFileFaults): writes left before the failing one, and a failing commit.
std::atomic<std::uint64_t> g_failWrite{0};
std::atomic<bool> g_failCommit{false};

bool InjectedWriteFault() {
  std::uint64_t left = g_failWrite.load();
  while (left > 0) {
    if (g_failWrite.compare_exchange_weak(left, left - 1)) {
      return left == 1;
    }
  }
  return false;
}

bool InjectedCommitFault() {
  return g_failCommit.exchange(false);
}

// The names of temporary files that exist on disk, removed by the signal handler. A slot holds a
// string of its own allocation, so the handler never reads a string being changed.
constexpr int kTemporarySlots = 256;
std::array<std::atomic<char*>, kTemporarySlots> g_temporaries{};

int RegisterTemporary(const std::filesystem::path& path) {
  char* name = ::strdup(path.c_str());
  if (name == nullptr) {
    return -1;
  }
  for (int i = 0; i < kTemporarySlots; ++i) {
    char* expected = nullptr;
    if (g_temporaries[static_cast<std::size_t>(i)].compare_exchange_strong(expected, name)) {
      return i;
    }
  }
  // More files under way than slots: this one is still removed by its writer, not on a signal.
  std::free(name);
  return -1;
}

void UnregisterTemporary(int slot) noexcept {
  if (slot >= 0) {
    std::free(g_temporaries[static_cast<std::size_t>(slot)].exchange(nullptr));
  }
}

void RemoveTemporariesAndDie(int signal) {
  for (auto& slot : g_temporaries) {
    const char* name = slot.load();
    if (name != nullptr) {
      ::unlink(name);
    }
  }
  // SA_RESETHAND restored the default action: end the process by the same signal.
  ::raise(signal);
}

void WriteAll(int fd, const std::uint8_t* data, std::size_t size) {
  if (InjectedWriteFault()) {
    throw std::system_error(ENOSPC, std::generic_category());
  }
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
  const std::filesystem::path folder = m_target.has_parent_path() ? m_target.parent_path() : ".";
  // An unnamed file in the target's folder (mode 0666 less the umask, as a new file gets).
  m_fd = ::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
  if (m_fd >= 0) {
    return;
  }
  std::string pattern = m_target.string() + ".tmp-XXXXXX";
  m_fd = ::mkstemp(pattern.data());
  if (m_fd < 0) {
    throw Error(m_message);
  }
  m_temp = pattern;
  m_slot = RegisterTemporary(m_temp);
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
  UnregisterTemporary(m_slot);
  m_slot = -1;
}

void ReplacingFile::Fail() {
  Discard();
  throw Error(m_message);
}

void ReplacingFile::Write(std::span<const std::uint8_t> bytes) {
  if (m_fd < 0 || m_prepared) {
    throw Error(m_message);
  }
  try {
    WriteAll(m_fd, bytes.data(), bytes.size());
  } catch (const std::system_error&) {
    Fail();
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

std::uint64_t ReplacingFile::AppendFrom(int fd, std::uint64_t count, const std::string& readMessage) {
  if (m_fd < 0 || m_prepared) {
    throw Error(m_message);
  }
  // Through a buffer of our own: on ext4, copy_file_range moves page-cache pages through a pipe
  // a few at a time and took about twice as long as this for the flash image's bins. The buffer
  // is kept for the next call and never cleared, since every byte is read into it before use.
  constexpr std::size_t kBufferBytes = std::size_t{1} << 20;
  if (!m_copyBuffer) {
    m_copyBuffer = std::make_unique_for_overwrite<std::uint8_t[]>(kBufferBytes);
  }
  std::uint64_t copied = 0;
  while (copied < count) {
    const auto want = static_cast<std::size_t>(std::min<std::uint64_t>(count - copied, kBufferBytes));
    const ssize_t n = ::read(fd, m_copyBuffer.get(), want);
    if (n < 0) {
      if (errno == EINTR) {
        continue;
      }
      const std::string message = readMessage.empty() ? m_message : readMessage;
      Discard();
      throw Error(message);
    }
    if (n == 0) {
      break;
    }
    // Like every write, a piece copied counts once for the fault seam.
    try {
      WriteAll(m_fd, m_copyBuffer.get(), static_cast<std::size_t>(n));
    } catch (const std::system_error&) {
      Fail();
    }
    copied += static_cast<std::uint64_t>(n);
    m_size += static_cast<std::uint64_t>(n);
  }
  return copied;
}

void ReplacingFile::Prepare() {
  if (m_fd < 0 || m_prepared) {
    throw Error(m_message);
  }
  if (InjectedCommitFault()) {
    Fail();
  }
  // A folder in the target's place would refuse the rename; find out before any output is renamed.
  struct stat st {};
  if (::stat(m_target.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
    Fail();
  }
  if (m_temp.empty()) {
    // Give the unnamed file a name beside the target; a free one is found by trying.
    std::random_device random;
    const std::string fdPath = "/proc/self/fd/" + std::to_string(m_fd);
    for (int attempt = 0; attempt < 100 && m_temp.empty(); ++attempt) {
      char suffix[16];
      std::snprintf(suffix, sizeof suffix, ".tmp-%08x", random());
      const std::string name = m_target.string() + suffix;
      m_slot = RegisterTemporary(name);
      int linked = ::linkat(AT_FDCWD, fdPath.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW);
      if (linked != 0 && errno == ENOENT) {
        // No /proc: link the descriptor itself (needs the right to do so).
        linked = ::linkat(m_fd, "", AT_FDCWD, name.c_str(), AT_EMPTY_PATH);
      }
      if (linked == 0) {
        m_temp = name;
      } else {
        UnregisterTemporary(m_slot);
        m_slot = -1;
        if (errno != EEXIST) {
          Fail();
        }
      }
    }
    if (m_temp.empty()) {
      Fail();
    }
  }
  const int closed = ::close(m_fd);
  m_fd = -1;
  if (closed != 0) {
    Fail();
  }
  m_prepared = true;
}

void ReplacingFile::Publish() {
  if (!m_prepared || m_temp.empty()) {
    throw Error(m_message);
  }
  if (::rename(m_temp.c_str(), m_target.c_str()) != 0) {
    Fail();
  }
  m_temp.clear();
  UnregisterTemporary(m_slot);
  m_slot = -1;
}

void ReplacingFile::Commit() {
  Prepare();
  Publish();
}

ReplacingFile& OutputFiles::Add(std::filesystem::path target, std::string message) {
  m_files.push_back(std::make_unique<ReplacingFile>(std::move(target), std::move(message)));
  return *m_files.back();
}

void OutputFiles::Commit() {
  for (auto& file : m_files) {
    file->Prepare();
  }
  for (auto& file : m_files) {
    file->Publish();
  }
  m_files.clear();
}

namespace {

// Where a path leads: the file it names when there is one, else its place.
struct FileIdentity {
  bool exists = false;
  dev_t device = 0;
  ino_t inode = 0;
  std::filesystem::path place;

  bool operator==(const FileIdentity& other) const {
    if (exists && other.exists) {
      return device == other.device && inode == other.inode;
    }
    return place == other.place;
  }
};

FileIdentity IdentityOf(const std::filesystem::path& path) {
  FileIdentity identity;
  struct stat st {};
  if (::stat(path.c_str(), &st) == 0) {
    identity.exists = true;
    identity.device = st.st_dev;
    identity.inode = st.st_ino;
  }
  std::error_code error;
  identity.place = std::filesystem::weakly_canonical(std::filesystem::absolute(path, error), error);
  if (error) {
    identity.place = path.lexically_normal();
  }
  return identity;
}

}  // namespace

void CheckOutputsApart(const std::vector<std::filesystem::path>& inputs,
                       const std::vector<std::filesystem::path>& outputs) {
  std::vector<FileIdentity> outputIds;
  for (const auto& output : outputs) {
    outputIds.push_back(IdentityOf(output));
  }
  for (const auto& input : inputs) {
    const FileIdentity inputId = IdentityOf(input);
    for (std::size_t i = 0; i < outputs.size(); ++i) {
      if (outputIds[i] == inputId) {
        throw Error("The output " + outputs[i].string() + " would overwrite the input " + input.string() +
                    ".");
      }
    }
  }
  for (std::size_t i = 0; i < outputs.size(); ++i) {
    for (std::size_t j = i + 1; j < outputs.size(); ++j) {
      if (outputIds[i] == outputIds[j]) {
        throw Error("The outputs " + outputs[i].string() + " and " + outputs[j].string() +
                    " are the same file.");
      }
    }
  }
}

void RemoveTemporaryFilesOnSignals() {
  struct sigaction action {};
  action.sa_handler = RemoveTemporariesAndDie;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESETHAND;
  for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
    ::sigaction(signal, &action, nullptr);
  }
}

void SetFileFaults(const FileFaults& faults) {
  g_failWrite.store(faults.failWrite);
  g_failCommit.store(faults.failCommit);
}

std::string CantOpenMessage(const std::filesystem::path& path) {
  return "Can't open " + path.string();
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
