#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace panelix::build {

struct ProcessResult {
  int status = 0;        // the exit status; 128 + N when killed by signal N, 127 when it cannot start
  std::string messages;  // what it wrote on stdout and stderr, interleaved
};

// Runs `program` with `args` in `workDir` and waits for it. Safe to call from several threads at
// once: no descriptor of one call leaks into another call's child.
ProcessResult RunProcess(const std::string& program, const std::vector<std::string>& args,
                         const std::filesystem::path& workDir);

}  // namespace panelix::build
