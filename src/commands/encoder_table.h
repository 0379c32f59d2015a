#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <span>

namespace panelix::commands {

// How a command record is laid out.
enum class RecordForm {
  Plain,        // the parameter bytes only
  LengthByte,   // one byte with the record's total length, then the parameter bytes
  SingleValue,  // the whole parameter list is one number, written as one byte
  GifSet,       // 88h: plain, or with "GIF" the last byte names a GIF set
  NumberSet,    // 90h: plain, or with "PT" the first byte names a Number set
  ColorNumSet,  // 91h: plain, or with "CPT" the first byte names a ColorNum set
  KeyNumSet,    // A4h: only with "KPT"; parameter 4 names a KeyNum set
};

// Indices from `from` on (up to the next run) are written `width` bytes wide.
struct WidthRun {
  std::uint8_t from;
  std::uint8_t width;
};

// The byte width of every parameter of one record layout, by the parameter's index: runs of
// indices with one width each, the last run covering every further index, or, for layouts that
// repeat, a cycle of widths from a given index on.
class WidthRule {
 public:
  static constexpr std::size_t kMaxRuns = 12;
  static constexpr std::size_t kMaxCycle = 5;

  constexpr WidthRule(std::initializer_list<WidthRun> runs) { SetRuns(runs); }
  constexpr WidthRule(std::initializer_list<WidthRun> runs, std::uint8_t cycleFrom,
                      std::initializer_list<std::uint8_t> cycle)
      : m_cycleFrom(cycleFrom) {
    SetRuns(runs);
    for (const std::uint8_t width : cycle) {
      m_cycle[m_cycleLength++] = width;
    }
  }

  constexpr std::size_t Width(std::size_t index) const {
    if (m_cycleLength > 0 && index >= m_cycleFrom) {
      return m_cycle[(index - m_cycleFrom) % m_cycleLength];
    }
    std::size_t width = m_runs[0].width;
    for (std::size_t i = 0; i < m_runCount && m_runs[i].from <= index; ++i) {
      width = m_runs[i].width;
    }
    return width;
  }

 private:
  constexpr void SetRuns(std::initializer_list<WidthRun> runs) {
    for (const WidthRun& run : runs) {
      m_runs[m_runCount++] = run;
    }
  }

  std::array<WidthRun, kMaxRuns> m_runs{};
  std::size_t m_runCount = 0;
  std::uint8_t m_cycleFrom = 0;
  std::array<std::uint8_t, kMaxCycle> m_cycle{};
  std::size_t m_cycleLength = 0;
};

// One command code that has an encoder. `widths` is the layout of the plain form (for A4h the
// layout with "KPT"); `keywordWidths` that of the set-lookup form of 88h, 90h and 91h.
// A record shorter than `minimumLength` is not taken into the flash image.
struct EncoderRow {
  std::uint8_t code;
  RecordForm form;
  const WidthRule* widths;
  const WidthRule* keywordWidths;
  std::uint8_t minimumLength;
};

// The row of a code, or nullptr when the code has no encoder.
const EncoderRow* FindEncoder(int code);

}  // namespace panelix::commands
