#pragma once

#include <CLI/CLI.hpp>

#include <string>
#include <vector>

namespace panelix::cli {

// The text of --version: the program's version and those of the libraries it was built with.
std::string VersionText();

// What to add to a usage error: for a word that is neither a subcommand nor an option of the
// subcommand given, the nearest name, as "Unknown subcommand 'pictures'; did you mean picture?"
// ("Unknown subcommand 'frobnicate'" when no subcommand is near). Empty when no word is unknown, or
// an unknown option is near no option. app is the parser after the failed parse.
std::string SuggestionFor(const CLI::App& app);

// The name among candidates nearest to word (edit distance, case ignored), or empty when none is
// near enough to be what was meant.
std::string NearestName(const std::string& word, const std::vector<std::string>& candidates);

// A bash completion script for panelix: subcommands, their options and the words of choices.
std::string BashCompletion(const CLI::App& app);

}  // namespace panelix::cli
