#include "base/allocation.h"

#include <malloc.h>

namespace panelix {

void ReuseLargeBuffers() {
#if defined(__GLIBC__)
  mallopt(M_MMAP_THRESHOLD, 64 << 20);
  mallopt(M_TRIM_THRESHOLD, 128 << 20);
#endif
}

}  // namespace panelix
