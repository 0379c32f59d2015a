#include "build/runner.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <mutex>
#include <thread>

#include "base/error.h"
#include "build/cache.h"

namespace panelix::build {

namespace fs = std::filesystem;

namespace {

// The environment a tool's bytes depend on beyond its command line: the locale (the code page of
// text files when the manifest names none) and, for Make Bin, SOURCE_DATE_EPOCH. A Make Bin that
// takes its time from the clock is not redone for the clock alone.
std::string Environment(bool make) {
  std::string text;
  for (const char* name : {"LC_ALL", "LC_CTYPE", "LANG", make ? "SOURCE_DATE_EPOCH" : nullptr}) {
    if (const char* value = name != nullptr ? std::getenv(name) : nullptr) {
      text += std::string(name) + "=" + value + "\n";
    }
  }
  return text;
}

class Builder {
 public:
  Builder(const BuildPlan& plan, const BuildOptions& options, const StepRunner& run, const StepReport& report)
      : m_plan(plan), m_options(options), m_run(run), m_report(report), m_cache(CacheFolder(plan)) {}

  BuildSummary Build() {
    if (m_options.clean) {
      m_cache.Clear();
    }
    std::error_code ec;
    fs::create_directories(m_plan.binsDir, ec);
    if (ec) {
      throw Error("Cannot create the bins folder " + m_plan.binsDir.string() + ": " + ec.message());
    }
    std::vector<const Step*> steps;
    for (const Step& step : m_plan.conversions) {
      steps.push_back(&step);
    }
    steps.push_back(&m_plan.make);
    m_summary.removed = m_cache.RemoveStale(steps, m_plan.outDir);
    ConvertAll();
    if (m_summary.failed > 0) {
      Report(m_plan.make, StepOutcome::Skipped, {});
    } else {
      Run(m_plan.make, Environment(true));
    }
    return m_summary;
  }

 private:
  void ConvertAll() {
    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    const unsigned jobs = std::min<std::size_t>(m_options.jobs > 0 ? m_options.jobs : cores,
                                                std::max<std::size_t>(1, m_plan.conversions.size()));
    std::atomic<std::size_t> next{0};
    auto worker = [&] {
      for (std::size_t i = next++; i < m_plan.conversions.size(); i = next++) {
        Run(m_plan.conversions[i], Environment(false));
      }
    };
    std::vector<std::jthread> threads;
    for (unsigned i = 1; i < jobs; ++i) {
      threads.emplace_back(worker);
    }
    worker();
  }

  void Run(const Step& step, const std::string& extra) {
    const std::string key = StepKey(step, m_options.version, extra);
    if (m_cache.UpToDate(step, key)) {
      Report(step, StepOutcome::UpToDate, {});
      return;
    }
    m_cache.Forget(step);
    const ProcessResult result = m_run(step);
    if (result.status != 0) {
      Report(step, StepOutcome::Failed, result.messages);
      return;
    }
    try {
      m_cache.Record(step, key);
    } catch (const Error& e) {
      // The step's outputs are written; only the next build's shortcut is lost. Said as a failure
      // all the same, since a build that cannot keep its cache has a folder problem.
      Report(step, StepOutcome::Failed, result.messages + e.what() + "\n");
      return;
    }
    Report(step, StepOutcome::Converted, result.messages);
  }

  void Report(const Step& step, StepOutcome outcome, const std::string& messages) {
    const std::lock_guard lock(m_mutex);
    m_summary.converted += outcome == StepOutcome::Converted ? 1 : 0;
    m_summary.upToDate += outcome == StepOutcome::UpToDate ? 1 : 0;
    m_summary.failed += outcome == StepOutcome::Failed ? 1 : 0;
    m_report(step, outcome, messages);
  }

  const BuildPlan& m_plan;
  const BuildOptions& m_options;
  const StepRunner& m_run;
  const StepReport& m_report;
  BuildCache m_cache;
  std::mutex m_mutex;
  BuildSummary m_summary;
};

}  // namespace

fs::path CacheFolder(const BuildPlan& plan) {
  return plan.outDir / ".panelix-cache";
}

BuildSummary RunBuild(const BuildPlan& plan, const BuildOptions& options, const StepRunner& run,
                      const StepReport& report) {
  return Builder(plan, options, run, report).Build();
}

}  // namespace panelix::build
