// JPEG decoding through libjpeg's scanline interface: rows are stored as they arrive, so a file
// whose header declares a large picture but whose data is missing costs no more memory than the
// rows it really holds, and the decoder's warnings reach the user instead of being dropped.
#include <algorithm>
#include <csetjmp>
#include <cstdio>
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

// The part of decoding that libjpeg may leave by a long jump: its frame holds nothing with a
// destructor. Returns false with reporter.error set on failure.
bool Decode(Decompressor& d, Reporter& reporter, std::span<const std::uint8_t> file,
            const DecodeLimits& limits, RgbImage& image, std::string& limitError) {
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
  image.width = static_cast<std::int32_t>(cinfo.output_width);
  image.height = static_cast<std::int32_t>(cinfo.output_height);
  const std::size_t stride = std::size_t{3} * cinfo.output_width;
  // Grow with the rows that arrive; a well-formed file rarely needs more than this up front.
  image.rgb.reserve(std::min(stride * cinfo.output_height, 64 * file.size() + 65536));
  while (cinfo.output_scanline < cinfo.output_height) {
    const std::size_t y = cinfo.output_scanline;
    image.rgb.resize(stride * (y + 1));
    JSAMPROW row = image.rgb.data() + stride * y;
    jpeg_read_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_decompress(&cinfo);
  return true;
}

}  // namespace

RgbImage DecodeJpeg(std::span<const std::uint8_t> file, const DecodeLimits& limits,
                    std::vector<std::string>* warnings) {
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
  RgbImage image;
  std::string limitError;
  if (!Decode(d, reporter, file, limits, image, limitError)) {
    if (!limitError.empty()) {
      throw Error(limitError);
    }
    throw Error(std::string(kJpegDamaged) + ": " + reporter.error + ".");
  }
  return image;
}

}  // namespace panelix::picture
