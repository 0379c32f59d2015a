#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <exception>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "picture/loading.h"
#include "picture/options.h"

namespace panelix::picture {

// A picture file read and decoded as far as no control matters: the decoded pixels (a PNG before
// its alpha treatment), the decoder's warnings, or what reading or decoding threw.
struct DecodedFile {
  std::string path;
  DecodeLimits limits;
  PictureKind kind = PictureKind::None;
  PngPicture png;  // PNG
  RgbImage image;  // JPEG and BMP
  std::vector<std::string> warnings;
  std::exception_ptr error;  // what reading or decoding threw
  bool read = false;         // the file was read (a failure came from decoding)
};

// Reads and decodes path within limits; never throws (a failure is kept in error). A file of kind
// None is not read.
DecodedFile DecodeFile(const std::string& path, const DecodeLimits& limits);

// Loads a decoded file into the preview exactly as LoadPreview(preview, file.path, options) would
// have loaded the file itself: the alpha treatment, the size checks and the rotation follow
// options, and a failure of the reading or decoding is thrown here, in the same order as there.
bool LoadDecodedPreview(Preview& preview, DecodedFile file, const ConvertOptions& options);

// Decodes the next pictures of a run on a thread of its own while the run encodes the current one.
// Only the reading and decoding are done ahead; whatever depends on the controls is left to
// LoadDecodedPreview, so a control changed during the run acts exactly as it did before. At most
// depth files beyond the one the run takes next are decoded or held ahead. Destroying it stops the thread
// after the file it is decoding, if any.
class LookAhead {
 public:
  explicit LookAhead(std::size_t depth = 2);
  ~LookAhead();
  LookAhead(const LookAhead&) = delete;
  LookAhead& operator=(const LookAhead&) = delete;

  // The files the run wants, in order: the one it takes next, then those after it (at most depth
  // of them). Files asked for before and not listed now are dropped.
  void Ahead(const std::vector<std::string>& paths, const DecodeLimits& limits);
  // The file decoded within limits: taken from what was decoded ahead (waiting for it when it is
  // being decoded), or decoded here and now when it was not asked for.
  DecodedFile Take(const std::string& path, const DecodeLimits& limits);
  // Drops every file asked for; a file being decoded is dropped when it is done.
  void Drop();

 private:
  struct Job;
  void Work();
  void StartThread();

  const std::size_t m_depth;
  std::mutex m_mutex;
  std::condition_variable m_changed;
  std::deque<std::shared_ptr<Job>> m_jobs;
  bool m_stop = false;
  std::thread m_thread;
};

}  // namespace panelix::picture
