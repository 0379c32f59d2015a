// Feeds arbitrary text to the manifest reader: it either gives a manifest or a message that
// names a line, and a manifest it gives always plans.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "base/error.h"
#include "build/manifest.h"
#include "build/plan.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace panelix;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  try {
    const build::Manifest manifest = build::ReadManifest(text, "m.toml");
    build::PlanBuild(manifest, "/fuzz/m.toml");
  } catch (const Error&) {
  }
  return 0;
}
