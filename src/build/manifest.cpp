#include "build/manifest.h"

#include <toml++/toml.h>
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <map>
#include <optional>

#include "base/error.h"
#include "build/manifest_keys.h"
#include "output/output_names.h"

namespace panelix::build {

namespace {

std::size_t LineOf(const toml::node& node) {
  return node.source().begin.line;
}

bool SameWord(std::string_view a, std::string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
  });
}

std::string Quoted(std::string_view text) {
  return "\"" + std::string(text) + "\"";
}

// "a, b, c", or with `last` "a, b or c".
std::string Joined(std::span<const std::string_view> words, std::string_view last = ", ") {
  std::string text;
  for (std::size_t i = 0; i < words.size(); ++i) {
    text += (i == 0 ? "" : i + 1 == words.size() ? std::string(last) : ", ") + std::string(words[i]);
  }
  return text;
}

class Reader {
 public:
  explicit Reader(std::string source) : m_source(std::move(source)) {}

  [[noreturn]] void Fail(std::size_t line, const std::string& text) const {
    throw Error(m_source + ":" + std::to_string(line) + ": " + text);
  }

  std::string String(const toml::node& node, std::string_view key) const {
    if (const auto* text = node.as_string()) {
      return text->get();
    }
    Fail(LineOf(node), Quoted(key) + " takes a string");
  }

  // A string or an integer, as the word a tool's flag takes.
  std::string Word(const toml::node& node, std::string_view key) const {
    if (const auto* number = node.as_integer()) {
      return std::to_string(number->get());
    }
    if (const auto* text = node.as_string()) {
      return text->get();
    }
    Fail(LineOf(node), Quoted(key) + " takes a string or a number");
  }

  std::vector<std::string> Pair(const toml::node& node, std::string_view key) const {
    const auto* array = node.as_array();
    if (array == nullptr || array->size() != 2) {
      Fail(LineOf(node), Quoted(key) + " takes two values, as in [16, 16]");
    }
    return {Word(*array->get(0), key), Word(*array->get(1), key)};
  }

  std::vector<std::string> Paths(const toml::node& node, std::string_view key) const {
    std::vector<std::string> paths;
    if (const auto* array = node.as_array()) {
      for (const toml::node& item : *array) {
        paths.push_back(String(item, key));
      }
    } else {
      paths.push_back(String(node, key));
    }
    for (const std::string& path : paths) {
      if (path.empty()) {
        Fail(LineOf(node), Quoted(key) + " names an empty path");
      }
    }
    if (paths.empty()) {
      Fail(LineOf(node), Quoted(key) + " names no file");
    }
    return paths;
  }

  // The flags one key gives, checked against its rule.
  void Apply(const KeyRule& rule, const toml::node& node, Asset& asset) const {
    auto flag = [&](std::string_view name, std::string value = {}) {
      if (!name.empty()) {
        asset.flags.emplace_back(name);
      }
      if (!value.empty()) {
        asset.flags.push_back(std::move(value));
      }
    };
    switch (rule.type) {
      case ValueType::Switch: {
        const auto* value = node.as_boolean();
        if (value == nullptr) {
          Fail(LineOf(node), Quoted(rule.key) + " takes true or false");
        }
        flag(value->get() ? rule.flag : rule.flag2);
        break;
      }
      case ValueType::Integer:
        if (node.as_integer() == nullptr) {
          Fail(LineOf(node), Quoted(rule.key) + " takes a whole number");
        }
        flag(rule.flag, std::to_string(node.as_integer()->get()));
        break;
      case ValueType::Word: {
        const std::string word = Word(node, rule.key);
        const auto found = std::find_if(rule.words.begin(), rule.words.end(),
                                        [&](std::string_view w) { return SameWord(w, word); });
        if (found == rule.words.end()) {
          Fail(LineOf(node), Quoted(rule.key) + " is one of " + Joined(rule.words) + ", not " + Quoted(word));
        }
        flag(rule.flag, std::string(*found));
        break;
      }
      case ValueType::Text:
        flag(rule.flag, String(node, rule.key));
        break;
      case ValueType::Pair: {
        const auto values = Pair(node, rule.key);
        flag(rule.flag, values[0]);
        flag(rule.flag2, values[1]);
        break;
      }
      case ValueType::JoinedPair: {
        const auto values = Pair(node, rule.key);
        flag(rule.flag, values[0] + "," + values[1]);
        break;
      }
      case ValueType::InputFile:
      case ValueType::InputList: {
        const auto paths = Paths(node, rule.key);
        if (rule.type == ValueType::InputFile && paths.size() != 1) {
          Fail(LineOf(node), Quoted(rule.key) + " names one file");
        }
        asset.inputs.insert(asset.inputs.end(), paths.begin(), paths.end());
        if (rule.flag.empty()) {
          asset.inputsLast = true;
        } else {
          flag(rule.flag, paths.front());
        }
        break;
      }
    }
  }

