#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "base/progress.h"
#include "output/write_result.h"

namespace panelix::output {

// The output bin of one conversion run. The run's first item that gets written replaces any file of
// that name whole (through a temporary file, so the old file survives when that write fails); every
// later item is appended at the end. An item is written completely or not at all: when an append
// fails half-way the file is cut back to its size before the item, so the bin always holds whole
// items. Items that could not be written are simply missing; the caller's addresses go on.
//
// Create one BinWriter per run. It keeps no file open between items.
class BinWriter {
 public:
  explicit BinWriter(std::string outputName) : m_outputName(std::move(outputName)) {}

  // Writes one item.
  //   NoOutputName  - the output name is empty; message "The file does not exist."
  //   NotAccessible - the bin cannot be opened or written; message "The file might not be accessibl."
  // The message goes to the sink; nothing is thrown for these two cases.
  WriteResult Append(std::span<const std::uint8_t> bytes, const MessageFn& message);

  const std::string& OutputName() const { return m_outputName; }
  // True once an item of this run has been written (the old file has been replaced).
  bool Begun() const { return m_begun; }
  // Bytes this run has put into the bin.
  std::uint64_t BytesWritten() const { return m_written; }

 private:
  bool AppendToExisting(std::span<const std::uint8_t> bytes);

  std::string m_outputName;
  bool m_begun = false;
  std::uint64_t m_written = 0;
};

}  // namespace panelix::output
