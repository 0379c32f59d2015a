// Reads fuzzed info blocks back. An input that begins with "P" patches a sound 12K block (a command
// list of every record form, pictures, a font, a sound and a cursor) at the offsets it names, two
// offset bytes and one value byte a patch, so the decompiler meets damaged records of every form;
// any other input is the head of an image itself, padded with 0xFF to the short block. The
// inspector must name problems, never crash, and only throw panelix::Error for a short file.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "base/error.h"
#include "commands/compiler.h"
#include "readback/inspection.h"
#include "readback/report.h"

namespace {

using namespace panelix;

std::vector<std::uint8_t> SoundBlock() {
  std::vector<std::string> lines(10, " ");
  lines.push_back("[USERCMD]");
  for (const char* line : {"80h#00:1,2,3", "81h#00:1,2,3", "82h#00:1,2", "82h#01:1,2,3,4,5",
                           "88h#00GIF:1,2,3,4,0", "90h#00PT:0,5,6", "91h#00CPT:40,1", "9Ch#00:1,2",
                           "A4h#00KPT:1,2,3,4,0,6,7,8,9,10", "B8h#00:12", "E1h#00:1,2,3,4"}) {
    lines.push_back(line);
  }
  infoblock::SetTables sets;
  sets.gif = {1, {{{3, 5}}}};
  sets.number = {1, {{{6, 17}}}};
  sets.keyNum = {1, {{{18, 20}}}};
  infoblock::InfoBlock block(infoblock::kSmallBlockSize);
  commands::CompileCommands(lines, block, sets);
  for (int n = 0; n < 21; ++n) {
    block.PutPicture(n, {2, 2, 0x3000 + 8u * static_cast<std::uint32_t>(n), 8});
  }
  block.PutPictureCount(21);
  block.PutFont(1, {16, 0x3100, 0x20});
  block.PutSound(0, {0, 0x3120, 0x20});
  block.PutCursor(0, {0x3140, 0x100});
  const auto written = block.Written();
  return {written.begin(), written.end()};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::vector<std::uint8_t> kSound = SoundBlock();
  std::vector<std::uint8_t> head;
  std::uint64_t fileSize = 0x3240;
  if (size > 0 && data[0] == 'P') {
    head = kSound;
    for (std::size_t i = 1; i + 3 <= size; i += 3) {
      const std::size_t at = (static_cast<std::size_t>(data[i]) << 8 | data[i + 1]) % head.size();
      head[at] = data[i + 2];
    }
  } else {
    head.assign(data, data + size);
    if (head.size() < infoblock::kSmallBlockSize) {
      head.resize(infoblock::kSmallBlockSize, 0xFF);
    }
    head.resize(std::min<std::size_t>(head.size(), infoblock::kLargeBlockSize));
    fileSize = head.size() + 0x100;
  }
  try {
    const inspect::Inspection in = inspect::InspectImage(head, fileSize);
    inspect::InspectionText(in);
    inspect::InspectionJson(in);
  } catch (const Error&) {
  }
  return 0;
}
