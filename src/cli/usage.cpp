#include "cli/usage.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include <gif_lib.h>
#include <isa-l.h>
#include <jconfig.h>
#include <spng.h>
#include <unicode/uvernum.h>
#include <zlib.h>

#include <algorithm>
#include <cctype>
#include <set>
#include <sstream>

namespace panelix::cli {

namespace {

#define PANELIX_TEXT(x) #x
#define PANELIX_MACRO_TEXT(x) PANELIX_TEXT(x)

std::string Dotted(int major, int minor, int patch) {
  return std::to_string(major) + "." + std::to_string(minor) + "." + std::to_string(patch);
}

std::size_t EditDistance(const std::string& a, const std::string& b) {
  std::vector<std::size_t> row(b.size() + 1);
  for (std::size_t j = 0; j <= b.size(); ++j) {
    row[j] = j;
  }
  for (std::size_t i = 1; i <= a.size(); ++i) {
    std::size_t diagonal = row[0];
    row[0] = i;
    for (std::size_t j = 1; j <= b.size(); ++j) {
      const std::size_t above = row[j];
      const bool same = std::tolower(static_cast<unsigned char>(a[i - 1])) ==
                        std::tolower(static_cast<unsigned char>(b[j - 1]));
      row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (same ? 0 : 1)});
      diagonal = above;
    }
  }
  return row[b.size()];
}

// The subcommand the command line reached: the deepest one that was parsed.
const CLI::App& ReachedCommand(const CLI::App& app) {
  const CLI::App* reached = &app;
  for (;;) {
    const auto parsed = reached->get_subcommands([](const CLI::App* sub) { return sub->parsed(); });
    if (parsed.empty()) {
      return *reached;
    }
    reached = parsed.back();
  }
}

std::vector<std::string> SubcommandNames(const CLI::App& app) {
  std::vector<std::string> names;
  for (const CLI::App* sub : app.get_subcommands([](const CLI::App*) { return true; })) {
    names.push_back(sub->get_name());
  }
  return names;
}

std::vector<std::string> OptionNames(const CLI::App& app) {
  std::vector<std::string> names;
  for (const CLI::Option* option : app.get_options()) {
    for (const std::string& name : option->get_lnames()) {
      names.push_back("--" + name);
    }
    for (const std::string& name : option->get_snames()) {
      names.push_back("-" + name);
    }
  }
  return names;
}

// The words a choice option takes, read from its value's name "a|b|c".
std::vector<std::string> ChoiceWords(const CLI::Option& option) {
  std::vector<std::string> words;
  const std::string type = option.get_type_name();
  if (type.find('|') == std::string::npos) {
    return words;
  }
  std::stringstream in(type);
  for (std::string word; std::getline(in, word, '|');) {
    words.push_back(word);
  }
  return words;
}

std::string Joined(const std::vector<std::string>& words) {
  std::string text;
  for (const std::string& word : words) {
    text += (text.empty() ? "" : " ") + word;
  }
  return text;
}

// The case arms of one command: its options, then its subcommands, each by the words typed so far.
void AddCompletionCases(const CLI::App& app, const std::string& path, std::string& cases,
                        std::string& choices) {
  std::vector<std::string> words = OptionNames(app);
  words.push_back("--help");
  const std::vector<std::string> subs = SubcommandNames(app);
  words.insert(words.end(), subs.begin(), subs.end());
  cases += "    \"" + path + "\") words=\"" + Joined(words) + "\" ;;\n";
  for (const CLI::Option* option : app.get_options()) {
    const std::vector<std::string> choice = ChoiceWords(*option);
    if (choice.empty()) {
      continue;
    }
    for (const std::string& name : option->get_lnames()) {
      choices += "    \"" + path + " --" + name + "\") COMPREPLY=($(compgen -W \"" + Joined(choice) +
                 "\" -- \"$cur\")); return ;;\n";
    }
  }
  for (const CLI::App* sub : app.get_subcommands([](const CLI::App*) { return true; })) {
    AddCompletionCases(*sub, path.empty() ? sub->get_name() : path + " " + sub->get_name(), cases, choices);
  }
}

}  // namespace

