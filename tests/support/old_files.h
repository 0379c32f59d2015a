#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "support/cli_runner.h"

namespace panelix::test {

// Files that a failed, stopped or refused run must leave exactly as they were: Write() gives each
// one a text of its own, ExpectKept() checks that each still holds it.
class OldFiles {
 public:
  explicit OldFiles(std::vector<std::filesystem::path> paths) : m_paths(std::move(paths)) {}

  void Write() const {
    for (const auto& path : m_paths) {
      WriteText(path, Content(path));
    }
  }
  void ExpectKept() const {
    for (const auto& path : m_paths) {
      const std::vector<std::uint8_t> bytes = ReadBytes(path);
      EXPECT_EQ(std::string(bytes.begin(), bytes.end()), Content(path)) << path;
    }
  }

 private:
  static std::string Content(const std::filesystem::path& path) { return "old " + path.filename().string(); }

  std::vector<std::filesystem::path> m_paths;
};

}  // namespace panelix::test
