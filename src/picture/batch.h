#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "base/progress.h"
#include "picture/conversion_run.h"
#include "picture/options.h"

namespace panelix::picture {

// One picture file loaded, rotated and encoded with fixed options, the way a conversion run
// treats it: JPEG and BMP decoded, PNG alpha-treated with the threshold, turned by
// options.picture.rotation, then encoded by EncodeLoadedPicture (4-4-4-4 with alpha when the file is
// a PNG and options.argbPng is set; messages such as "The png don't have Alpha" are collected, not
// shown). Throws panelix::Error when the file cannot be loaded or encoded; a file of kind None
// fails too.
ConvertedPicture ConvertPictureFile(const std::string& path, const ConvertOptions& options);

// What a batch did.
struct BatchResult {
  RunOutcome outcome = RunOutcome::Stopped;
  bool ok = false;              // outcome is Succeeded: bin and address list are in place
  std::int32_t converted = 0;   // pictures converted (rows in the address list)
  std::uint64_t binBytes = 0;   // bytes the bin received
  std::string binName;          // output bin ("" when not committed)
  std::string addressListName;  // address list ("" when not committed)
  std::string failedPath;       // the picture that stopped the batch, if any
  std::string failureReason;
};

// Told of a picture's decoder warnings (path as listed); returning false fails the batch there.
using PictureWarningFn =
    std::function<bool(const std::string& path, const std::vector<std::string>& warnings)>;

// "All Convert" over a list of pictures with fixed options: the conversion run of the main window
// (ConversionRun, so the same bytes, rows, messages and commit), its pictures decoded and encoded on
// up to `threads` threads (0 = one per core; never more than the cores, nor than the 4 pictures
// held ahead), at most 4 pictures ahead of the one being written whatever the thread count,
// and written in list order. Messages (bin or list not accessible, PNG without alpha) go to
// message as the run would show them; progress(picturesDone, total) after each picture, and
// returning false stops the run. The bin and its address list are put in place together only when
// the whole run succeeded; otherwise the old ones stay as they were. A picture that fails stops the
// batch; failedPath and failureReason say why. A bin or list that is one of the pictures is refused
// before anything is written (Error naming both). A picture that decodes only with warnings
// converts; warn (when given) is told of them in list order and may fail the batch instead.
BatchResult ConvertPictures(const std::vector<std::string>& paths, const ConvertOptions& options,
                            const std::string& outputName, unsigned threads, const MessageFn& message,
                            const ProgressFn& progress = NoProgress, const PictureWarningFn& warn = {});

}  // namespace panelix::picture
