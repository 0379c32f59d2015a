#pragma once

#include <functional>
#include <string>
#include <vector>

#include "build/plan.h"
#include "build/process.h"

namespace panelix::build {

// Runs one step of a plan: the panelix tool named by its command line, in its folder.
using StepRunner = std::function<ProcessResult(const Step&)>;

enum class StepOutcome { Converted, UpToDate, Failed, Skipped };

// What the build tells its front end, one call per step as it ends (from the thread that ran it,
// one call at a time).
using StepReport = std::function<void(const Step&, StepOutcome, const std::string& messages)>;

struct BuildOptions {
  std::string version;  // the panelix version: a new one converts everything again
  unsigned jobs = 0;    // steps at once; 0 for one per core
  bool clean = false;   // empty the cache first
};

struct BuildSummary {
  int converted = 0;
  int upToDate = 0;
  int failed = 0;
  std::vector<std::filesystem::path> removed;  // outputs of assets the manifest no longer has
};

// Converts every asset whose key changed, on `jobs` threads, then runs Make Bin when any bin or
// the project changed. An asset that fails keeps no cache entry, so the next build tries it
// again; Make Bin is skipped when any asset failed.
BuildSummary RunBuild(const BuildPlan& plan, const BuildOptions& options, const StepRunner& run,
                      const StepReport& report);

// The folder of the cache inside an output folder.
std::filesystem::path CacheFolder(const BuildPlan& plan);

}  // namespace panelix::build
