#pragma once

namespace panelix {

// Asks the C library to keep freed picture-sized buffers for the next picture instead of handing
// them back to the system at once: a run decodes and encodes hundreds of pictures of the same
// size, and fresh memory for each one costs a page fault per 4 KiB. Buffers up to 64 MiB come from
// the heap, and up to 128 MiB of freed memory is kept. Call once, at start-up.
void ReuseLargeBuffers();

}  // namespace panelix
