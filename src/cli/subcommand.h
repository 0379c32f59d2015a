#pragma once

#include <CLI/CLI.hpp>

#include <functional>
#include <string>

namespace panelix::cli {

// What a subcommand's Setup returns: the action to run once the command line has been parsed.
// It returns the process's exit status; a panelix::Error thrown from it is printed by main and
// gives status 1.
using SubcommandAction = std::function<int()>;

struct Subcommand {
  std::string name;
  std::string description;
  // Declares the options on the subcommand's parser, bound to state the action reads.
  std::function<SubcommandAction(CLI::App&)> setup;
};

// Adds a subcommand to the panelix CLI. Each tool's file registers its own with a file-level
// `const bool kRegistered = RegisterSubcommand({...});`. Returns true.
bool RegisterSubcommand(Subcommand subcommand);

}  // namespace panelix::cli
