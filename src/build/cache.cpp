#include "build/cache.h"

#include <nettle/sha2.h>

#include <algorithm>
#include <fstream>
#include <set>
#include <sstream>

#include "base/error.h"

namespace panelix::build {

namespace fs = std::filesystem;

namespace {

std::string CannotWriteCache(const fs::path& folder) {
  return "Cannot write the build cache in " + folder.string();
}

class Sha256 {
 public:
  Sha256() { sha256_init(&m_context); }
  void Add(std::string_view bytes) {
    // Each piece is preceded by its length, so that ("ab", "c") and ("a", "bc") differ.
    const std::string length = std::to_string(bytes.size()) + ":";
    Raw(length);
    Raw(bytes);
  }
  // Adds a file's bytes; false when it cannot be read.
  bool AddFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
      return false;
    }
    std::ostringstream bytes;
    bytes << in.rdbuf();
    Add(bytes.view());
    return !in.bad();
  }
  std::string Hex() {
    std::uint8_t digest[SHA256_DIGEST_SIZE];
    sha256_digest(&m_context, sizeof digest, digest);
    static const char kDigits[] = "0123456789abcdef";
    std::string hex;
    for (std::uint8_t byte : digest) {
      hex += kDigits[byte >> 4];
      hex += kDigits[byte & 15];
    }
    return hex;
  }

  void Raw(std::string_view bytes) {
    sha256_update(&m_context, bytes.size(), reinterpret_cast<const std::uint8_t*>(bytes.data()));
  }

 private:
  sha256_ctx m_context;
};

void AddInput(Sha256& hash, const fs::path& workDir, const fs::path& input) {
  const fs::path path = workDir / input;
  std::error_code ec;
  if (fs::is_directory(path, ec)) {
    std::vector<fs::path> files;
    for (fs::recursive_directory_iterator it(path, ec), end; !ec && it != end; it.increment(ec)) {
      if (it->is_regular_file(ec)) {
        files.push_back(it->path());
      }
    }
    std::sort(files.begin(), files.end());
    hash.Add("folder " + input.string());
    for (const fs::path& file : files) {
      hash.Add(file.lexically_relative(path).string());
      if (!hash.AddFile(file)) {
        hash.Add("unreadable");
      }
    }
  } else {
    hash.Add("file " + input.string());
    if (!hash.AddFile(path)) {
      hash.Add("missing");
    }
  }
}

struct Stamp {
  std::uintmax_t size = 0;
  long long time = 0;
};

bool StampOf(const fs::path& path, Stamp& stamp) {
  std::error_code ec;
  stamp.size = fs::file_size(path, ec);
  if (ec) {
    return false;
  }
  const auto time = fs::last_write_time(path, ec);
  stamp.time = static_cast<long long>(time.time_since_epoch().count());
  return !ec;
}

struct Entry {
  std::string key;
  std::vector<std::pair<fs::path, Stamp>> outputs;
};

bool ReadEntry(const fs::path& file, Entry& entry) {
  std::ifstream in(file);
  std::string word;
  if (!(in >> word >> entry.key) || word != "key") {
    return false;
  }
  Stamp stamp;
  std::string path;
  while (in >> word >> stamp.size >> stamp.time && word == "out" && std::getline(in >> std::ws, path)) {
    entry.outputs.emplace_back(path, stamp);
  }
  return true;
}

}  // namespace

std::string StepKey(const Step& step, std::string_view version, std::string_view extra) {
  Sha256 hash;
  hash.Add(version);
  hash.Add(extra);
  for (const std::string& arg : step.args) {
    hash.Add(arg);
  }
  for (const fs::path& input : step.inputs) {
    AddInput(hash, step.workDir, input);
  }
  return hash.Hex();
}

std::string FileSha256(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    return {};
  }
  std::ostringstream bytes;
  bytes << in.rdbuf();
  Sha256 hash;
  hash.Raw(bytes.view());
  return hash.Hex();
}

BuildCache::BuildCache(fs::path folder) : m_folder(std::move(folder)) {}

fs::path BuildCache::EntryOf(const Step& step) const {
  return m_folder / (step.name + ".step");
}

bool BuildCache::UpToDate(const Step& step, const std::string& key) const {
  Entry entry;
  if (!ReadEntry(EntryOf(step), entry) || entry.key != key || entry.outputs.size() != step.outputs.size()) {
    return false;
  }
  for (const auto& [path, recorded] : entry.outputs) {
    Stamp now;
    if (!StampOf(path, now) || now.size != recorded.size || now.time != recorded.time) {
      return false;
    }
  }
  return true;
}

void BuildCache::Record(const Step& step, const std::string& key) const {
  std::error_code ec;
  fs::create_directories(m_folder, ec);
  std::string text = "key " + key + "\n";
  for (const fs::path& output : step.outputs) {
    Stamp stamp;
    if (StampOf(output, stamp)) {
      text += "out " + std::to_string(stamp.size) + " " + std::to_string(stamp.time) + " " + output.string() +
              "\n";
    }
  }
  const fs::path entry = EntryOf(step);
  const fs::path temporary = entry.string() + ".new";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out << text;
    if (!out.flush()) {
      throw Error(CannotWriteCache(m_folder));
    }
  }
  fs::rename(temporary, entry, ec);
  if (ec) {
    throw Error(CannotWriteCache(m_folder));
  }
}

void BuildCache::Forget(const Step& step) const {
  std::error_code ec;
  fs::remove(EntryOf(step), ec);
}

std::vector<fs::path> BuildCache::RemoveStale(const std::vector<const Step*>& current,
                                              const fs::path& outDir) const {
  std::set<fs::path> kept;
  for (const Step* step : current) {
    kept.insert(EntryOf(*step));
    kept.insert(step->outputs.begin(), step->outputs.end());
  }
  std::vector<fs::path> removed;
  std::error_code ec;
  std::vector<fs::path> entries;
  for (fs::directory_iterator it(m_folder, ec), end; !ec && it != end; it.increment(ec)) {
    if (it->path().extension() == ".step" && !kept.contains(it->path())) {
      entries.push_back(it->path());
    }
  }
  std::sort(entries.begin(), entries.end());
  for (const fs::path& file : entries) {
    Entry entry;
    if (ReadEntry(file, entry)) {
      for (const auto& [path, stamp] : entry.outputs) {
        // Only what an earlier build wrote inside this output folder, and not what a step of this
        // build writes.
        const fs::path relative = path.lexically_relative(outDir);
        if (!relative.empty() && *relative.begin() != ".." && !kept.contains(path) && fs::remove(path, ec)) {
          removed.push_back(path);
        }
      }
    }
    fs::remove(file, ec);
  }
  return removed;
}

void BuildCache::Clear() const {
  std::error_code ec;
  fs::remove_all(m_folder, ec);
}

}  // namespace panelix::build