std::string VersionText() {
  std::string text = "panelix " PANELIX_VERSION "\n";
  text += "built with: zlib " ZLIB_VERSION;
  text += ", libspng " + Dotted(SPNG_VERSION_MAJOR, SPNG_VERSION_MINOR, SPNG_VERSION_PATCH);
  text += ", ISA-L " + Dotted(ISAL_MAJOR_VERSION, ISAL_MINOR_VERSION, ISAL_PATCH_VERSION);
  text += ", libjpeg-turbo " PANELIX_MACRO_TEXT(LIBJPEG_TURBO_VERSION);
  text += ", giflib " + Dotted(GIFLIB_MAJOR, GIFLIB_MINOR, GIFLIB_RELEASE);
  text += ", FreeType " + Dotted(FREETYPE_MAJOR, FREETYPE_MINOR, FREETYPE_PATCH);
  text += ", fontconfig " + Dotted(FC_MAJOR, FC_MINOR, FC_REVISION);
  text += ", ICU " U_ICU_VERSION;
  text += ", CLI11 " CLI11_VERSION;
  return text;
}

std::string NearestName(const std::string& word, const std::vector<std::string>& candidates) {
  std::string best;
  std::size_t bestDistance = 0;
  for (const std::string& candidate : candidates) {
    const std::size_t distance = EditDistance(word, candidate);
    if (best.empty() || distance < bestDistance) {
      best = candidate;
      bestDistance = distance;
    }
  }
  // A third of the word may be wrong, and at least two letters: "pictures", "--formt", "gfi".
  const std::size_t allowed = std::max<std::size_t>(2, word.size() / 3);
  return !best.empty() && bestDistance <= allowed ? best : std::string();
}

std::string NotAChoice(const std::string& word, const std::vector<std::string>& words,
                       const std::string& list) {
  // Numbers and sizes ("3", "64K") are not misspelt words: no guess for them.
  const bool number = !word.empty() && std::isdigit(static_cast<unsigned char>(word.front())) != 0;
  const std::string nearest = number ? std::string() : NearestName(word, words);
  return "'" + word + "' is not one of " + list + (nearest.empty() ? "" : "; did you mean " + nearest + "?");
}

std::string SuggestionFor(const CLI::App& app) {
  const CLI::App& reached = ReachedCommand(app);
  for (const std::string& word : reached.remaining(false)) {
    if (word.size() > 1 && word[0] == '-') {
      const std::string name = word.substr(0, word.find('='));
      const std::string nearest = NearestName(name, OptionNames(reached));
      return "Unknown option '" + name + "'" + (nearest.empty() ? "" : "; did you mean " + nearest + "?");
    } else if (!reached.get_subcommands([](const CLI::App*) { return true; }).empty()) {
      const std::string nearest = NearestName(word, SubcommandNames(reached));
      return "Unknown subcommand '" + word + "'" + (nearest.empty() ? "" : "; did you mean " + nearest + "?");
    }
  }
  return {};
}

std::string BashCompletion(const CLI::App& app) {
  std::string cases;
  std::string choices;
  AddCompletionCases(app, "", cases, choices);
  return "# bash completion for panelix\n"
         "_panelix() {\n"
         "  local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD-1]} path=\"\" i w words\n"
         "  # The subcommands typed so far, e.g. \"font string\".\n"
         "  for ((i = 1; i < COMP_CWORD; i++)); do\n"
         "    w=${COMP_WORDS[i]}\n"
         "    case \"$w\" in -*) continue ;; esac\n"
         "    case \" $(_panelix_words \"$path\") \" in *\" $w \"*) path=${path:+$path }$w ;; esac\n"
         "  done\n"
         "  case \"$path $prev\" in\n" +
         choices +
         "    *\" -o\"|*\" --output\") COMPREPLY=($(compgen -f -- \"$cur\")); return ;;\n"
         "  esac\n"
         "  case \"$cur\" in\n"
         "    -*|\"\") ;;\n"
         "    *) COMPREPLY=($(compgen -f -- \"$cur\")) ;;\n"
         "  esac\n"
         "  COMPREPLY+=($(compgen -W \"$(_panelix_words \"$path\")\" -- \"$cur\"))\n"
         "}\n"
         "_panelix_words() {\n"
         "  local words=\"\"\n"
         "  case \"$1\" in\n" +
         cases +
         "  esac\n"
         "  echo \"$words\"\n"
         "}\n"
         "complete -o filenames -F _panelix panelix\n";
}

}  // namespace panelix::cli
