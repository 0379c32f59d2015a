#pragma once

#include <cstdint>
#include <string>

#include "base/progress.h"

namespace panelix::cli {

// Prints a message of the tool on stderr, one line.
void PrintMessage(const std::string& text);

// A progress callback that draws a bar on stderr when stderr is a terminal and does nothing
// otherwise. label is shown before the bar.
ProgressFn TerminalProgress(const std::string& label);
// Ends the bar's line if one was drawn.
void FinishTerminalProgress();

}  // namespace panelix::cli
