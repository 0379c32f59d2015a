// Builds the bootloader block from any parameter values: always 367 bytes, never a fault; the only
// refusal is the memory clock that leaves no refresh period.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "base/error.h"
#include "bootloader/register_script.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using panelix::bootloader::BootloaderParameters;
  BootloaderParameters p;
  std::int32_t* fields[] = {&p.xsize,  &p.hspw,   &p.hsbp,   &p.hsfp,   &p.ysize,     &p.vspw,
                            &p.vsbp,   &p.vsfp,   &p.lcdif,  &p.lcdrgb, &p.color,     &p.readCmd,
                            &p.addr32, &p.canvas, &p.speed,  &p.spi,    &p.flashAddr, &p.cclkOd,
                            &p.cclkR,  &p.cclkN,  &p.mclkOd, &p.mclkR,  &p.mclkN,     &p.sclkOd,
                            &p.sclkR,  &p.sclkN,  &p.ppre,   &p.pwmt,   &p.pwm};
  for (std::int32_t* field : fields) {
    if (size < 4) {
      break;
    }
    std::memcpy(field, data, 4);
    data += 4;
    size -= 4;
  }
  if (size > 0) {
    p.pclk = (data[0] & 1) != 0;
    p.hsync = (data[0] & 2) != 0;
    p.vsync = (data[0] & 4) != 0;
    p.dep = (data[0] & 8) != 0;
    p.dem = (data[0] & 16) != 0;
  }
  try {
    const auto block = panelix::bootloader::BuildBootloader(p);
    if (block.size() != panelix::bootloader::kBootloaderSize || block.back() != 0) {
      std::abort();
    }
    const auto limited = panelix::bootloader::LimitParameters(p);
    if (limited.pwm > limited.pwmt || limited.cclkR < 2 || limited.cclkR > 31 || limited.mclkOd > 3) {
      std::abort();
    }
    if (panelix::bootloader::BootloaderHexView(block).size() != 8 * 3 + 7 + 359 * 3 + 89 * 2) {
      std::abort();
    }
  } catch (const panelix::Error&) {
    if (p.mclkN != 0 && 1000 / p.mclkN != 0) {
      std::abort();
    }
  }
  return 0;
}