  Asset ReadAsset(const toml::table& table, const KindRules& kind) const {
    const std::string label = "[[" + std::string(kind.table) + "]]";
    Asset asset;
    asset.kind = kind.kind;
    asset.line = LineOf(table);
    asset.tool.emplace_back(kind.tool);
    ReadOutput(table, kind, label, asset);
    if (kind.kind == AssetKind::Font) {
      ReadFontKind(table, asset);
    }
    for (const auto& [key, node] : table) {
      if (key.str() == "output" || (kind.kind == AssetKind::Font && key.str() == "kind")) {
        continue;
      }
      const std::string_view name = key.str();
      const auto rule = std::find_if(kind.keys.begin(), kind.keys.end(),
                                     [name](const KeyRule& r) { return r.key == name; });
      if (rule == kind.keys.end()) {
        Fail(LineOf(node), "unknown key " + Quoted(key.str()) + " in " + label);
      }
    }
    // Flags in the rules' order, so one manifest always gives one command line.
    for (const KeyRule& rule : kind.keys) {
      if (const toml::node* node = table.get(rule.key)) {
        Apply(rule, *node, asset);
      } else if (rule.required) {
        Fail(asset.line, label + " needs " + Quoted(rule.key));
      }
    }
    if (kind.kind == AssetKind::Font) {
      CheckFontKeys(table, asset);
    }
    return asset;
  }

  void ReadOutput(const toml::table& table, const KindRules& kind, const std::string& label,
                  Asset& asset) const {
    const toml::node* node = table.get("output");
    if (node == nullptr) {
      Fail(asset.line, label + " needs " + Quoted("output") + ", the bin's name");
    }
    asset.output = String(*node, "output");
    if (asset.output.empty() || asset.output.find('/') != std::string::npos || asset.output == "." ||
        asset.output == "..") {
      Fail(LineOf(*node), Quoted("output") + " is a bin's name in the bins folder, without a folder");
    }
    const bool known = std::any_of(kind.prefixes.begin(), kind.prefixes.end(),
                                   [&](std::string_view prefix) { return asset.output.starts_with(prefix); });
    if (!known) {
      Fail(LineOf(*node), "the bin's name must begin with " + Joined(kind.prefixes, " or ") +
                              " so that Make Bin knows its kind: " + Quoted(asset.output));
    }
  }

  void ReadFontKind(const toml::table& table, Asset& asset) const {
    const toml::node* node = table.get("kind");
    if (node == nullptr) {
      Fail(asset.line, "[[font]] needs \"kind\": " + Joined(FontKinds()));
    }
    const std::string word = String(*node, "kind");
    const auto kinds = FontKinds();
    if (std::find(kinds.begin(), kinds.end(), word) == kinds.end()) {
      Fail(LineOf(*node), "\"kind\" is one of " + Joined(kinds) + ", not " + Quoted(word));
    }
    asset.tool.push_back(word);
  }

  void CheckFontKeys(const toml::table& table, const Asset& asset) const {
    const std::string& kind = asset.tool.back();
    if (kind == "string" && !table.contains("text")) {
      Fail(asset.line, "a String Bin font needs \"text\", the text file of its characters");
    }
    const std::pair<std::string_view, std::string_view> owners[] = {
        {"text", "string"}, {"set", "library"}, {"range", "library"}, {"half-width", "library"}};
    for (const auto& [key, owner] : owners) {
      if (kind != owner && table.contains(key)) {
        Fail(LineOf(*table.get(key)), Quoted(key) + " belongs to fonts of kind " + Quoted(owner));
      }
    }
  }

  ProjectSettings ReadProject(const toml::table& table) const {
    ProjectSettings project;
    project.line = LineOf(table);
    for (const auto& [key, node] : table) {
      const std::string name(key.str());
      if (name == "file") {
        project.file = String(node, name);
      } else if (name == "info" || name == "flash") {
        (name == "info" ? project.info : project.flash) = NameIn(node, name);
      } else if (name == "output") {
        project.output = String(node, name);
      } else if (name == "bins") {
        project.bins = NameIn(node, name);
      } else if (name == "build-time") {
        project.buildTime = BuildTime(node);
      } else if (name == "codepage") {
        const auto* value = node.as_integer();
        if (value == nullptr || (value->get() != 936 && value->get() != 950)) {
          Fail(LineOf(node), "\"codepage\" is 936 or 950");
        }
        project.codePage = static_cast<int>(value->get());
      } else {
        Fail(LineOf(node), "unknown key " + Quoted(name) + " in [project]");
      }
    }
    if (project.file.empty()) {
      Fail(project.line, "[project] needs \"file\", the project file (.ini)");
    }
    if (project.output.empty()) {
      Fail(project.line, "\"output\" names a folder");
    }
    return project;
  }

