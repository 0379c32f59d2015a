#pragma once

#include <string>
#include <vector>

#include "bootloader/register_script.h"
#include "project/make_bin.h"
#include "project/make_bin_fixture.h"

namespace panelix::inspect::test {

using namespace panelix::test;
using namespace panelix::project::test;

// Command lines of every record form, set references among them.
inline std::vector<std::string> SampleCommands() {
  return {"80h#00:1,2,3",
          "80h#01:0x1234,0x56,0x789,0xBCDE,0x11,0x22",
          "81h#00:1,2,3",
          "82h#00:1,2",
          "82h#01:1,2,3,4,5",
          "88h#00GIF:1,2,3,4,1",
          "88h#01:1,2,0x10,4,0",
          "90h#00PT:1,0x1234,5,6",
          "90h#01:1,0x1234,5,6",
          "91h#00CPT:0,0x1234,5,6",
          "9Ch#00:1,0x1FF",
          "9Ch#01:7",
          "A4h#00KPT:1,2,3,4,0,6,7,8,9,10,11,12,13,14,15",
          "B8h#00:1,2,3",
          "E1h#00:1,2,3,4"};
}

// A bin folder with a bootloader, a picture bin, two Number bins, a KeyNum bin, two GIF bins, a
// font, a sound and a cursor, and the project that names them.
struct SampleProject {
  TempDir dir;
  std::vector<std::string> lines = ProjectLines(SampleCommands());
  bootloader::BootloaderParameters bootloader;

  SampleProject() {
    bootloader.xsize = 800;
    bootloader.ysize = 480;
    bootloader.hsbp = 46;
    bootloader.mclkN = 133;
    bootloader.cclkN = 90;
    bootloader.hsync = true;
    bootloader.canvas = 2;
    WriteBytes(dir / "Bootloader.bin", bootloader::BuildBootloader(bootloader));
    WriteBytes(dir / "Picture-main.bin", Pattern(0x300, 1));
    WriteText(dir / "Picture-main-Addr.txt",
              Row(16, 8, 0, 0x100, "a.bmp") + Row(16, 16, 0x100, 0x200, "b.bmp"));
    for (const char* name : {"Number-a", "Number-b"}) {
      WriteBytes(dir / (std::string(name) + ".bin"), Pattern(12 * 4, 2));
      WriteText(dir / (std::string(name) + "-Addr.txt"), EvenRows(12, 4, 2, 1));
    }
    WriteBytes(dir / "KeyNum-a.bin", Pattern(5 * 8, 3));
    WriteText(dir / "KeyNum-a-Addr.txt", EvenRows(5, 8, 2, 2));
    for (const char* name : {"Gif-a", "Gif-b"}) {
      WriteBytes(dir / (std::string(name) + ".bin"), Pattern(3 * 2, 4));
      WriteText(dir / (std::string(name) + "-Addr.txt"), "//0\r\n" + EvenRows(3, 2, 1, 1));
    }
    WriteBytes(dir / "Font_C1_16.bin", Pattern(0x40, 5));
    WriteBytes(dir / "Wav-chime.bin", Pattern(0x80, 6));
    WriteBytes(dir / "Cursor-arrow.bin", Pattern(256, 7));
  }

  std::vector<std::string> Bins() const {
    return {"Bootloader.bin", "Cursor-arrow.bin", "Font_C1_16.bin", "Gif-a.bin",        "Gif-b.bin",
            "KeyNum-a.bin",   "Number-a.bin",     "Number-b.bin",   "Picture-main.bin", "Wav-chime.bin"};
  }

  project::BuiltImage Build(std::size_t blockSize = infoblock::kLargeBlockSize) const {
    project::MakeBinInput input{dir.Path(), Bins(), lines, blockSize, {2024, 5, 6, 7, 8, 9}};
    auto image = project::BuildInfoBlock(input, NoMessage, [](const std::vector<std::string>&) {});
    return std::move(*image);
  }

  // The flash image written to the folder, and its path.
  std::filesystem::path WriteImage(std::size_t blockSize = infoblock::kLargeBlockSize) const {
    const auto path = dir / "Panelix_Flash.bin";
    project::WriteFlashImage(path, Build(blockSize));
    return path;
  }
};

}  // namespace panelix::inspect::test
