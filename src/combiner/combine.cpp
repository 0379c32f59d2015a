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

// Size of the pieces gaps and files are written in, between two progress reports.
constexpr std::int64_t kChunkSize = std::int64_t{1} << 24;

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

  int Descriptor() const { return m_fd; }

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

// A slot's file that cannot be opened; every other failure of a combine is the output's.
class SlotError : public Error {
 public:
  explicit SlotError(const std::string& path) : Error("Can't open " + path) {}
};

class Combiner {
 public:
  Combiner(ReplacingFile& output, std::int64_t total, const ProgressFn& progress)
      : m_output(output), m_total(total), m_progress(progress) {}

  // Writes count bytes of value; false when progress asked to stop.
  bool Fill(std::uint8_t value, std::int64_t count) {
    while (count > 0) {
      const std::int64_t n = std::min(count, kChunkSize);
      m_output.WriteRepeated(value, static_cast<std::uint64_t>(n));
      count -= n;
      if (!Advance(n)) {
        return false;
      }
    }
    return true;
  }

  // Copies exactly length bytes of the file: what is missing at its end becomes 0x00. False when
  // progress asked to stop.
  bool Copy(const SlotFile& file, std::int64_t length) {
    while (length > 0) {
      const std::int64_t want = std::min(length, kChunkSize);
      const auto got =
          static_cast<std::int64_t>(m_output.AppendFrom(file.Descriptor(), static_cast<std::uint64_t>(want)));
      length -= got;
      if (!Advance(got)) {
        return false;
      }
      if (got < want) {
        return Fill(0x00, length);
      }
    }
    return true;
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
// cannot be opened, after putting the earlier slots in place.
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
    if (!combiner.Copy(file, Length(slot))) {
      return false;
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
