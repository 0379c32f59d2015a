#pragma once

namespace panelix::output {

// Outcome of writing a converter's output. The values are the result codes the converter windows
// have always used; they only decide which message was shown, a run goes on in every case.
enum class WriteResult {
  Written = 0,
  NoOutputName = 1,   // "The file does not exist."
  NotAccessible = 2,  // "The file might not be accessibl."
};

}  // namespace panelix::output
