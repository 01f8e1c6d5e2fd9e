// The machine's physical memory: total and available bytes, as the kernel reports them.
//
// A plain value; refresh re-reads it. Not shared between threads without the caller's lock.
#pragma once

#include <cstdint>

namespace ostrum::io {
class OutputStream;
}  // namespace ostrum::io

namespace ostrum {

class MemoryInfo
{
public:
    // Zeroed; read when detect is set.
    explicit MemoryInfo(bool detect);

    // Re-reads the memory figures; false (old values kept) when the kernel cannot tell.
    bool refresh();
    // Writes "<MemoryInfo .../>" (or only the attributes when element is false); returns 0.
    int writeXml(io::OutputStream* out, bool element) const;

    bool ready = false;
    uint64_t physicalTotal = 0;
    uint64_t physicalAvailable = 0;
};

}  // namespace ostrum
