#include "readback/inspection.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "base/bytes.h"
#include "bootloader/command_flags.h"
#include "commands/compiler.h"
#include "inspect/inspect_fixture.h"
#include "readback/command_list_reader.h"
#include "readback/image_file.h"
#include "readback/report.h"

namespace panelix::inspect {
namespace {

using namespace panelix::inspect::test;

Inspection InspectBytes(const std::vector<std::uint8_t>& bytes) {
  const std::size_t head = std::min<std::size_t>(bytes.size(), infoblock::kLargeBlockSize);
  return InspectImage(std::span(bytes).first(head), bytes.size());
}

std::string Joined(const std::vector<std::string>& problems) {
  std::string all;
  for (const auto& p : problems) {
    all += p + "\n";
  }
  return all;
}

// Every table entry of a made image comes back as Make Bin wrote it, with the bins named, the
// [INFO] keys as written, the bootloader's parameters and the commands.
TEST(InspectTest, MadeImageReadsBackEntryForEntry) {
  for (const std::size_t blockSize : {infoblock::kLargeBlockSize, infoblock::kSmallBlockSize}) {
    SCOPED_TRACE(blockSize);
    const SampleProject project;
    const project::BuiltImage built = project.Build(blockSize);
    const auto path = project.WriteImage(blockSize);
    const Inspection in = InspectFile(ImageFile(path), 0, project.dir.Path());

    EXPECT_EQ(Joined(in.problems), "");
    EXPECT_EQ(in.blockSize, blockSize);
    EXPECT_EQ(BuildTimeText(in.buildTime), "2024-05-06T07:08:09");
    const auto keys = InfoLines();
    ASSERT_EQ(in.info.size(), keys.size() - 1);
    for (std::size_t i = 0; i < in.info.size(); ++i) {
      EXPECT_EQ(in.info[i].first + " = " + in.info[i].second, keys[i + 1]);
    }
    ASSERT_TRUE(in.bootloader.has_value());
    EXPECT_TRUE(in.bootloaderExact);
    EXPECT_EQ(bootloader::BuildBootloader(*in.bootloader), bootloader::BuildBootloader(project.bootloader));

    const auto block = built.block->Bytes();
    ASSERT_EQ(in.pictures.size(), static_cast<std::size_t>(built.pictureCount));
    for (const PictureRow& row : in.pictures) {
      const std::size_t at = infoblock::PictureEntryOffset(row.number);
      EXPECT_EQ(row.entry.width, ReadBE16(block, at));
      EXPECT_EQ(row.entry.height, ReadBE16(block, at + 2));
      EXPECT_EQ(row.entry.address, ReadBE32(block, at + 4));
      EXPECT_EQ(row.entry.length, ReadBE32(block, at + 8));
    }
    EXPECT_EQ(in.pictures[0].bin, "Picture-main.bin");
    EXPECT_EQ(in.pictures[2].bin, "Number-a.bin");
    EXPECT_EQ(in.pictures.back().bin, "Gif-b.bin");
    ASSERT_EQ(in.fonts.size(), 1u);
    EXPECT_EQ(in.fonts[0].slot, 1);
    EXPECT_EQ(in.fonts[0].entry.sizeCode, 16);
    EXPECT_EQ(in.fonts[0].entry.length, 0x40u);
    ASSERT_EQ(in.sounds.size(), 1u);
    EXPECT_EQ(in.sounds[0].length, 0x80u);
    ASSERT_EQ(in.cursors.size(), 1u);
    EXPECT_EQ(in.cursors[0].length, 256u);
    EXPECT_TRUE(in.setsFromBins);
    EXPECT_EQ(in.sets.gif.count, 2);
    EXPECT_EQ(in.commands.size(), SampleCommands().size());
  }
}

// Without the bins the sets are made up from the records, and the commands still compile back.
TEST(InspectTest, ImageAloneDecompilesWithTheSetsItsRecordsName) {
  const SampleProject project;
  const Inspection in = InspectFile(ImageFile(project.WriteImage()));
  EXPECT_EQ(Joined(in.problems), "");
  EXPECT_FALSE(in.setsFromBins);
  EXPECT_EQ(in.sets.keyNum.count, 1);
  EXPECT_EQ(in.pictures[0].bin, "");
  const project::BuiltImage built = project.Build();
  EXPECT_EQ(in.sets.keyNum.sets[0].first, built.sets.keyNum.sets[0].first);
  EXPECT_EQ(in.sets.keyNum.sets[0].last, built.sets.keyNum.sets[0].last);
}

// Decompiling then compiling gives the command index and records back, whatever lengths the
// plain records of one group have.
TEST(InspectTest, DecompiledCommandsCompileBackToTheSameRegion) {
  const std::vector<std::vector<std::string>> cases{
      SampleCommands(),
      {"9Ch#00:1", "9Ch#01:1,2,3", "9Ch#02:1,2"},
      {"E1h#00:1", "E1h#01:1,2,3,4,5", "E1h#02:1,2"},
      {"88h#00GIF:1,2,3,1", "88h#01GIF:1,2,3,4,5,0"},
      {"90h#00PT:200", "91h#00CPT:40,1"},
      {"B8h#00:5", "B8h#01:255", "F2h#00:1,2,3,4,5,6,7,8,9,10,11,12"},
  };
  infoblock::SetTables sets;
  sets.gif = {2, {{{307, 319}, {317, 329}}}};
  for (const auto& lines : cases) {
    SCOPED_TRACE(lines.front());
    infoblock::InfoBlock block;
    commands::CompileCommands(ProjectLines(lines), block, sets);
    infoblock::SetTables found;
    const CommandListRead decompiled = ReadCommandList(block.Written(), found, false);
    EXPECT_EQ(Joined(decompiled.problems), "");
    EXPECT_EQ(CompareRecompiled(block.Written(), decompiled.lines, found), "");
  }
}

// Damaged images: each fault is named.
TEST(InspectTest, DamagedImagesNameTheirProblems) {
  const SampleProject project;
  const std::vector<std::uint8_t> good = ReadBytes(project.WriteImage());
  ASSERT_EQ(Joined(InspectBytes(good).problems), "");
  struct Case {
    const char* name;
    std::function<void(std::vector<std::uint8_t>&)> damage;
    const char* problem;
  };
  const auto put32 = [](std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) {
      b[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (24 - 8 * i));
    }
  };
  const std::size_t entry1 = infoblock::PictureEntryOffset(1);
  const std::vector<Case> cases{
      {"entry past the end", [&](auto& b) { put32(b, entry1 + 8, 0x10000000); },
       "runs past the end of the image"},
      {"overlapping entries", [&](auto& b) { put32(b, entry1 + 4, 0x20010); }, "overlaps picture 1"},
      {"entry inside the block", [&](auto& b) { put32(b, entry1 + 4, 0x100); }, "lies inside the info block"},
      {"count too high", [](auto& b) { b[0x601] = static_cast<std::uint8_t>(b[0x601] + 1); },
       "is empty, but the picture count"},
      {"count too low", [](auto& b) { b[0x601] = static_cast<std::uint8_t>(b[0x601] - 1); },
       "is filled, but the picture count"},
      {"index start off", [](auto& b) { b[0x201] = 0x01; }, "the command index puts 80h at 0x1801"},
      {"index length off", [](auto& b) { b[0x207] = static_cast<std::uint8_t>(b[0x207] + 1); },
       "the command index gives 81h a length"},
      {"index start past the region", [](auto& b) { b[0x208] = 0xFF; }, "puts 82h at 0xFF"},
      {"index of a code without records", [](auto& b) { b[0x210] = 0x18; }, "84h, a code without records"},
      {"record length past the group", [](auto& b) { b[0x1800] = 0x40; }, "80h record 0 at 0x1800"},
      {"changed record byte", [](auto& b) { b[0x1801] ^= 0xFF; }, ""},
      {"sound number", [](auto& b) { b[0x1700] = 3; }, "sound entry 0 holds the number 3"},
      {"bootloader fixed byte", [](auto& b) { b[0] = 0; }, "fixed bytes of a bootloader"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<std::uint8_t> bad = good;
    c.damage(bad);
    const Inspection in = InspectBytes(bad);
    if (std::string(c.problem).empty()) {
      // A changed parameter byte is still a sound image: it decompiles to another value.
      EXPECT_EQ(Joined(in.problems), "");
    } else {
      EXPECT_NE(Joined(in.problems).find(c.problem), std::string::npos) << Joined(in.problems);
    }
  }
}

TEST(InspectTest, TooShortFileIsRefused) {
  EXPECT_THROW(InspectBytes(std::vector<std::uint8_t>(100, 0xFF)), Error);
}

TEST(InspectTest, JsonHoldsTheIssueKeys) {
  const SampleProject project;
  const auto doc = nlohmann::json::parse(InspectionJson(InspectFile(ImageFile(project.WriteImage()))));
  EXPECT_EQ(doc["blockSize"], 0x20000);
  EXPECT_EQ(doc["buildTime"], "2024-05-06T07:08:09");
  EXPECT_EQ(doc["info"]["XSIZE"], "1024");
  EXPECT_EQ(doc["info"]["CX9Type"], "CX-2");
  EXPECT_EQ(doc["pictures"][0]["address"], 0x20000);
  EXPECT_EQ(doc["pictures"][1]["height"], 16);
  EXPECT_EQ(doc["fonts"][0]["sizeCode"], 16);
  EXPECT_EQ(doc["sounds"][0]["number"], 0);
  EXPECT_EQ(doc["cursors"][0]["size"], 256);
  EXPECT_EQ(doc["commands"][0], "80h#00:1,2,3");
  EXPECT_TRUE(doc["problems"].empty());
}

// The CLI prints "OK" and exits 0 for a sound image, names the problem and exits 1 otherwise.
TEST(InspectCliTest, OkOrProblemsWithExitStatus) {
  const SampleProject project;
  const auto path = project.WriteImage();
  const CliResult ok = RunCli({"inspect", path.string()});
  EXPECT_EQ(ok.exitCode, 0) << ok.err;
  EXPECT_NE(ok.out.find("\nOK\n"), std::string::npos);
  EXPECT_NE(ok.out.find("bootloader: panelix bootloader --xsize 800 "), std::string::npos);
  std::vector<std::uint8_t> bad = ReadBytes(path);
  bad[0x601] = 0x40;
  WriteBytes(path, bad);
  const CliResult damaged = RunCli({"inspect", "--json", path.string()});
  EXPECT_EQ(damaged.exitCode, 1);
  EXPECT_FALSE(nlohmann::json::parse(damaged.out)["problems"].empty());
  const CliResult missing = RunCli({"inspect", (project.dir / "none.bin").string()});
  EXPECT_EQ(missing.exitCode, 1);
  EXPECT_NE(missing.err.find("Can't open "), std::string::npos);
}

}  // namespace
}  // namespace panelix::inspect

namespace panelix::inspect {
namespace {

using namespace panelix::inspect::test;

// A converter bin is read through the address list beside it, and --extract writes its pictures.
TEST(InspectCliTest, ConverterBinThroughItsAddressList) {
  const SampleProject project;
  const auto bin = (project.dir / "Picture-main.bin").string();
  const CliResult json = RunCli({"inspect", "--json", bin});
  ASSERT_EQ(json.exitCode, 0) << json.err;
  const auto doc = nlohmann::json::parse(json.out);
  EXPECT_EQ(doc["converterBin"], true);
  EXPECT_EQ(doc["pictures"].size(), 2u);
  EXPECT_EQ(doc["pictures"][1]["address"], 0x100);
  const auto out = project.dir / "out";
  const CliResult extract = RunCli({"inspect", "--extract", out.string(), "--format", "ARGB4444", bin});
  ASSERT_EQ(extract.exitCode, 0) << extract.err;
  EXPECT_TRUE(std::filesystem::exists(out / "picture-0000.png"));
  EXPECT_TRUE(std::filesystem::exists(out / "picture-0001.png"));
}

}  // namespace
}  // namespace panelix::inspect
