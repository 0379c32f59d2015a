#include "project/resource_passes.h"

#include <system_error>

#include "base/bounded_read.h"
#include "base/codepage.h"
#include "base/error.h"
#include "base/files.h"
#include "base/numbers.h"
#include "output/output_names.h"
#include "project/address_list_reader.h"

namespace panelix::project {

namespace {

using infoblock::BinKind;

constexpr std::uint64_t kMaxFlashAddress = 0xFFFFFFFFu;

// A picture set of a set kind, with the message shown when its count passes the limit. The limit
// is the table's capacity less one: the firmware stops at the last set, so one entry of every
// table stays unused. The texts are built from the same numbers, except the GIF one, whose stored
// text says 10 although its table holds 32 sets; users know it so.
struct SetKind {
  int limit;
  std::string message;
};

constexpr int kPictureSetLimit = decltype(infoblock::SetTables::number)::kCapacity - 1;
constexpr int kGifSetLimit = decltype(infoblock::SetTables::gif)::kCapacity - 1;
static_assert(kPictureSetLimit == 15 && kGifSetLimit == 31, "stored projects rely on these limits");

// The number a message states at its end ("... holds 16."), so that the texts of the full tables
// are checked against the tables' sizes.
constexpr int StatedSize(std::string_view text) {
  int size = 0;
  for (std::size_t i = text.rfind(' ') + 1; i < text.size() && text[i] != '.'; ++i) {
    size = size * 10 + (text[i] - '0');
  }
  return size;
}
static_assert(StatedSize(kTooManyPictures) == infoblock::kMaxPictures &&
                  StatedSize(kTooManySounds) == infoblock::kMaxSounds &&
                  StatedSize(kTooManyCursors) == infoblock::kMaxCursors,
              "the messages of the full tables state their sizes");

SetKind SetKindOf(BinKind kind) {
  const std::string over = " is over than " + std::to_string(kPictureSetLimit);
  switch (kind) {
    case BinKind::Number:
      return {kPictureSetLimit, "Number" + over};
    case BinKind::ColorNum:
      return {kPictureSetLimit, "ColorNum" + over};
    case BinKind::KeyNum:
      return {kPictureSetLimit, "KeyNum" + over};
    default:
      return {kGifSetLimit, "Gif number is over than 10"};
  }
}

int& SetCount(infoblock::SetTables& sets, BinKind kind) {
  switch (kind) {
    case BinKind::Number:
      return sets.number.count;
    case BinKind::ColorNum:
      return sets.colorNum.count;
    case BinKind::KeyNum:
      return sets.keyNum.count;
    default:
      return sets.gif.count;
  }
}

std::string Hex8(std::uint32_t value) {
  return "0x" + HexUpper(value, 8);
}

// Appends one report row, part by part.
void AppendRow(std::string& report, std::initializer_list<std::string_view> parts) {
  for (std::string_view part : parts) {
    report.append(part);
  }
  report.append("\r\n");
}

std::string Decimal(std::uint32_t value) {
  return std::to_string(static_cast<std::int32_t>(value));
}

}  // namespace

FontSlot FontSlotOfName(const std::string& name) {
  const std::u16string chars = Utf8ToUtf16(name);
  if (chars.size() < 11) {
    return {0, 255};
  }
  const auto digit = [](char16_t c) { return c >= u'0' && c <= u'9' ? c - u'0' : 0; };
  const auto code = static_cast<std::uint8_t>(digit(chars[8]) * 10 + digit(chars[9]));
  const char16_t bank = chars[5];
  const char16_t number = chars[6];
  const int index = number >= u'1' && number <= u'3' ? number - u'0' : 0;
  if (bank == u'C') {
    return {index, code};
  }
  if (bank == u'D') {
    return {4 + index, code};
  }
  return {0, code};
}

ResourcePasses::ResourcePasses(std::filesystem::path binFolder, const std::vector<std::string>& binList,
                               infoblock::InfoBlock& block, MessageFn message)
    : m_binFolder(std::move(binFolder)), m_binList(binList), m_block(block), m_message(std::move(message)) {
  m_running = block.Size();
}

std::filesystem::path ResourcePasses::PathOf(const std::string& name) const {
  return m_binFolder / name;
}

std::uint64_t ResourcePasses::SizeOf(const std::string& name) const {
  std::error_code error;
  const std::filesystem::path path = PathOf(name);
  const std::uintmax_t size = std::filesystem::file_size(path, error);
  if (error) {
    throw Error(CantOpenMessage(path));
  }
  return size;
}

void ResourcePasses::Place(const std::string& name, BinKind kind, std::uint64_t size) {
  if (m_running + size > kMaxFlashAddress + 1) {
    throw Error(kImageTooLarge);
  }
  m_placed.push_back({name, PathOf(name), kind, Running(), size});
  m_running += size;
}

void ResourcePasses::CopyBootloader() {
  std::vector<const std::string*> bootloaders;
  for (const std::string& name : m_binList) {
    if (name.starts_with(infoblock::kBootloaderPrefix)) {
      bootloaders.push_back(&name);
    }
  }
  if (bootloaders.size() > 1) {
    m_message(kTooManyBootloaders);
    return;
  }
  if (bootloaders.empty()) {
    return;
  }
  const std::filesystem::path path = PathOf(*bootloaders.front());
  m_read.push_back(path);
  std::error_code error;
  const std::uintmax_t size = std::filesystem::file_size(path, error);
  if (!error && size > infoblock::kBootloaderRegion.size) {
    m_message(kBootloaderTooLarge);
    return;
  }
  std::vector<std::uint8_t> bytes;
  try {
    bytes = ReadFileBytes(path, kOpenFail);
  } catch (const Error& e) {
    m_message(e.what());
    return;
  }
  if (bytes.size() > infoblock::kBootloaderRegion.size) {
    m_message(kBootloaderTooLarge);
    return;
  }
  RegionWriter region = m_block.Writer(infoblock::kBootloaderRegion);
  region.Fill(0, region.Size(), 0xFF);
  region.PutBytes(0, bytes);
}

void ResourcePasses::Run(BinKind kind) {
  switch (kind) {
    case BinKind::Font:
      RunFont();
      break;
    case BinKind::Wav:
      RunSound();
      break;
    case BinKind::Cursor:
      RunCursor();
      break;
    default:
      RunPictureLike(kind);
      break;
  }
}

void ResourcePasses::RunPictureLike(BinKind kind) {
  const bool isSetKind = kind != BinKind::Picture;
  if (!isSetKind) {
    m_running = m_block.Size();
    m_pictureCount = 0;
    m_report.clear();
    m_placed.clear();
  } else {
    SetCount(m_sets, kind) = 0;
  }
  bool full = false;
  for (const std::string& name : m_binList) {
    if (infoblock::KindOfBin(name) != kind) {
      continue;
    }
    const std::uint64_t size = SizeOf(name);
    if (!full && size > 0) {
      ReadRows(kind, name, size, isSetKind ? SetCount(m_sets, kind) : 0);
    }
    Place(name, kind, size);
    if (isSetKind && !full) {
      const SetKind set = SetKindOf(kind);
      if (++SetCount(m_sets, kind) > set.limit) {
        m_message(set.message);
        full = true;
      }
    }
  }
}

void ResourcePasses::CheckRowsFillTheBin(const std::vector<std::string>& lines,
                                         const std::filesystem::path& listPath, const std::string& name,
                                         std::uint64_t binSize) const {
  // A list that does not describe its bin would give picture entries pointing into other bins.
  std::uint64_t total = 0;
  int rows = 0;
  for (const std::string& line : lines) {
    if (const std::optional<AddressRowValues> row = ParseAddressRow(line)) {
      total += row->values[3];
      ++rows;
    }
  }
  if (rows == 0) {
    throw Error(listPath.string() + " has no valid row for " + PathOf(name).string() + "!");
  }
  if (total != binSize) {
    throw Error("The rows of " + listPath.string() + " add up to " + std::to_string(total) + " bytes, but " +
                PathOf(name).string() + " holds " + std::to_string(binSize) + " bytes!");
  }
}

void ResourcePasses::ReadRows(BinKind kind, const std::string& name, std::uint64_t binSize, int setIndex) {
  const std::filesystem::path listPath = PathOf(output::AddressListName(name));
  const std::string failure = "Open " + listPath.string() + " fail!";
  m_read.push_back(listPath);
  const std::vector<std::string> lines =
      ReadAddressListLines(ReadFileBytesUpTo(listPath, kMaxTextFileBytes, failure));
  if (lines.empty()) {
    throw Error(failure);
  }
  const auto index = static_cast<std::size_t>(setIndex);
  CheckRowsFillTheBin(lines, listPath, name, binSize);
  for (std::size_t j = 0; j < lines.size(); ++j) {
    const std::optional<AddressRowValues> row = ParseAddressRow(lines[j]);
    if (!row) {
      continue;
    }
    const int n = m_pictureCount;
    if (n >= infoblock::kMaxPictures) {
      throw Error(kTooManyPictures);
    }
    const auto& [w, h, a, length] = row->values;
    const std::uint32_t address = a + Running();  // 32-bit flash address, as the module reads it
    m_block.PutPicture(n, {w, h, address, length});
    const std::string number = kind == BinKind::Picture ? "---Picture No." + std::to_string(n) : "";
    AppendRow(m_report, {"{", Decimal(w), ",", Decimal(h), ",", Hex8(address), ",", Hex8(length), "}",
                         row->comment, number});
    switch (kind) {
      case BinKind::Number:
      case BinKind::ColorNum: {
        auto& sets = kind == BinKind::Number ? m_sets.number.sets : m_sets.colorNum.sets;
        if (j == 1) {
          sets[index] = {n - 1, n + 10};
        }
        break;
      }
      case BinKind::KeyNum:
        if (j == 1) {
          m_sets.keyNum.sets[index].first = n - 1;
        }
        break;
      case BinKind::Gif:
        if (j == 1) {
          m_sets.gif.sets[index].first = n;
        }
        if (j == lines.size() - 1) {
          m_sets.gif.sets[index].last = n;
        }
        break;
      default:
        break;
    }
    ++m_pictureCount;
  }
  if (kind == BinKind::KeyNum) {
    m_sets.keyNum.sets[index].last = m_pictureCount - 1;
  }
}

void ResourcePasses::RunFont() {
  for (const std::string& name : m_binList) {
    if (infoblock::KindOfBin(name) != BinKind::Font) {
      continue;
    }
    const std::uint64_t size = SizeOf(name);
    if (size > 0) {
      const FontSlot slot = FontSlotOfName(name);
      const auto length = static_cast<std::uint32_t>(size);
      m_block.PutFont(slot.slot, {slot.sizeCode, Running(), length});
      AppendRow(m_report,
                {"{", std::to_string(slot.sizeCode), ",", Hex8(Running()), ",", Hex8(length), "},//", name});
    }
    Place(name, BinKind::Font, size);
  }
}

void ResourcePasses::RunSound() {
  int number = 0;
  for (const std::string& name : m_binList) {
    if (infoblock::KindOfBin(name) != BinKind::Wav) {
      continue;
    }
    const std::uint64_t size = SizeOf(name);
    if (size > 0) {
      if (number >= infoblock::kMaxSounds) {
        throw Error(kTooManySounds);
      }
      const auto length = static_cast<std::uint32_t>(size);
      m_block.PutSound(number, {static_cast<std::uint8_t>(number), Running(), length});
      AppendRow(m_report,
                {"{", std::to_string(number), ",", Hex8(Running()), ",", Hex8(length), "},//", name});
      ++number;
    }
    Place(name, BinKind::Wav, size);
  }
}

void ResourcePasses::RunCursor() {
  int count = 0;
  for (const std::string& name : m_binList) {
    if (infoblock::KindOfBin(name) != BinKind::Cursor) {
      continue;
    }
    const std::uint64_t size = SizeOf(name);
    if (size > 0) {
      if (count >= infoblock::kMaxCursors) {
        throw Error(kTooManyCursors);
      }
      const auto length = static_cast<std::uint32_t>(size);
      m_block.PutCursor(count++, {Running(), length});
      AppendRow(m_report, {"{", Hex8(Running()), ",", Hex8(length), "},//", name});
    }
    Place(name, BinKind::Cursor, size);
  }
}

}  // namespace panelix::project
