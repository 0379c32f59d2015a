// Writes the hostile inputs of hostile_inputs.h into a folder: the fuzz targets' seed corpora
// keep them (fuzz/corpus/picture and fuzz/corpus/gif).
#include <fstream>
#include <iostream>
#include <string>

#include "hostile_inputs.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: write_hostile_inputs FOLDER\n";
    return 1;
  }
  for (const auto& input : panelix::picture::hostile::HostileInputs()) {
    const std::string path = std::string(argv[1]) + "/" + input.name;
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(input.bytes.data()),
              static_cast<std::streamsize>(input.bytes.size()));
    if (!out) {
      std::cerr << "cannot write " << path << "\n";
      return 1;
    }
    std::cout << path << " " << input.bytes.size() << " bytes\n";
  }
  return 0;
}
