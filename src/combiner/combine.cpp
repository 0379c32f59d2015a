#include "combiner/combine.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "base/error.h"
#include "base/files.h"
#include "base/numbers.h"
#include "output/address_list.h"
#include "output/messages.h"
#include "output/output_names.h"

namespace panelix::combiner {

namespace {

// Size of the pieces files are copied in; the only buffer a combine holds.
constexpr std::size_t kChunkSize = std::size_t{1} << 20;

// A slot's file, opened for reading; a missing file is created empty. Closed when it goes.
class SlotFile {
 public:
  explicit SlotFile(const std::filesystem::path& path)
      : m_fd(::open(path.c_str(), O_RDONLY | O_CREAT | O_CLOEXEC, 0666)) {
    struct stat st {};
    if (m_fd >= 0 && (::fstat(m_fd, &st) != 0 || S_ISDIR(st.st_mode))) {
      Close();
    } else if (m_fd >= 0) {
      m_size = st.st_size;
    }
  }
  ~SlotFile() { Close(); }
  SlotFile(const SlotFile&) = delete;
  SlotFile& operator=(const SlotFile&) = delete;

  bool IsOpen() const { return m_fd >= 0; }
  std::int64_t Size() const { return m_size; }

  // Reads up to buffer.size() bytes; returns 0 at the end of the file and -1 on an error.
  std::int64_t Read(std::span<std::uint8_t> buffer) {
    for (;;) {
      const ssize_t n = ::read(m_fd, buffer.data(), buffer.size());
      if (n >= 0 || errno != EINTR) {
        return n;
      }
    }
  }

 private:
  void Close() {
    if (m_fd >= 0) {
      ::close(m_fd);
      m_fd = -1;
    }
  }

  int m_fd = -1;
  std::int64_t m_size = 0;
};

// A slot's file that cannot be opened or read; every other failure of a combine is the output's.
class SlotError : public Error {
 public:
  explicit SlotError(const std::string& path) : Error("Can't open " + path) {}
};

// Why a slot could not be copied.
enum class CopyFailure { None, ReadFailed, Stopped };

class Combiner {
 public:
  Combiner(ReplacingFile& output, std::int64_t total, const ProgressFn& progress)
      : m_output(output), m_total(total), m_progress(progress), m_buffer(kChunkSize) {}

  bool Fill(std::uint8_t value, std::int64_t count) {
    while (count > 0) {
      const auto n = std::min<std::int64_t>(count, static_cast<std::int64_t>(kChunkSize));
      m_output.WriteRepeated(value, static_cast<std::uint64_t>(n));
      count -= n;
      if (!Advance(n)) {
        return false;
      }
    }
    return true;
  }

  // Copies exactly length bytes of the file: what is missing at its end becomes 0x00.
  CopyFailure Copy(SlotFile& file, std::int64_t length) {
    while (length > 0) {
      const auto want = static_cast<std::size_t>(std::min<std::int64_t>(length, kChunkSize));
      const std::int64_t got = file.Read(std::span<std::uint8_t>(m_buffer.data(), want));
      if (got < 0) {
        return CopyFailure::ReadFailed;
      }
      if (got == 0) {
        return Fill(0x00, length) ? CopyFailure::None : CopyFailure::Stopped;
      }
      m_output.Write(std::span<const std::uint8_t>(m_buffer.data(), static_cast<std::size_t>(got)));
      length -= got;
      if (!Advance(got)) {
        return CopyFailure::Stopped;
      }
    }
    return CopyFailure::None;
  }

 private:
  bool Advance(std::int64_t n) {
    m_done += n;
    return m_progress(m_done, m_total);
  }

  ReplacingFile& m_output;
  std::int64_t m_total;
  std::int64_t m_done = 0;
  const ProgressFn& m_progress;
  std::vector<std::uint8_t> m_buffer;
};

std::int64_t Length(const CombineSlot& slot) {
  return std::max<std::int64_t>(slot.length, 0);
}

std::int64_t TotalBytes(std::span<const CombineSlot> slots) {
  std::int64_t total = 0;
  for (std::size_t i = 0; i < slots.size(); ++i) {
    total += (i == 0 ? 0 : GapBefore(slots[i - 1], slots[i])) + Length(slots[i]);
  }
  return total;
}

// Writes the slots into output. Returns false when progress asked to stop. Throws for a slot that
// cannot be opened (after putting the earlier slots in place) or read.
bool WriteSlots(std::span<const CombineSlot> slots, ReplacingFile& output, const RowFn& row,
                std::vector<std::string>& rows, const ProgressFn& progress) {
  Combiner combiner(output, TotalBytes(slots), progress);
  for (std::size_t i = 0; i < slots.size(); ++i) {
    const CombineSlot& slot = slots[i];
    SlotFile file(slot.path);
    if (!file.IsOpen()) {
      output.Commit();
      throw SlotError(slot.path);
    }
    rows.push_back(CombineRow(slot));
    row(rows.back());
    if (i > 0 && !combiner.Fill(0xFF, GapBefore(slots[i - 1], slot))) {
      return false;
    }
    switch (combiner.Copy(file, Length(slot))) {
      case CopyFailure::ReadFailed:
        throw SlotError(slot.path);
      case CopyFailure::Stopped:
        return false;
      case CopyFailure::None:
        break;
    }
  }
  return true;
}

}  // namespace

std::string CombineRow(const CombineSlot& slot) {
  return "{0x" + HexUpper(static_cast<std::uint32_t>(slot.start), 8) + ", 0x" +
         HexUpper(static_cast<std::uint32_t>(slot.length), 8) + "}, //" + slot.path;
}

std::int64_t GapBefore(const CombineSlot& previous, const CombineSlot& slot) {
  const std::int64_t end = std::int64_t{previous.start} + previous.length;
  return std::max<std::int64_t>(std::int64_t{slot.start} - end, 0);
}

std::int64_t ChosenFileSize(const std::filesystem::path& path) {
  SlotFile file(path);
  if (!file.IsOpen()) {
    throw Error(output::kFileNotAccessible);
  }
  return file.Size();
}

CombineResult CombineFiles(std::span<const CombineSlot> slots, std::string_view chosenName, const RowFn& row,
                           const MessageFn& message, const ProgressFn& progress) {
  CombineResult result;
  const std::string name = output::OutputBinName(chosenName);
  ReplacingFile output(name, "Can't open " + name);
  try {
    if (!WriteSlots(slots, output, row, result.rows, progress)) {
      return CombineResult{};
    }
    output.Commit();
  } catch (const SlotError&) {
    throw;
  } catch (const Error&) {
    throw Error("Can't write " + name);
  }
  result.outputName = name;
  result.addressListWritten =
      output::WriteAddressList(name, result.rows, message) == output::WriteResult::Written;
  return result;
}

}  // namespace panelix::combiner
