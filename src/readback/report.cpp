#include "readback/report.h"

#include <nlohmann/json.hpp>

#include "base/numbers.h"
#include "bootloader/command_flags.h"
#include "commands/command_syntax.h"

namespace panelix::inspect {

namespace {

std::string Hex8(std::uint64_t value) {
  return "0x" + HexUpper(static_cast<std::uint32_t>(value), 8);
}

std::string BootloaderText(const Inspection& in) {
  if (!in.bootloaderPresent) {
    return "none";
  }
  if (!in.bootloader) {
    return "not readable";
  }
  std::string text = "panelix bootloader " + bootloader::BootloaderFlagsText(*in.bootloader);
  if (!in.bootloaderExact) {
    text += "  (these flags do not rebuild every byte)";
  }
  return text;
}

template <int Capacity>
void AppendSets(std::string& text, const char* name, const infoblock::SetTable<Capacity>& table) {
  for (int n = 0; n < table.count && n < Capacity; ++n) {
    const auto& set = table.sets[static_cast<std::size_t>(n)];
    text += "  " + std::string(name) + " " + std::to_string(n) + ": pictures " + std::to_string(set.first) +
            ".." + std::to_string(set.last) + "\n";
  }
}

template <int Capacity>
nlohmann::json SetsJson(const infoblock::SetTable<Capacity>& table) {
  nlohmann::json sets = nlohmann::json::array();
  for (int n = 0; n < table.count && n < Capacity; ++n) {
    const auto& set = table.sets[static_cast<std::size_t>(n)];
    sets.push_back({{"number", n}, {"first", set.first}, {"last", set.last}});
  }
  return sets;
}

nlohmann::ordered_json PicturesJson(const Inspection& in) {
  nlohmann::ordered_json pictures = nlohmann::ordered_json::array();
  for (const PictureRow& row : in.pictures) {
    nlohmann::ordered_json picture{{"number", row.number},
                                   {"width", row.entry.width},
                                   {"height", row.entry.height},
                                   {"address", row.entry.address},
                                   {"size", row.entry.length}};
    if (!row.bin.empty()) {
      picture["bin"] = row.bin;
    }
    pictures.push_back(std::move(picture));
  }
  return pictures;
}

std::string PictureLines(const Inspection& in) {
  std::string text;
  for (const PictureRow& row : in.pictures) {
    text += "  " + std::to_string(row.number) + ": " + std::to_string(row.entry.width) + " x " +
            std::to_string(row.entry.height) + " at " + Hex8(row.entry.address) + ", " +
            Hex8(row.entry.length) + " bytes" + (row.bin.empty() ? "" : " in " + row.bin) + "\n";
  }
  return text;
}

std::string ProblemLines(const Inspection& in) {
  if (in.problems.empty()) {
    return "OK\n";
  }
  std::string text;
  for (const std::string& problem : in.problems) {
    text += "problem: " + problem + "\n";
  }
  return text;
}

}  // namespace

std::string InspectionText(const Inspection& in) {
  std::string text;
  if (in.converterBin) {
    return "converter bin: " + std::to_string(in.fileSize) +
           " bytes\npictures: " + std::to_string(in.pictureCount) + "\n" + PictureLines(in) +
           ProblemLines(in);
  }
  text += "block size: " + Hex8(in.blockSize) + (in.infoBinOnly ? " (info bin)" : "") + "\n";
  text += "build time: " + BuildTimeText(in.buildTime) + "\n";
  text += "[INFO]\n";
  for (const auto& [key, value] : in.info) {
    text += key + " = " + value + "\n";
  }
  text += "bootloader: " + BootloaderText(in) + "\n";
  text += "pictures: " + std::to_string(in.pictureCount) + "\n";
  for (const PictureRow& row : in.pictures) {
    text += "  " + std::to_string(row.number) + ": " + std::to_string(row.entry.width) + " x " +
            std::to_string(row.entry.height) + " at " + Hex8(row.entry.address) + ", " +
            Hex8(row.entry.length) + " bytes" + (row.bin.empty() ? "" : " in " + row.bin) + "\n";
  }
  text += "fonts: " + std::to_string(in.fonts.size()) + "\n";
  for (const FontRow& row : in.fonts) {
    text += "  slot " + std::to_string(row.slot) + ": size code " + std::to_string(row.entry.sizeCode) +
            " at " + Hex8(row.entry.address) + ", " + Hex8(row.entry.length) + " bytes\n";
  }
  text += "sounds: " + std::to_string(in.sounds.size()) + "\n";
  for (const auto& sound : in.sounds) {
    text += "  " + std::to_string(sound.number) + ": at " + Hex8(sound.address) + ", " + Hex8(sound.length) +
            " bytes\n";
  }
  text += "cursors: " + std::to_string(in.cursors.size()) + "\n";
  for (std::size_t i = 0; i < in.cursors.size(); ++i) {
    text += "  " + std::to_string(i) + ": at " + Hex8(in.cursors[i].address) + ", " +
            Hex8(in.cursors[i].length) + " bytes\n";
  }
  text += std::string("sets") + (in.setsFromBins ? "" : " (as the commands name them)") + ":\n";
  AppendSets(text, "Number", in.sets.number);
  AppendSets(text, "ColorNum", in.sets.colorNum);
  AppendSets(text, "KeyNum", in.sets.keyNum);
  AppendSets(text, "GIF", in.sets.gif);
  text += "[USERCMD]\n";
  for (const CommandLine& line : in.commands) {
    text += line.text + "\n";
  }
  return text + ProblemLines(in);
}

std::string InspectionJson(const Inspection& in) {
  nlohmann::ordered_json doc;
  if (in.converterBin) {
    doc["converterBin"] = true;
    doc["fileSize"] = in.fileSize;
    doc["pictureCount"] = in.pictureCount;
    doc["pictures"] = PicturesJson(in);
    doc["problems"] = in.problems;
    return doc.dump(2) + "\n";
  }
  doc["blockSize"] = in.blockSize;
  doc["infoBinOnly"] = in.infoBinOnly;
  doc["buildTime"] = BuildTimeText(in.buildTime);
  doc["info"] = nlohmann::ordered_json::object();
  for (const auto& [key, value] : in.info) {
    doc["info"][key] = value;
  }
  nlohmann::ordered_json bootloader = nullptr;
  if (in.bootloaderPresent) {
    bootloader = {{"flags", in.bootloader ? bootloader::BootloaderFlagsText(*in.bootloader) : ""},
                  {"exact", in.bootloaderExact}};
  }
  doc["bootloader"] = bootloader;
  doc["pictureCount"] = in.pictureCount;
  doc["pictures"] = PicturesJson(in);
  doc["fonts"] = nlohmann::ordered_json::array();
  for (const FontRow& row : in.fonts) {
    doc["fonts"].push_back({{"slot", row.slot},
                            {"sizeCode", row.entry.sizeCode},
                            {"address", row.entry.address},
                            {"size", row.entry.length}});
  }
  doc["sounds"] = nlohmann::ordered_json::array();
  for (const auto& sound : in.sounds) {
    doc["sounds"].push_back({{"number", sound.number}, {"address", sound.address}, {"size", sound.length}});
  }
  doc["cursors"] = nlohmann::ordered_json::array();
  for (std::size_t i = 0; i < in.cursors.size(); ++i) {
    doc["cursors"].push_back(
        {{"number", i}, {"address", in.cursors[i].address}, {"size", in.cursors[i].length}});
  }
  doc["sets"] = {{"fromBins", in.setsFromBins},
                 {"number", SetsJson(in.sets.number)},
                 {"colorNum", SetsJson(in.sets.colorNum)},
                 {"keyNum", SetsJson(in.sets.keyNum)},
                 {"gif", SetsJson(in.sets.gif)}};
  doc["commands"] = nlohmann::ordered_json::array();
  for (const CommandLine& line : in.commands) {
    doc["commands"].push_back(line.text);
  }
  doc["problems"] = in.problems;
  return doc.dump(2) + "\n";
}

}  // namespace panelix::inspect
