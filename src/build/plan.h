#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

#include "build/manifest.h"

namespace panelix::build {

// One run of a panelix tool: what it is called with, where it runs, what it reads and writes.
struct Step {
  std::string name;                            // the file the step is known by ("Picture-main.bin")
  std::size_t line = 0;                        // manifest line of the asset (or of [project] for Make Bin)
  std::vector<std::string> args;               // the panelix command line after the program's name
  std::filesystem::path workDir;               // the tool runs here; inputs are named relative to it
  std::vector<std::filesystem::path> inputs;   // files and folders, relative to workDir
  std::vector<std::filesystem::path> outputs;  // absolute
};

// Every asset converted into the bins folder, then Make Bin over that folder.
struct BuildPlan {
  std::filesystem::path manifestDir;
  std::filesystem::path outDir;
  std::filesystem::path binsDir;
  std::vector<Step> conversions;  // independent of each other, in manifest order
  Step make;
};

// Places a manifest on disk. `manifestPath` may be relative to the current folder; `outDir`, when
// not empty, replaces the manifest's output folder. Input paths stay as written, relative to the
// manifest's folder, so that the names the tools record (address-list rows, data texts) carry no
// folder outside the project. Touches no file.
BuildPlan PlanBuild(const Manifest& manifest, const std::filesystem::path& manifestPath,
                    const std::filesystem::path& outDir = {});

// The step as a shell line, for the plan a dry run prints.
std::string CommandLine(const Step& step, const std::string& program);

}  // namespace panelix::build
