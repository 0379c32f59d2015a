#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/error.h"
#include "base/files.h"
#include "base/progress.h"
#include "infoblock/info_block.h"
#include "infoblock/set_tables.h"
#include "project/resource_passes.h"

namespace panelix::project {

// What Make Bin works from: the project window's two lists as they stand, the bin folder, the
// block size S and the build time (the window passes the local clock, the CLI a fixed time).
struct MakeBinInput {
  std::filesystem::path binFolder;
  std::vector<std::string> binList;      // file names without folder, in list order
  std::vector<std::string> commandList;  // the project's lines as bytes in the 8-bit code page
  std::size_t blockSize = infoblock::kLargeBlockSize;
  infoblock::BuildTime buildTime{};
};

// A built info block with everything the three outputs need.
struct BuiltImage {
  std::unique_ptr<infoblock::InfoBlock> block;
  std::string report;                         // report rows, each ended by CR LF (UTF-8)
  std::vector<PlacedBin> bins;                // the bins of the flash image, in image order
  std::vector<std::filesystem::path> inputs;  // every file read: the bins, bootloader, address lists
  infoblock::SetTables sets;                  // as the command compiler saw them
  int pictureCount = 0;
};

// The [INFO] section could not be read: what() is "Module info error!"; Missing() says what was
// not found ("" when the project has ten lines or fewer, "[INFO]", or the key's name).
class InfoSectionError : public Error {
 public:
  explicit InfoSectionError(std::string missing)
      : Error("Module info error!"), m_missing(std::move(missing)) {}
  const std::string& Missing() const { return m_missing; }

 private:
  std::string m_missing;
};

// Receives the order report (one item per memo line) when the order check stops Make Bin.
using OrderReportFn = std::function<void(const std::vector<std::string>& lines)>;

// Builds the info block: order check, [INFO] section, bootloader copy, the resource passes, the
// picture count, the command compiler and the build time. Messages that do not stop the build
// go to message. Returns nothing when the order check stops the build: its report went to
// orderReport (a project of more than ten lines without "[USERCMD]" stops with no report at all).
// Every other stop throws panelix::Error with the user's message ("There aren't any picture
// data!", "There aren't any info data!", InfoSectionError, "Open <list> fail!", "Can't open <bin>",
// a full table, a command region past its end) or ConversionError; nothing is written by this step.
std::optional<BuiltImage> BuildInfoBlock(const MakeBinInput& input, const MessageFn& message,
                                         const OrderReportFn& orderReport);

// The info bin's file name from the name confirmed in the save dialog: ".bin" appended unless the
// name contains it. Throws panelix::Error "Error file's name" for an empty name. The flash image's
// name follows the same rule.
std::string InfoBinName(std::string_view chosen);
// The report's file name from the same confirmed name (not the one with ".bin" appended): ".txt"
// appended unless the name contains it ("demo" -> "demo.txt", "demo.bin" -> "demo.bin.txt").
std::string ReportName(std::string_view chosen);

// Writes the first S bytes of the block as the info bin, replacing any file of that name whole.
// Throws panelix::Error "open Creat file error!\n" when it cannot be written.
void WriteInfoBin(const std::filesystem::path& path, const BuiltImage& image);
// Writes the report in the system's 8-bit code page; same failure as WriteInfoBin.
void WriteReport(const std::filesystem::path& path, const BuiltImage& image);
// Writes the flash image: the first S bytes of the block, then every bin whole in image order,
// copied in fixed-size pieces so no bin is ever held in memory whole. The image replaces any file
// of that name only once it is complete. Throws panelix::Error "Can't open <path>" when the image
// cannot be created or a bin cannot be opened, and a message of its own when a bin's size changed
// since the block was built (its flash addresses would be wrong). progress gets bytes written and
// the image size; when it returns false the image is not written and false is returned.
bool WriteFlashImage(const std::filesystem::path& path, const BuiltImage& image,
                     const ProgressFn& progress = NoProgress);

// Make Bin's three outputs (info bin, report, flash image) written to temporary files and put in
// place together by Commit(); until then, and when any step fails, the old files stay exactly as
// they were. Every output is checked against the files the image was built from (and the more
// inputs given, such as the project file) and the other outputs before it is written:
// "The output X would overwrite the input Y." / "The outputs X and Y are the same file."
class MakeOutputs {
 public:
  explicit MakeOutputs(const BuiltImage& image, std::vector<std::filesystem::path> moreInputs = {});

  // Writes the info bin and the report. Throws panelix::Error "open Creat file error!\n" when they
  // cannot be written.
  void WriteInfo(const std::filesystem::path& infoPath, const std::filesystem::path& reportPath);
  // Writes the flash image as WriteFlashImage does; false when progress asked to stop.
  bool WriteImage(const std::filesystem::path& path, const ProgressFn& progress = NoProgress);
  // Puts every output written so far in place. Throws the failing output's message.
  void Commit();

 private:
  void Check(const std::vector<std::filesystem::path>& more);

  const BuiltImage& m_image;
  std::vector<std::filesystem::path> m_inputs;
  OutputFiles m_files;
  std::vector<std::filesystem::path> m_outputs;
};

}  // namespace panelix::project
