#pragma once

#include <string>
#include <string_view>

namespace panelix::output {

// The output bin's name from the name the user chose in the save dialog: the name itself when it
// contains ".bin" anywhere (case-sensitive, so "set.bin.old" stays as it is), else the name with
// ".bin" appended ("logo" -> "logo.bin", "x.BIN" -> "x.BIN.bin"). An empty name throws
// panelix::Error "Error file's name".
std::string OutputBinName(std::string_view chosen);

// The address list's name for an output bin: the name cut before its first ".bin", followed by
// "-Addr.txt" ("/ui/Picture-main.bin" -> "/ui/Picture-main-Addr.txt", "set.bin.old" ->
// "set-Addr.txt"). A name without ".bin" just gets "-Addr.txt" appended.
std::string AddressListName(std::string_view outputName);

// The same cut with another ending, for converters whose side files follow the address-list naming
// (for example a data text beside a sound bin).
std::string SideFileName(std::string_view outputName, std::string_view ending);

}  // namespace panelix::output
