#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace panelix {

// Called after each row, glyph, frame or item of long work with the count done so far and the
// total. Returning false asks the work to stop; the work then ends without writing anything.
// The window's callback moves its progress bar and lets pending events run; the CLI's draws a
// terminal bar.
using ProgressFn = std::function<bool(std::int64_t done, std::int64_t total)>;

// Receives messages that do not end an action (the window shows a modal box, the CLI prints to
// stderr).
using MessageFn = std::function<void(const std::string& text)>;

// How a run ended; the exit status of a command comes from it.
enum class RunOutcome {
  Succeeded,  // every item done and the outputs put in place
  Failed,     // an item failed or an output could not be written; the old files stay
  Stopped,    // stopped by its progress callback, or never ended; the old files stay
};
// The share of a progress bar, in per cent, that the rows, frames or glyphs of the work fill; the
// bar shows 100 only once the output is written.
inline constexpr int kWorkProgressPercent = 98;
// The bar's value after done of total steps of the work (0 when there are none).
inline int WorkPercent(std::int64_t done, std::int64_t total) {
  return total > 0 ? static_cast<int>(kWorkProgressPercent * done / total) : 0;
}

inline bool NoProgress(std::int64_t /*done*/, std::int64_t /*total*/) {
  return true;
}
inline void NoMessage(const std::string& /*text*/) {}

}  // namespace panelix
