#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <mutex>
#include <set>
#include <string>

#include "build/manifest.h"
#include "build/plan.h"
#include "build/runner.h"
#include "support/cli_runner.h"

namespace panelix::build {
namespace {

namespace fs = std::filesystem;

// A project of two cursors built by a stand-in for the tools: each step copies its inputs'
// bytes into its outputs and notes that it ran.
class RunnerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::WriteText(m_dir / "a.txt", "A");
    test::WriteText(m_dir / "b.txt", "B");
    test::WriteText(m_dir / "p.ini", "project");
  }

  BuildPlan Plan(bool withB = true) const {
    std::string toml =
        "[project]\nfile = \"p.ini\"\noutput = \"out\"\n"
        "[[cursor]]\noutput = \"Cursor-a\"\ntext = \"a.txt\"\n";
    if (withB) {
      toml += "[[cursor]]\noutput = \"Cursor-b\"\ntext = \"b.txt\"\n";
    }
    return PlanBuild(ReadManifest(toml, "m.toml"), m_dir / "m.toml");
  }

  // The steps that ran, by name.
  std::set<std::string> Build(const BuildPlan& plan, BuildOptions options = {},
                              const std::string& failing = {}) {
    std::set<std::string> ran;
    std::mutex mutex;
    if (options.version.empty()) {
      options.version = "1";
    }
    const StepRunner run = [&](const Step& step) {
      {
        const std::lock_guard lock(mutex);
        ran.insert(step.name);
      }
      if (step.name == failing) {
        return ProcessResult{1, "Fail to convert\n"};
      }
      std::string bytes;
      for (const fs::path& input : step.inputs) {
        bytes += fs::is_directory(step.workDir / input) ? "folder" : ReadText(step.workDir / input);
      }
      for (const fs::path& output : step.outputs) {
        test::WriteText(output, bytes);
      }
      return ProcessResult{};
    };
    m_summary = RunBuild(plan, options, run, [](const Step&, StepOutcome, const std::string&) {});
    return ran;
  }

  static std::string ReadText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  test::TempDir m_dir;
  BuildSummary m_summary;
};

using Names = std::set<std::string>;

TEST_F(RunnerTest, RebuildsOnlyWhatChanged) {
  const BuildPlan plan = Plan();
  EXPECT_EQ(Build(plan), (Names{"Cursor-a.bin", "Cursor-b.bin", "Panelix_Flash.bin"}));
  EXPECT_EQ(Build(plan), Names{});
  EXPECT_EQ(m_summary.upToDate, 3);

  test::WriteText(m_dir / "a.txt", "A2");
  EXPECT_EQ(Build(plan), (Names{"Cursor-a.bin", "Panelix_Flash.bin"}));

  // An output changed behind the build's back is made again; made with the same bytes as before,
  // it leaves the image as it is.
  test::WriteText(plan.binsDir / "Cursor-b.bin", "tampered, and longer");
  EXPECT_EQ(Build(plan), Names{"Cursor-b.bin"});
  EXPECT_EQ(ReadText(plan.binsDir / "Cursor-b.bin"), "B");

  test::WriteText(m_dir / "p.ini", "project 2");
  EXPECT_EQ(Build(plan), Names{"Panelix_Flash.bin"});
}

TEST_F(RunnerTest, CleanAndANewVersionConvertEverythingAgain) {
  const BuildPlan plan = Plan();
  Build(plan);
  const Names all{"Cursor-a.bin", "Cursor-b.bin", "Panelix_Flash.bin"};
  EXPECT_EQ(Build(plan, {.version = "1", .jobs = 1, .clean = true}), all);
  EXPECT_EQ(Build(plan, {.version = "2"}), all);
}

TEST_F(RunnerTest, AFailedAssetSkipsTheImageAndRunsAgainNextTime) {
  const BuildPlan plan = Plan();
  EXPECT_EQ(Build(plan, {}, "Cursor-b.bin"), (Names{"Cursor-a.bin", "Cursor-b.bin"}));
  EXPECT_EQ(m_summary.failed, 1);
  EXPECT_FALSE(fs::exists(plan.outDir / "Panelix_Flash.bin"));
  EXPECT_EQ(Build(plan), (Names{"Cursor-b.bin", "Panelix_Flash.bin"}));
}

TEST_F(RunnerTest, AnAssetLeavingTheManifestTakesItsBinAlong) {
  const BuildPlan plan = Plan();
  Build(plan);
  test::WriteText(plan.binsDir / "mine.txt", "kept");
  EXPECT_EQ(Build(Plan(false)), Names{"Panelix_Flash.bin"});
  EXPECT_EQ(m_summary.removed, std::vector<fs::path>{plan.binsDir / "Cursor-b.bin"});
  EXPECT_TRUE(fs::exists(plan.binsDir / "mine.txt"));
}

}  // namespace
}  // namespace panelix::build
