#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "build/plan.h"

namespace panelix::build {

// The SHA-256 of the bytes a step depends on: the panelix version, its command line, and the
// names and bytes of its inputs (a folder's files in name order, at any depth). As 64 hexadecimal
// digits. A missing input counts as missing, so that the step runs and says so.
std::string StepKey(const Step& step, std::string_view version, std::string_view extra = {});

// The SHA-256 of a file's bytes, as 64 hexadecimal digits; empty when it cannot be read.
std::string FileSha256(const std::filesystem::path& path);

// What the last build left in the output folder: per step, the key it was made from and the size
// and time of every file it wrote. A step is up to date when its key is the same and its outputs
// are still those it wrote.
class BuildCache {
 public:
  explicit BuildCache(std::filesystem::path folder);

  const std::filesystem::path& Folder() const { return m_folder; }
  bool UpToDate(const Step& step, const std::string& key) const;
  // Notes the outputs of a step that has just succeeded. Throws panelix::Error when the cache
  // cannot be written.
  void Record(const Step& step, const std::string& key) const;
  void Forget(const Step& step) const;
  // Removes the outputs of steps the manifest no longer has, and their entries. Returns the files
  // removed.
  std::vector<std::filesystem::path> RemoveStale(const std::vector<const Step*>& current,
                                                 const std::filesystem::path& outDir) const;
  // Empties the cache (the outputs stay).
  void Clear() const;

 private:
  std::filesystem::path EntryOf(const Step& step) const;
  std::filesystem::path m_folder;
};

}  // namespace panelix::build
