// panelix: the workbench's tools on the command line. Every tool is a subcommand; a failure
// prints the tool's own message on stderr and exits with status 1.
#include <CLI/CLI.hpp>

#include <algorithm>
#include <cstdio>
#include <exception>
#include <iostream>
#include <map>
#include <vector>

#include "base/allocation.h"
#include "base/codepage.h"
#include "base/error.h"
#include "base/files.h"
#include "cli/options.h"
#include "cli/subcommand.h"
#include "cli/terminal.h"
#include "cli/usage.h"

namespace panelix::cli {

namespace {
std::vector<Subcommand>& Registry() {
  static std::vector<Subcommand> registry;
  return registry;
}
}  // namespace

bool RegisterSubcommand(Subcommand subcommand) {
  Registry().push_back(std::move(subcommand));
  return true;
}

}  // namespace panelix::cli

int main(int argc, char** argv) {
  using namespace panelix;
  ReuseLargeBuffers();
  CLI::App app{"panelix - prepares the SPI flash contents of CX9 serial TFT display modules", "panelix"};
  app.require_subcommand(1);
  app.set_version_flag("--version", cli::VersionText(),
                       "print the version and those of the libraries built with");
  app.set_help_flag("-h,--help", "print this help and exit");
  int codePage = 0;
  cli::AddChoice(app, "--codepage", codePage, cli::ChoiceWords<int>{{"936", 936}, {"950", 950}},
                 "8-bit code page of text files (default from the locale)");
  app.add_flag_callback(
      "--bash-completion",
      [&app] {
        std::fputs(cli::BashCompletion(app).c_str(), stdout);
        throw CLI::Success();
      },
      "print a bash completion script for panelix and exit");

  auto& registry = cli::Registry();
  std::sort(registry.begin(), registry.end(), [](const auto& a, const auto& b) { return a.name < b.name; });
  std::map<CLI::App*, cli::SubcommandAction> actions;
  for (const auto& sub : registry) {
    CLI::App* parser = app.add_subcommand(sub.name, sub.description);
    parser->set_help_flag("-h,--help", "print this help and exit");
    actions[parser] = sub.setup(*parser);
  }

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    // --help and --version end here with status 0; every usage error exits 1, like every other
    // failure, with a hint when a word looks like a misspelt subcommand or option.
    if (e.get_exit_code() == 0) {
      return app.exit(e);
    }
    if (const std::string hint = cli::SuggestionFor(app); !hint.empty()) {
      cli::PrintMessage(hint + "\nRun with --help for more information.");
    } else {
      app.exit(e);
    }
    return 1;
  }
  if (codePage != 0) {
    SetSystemCodePage(codePage);
  }
  RemoveTemporaryFilesOnSignals();
  try {
    for (auto& [parser, action] : actions) {
      if (parser->parsed()) {
        const int status = action();
        cli::FinishTerminalProgress();
        // What the tool printed is part of its result: a standard output that cannot take it is
        // a failure.
        std::cout.flush();
        if (!std::cout || std::fflush(stdout) != 0 || std::ferror(stdout) != 0) {
          cli::PrintMessage("Can't write the standard output");
          return 1;
        }
        return status;
      }
    }
  } catch (const Error& e) {
    cli::PrintMessage(e.what());
    return 1;
  } catch (const std::exception& e) {
    cli::PrintMessage(std::string("internal error: ") + e.what());
    return 1;
  }
  return 0;
}
