#pragma once

#include <CLI/CLI.hpp>

#include <string>
#include <vector>

namespace panelix::cli {

// The text of --version: the program's version and those of the libraries it was built with.
std::string VersionText();

// What to add to a usage error: for a word that is neither a subcommand nor an option of the
// subcommand given, the nearest name, as "Unknown subcommand 'pictures'; did you mean picture?"
// ("Unknown subcommand 'frobnicate'" or "Unknown option '--frobnicate'" when no name is near).
// Empty when no word is unknown. app is the parser after the failed parse.
std::string SuggestionFor(const CLI::App& app);

// The name among candidates nearest to word (edit distance, case ignored), or empty when none is
// near enough to be what was meant.
std::string NearestName(const std::string& word, const std::vector<std::string>& candidates);

// The message for a word that is none of a choice's words (list is "a|b|c"):
// "'rgb556' is not one of r5g6b5|rgb565|...; did you mean rgb565?", with no guess for a word that begins with
// a digit.
std::string NotAChoice(const std::string& word, const std::vector<std::string>& words,
                       const std::string& list);

// A bash completion script for panelix: subcommands, their options and the words of choices.
std::string BashCompletion(const CLI::App& app);

}  // namespace panelix::cli
