#include "cli/terminal.h"

#include <unistd.h>

#include <cstdio>
#include <memory>

namespace panelix::cli {

namespace {
bool g_barDrawn = false;
}

void PrintMessage(const std::string& text) {
  FinishTerminalProgress();
  std::fprintf(stderr, "%s\n", text.c_str());
}

ProgressFn TerminalProgress(const std::string& label) {
  if (::isatty(STDERR_FILENO) == 0) {
    return NoProgress;
  }
  auto lastPercent = std::make_shared<int>(-1);
  return [label, lastPercent](std::int64_t done, std::int64_t total) {
    const int percent = total > 0 ? static_cast<int>(done * 100 / total) : 100;
    if (percent == *lastPercent) {
      return true;
    }
    *lastPercent = percent;
    constexpr int kWidth = 40;
    const int filled = percent * kWidth / 100;
    std::string bar(static_cast<std::size_t>(filled), '#');
    bar.append(static_cast<std::size_t>(kWidth - filled), '.');
    std::fprintf(stderr, "\r%s [%s] %3d%%", label.c_str(), bar.c_str(), percent);
    std::fflush(stderr);
    g_barDrawn = true;
    return true;
  };
}

void FinishTerminalProgress() {
  if (g_barDrawn) {
    std::fputc('\n', stderr);
    g_barDrawn = false;
  }
}

}  // namespace panelix::cli
