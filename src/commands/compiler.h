#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "infoblock/command_interface.h"

namespace panelix::commands {

// A project needs more lines than this before its commands are compiled or checked.
inline constexpr std::size_t kMinProjectLines = 10;

// Position of the first line that contains "[USERCMD]", if any.
std::optional<std::size_t> FindUserCommandLine(const std::vector<std::string>& lines);

// The code whose command name begins the normalized line, if any (case-sensitive: "8ah" is none).
std::optional<int> CommandCodeOf(std::string_view normalized);

}  // namespace panelix::commands
