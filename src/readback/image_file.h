#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <vector>

#include "readback/inspection.h"

namespace panelix::inspect {

// A flash image, info bin or converter bin opened for reading; pieces are read on demand, so an
// image of any size is never held in memory whole.
class ImageFile {
 public:
  // Throws panelix::Error "Can't open <path>" when the file cannot be opened.
  explicit ImageFile(const std::filesystem::path& path);
  ~ImageFile();
  ImageFile(const ImageFile&) = delete;
  ImageFile& operator=(const ImageFile&) = delete;

  std::uint64_t Size() const { return m_size; }
  // length bytes from offset; throws panelix::Error when they lie past the end or cannot be read.
  std::vector<std::uint8_t> Read(std::uint64_t offset, std::size_t length) const;

 private:
  std::filesystem::path m_path;
  int m_fd = -1;
  std::uint64_t m_size = 0;
};

// Inspects a file: its head and size go to InspectImage. With a bin folder, the folder's bins are
// laid out as Make Bin lays them out (block size from the file) to name the bin of every picture
// and give the real set tables; a folder whose address lists cannot be read only names the bins.
Inspection InspectFile(const ImageFile& file, std::size_t blockSize = 0,
                       const std::optional<std::filesystem::path>& binFolder = std::nullopt);

}  // namespace panelix::inspect
