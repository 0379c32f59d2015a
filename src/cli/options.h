#pragma once

#include <CLI/CLI.hpp>

#include <string>
#include <utility>
#include <vector>

#include "base/codepage.h"
#include "cli/usage.h"
#include "picture/options.h"

namespace panelix::cli {

// How every subcommand declares its options, so that all read and describe them alike: option
// texts begin in lower case and end without a full stop, a default is named as "(default X)",
// and a choice lists its words in the value's place of the usage line.

// A word of a choice option and the value it stands for. A value may have several words: the
// first is its name, the others are aliases (all read without regard to case).
template <typename T>
using ChoiceWords = std::vector<std::pair<std::string, T>>;

// "a|b|c": the words of a choice, as shown in place of the option's value.
template <typename T>
std::string ChoiceList(const ChoiceWords<T>& words) {
  std::string list;
  for (const auto& [word, value] : words) {
    list += (list.empty() ? "" : "|") + word;
  }
  return list;
}

// An option that takes one of the given words and stores its value in target.
template <typename T>
CLI::Option* AddChoice(CLI::App& app, const std::string& name, T& target, const ChoiceWords<T>& words,
                       const std::string& help) {
  std::vector<std::pair<std::string, T>> table(words.begin(), words.end());
  const CLI::Validator checked = CLI::CheckedTransformer(table, CLI::ignore_case);
  std::vector<std::string> names;
  for (const auto& [word, value] : words) {
    names.push_back(word);
  }
  const std::string list = ChoiceList(words);
  return app.add_option(name, target, help)
      ->transform(CLI::Validator(
          [checked, names, list](std::string& value) {
            const std::string given = value;
            return checked(value).empty() ? std::string() : NotAChoice(given, names, list);
          },
          ""))
      ->type_name(list);
}

// The text of -o,--output, the same for every subcommand that writes a file.
inline constexpr const char* kOutputHelp =
    "name of the output file as typed into the save dialog; \".bin\" is added when the name lacks it";

// Declares -o,--output NAME bound to target.
inline CLI::Option* AddOutput(CLI::App& app, std::string& target) {
  return app.add_option("-o,--output", target, kOutputHelp)->type_name("NAME");
}

// --encoding for the text file a subcommand reads; target stays 0 when it is not given, which
// stands for the code page (see TextEncoding).
inline CLI::Option* AddEncoding(CLI::App& app, int& target) {
  return AddChoice(
      app, "--encoding", target,
      ChoiceWords<int>{{"936", 936}, {"950", 950}, {"utf-8", kUtf8CodePage}, {"utf8", kUtf8CodePage}},
      "encoding of the text file (default the code page of --codepage)");
}
inline int TextEncoding(int given) {
  return given != 0 ? given : SystemCodePage();
}

// The words of the channel order and the rotation, shared by the picture and GIF subcommands.
inline const ChoiceWords<picture::ChannelOrder>& ChannelOrderWords() {
  static const ChoiceWords<picture::ChannelOrder> words{{"rgb", picture::ChannelOrder::Rgb},
                                                        {"bgr", picture::ChannelOrder::Bgr}};
  return words;
}
inline const ChoiceWords<picture::Rotation>& RotationWords() {
  static const ChoiceWords<picture::Rotation> words{{"0", picture::Rotation::None},
                                                    {"r90", picture::Rotation::Right90},
                                                    {"l90", picture::Rotation::Left90}};
  return words;
}

inline const ChoiceWords<picture::Dither>& DitherWords() {
  static const ChoiceWords<picture::Dither> words{{"none", picture::Dither::None},
                                                  {"ordered", picture::Dither::Ordered},
                                                  {"floyd-steinberg", picture::Dither::FloydSteinberg}};
  return words;
}

}  // namespace panelix::cli
