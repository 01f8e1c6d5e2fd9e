// Positioning of a C runtime FILE handle in the terms of the library's streams, shared by the
// file input and output streams.
#pragma once

#include <cstdio>

namespace ostrum::io {

// Moves the handle to offset from the origin (0 start, 1 current, 2 end, anything else the
// start); IOException when the position cannot be reached.
void seekFileHandle(std::FILE* file, int origin, int offset);
// The handle's position; IOException when it cannot be read or does not fit 32 bits.
int fileHandlePosition(std::FILE* file);

}  // namespace ostrum::io
