// JPEG decoding through libjpeg's scanline interface: rows are stored as they arrive, so a file
// whose header declares a large picture but whose data is missing costs no more memory than the
// rows it really holds, and the decoder's warnings reach the user instead of being dropped.
#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <exception>
// jpeglib.h needs size_t and FILE declared first.
#include <jerror.h>
#include <jpeglib.h>

#include "base/error.h"
#include "picture/decode_checks.h"
#include "picture/decoders.h"

namespace panelix::picture {

namespace {

constexpr const char* kJpegDamaged = "The JPEG file is damaged";
// Distinct warning texts kept per picture; a damaged stream can repeat one for every block.
constexpr std::size_t kMaxWarnings = 8;

// libjpeg reports through this: errors jump back to the decoding function, warnings are collected,
// and data that ends before the first scan is complete counts as an error.
struct Reporter {
  jpeg_error_mgr manager{};
  std::jmp_buf jump{};
  char error[JMSG_LENGTH_MAX] = {};
  std::vector<std::string>* warnings = nullptr;
};

Reporter& ReporterOf(j_common_ptr cinfo) {
  // The manager is the first member, so the pointer libjpeg holds is the reporter's.
  return *reinterpret_cast<Reporter*>(cinfo->err);
}

[[noreturn]] void OnError(j_common_ptr cinfo) {
  Reporter& reporter = ReporterOf(cinfo);
  cinfo->err->format_message(cinfo, reporter.error);
  std::longjmp(reporter.jump, 1);
}

// True while the first scan still lacks some of its rows of blocks.
bool InFirstScan(j_common_ptr cinfo) {
  if (cinfo->is_decompressor == 0) {
    return false;
  }
  const auto* d = reinterpret_cast<j_decompress_ptr>(cinfo);
  return d->input_scan_number <= 1 && d->input_iMCU_row < d->total_iMCU_rows;
}

void OnMessage(j_common_ptr cinfo, int level) {
  if (level >= 0) {
    return;  // trace messages
  }
  Reporter& reporter = ReporterOf(cinfo);
  if (cinfo->err->msg_code == JWRN_JPEG_EOF && InFirstScan(cinfo)) {
    // Not a single whole picture is there to show; stop before any more rows are made up.
    OnError(cinfo);
  }
  ++cinfo->err->num_warnings;
  char text[JMSG_LENGTH_MAX] = {};
  cinfo->err->format_message(cinfo, text);
  auto& warnings = *reporter.warnings;
  if (warnings.size() < kMaxWarnings && std::find(warnings.begin(), warnings.end(), text) == warnings.end()) {
    warnings.emplace_back(text);
  }
}

struct Decompressor {
  jpeg_decompress_struct cinfo{};
  Decompressor() = default;
  Decompressor(const Decompressor&) = delete;
  Decompressor& operator=(const Decompressor&) = delete;
  ~Decompressor() { jpeg_destroy_decompress(&cinfo); }
};

// Where decoded rows go: a whole picture, or one row at a time to the caller.
class RowSink {
 public:
  virtual ~RowSink() = default;
  // The output size is known; false leaves the file undecoded.
  virtual bool Start(JDIMENSION width, JDIMENSION height, std::size_t fileSize) = 0;
  // The buffer for row y, 3 bytes a pixel.
  virtual JSAMPROW Row(std::size_t y) = 0;
  virtual void RowDone(std::size_t y) = 0;
};

// The whole picture, growing with the rows that arrive; a well-formed file rarely needs more than
// its reservation.
class ImageSink final : public RowSink {
 public:
  explicit ImageSink(RgbImage& image) : m_image(image) {}
  bool Start(JDIMENSION width, JDIMENSION height, std::size_t fileSize) override {
    m_image.width = static_cast<std::int32_t>(width);
    m_image.height = static_cast<std::int32_t>(height);
    m_stride = std::size_t{3} * width;
    m_image.rgb.reserve(std::min(m_stride * height, 64 * fileSize + 65536));
    return true;
  }
  JSAMPROW Row(std::size_t y) override {
    m_image.rgb.resize(m_stride * (y + 1));
    return m_image.rgb.data() + m_stride * y;
  }
  void RowDone(std::size_t /*y*/) override {}

