#pragma once

#include <span>
#include <string_view>

#include "build/manifest.h"

namespace panelix::build {

// How a manifest value turns into the flags of the tool that converts the asset.
enum class ValueType {
  Switch,      // true or false: `flag` when true, `offFlag` (if any) when false
  Integer,     // an integer: flag N
  Word,        // one of `words`, as a string or an integer, any case: flag WORD
  Text,        // any string: flag TEXT
  Pair,        // two integers or strings [A, B]: flag A flag2 B
  JoinedPair,  // two integers [X, Y]: flag X,Y
  InputFile,   // one path: flag PATH, or PATH at the end of the command line when flag is empty
  InputList,   // one path or a list of them, named at the end of the command line
};

struct KeyRule {
  std::string_view key;
  ValueType type;
  std::string_view flag;
  std::string_view flag2 = {};  // Pair: the second value's flag; Switch: the flag for false
  std::span<const std::string_view> words = {};
  bool required = false;
};

struct KindRules {
  AssetKind kind;
  std::string_view table;  // the manifest's table name: [[picture]], [[font]], [bootloader], ...
  std::string_view tool;   // the subcommand converting it
  std::span<const KeyRule> keys;
  // The beginnings a bin name of this kind must have, as Make Bin tells kinds by name.
  std::span<const std::string_view> prefixes;
};

// One row per asset kind, in the order the manifest's tables are documented.
std::span<const KindRules> AssetKinds();

// The words a font's `kind` takes; each is also the font subcommand's word.
std::span<const std::string_view> FontKinds();

}  // namespace panelix::build
