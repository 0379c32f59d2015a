#include "commands/encoders.h"

#include "base/error.h"

namespace panelix::commands {

namespace {

void AppendValue(Record& record, std::uint32_t value, std::size_t width) {
  for (std::size_t i = width; i-- > 0;) {
    record.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
  }
}

Record EncodeLengthByte(std::string_view normalized, const WidthRule& widths) {
  Record record{0};
  const Record parameters = EncodeParameters(normalized, widths);
  record.insert(record.end(), parameters.begin(), parameters.end());
  if (record.size() > kMaxLengthByteRecord) {
    constexpr std::size_t kShown = 40;
    const std::string shown = normalized.size() > kShown ? std::string(normalized.substr(0, kShown)) + "..."
                                                         : std::string(normalized);
    throw Error("Command record too long (" + std::to_string(record.size()) + " bytes, at most " +
                std::to_string(kMaxLengthByteRecord) + "): " + shown);
  }
  record[0] = static_cast<std::uint8_t>(record.size());
  return record;
}

// The whole parameter list, commas included, read as one number written as one byte.
Record EncodeSingleValue(std::string_view normalized) {
  const std::size_t colon = normalized.find(':');
  std::string token;
  for (const char c : normalized.substr(colon == std::string_view::npos ? 0 : colon + 1)) {
    if (c == '/') {
      // An empty token before the comment mark is rejected like any other empty parameter.
      return {static_cast<std::uint8_t>(ParseCommandNumber(token))};
    }
    if (IsTokenChar(c, TokenChars::HexNotation)) {
      token.push_back(c);
    }
  }
  if (token.empty()) {
    return {};
  }
  return {static_cast<std::uint8_t>(ParseCommandNumber(token))};
}

}  // namespace

Record EncodeParameters(std::string_view normalized, const WidthRule& widths, TokenChars chars) {
  Record record;
  const std::vector<std::string> tokens = SplitParameters(normalized, chars);
  for (std::size_t index = 0; index < tokens.size(); ++index) {
    AppendValue(record, ParseCommandNumber(tokens[index]), widths.Width(index));
  }
  return record;
}

Record EncodeCommand(int code, std::string_view normalized, const infoblock::SetTables& sets) {
  const EncoderRow* row = FindEncoder(code);
  if (row == nullptr) {
    return {};
  }
  switch (row->form) {
    case RecordForm::Plain:
      return EncodeParameters(normalized, *row->widths);
    case RecordForm::LengthByte:
      return EncodeLengthByte(normalized, *row->widths);
    case RecordForm::SingleValue:
      return EncodeSingleValue(normalized);
    case RecordForm::GifSet:
    case RecordForm::NumberSet:
    case RecordForm::ColorNumSet:
    case RecordForm::KeyNumSet:
      return EncodeSetCommand(*row, normalized, sets);
  }
  return {};
}

}  // namespace panelix::commands
