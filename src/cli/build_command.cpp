// panelix build: the whole asset pipeline from one manifest. Every asset is converted into the bins
// folder by the tool that owns its kind, on every core, then Make Bin lays them out into the flash
// image. Assets whose inputs, options and panelix version are unchanged are not converted again.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "base/bounded_read.h"
#include "base/error.h"
#include "base/files.h"
#include "build/cache.h"
#include "build/manifest.h"
#include "build/plan.h"
#include "build/runner.h"
#include "cli/subcommand.h"
#include "cli/terminal.h"

#ifndef PANELIX_VERSION
#define PANELIX_VERSION "unknown"
#endif

namespace panelix::cli {

namespace {

namespace fs = std::filesystem;
using build::Step;
using build::StepOutcome;

struct BuildArgs {
  std::string manifest;
  std::string out;
  unsigned jobs = 0;
  bool clean = false;
  bool dryRun = false;
};

// This very program, so that every step runs the same panelix.
std::string SelfPath() {
  std::error_code ec;
  const fs::path self = fs::read_symlink("/proc/self/exe", ec);
  if (ec) {
    throw Error("Cannot find the panelix program itself: " + ec.message());
  }
  return self.string();
}

std::string Where(const BuildArgs& args, const Step& step) {
  return args.manifest + ":" + std::to_string(step.line);
}

void PrintPlan(const BuildArgs& args, const build::BuildPlan& plan, const std::string& program) {
  std::printf("Output folder: %s\n", plan.outDir.string().c_str());
  for (const Step* step : [&] {
         std::vector<const Step*> steps;
         for (const Step& s : plan.conversions) {
           steps.push_back(&s);
         }
         steps.push_back(&plan.make);
         return steps;
       }()) {
    std::printf("%s: %s\n  %s\n", Where(args, *step).c_str(), step->name.c_str(),
                build::CommandLine(*step, program).c_str());
  }
}

int Run(const BuildArgs& args) {
  const std::vector<std::uint8_t> bytes =
      ReadFileBytesUpTo(args.manifest, kMaxTextFileBytes, CantOpenMessage(args.manifest));
  const build::Manifest manifest = build::ReadManifest(
      std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()), args.manifest);
  const build::BuildPlan plan = build::PlanBuild(manifest, args.manifest, args.out);
  const std::string program = SelfPath();
  if (manifest.project.buildTime.empty() && std::getenv("SOURCE_DATE_EPOCH") == nullptr) {
    PrintMessage(
        args.manifest + ":" + std::to_string(manifest.project.line) +
        ": no build-time in [project] and no SOURCE_DATE_EPOCH: the info block takes the clock's time, "
        "so the flash image differs from build to build");
  }
  if (args.dryRun) {
    PrintPlan(args, plan, program);
    return 0;
  }
  build::BuildOptions options;
  options.version = PANELIX_VERSION;
  options.jobs = args.jobs;
  options.clean = args.clean;
  const build::StepRunner runner = [&program](const Step& step) {
    return build::RunProcess(program, step.args, step.workDir);
  };
  const build::StepReport report = [&args](const Step& step, StepOutcome outcome,
                                           const std::string& messages) {
    switch (outcome) {
      case StepOutcome::Converted:
        std::printf("Built %s\n", step.name.c_str());
        break;
      case StepOutcome::UpToDate:
        std::printf("Up to date: %s\n", step.name.c_str());
        break;
      case StepOutcome::Failed:
        std::fwrite(messages.data(), 1, messages.size(), stderr);
        PrintMessage(Where(args, step) + ": " + step.name + " was not built");
        break;
      case StepOutcome::Skipped:
        PrintMessage(step.name + " was not built because an asset failed");
        break;
    }
    std::fflush(stdout);
  };
  const build::BuildSummary summary = build::RunBuild(plan, options, runner, report);
  for (const fs::path& removed : summary.removed) {
    std::printf("Removed %s (no longer in the manifest)\n", removed.filename().string().c_str());
  }
  if (summary.failed > 0) {
    return 1;
  }
  for (const fs::path& output : plan.make.outputs) {
    std::printf("Wrote %s\n", output.string().c_str());
  }
  std::printf("SHA-256 %s  %s\n", build::FileSha256(plan.make.outputs.back()).c_str(),
              plan.make.outputs.back().filename().string().c_str());
  return 0;
}

SubcommandAction Setup(CLI::App& app) {
  auto args = std::make_shared<BuildArgs>();
  app.add_option("manifest", args->manifest, "the manifest (TOML) listing every asset and the project")
      ->required()
      ->check(CLI::ExistingFile);
  app.add_option("--out", args->out, "output folder, instead of the manifest's [project] output")
      ->type_name("DIR");
  app.add_option("--jobs", args->jobs, "assets converted at once (default one per core)")
      ->type_name("N")
      ->check(CLI::Range(1, 256));
  app.add_flag("--clean", args->clean, "empty the cache first, so that every asset is converted again");
  app.add_flag("--dry-run", args->dryRun, "print the plan (every tool's command line) and write nothing");
  app.footer("Example: panelix build examples/demo/panelix.toml --out /tmp/demo");
  return [args] { return Run(*args); };
}

const bool kRegistered = RegisterSubcommand(
    {"build", "convert every asset of a manifest and make the flash image, redoing only what changed",
     Setup});

}  // namespace

}  // namespace panelix::cli