  // A name placed inside the output folder, without a folder of its own.
  std::string NameIn(const toml::node& node, std::string_view key) const {
    std::string name = String(node, key);
    if (name.empty() || name.find('/') != std::string::npos || name == "." || name == "..") {
      Fail(LineOf(node), Quoted(key) + " is a name inside the output folder, without a folder");
    }
    return name;
  }

  // A TOML local date-time, or the same as a string: YYYY-MM-DDTHH:MM:SS.
  std::string BuildTime(const toml::node& node) const {
    int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0;
    if (const auto* stamp = node.as_date_time()) {
      const toml::date_time& t = stamp->get();
      if (t.offset) {
        Fail(LineOf(node), "\"build-time\" is a local time, without a zone offset");
      }
      y = t.date.year, mo = t.date.month, d = t.date.day, h = t.time.hour, mi = t.time.minute,
      s = t.time.second;
    } else {
      const std::string text = String(node, "build-time");
      char tail = 0;
      if (std::sscanf(text.c_str(), "%4d-%2d-%2dT%2d:%2d:%2d%c", &y, &mo, &d, &h, &mi, &s, &tail) != 6 ||
          mo < 1 || mo > 12 || d < 1 || d > 31 || h < 0 || h > 23 || mi < 0 || mi > 59 || s < 0 || s > 59 ||
          y < 0) {
        Fail(LineOf(node), "\"build-time\" is given as YYYY-MM-DDTHH:MM:SS");
      }
    }
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d", y, mo, d, h, mi, s);
    return text;
  }

  void ReadKind(const toml::node& node, const KindRules& kind, std::vector<Asset>& assets) const {
    if (const auto* table = node.as_table()) {
      assets.push_back(ReadAsset(*table, kind));
    } else if (const auto* array = node.as_array(); array != nullptr && array->is_array_of_tables()) {
      for (const toml::node& item : *array) {
        assets.push_back(ReadAsset(*item.as_table(), kind));
      }
    } else {
      Fail(LineOf(node), Quoted(kind.table) + " is a table: [[" + std::string(kind.table) + "]]");
    }
  }

  Manifest Read(std::string_view text) const {
    toml::table root;
    try {
      root = toml::parse(text, m_source);
    } catch (const toml::parse_error& e) {
      Fail(e.source().begin.line, std::string(e.description()));
    }
    Manifest manifest;
    bool sawProject = false;
    for (const auto& [key, node] : root) {
      if (key.str() == "project") {
        if (node.as_table() == nullptr) {
          Fail(LineOf(node), "\"project\" is a table: [project]");
        }
        manifest.project = ReadProject(*node.as_table());
        sawProject = true;
        continue;
      }
      const auto kinds = AssetKinds();
      const std::string_view name = key.str();
      const auto kind =
          std::find_if(kinds.begin(), kinds.end(), [name](const KindRules& k) { return k.table == name; });
      if (kind == kinds.end()) {
        Fail(LineOf(node), "unknown table " + Quoted(key.str()) +
                               " (a manifest has [project], [[picture]], [[gif]], [[sound]], [[font]], "
                               "[[cursor]] and [[bootloader]])");
      }
      ReadKind(node, *kind, manifest.assets);
    }
    if (!sawProject) {
      Fail(1, "the manifest has no [project] table");
    }
    std::stable_sort(manifest.assets.begin(), manifest.assets.end(),
                     [](const Asset& a, const Asset& b) { return a.line < b.line; });
    CheckOutputsDiffer(manifest);
    return manifest;
  }

  // Two assets writing one bin would overwrite each other's work.
  void CheckOutputsDiffer(const Manifest& manifest) const {
    std::map<std::string, std::size_t> seen;
    for (const Asset& asset : manifest.assets) {
      const std::string name = output::OutputBinName(asset.output);
      const auto [at, added] = seen.emplace(name, asset.line);
      if (!added) {
        Fail(asset.line,
             Quoted(name) + " is already written by the asset on line " + std::to_string(at->second));
      }
    }
  }

 private:
  std::string m_source;
};

}  // namespace

Manifest ReadManifest(std::string_view text, const std::string& sourceName) {
  return Reader(sourceName).Read(text);
}

std::string_view KindName(AssetKind kind) {
  for (const KindRules& rules : AssetKinds()) {
    if (rules.kind == kind) {
      return rules.table;
    }
  }
  return "asset";
}

}  // namespace panelix::build
