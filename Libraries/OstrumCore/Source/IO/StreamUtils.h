// Helpers over the library's output streams.
#pragma once

#include <cstdint>

namespace ostrum::io {

class OutputStream;

// Writes all length bytes, calling write again for what a call left unwritten. True when all
// were written (also for 0 bytes); false when a write makes no progress (a result of 0 or
// below), so that a stream that stops taking bytes ends the loop.
bool writeFully(OutputStream* out, const uint8_t* buffer, uint32_t length);

}  // namespace ostrum::io
