#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace panelix::build {

// What a manifest asks for, read but not yet placed on disk. Every asset becomes one run of the
// tool that owns its kind, with the options the manifest gives turned into that tool's flags.
enum class AssetKind { Picture, Gif, Sound, Font, Cursor, Bootloader };

struct Asset {
  AssetKind kind = AssetKind::Picture;
  std::size_t line = 0;             // manifest line of the asset's table header
  std::string output;               // bin name as typed into the save dialog, placed in the bins folder
  std::vector<std::string> tool;    // the subcommand words: {"picture"}, {"font", "string"}, ...
  std::vector<std::string> flags;   // the tool's options, in a fixed order
  std::vector<std::string> inputs;  // files and folders as written, relative to the manifest's folder
  // The inputs are named at the end of the tool's command line (pictures, GIFs, the sound, a
  // String Bin's text); otherwise they already stand in `flags`.
  bool inputsLast = false;
};

struct ProjectSettings {
  std::size_t line = 0;
  std::string file;                     // project file (.ini), relative to the manifest's folder
  std::string info = "UserInfo";        // info bin name, in the output folder
  std::string flash = "Panelix_Flash";  // flash image name, in the output folder
  std::string output = "build";         // output folder, relative to the manifest's folder
  std::string bins = "bins";            // bins folder inside the output folder
  std::string buildTime;                // YYYY-MM-DDTHH:MM:SS, or empty
  int codePage = 0;                     // 936 or 950 for every tool, or 0 for the locale's
};

struct Manifest {
  ProjectSettings project;
  std::vector<Asset> assets;  // in manifest order
};

// Reads a manifest (TOML). `sourceName` prefixes every message. Throws panelix::Error whose text
// names the line: "panelix.toml:12: unknown key \"fromat\" in [[picture]]".
Manifest ReadManifest(std::string_view text, const std::string& sourceName);

std::string_view KindName(AssetKind kind);

}  // namespace panelix::build
