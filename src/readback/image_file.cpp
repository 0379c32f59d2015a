#include "readback/image_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "base/error.h"
#include "base/files.h"
#include "project/bin_folder.h"
#include "project/resource_passes.h"

namespace panelix::inspect {

ImageFile::ImageFile(const std::filesystem::path& path)
    : m_path(path), m_fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC)) {
  struct stat info {};
  if (m_fd < 0 || ::fstat(m_fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    if (m_fd >= 0) {
      ::close(m_fd);
    }
    throw Error(CantOpenMessage(path));
  }
  m_size = static_cast<std::uint64_t>(info.st_size);
}

ImageFile::~ImageFile() {
  ::close(m_fd);
}

std::vector<std::uint8_t> ImageFile::Read(std::uint64_t offset, std::size_t length) const {
  if (offset > m_size || length > m_size - offset) {
    throw Error(m_path.string() + ": " + std::to_string(length) + " bytes at " + std::to_string(offset) +
                " lie past the end of the file");
  }
  std::vector<std::uint8_t> bytes(length);
  std::size_t done = 0;
  while (done < length) {
    const ssize_t n = ::pread(m_fd, bytes.data() + done, length - done, static_cast<off_t>(offset + done));
    if (n < 0 && errno == EINTR) {
      continue;
    }
    if (n <= 0) {
      throw Error("Can't read " + m_path.string());
    }
    done += static_cast<std::size_t>(n);
  }
  return bytes;
}

Inspection InspectFile(const ImageFile& file, std::size_t blockSize,
                       const std::optional<std::filesystem::path>& binFolder) {
  const std::vector<std::uint8_t> head = file.Read(
      0, static_cast<std::size_t>(std::min<std::uint64_t>(file.Size(), infoblock::kLargeBlockSize)));
  InspectOptions options;
  options.blockSize = blockSize;
  if (binFolder) {
    const std::vector<std::string> bins = project::ListBinFolder(*binFolder, "Fail to Open the file");
    infoblock::InfoBlock scratch(blockSize != 0 ? blockSize : DetectBlockSize(head));
    project::ResourcePasses passes(*binFolder, bins, scratch, NoMessage);
    try {
      for (const infoblock::BinKind kind : infoblock::kBinKinds) {
        passes.Run(kind);
      }
      options.sets = passes.Sets();
    } catch (const Error&) {
      // The bins still name the pictures that fall in them as far as the passes got.
    }
    for (const project::PlacedBin& bin : passes.Placed()) {
      options.bins.push_back({bin.name, bin.address, bin.size});
    }
  }
  return InspectImage(head, file.Size(), options);
}

}  // namespace panelix::inspect
