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

// The message when the output cannot be written.
std::string CantWriteMessage(const std::string& name) {
  return "Can't write " + name;
}

// Size of the pieces gaps and files are written in, between two progress reports.
constexpr std::int64_t kChunkSize = std::int64_t{1} << 24;

// A slot's file, opened read-only (a combine never creates or changes its inputs). Closed when it
// goes.
class SlotFile {
 public:
  explicit SlotFile(const std::filesystem::path& path)
      : m_path(path), m_fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC)) {
    struct stat st {};
    if (m_fd >= 0 && (::fstat(m_fd, &st) != 0 || S_ISDIR(st.st_mode))) {
      Close();
    } else if (m_fd >= 0) {
      m_size = st.st_size;
      m_device = st.st_dev;
      m_inode = st.st_ino;
    }
  }
  ~SlotFile() { Close(); }
  SlotFile(const SlotFile&) = delete;
  SlotFile& operator=(const SlotFile&) = delete;

  bool IsOpen() const { return m_fd >= 0; }
  std::int64_t Size() const { return m_size; }
  int Descriptor() const { return m_fd; }
  // True while the path still names the file that was opened.
  bool StillThere() const {
    struct stat st {};
    return ::stat(m_path.c_str(), &st) == 0 && st.st_dev == m_device && st.st_ino == m_inode;
  }

 private:
  void Close() {
    if (m_fd >= 0) {
      ::close(m_fd);
      m_fd = -1;
    }
  }

  std::filesystem::path m_path;
  int m_fd = -1;
  std::int64_t m_size = 0;
  dev_t m_device = 0;
  ino_t m_inode = 0;
};

// A slot's file that cannot be opened; every other failure of a combine is the output's.
class SlotError : public Error {
 public:
  explicit SlotError(const std::string& path) : Error(CantOpenMessage(path)) {}
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

  // Copies exactly length bytes of the file; what the file lacked for it when it was opened becomes
  // 0x00. False when progress asked to stop. Throws SlotError when the file cannot be read, gives
  // fewer bytes than it had when it was opened (it shrank) or no longer is where it was.
  bool Copy(const SlotFile& file, const std::string& path, std::int64_t length) {
    const std::int64_t available = std::min(length, file.Size());
    std::int64_t left = available;
    while (left > 0) {
      const std::int64_t want = std::min(left, kChunkSize);
      const auto got = static_cast<std::int64_t>(
          m_output.AppendFrom(file.Descriptor(), static_cast<std::uint64_t>(want), CantOpenMessage(path)));
      left -= got;
      if (got < want) {
        throw SlotError(path);
      }
      if (!Advance(got)) {
        return false;
      }
    }
    if (!file.StillThere()) {
      throw SlotError(path);
    }
    return Fill(0x00, length - available);
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

// Writes the slots into output. Returns false when progress asked to stop. Throws SlotError for a
// slot whose file cannot be opened or read.
bool WriteSlots(std::span<const CombineSlot> slots, ReplacingFile& output, const RowFn& row,
                std::vector<std::string>& rows, const ProgressFn& progress) {
  Combiner combiner(output, TotalBytes(slots), progress);
  for (std::size_t i = 0; i < slots.size(); ++i) {
    const CombineSlot& slot = slots[i];
    SlotFile file(slot.path);
    if (!file.IsOpen()) {
      throw SlotError(slot.path);
    }
    rows.push_back(CombineRow(slot));
    row(rows.back());
    if (i > 0 && !combiner.Fill(0xFF, GapBefore(slots[i - 1], slot))) {
      return false;
    }
    if (!combiner.Copy(file, slot.path, Length(slot))) {
      return false;
    }
  }
  return true;
}

// Refuses a slot that starts inside or before the file ahead of it: its rows would name a place
// where the file does not sit.
void CheckStarts(std::span<const CombineSlot> slots) {
  for (std::size_t i = 1; i < slots.size(); ++i) {
    const std::int64_t end = std::int64_t{slots[i - 1].start} + Length(slots[i - 1]);
    if (slots[i].start < end) {
      throw Error("The file " + slots[i].path + " cannot start at 0x" +
                  HexUpper(static_cast<std::uint32_t>(slots[i].start), 8) + ", inside or before the file " +
                  slots[i - 1].path + ", which ends at 0x" + HexUpper(static_cast<std::uint32_t>(end), 8) +
                  ".");
    }
  }
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
  const std::string listName = output::AddressListName(name);
  CheckStarts(slots);
  std::vector<std::filesystem::path> inputs;
  for (const CombineSlot& slot : slots) {
    inputs.emplace_back(slot.path);
  }
  CheckOutputsApart(inputs, {name, listName});
  OutputFiles outputs;
  ReplacingFile& output = outputs.Add(name, CantOpenMessage(name));
  try {
    if (!WriteSlots(slots, output, row, result.rows, progress)) {
      result.rows.clear();
      result.outcome = RunOutcome::Stopped;
      return result;
    }
  } catch (const SlotError&) {
    throw;
  } catch (const Error&) {
    throw Error(CantWriteMessage(name));
  }
  try {
    outputs.Add(listName, output::kFileNotAccessible).Write(output::AddressListBytes(result.rows));
  } catch (const Error&) {
    // The old output and list stay: the new output without its list would not match.
    message(output::kFileNotAccessible);
    result.outcome = RunOutcome::Failed;
    return result;
  }
  try {
    outputs.Commit();
  } catch (const Error& e) {
    if (std::string_view(e.what()) != output::kFileNotAccessible) {
      throw Error(CantWriteMessage(name));
    }
    // The list could not be put in place, so neither was the output.
    message(output::kFileNotAccessible);
    result.outcome = RunOutcome::Failed;
    return result;
  }
  result.outputName = name;
  result.addressListWritten = true;
  result.outcome = RunOutcome::Succeeded;
  return result;
}

}  // namespace panelix::combiner
