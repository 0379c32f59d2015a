#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "base/files.h"
#include "base/progress.h"
#include "output/write_result.h"

namespace panelix::output {

// The output bin of one conversion run and its address list, put in place together. The items are
// appended to a temporary file beside the bin; Commit() writes the address list beside it too and
// renames both over the old files at once. Until then the old bin and list stay exactly as they
// were, and they stay so when the run fails, is stopped or is killed, or when any item could not be
// written (the new pair would not match). Two runs to the same name leave the pair of the one that
// committed last.
//
// Create one BinWriter per run. An item that cannot be written is reported and the run may go on
// (its caller's addresses go on too), but the run can then no longer commit.
class BinWriter {
 public:
  explicit BinWriter(std::string outputName);
  ~BinWriter();
  BinWriter(const BinWriter&) = delete;
  BinWriter& operator=(const BinWriter&) = delete;

  // Writes one item.
  //   NoOutputName  - the output name is empty; message "The file does not exist."
  //   NotAccessible - the bin cannot be made or written; message "The file might not be accessibl."
  // The message goes to the sink; nothing is thrown for these two cases.
  WriteResult Append(std::span<const std::uint8_t> bytes, const MessageFn& message);

  // Puts the bin and the address list made of lines (AddressListBytes) in place, when every item
  // was written. Otherwise, or when the list or the renames fail, the message goes to the sink
  // ("The file does not exist." for an empty name, else "The file might not be accessibl."), the
  // old files stay, and that result is returned. A run without items commits an empty bin.
  WriteResult Commit(const std::vector<std::string>& addressLines, const MessageFn& message);

  const std::string& OutputName() const { return m_outputName; }
  // True once an item of this run has been written to the temporary bin.
  bool Begun() const { return m_bin != nullptr; }
  // True when an item could not be written (the run cannot commit).
  bool ItemLost() const { return m_lost; }
  // True after a successful Commit.
  bool Committed() const { return m_committed; }
  // Bytes this run has put into the bin.
  std::uint64_t BytesWritten() const { return m_written; }

 private:
  bool Start();
  WriteResult Lose(const MessageFn& message);

  std::string m_outputName;
  std::unique_ptr<OutputFiles> m_files;
  ReplacingFile* m_bin = nullptr;
  bool m_lost = false;
  bool m_committed = false;
  std::uint64_t m_written = 0;
};

}  // namespace panelix::output
