#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "base/progress.h"
#include "picture/options.h"

namespace panelix::picture {

// One picture file loaded, rotated and encoded with fixed options, the way a conversion run
// treats it: JPEG and BMP decoded, PNG alpha-treated with the threshold, turned by
// options.picture.rotation, then encoded in the chosen format, or as 4-4-4-4 with alpha when the
// file is a PNG and options.argbPng is set (messages such as "The png don't have Alpha" are
// collected, not shown). Throws panelix::Error when the file cannot be loaded or encoded; a file
// of kind None fails too.
struct ConvertedPicture {
  std::int32_t width = 0;  // as encoded, after rotation
  std::int32_t height = 0;
  std::vector<std::uint8_t> bytes;
  std::vector<std::string> messages;
};
ConvertedPicture ConvertPictureFile(const std::string& path, const ConvertOptions& options);

// What a batch wrote.
struct BatchResult {
  bool ok = false;              // every picture converted and written, address list written
  std::int32_t converted = 0;   // pictures converted (rows in the address list)
  std::uint64_t binBytes = 0;   // bytes the bin received
  std::string binName;          // output bin ("" when no picture was written)
  std::string addressListName;  // address list ("" when not written)
  std::string failedPath;       // the picture that stopped the batch, if any
  std::string failureReason;
};

// Converts pictures into one output bin and its address list with fixed options, with the same
// bytes and rows as a conversion run over the same list in the window. Pictures are decoded and
// encoded on up to `threads` threads (0 = one per core), at most a few pictures ahead of the one
// being written, and written in list order. Messages (bin or list not accessible, PNG without
// alpha) go to message as the run would show them; progress(picturesDone, total) after each
// picture. A picture that fails stops the batch: the bin keeps the pictures before it, no address
// list is written, failedPath and failureReason say why.
BatchResult ConvertPictures(const std::vector<std::string>& paths, const ConvertOptions& options,
                            const std::string& outputName, unsigned threads, const MessageFn& message,
                            const ProgressFn& progress = NoProgress);

}  // namespace panelix::picture
