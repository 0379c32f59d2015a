#include "output/output_names.h"

#include "base/error.h"
#include "output/messages.h"

namespace panelix::output {

std::string OutputBinName(std::string_view chosen) {
  if (chosen.empty()) {
    throw Error(kErrorFileName);
  }
  std::string name(chosen);
  if (name.find(".bin") == std::string::npos) {
    name += ".bin";
  }
  return name;
}

std::string SideFileName(std::string_view outputName, std::string_view ending) {
  const auto cut = outputName.find(".bin");
  std::string name(outputName.substr(0, cut));
  name += ending;
  return name;
}

std::string AddressListName(std::string_view outputName) {
  return SideFileName(outputName, "-Addr.txt");
}

}  // namespace panelix::output