 private:
  RgbImage& m_image;
  std::size_t m_stride = 0;
};

// The part of decoding that libjpeg may leave by a long jump: its frame holds nothing with a
// destructor, and nothing is thrown through it (the sink's exceptions are kept in thrown). Returns
// false with reporter.error, limitError or thrown set on failure, and false with none of them set
// when the sink declined the file.
bool Decode(Decompressor& d, Reporter& reporter, std::span<const std::uint8_t> file,
            const DecodeLimits& limits, RowSink& sink, std::string& limitError, std::exception_ptr& thrown) {
  jpeg_decompress_struct& cinfo = d.cinfo;
  if (setjmp(reporter.jump) != 0) {
    return false;
  }
  jpeg_create_decompress(&cinfo);
  jpeg_mem_src(&cinfo, file.data(), static_cast<unsigned long>(file.size()));
  jpeg_read_header(&cinfo, TRUE);
  try {
    detail::CheckDimensions(cinfo.image_width, cinfo.image_height, limits, "The JPEG file");
  } catch (const Error& e) {
    limitError = e.what();
    return false;
  }
  // Full scale, accurate integer IDCT and smooth upsampling: the decoder's defaults.
  cinfo.out_color_space = JCS_RGB;
  jpeg_start_decompress(&cinfo);
  try {
    if (!sink.Start(cinfo.output_width, cinfo.output_height, file.size())) {
      return false;
    }
    while (cinfo.output_scanline < cinfo.output_height) {
      const std::size_t y = cinfo.output_scanline;
      JSAMPROW row = sink.Row(y);
      jpeg_read_scanlines(&cinfo, &row, 1);
      sink.RowDone(y);
    }
  } catch (...) {
    thrown = std::current_exception();
    return false;
  }
  jpeg_finish_decompress(&cinfo);
  return true;
}

// Decodes into the sink; false when the sink declined the file.
bool DecodeInto(std::span<const std::uint8_t> file, const DecodeLimits& limits,
                std::vector<std::string>* warnings, RowSink& sink) {
  if (file.size() > 0xFFFFFFFFUL) {
    throw Error(std::string(kJpegDamaged) + ": the file is too large.");
  }
  std::vector<std::string> ignored;
  Reporter reporter;
  reporter.warnings = warnings != nullptr ? warnings : &ignored;
  Decompressor d;
  d.cinfo.err = jpeg_std_error(&reporter.manager);
  reporter.manager.error_exit = OnError;
  reporter.manager.emit_message = OnMessage;
  std::string limitError;
  std::exception_ptr thrown;
  if (Decode(d, reporter, file, limits, sink, limitError, thrown)) {
    return true;
  }
  if (thrown) {
    std::rethrow_exception(thrown);
  }
  if (!limitError.empty()) {
    throw Error(limitError);
  }
  if (reporter.error[0] != '\0') {
    throw Error(std::string(kJpegDamaged) + ": " + reporter.error + ".");
  }
  return false;
}

}  // namespace

RgbImage DecodeJpeg(std::span<const std::uint8_t> file, const DecodeLimits& limits,
                    std::vector<std::string>* warnings) {
  RgbImage image;
  ImageSink sink(image);
  DecodeInto(file, limits, warnings, sink);
  return image;
}

namespace detail {

bool DecodeJpegByRow(std::span<const std::uint8_t> file, const DecodeLimits& limits,
                     std::vector<std::string>* warnings, const RowStartFn& start, const RowFn& row) {
  // One row at a time to the caller, which holds the whole picture in its own form from the start:
  // so only for files whose data could fill it, by the same measure as DecodeJpeg's reservation.
  class CallerSink final : public RowSink {
   public:
    CallerSink(const RowStartFn& start, const RowFn& row) : m_start(start), m_row(row) {}
    bool Start(JDIMENSION width, JDIMENSION height, std::size_t fileSize) override {
      if (std::size_t{3} * width * height > 64 * fileSize + 65536) {
        return false;
      }
      m_buffer.resize(std::size_t{3} * width);
      m_start(static_cast<std::int32_t>(width), static_cast<std::int32_t>(height));
      return true;
    }
    JSAMPROW Row(std::size_t /*y*/) override { return m_buffer.data(); }
    void RowDone(std::size_t y) override { m_row(static_cast<std::int32_t>(y), m_buffer.data(), nullptr); }

   private:
    const RowStartFn& m_start;
    const RowFn& m_row;
    std::vector<std::uint8_t> m_buffer;
  } sink(start, row);
  return DecodeInto(file, limits, warnings, sink);
}

}  // namespace detail

}  // namespace panelix::picture
