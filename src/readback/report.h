#pragma once

#include <string>

#include "readback/inspection.h"

namespace panelix::inspect {

// The inspection as text for a terminal: block size, build time, [INFO] keys, the bootloader as
// `panelix bootloader` flags, the tables, the command lines, and the problems or "OK".
std::string InspectionText(const Inspection& inspection);

// The inspection as one JSON document, keys "blockSize", "buildTime", "info", "bootloader",
// "pictures", "fonts", "sounds", "cursors", "sets", "commands" and "problems".
std::string InspectionJson(const Inspection& inspection);

}  // namespace panelix::inspect
