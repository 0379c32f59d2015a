#pragma once

#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace panelix::test {

struct CliResult {
  int exitCode = -1;
  std::string out;
  std::string err;
};

inline std::string ShellQuote(const std::string& s) {
  std::string q = "'";
  for (char c : s) {
    if (c == '\'') {
      q += "'\\''";
    } else {
      q += c;
    }
  }
  return q + "'";
}

// Runs the panelix CLI built with the tests with the given arguments; captures both streams.
inline CliResult RunCli(const std::vector<std::string>& args, const std::filesystem::path& workDir = {}) {
  const auto errFile = std::filesystem::temp_directory_path() /
                       ("panelix-cli-err-" + std::to_string(std::random_device{}()) + ".txt");
  std::string command;
  if (!workDir.empty()) {
    command = "cd " + ShellQuote(workDir.string()) + " && ";
  }
  command += ShellQuote(PANELIX_CLI);
  for (const auto& a : args) {
    command += " " + ShellQuote(a);
  }
  command += " 2>" + ShellQuote(errFile.string());
  CliResult result;
  FILE* pipe = ::popen(command.c_str(), "r");
  if (pipe == nullptr) {
    return result;
  }
  std::array<char, 4096> buffer{};
  std::size_t n = 0;
  while ((n = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0) {
    result.out.append(buffer.data(), n);
  }
  const int status = ::pclose(pipe);
  result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  std::ifstream err(errFile, std::ios::binary);
  std::stringstream ss;
  ss << err.rdbuf();
  result.err = ss.str();
  std::filesystem::remove(errFile);
  return result;
}

// A fresh temporary folder, removed when the object goes.
class TempDir {
 public:
  TempDir() {
    m_path =
        std::filesystem::temp_directory_path() / ("panelix-test-" + std::to_string(std::random_device{}()));
    std::filesystem::create_directories(m_path);
  }
  ~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(m_path, ec);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::filesystem::path& Path() const { return m_path; }
  std::filesystem::path operator/(const std::string& name) const { return m_path / name; }

 private:
  std::filesystem::path m_path;
};

inline std::vector<std::uint8_t> ReadBytes(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void WriteBytes(const std::filesystem::path& p, const std::vector<std::uint8_t>& bytes) {
  std::ofstream out(p, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

inline void WriteText(const std::filesystem::path& p, const std::string& text) {
  std::ofstream out(p, std::ios::binary);
  out << text;
}

}  // namespace panelix::test
