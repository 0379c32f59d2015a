// The commands that name a picture set by its number (GIF, Number, ColorNum and KeyNum sets) get
// the picture numbers of the set's first and last picture in its place, so the module's firmware
// reads the picture range directly.
#include <string_view>

#include "commands/encoders.h"

namespace panelix::commands {

namespace {

// A keyword switches the set lookup on when it stands anywhere after the line's first character
// (the command name stands there). Case-sensitive.
bool KeywordCounts(std::string_view normalized, std::string_view keyword) {
  return normalized.find(keyword, 1) != std::string_view::npos;
}

template <int Capacity>
const infoblock::PictureSet* FindSet(const infoblock::SetTable<Capacity>& table, int n) {
  if (!table.Has(n) || n >= Capacity) {
    return nullptr;
  }
  return &table.sets[static_cast<std::size_t>(n)];
}

// First and last picture number of a set, low 16 bits of each, big-endian.
Record PictureRange(const infoblock::PictureSet& set) {
  const auto first = static_cast<std::uint32_t>(set.first);
  const auto last = static_cast<std::uint32_t>(set.last);
  return {static_cast<std::uint8_t>(first >> 8), static_cast<std::uint8_t>(first),
          static_cast<std::uint8_t>(last >> 8), static_cast<std::uint8_t>(last)};
}

// 88h with "GIF": decimal digits only; the record's last byte is the GIF set number.
Record EncodeGif(const EncoderRow& row, std::string_view normalized, const infoblock::SetTables& sets) {
  Record record = EncodeParameters(normalized, *row.keywordWidths, TokenChars::DigitsOnly);
  if (record.empty()) {
    return record;
  }
  if (const auto* set = FindSet(sets.gif, record.back())) {
    record.pop_back();
    const Record range = PictureRange(*set);
    record.insert(record.end(), range.begin(), range.end());
  }
  return record;
}

// 90h with "PT", 91h with "CPT": the record's first byte is the set number.
template <int Capacity>
Record EncodeNumberLookup(const EncoderRow& row, std::string_view normalized,
                          const infoblock::SetTable<Capacity>& table) {
  Record record = EncodeParameters(normalized, *row.keywordWidths);
  if (record.empty()) {
    return record;
  }
  if (const auto* set = FindSet(table, record.front())) {
    Record looked = PictureRange(*set);
    looked.insert(looked.end(), record.begin() + 1, record.end());
    return looked;
  }
  return record;
}

// A4h with "KPT": two length bytes, parameters 0..3, the KeyNum set's picture range in place of
// parameter 4, then the rest. No record without the keyword, without a parameter 4 or for a set
// that does not exist.
Record EncodeKeyNum(const EncoderRow& row, std::string_view normalized, const infoblock::SetTables& sets) {
  constexpr std::size_t kSetByte = 4;
  if (!KeywordCounts(normalized, "KPT")) {
    return {};
  }
  const Record work = EncodeParameters(normalized, *row.widths);
  if (work.size() <= kSetByte) {
    return {};
  }
  const auto* set = FindSet(sets.keyNum, work[kSetByte]);
  if (set == nullptr) {
    return {};
  }
  const std::size_t length = work.size() + 5;
  Record record{static_cast<std::uint8_t>(length >> 8), static_cast<std::uint8_t>(length)};
  record.insert(record.end(), work.begin(), work.begin() + kSetByte);
  const Record range = PictureRange(*set);
  record.insert(record.end(), range.begin(), range.end());
  record.insert(record.end(), work.begin() + kSetByte + 1, work.end());
  return record;
}

}  // namespace

Record EncodeSetCommand(const EncoderRow& row, std::string_view normalized,
                        const infoblock::SetTables& sets) {
  switch (row.form) {
    case RecordForm::GifSet:
      return KeywordCounts(normalized, "GIF") ? EncodeGif(row, normalized, sets)
                                              : EncodeParameters(normalized, *row.widths);
    case RecordForm::NumberSet:
      return KeywordCounts(normalized, "PT") ? EncodeNumberLookup(row, normalized, sets.number)
                                             : EncodeParameters(normalized, *row.widths);
    case RecordForm::ColorNumSet:
      return KeywordCounts(normalized, "CPT") ? EncodeNumberLookup(row, normalized, sets.colorNum)
                                              : EncodeParameters(normalized, *row.widths);
    case RecordForm::KeyNumSet:
      return EncodeKeyNum(row, normalized, sets);
    default:
      return EncodeParameters(normalized, *row.widths);
  }
}

}  // namespace panelix::commands
