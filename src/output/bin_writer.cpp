#include "output/bin_writer.h"

#include "base/error.h"
#include "output/address_list.h"
#include "output/messages.h"
#include "output/output_names.h"

namespace panelix::output {

BinWriter::BinWriter(std::string outputName) : m_outputName(std::move(outputName)) {}

BinWriter::~BinWriter() = default;

bool BinWriter::Start() {
  if (m_bin != nullptr) {
    return true;
  }
  try {
    auto files = std::make_unique<OutputFiles>();
    m_bin = &files->Add(m_outputName, kFileNotAccessible);
    m_files = std::move(files);
  } catch (const Error&) {
    return false;
  }
  return true;
}

// A bin with an item missing, or whose list failed, can never be committed: let it go now.
WriteResult BinWriter::Lose(const MessageFn& message) {
  m_lost = true;
  m_bin = nullptr;
  m_files.reset();
  message(kFileNotAccessible);
  return WriteResult::NotAccessible;
}

WriteResult BinWriter::Append(std::span<const std::uint8_t> bytes, const MessageFn& message) {
  if (m_outputName.empty()) {
    m_lost = true;
    message(kFileDoesNotExist);
    return WriteResult::NoOutputName;
  }
  if (m_lost && m_bin == nullptr) {
    message(kFileNotAccessible);
    return WriteResult::NotAccessible;
  }
  try {
    if (!Start()) {
      throw Error(kFileNotAccessible);
    }
    m_bin->Write(bytes);
  } catch (const Error&) {
    return Lose(message);
  }
  m_written += bytes.size();
  return WriteResult::Written;
}

WriteResult BinWriter::Commit(const std::vector<std::string>& addressLines, const MessageFn& message) {
  if (m_outputName.empty()) {
    message(kFileDoesNotExist);
    return WriteResult::NoOutputName;
  }
  try {
    if (m_lost || !Start()) {
      throw Error(kFileNotAccessible);
    }
    m_files->Add(AddressListName(m_outputName), kFileNotAccessible).Write(AddressListBytes(addressLines));
    m_files->Commit();
  } catch (const Error&) {
    return Lose(message);
  }
  m_bin = nullptr;
  m_files.reset();
  m_committed = true;
  return WriteResult::Written;
}

}  // namespace panelix::output
