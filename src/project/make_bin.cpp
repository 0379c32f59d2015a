#include "project/make_bin.h"

#include <fcntl.h>
#include <unistd.h>

#include <vector>

#include "base/codepage.h"
#include "base/files.h"
#include "commands/compiler.h"
#include "infoblock/bin_kinds.h"
#include "output/output_names.h"
#include "project/info_section.h"
#include "project/messages.h"

namespace panelix::project {

namespace {

constexpr std::size_t kMinimumCommandLines = 5;
// Bins are copied into the image in pieces of this size.
constexpr std::size_t kCopyChunk = 1 << 20;

// A bin opened for reading, closed when it goes.
class BinReader {
 public:
  explicit BinReader(const std::filesystem::path& path) : m_fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC)) {}
  ~BinReader() {
    if (m_fd >= 0) {
      ::close(m_fd);
    }
  }
  BinReader(const BinReader&) = delete;
  BinReader& operator=(const BinReader&) = delete;
  bool IsOpen() const { return m_fd >= 0; }
  int Descriptor() const { return m_fd; }

 private:
  int m_fd;
};

// Writes the flash image into out; false when progress asked to stop.
bool WriteImageInto(ReplacingFile& out, const BuiltImage& image, const ProgressFn& progress) {
  std::int64_t total = static_cast<std::int64_t>(image.block->Size());
  for (const PlacedBin& bin : image.bins) {
    total += static_cast<std::int64_t>(bin.size);
  }
  out.Write(image.block->Written());
  if (!progress(static_cast<std::int64_t>(out.Size()), total)) {
    return false;
  }
  for (const PlacedBin& bin : image.bins) {
    const std::string cantOpen = CantOpenMessage(bin.path);
    BinReader in(bin.path);
    if (!in.IsOpen()) {
      throw Error(cantOpen);
    }
    // Copied to the bin's end, not just its placed size, so that a bin grown since is noticed.
    std::uint64_t copied = 0;
    for (;;) {
      const std::uint64_t n = out.AppendFrom(in.Descriptor(), kCopyChunk, cantOpen);
      if (n == 0) {
        break;
      }
      copied += n;
      if (copied > bin.size) {
        break;
      }
      if (!progress(static_cast<std::int64_t>(out.Size()), total)) {
        return false;
      }
    }
    if (copied != bin.size) {
      throw Error(bin.path.string() + " has changed since Make Bin read it!");
    }
  }
  return true;
}

}  // namespace

std::optional<BuiltImage> BuildInfoBlock(const MakeBinInput& input, const MessageFn& message,
                                         const OrderReportFn& orderReport) {
  const bool noBins = input.binList.empty();
  const bool noInfo = input.commandList.size() < kMinimumCommandLines;
  if (noBins && noInfo) {
    message(kNoPictureData);
  }
  if (noInfo) {
    throw Error(kNoInfoData);
  }
  if (noBins) {
    throw Error(kNoPictureData);
  }

  BuiltImage image;
  image.block = std::make_unique<infoblock::InfoBlock>(input.blockSize);
  infoblock::InfoBlock& block = *image.block;

  const commands::OrderCheckResult order = commands::CheckCommandOrder(input.commandList);
  if (!order.ok) {
    if (!order.report.empty()) {
      orderReport(order.report);
    }
    return std::nullopt;
  }
  const InfoParseResult info = ParseInfoSection(input.commandList, block, message);
  if (!info.ok) {
    throw InfoSectionError(info.missing);
  }

  ResourcePasses passes(input.binFolder, input.binList, block, message);
  passes.CopyBootloader();
  for (infoblock::BinKind kind : infoblock::kBinKinds) {
    passes.Run(kind);
    if (kind == infoblock::BinKind::Gif) {
      block.PutPictureCount(passes.PictureCount());
    }
  }
  commands::CompileCommands(input.commandList, block, passes.Sets());
  block.PutBuildTime(input.buildTime);

  image.report = passes.Report();
  image.bins = passes.Placed();
  for (const PlacedBin& bin : image.bins) {
    image.inputs.push_back(bin.path);
  }
  image.inputs.insert(image.inputs.end(), passes.Read().begin(), passes.Read().end());
  image.sets = passes.Sets();
  image.pictureCount = passes.PictureCount();
  return image;
}

std::string InfoBinName(std::string_view chosen) {
  return output::OutputBinName(chosen);
}

std::string ReportName(std::string_view chosen) {
  std::string name(chosen);
  if (name.find(".txt") == std::string::npos) {
    name += ".txt";
  }
  return name;
}

void WriteInfoBin(const std::filesystem::path& path, const BuiltImage& image) {
  WriteFileReplacing(path, image.block->Written(), kCreateError);
}

void WriteReport(const std::filesystem::path& path, const BuiltImage& image) {
  WriteFileReplacing(path, std::string_view(EncodeCodePage(image.report, SystemCodePage())), kCreateError);
}

bool WriteFlashImage(const std::filesystem::path& path, const BuiltImage& image, const ProgressFn& progress) {
  ReplacingFile out(path, CantOpenMessage(path));
  if (!WriteImageInto(out, image, progress)) {
    return false;
  }
  out.Commit();
  return true;
}

MakeOutputs::MakeOutputs(const BuiltImage& image, std::vector<std::filesystem::path> moreInputs)
    : m_image(image), m_inputs(std::move(moreInputs)) {
  m_inputs.insert(m_inputs.end(), image.inputs.begin(), image.inputs.end());
}

void MakeOutputs::Check(const std::vector<std::filesystem::path>& more) {
  m_outputs.insert(m_outputs.end(), more.begin(), more.end());
  CheckOutputsApart(m_inputs, m_outputs);
}

void MakeOutputs::WriteInfo(const std::filesystem::path& infoPath, const std::filesystem::path& reportPath) {
  Check({infoPath, reportPath});
  m_files.Add(infoPath, kCreateError).Write(m_image.block->Written());
  m_files.Add(reportPath, kCreateError)
      .Write(std::string_view(EncodeCodePage(m_image.report, SystemCodePage())));
}

bool MakeOutputs::WriteImage(const std::filesystem::path& path, const ProgressFn& progress) {
  Check({path});
  return WriteImageInto(m_files.Add(path, CantOpenMessage(path)), m_image, progress);
}

void MakeOutputs::Commit() {
  m_files.Commit();
}

}  // namespace panelix::project
