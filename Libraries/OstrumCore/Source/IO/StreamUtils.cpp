#include "Libraries/OstrumCore/Source/IO/StreamUtils.h"

#include "Libraries/OstrumCore/Source/IO/OutputStream.h"

#include <algorithm>
#include <limits>

namespace ostrum::io {

bool writeFully(OutputStream* out, const uint8_t* buffer, uint32_t length)
{
    uint32_t written = 0;
    while (written < length)
    {
        const auto chunk = static_cast<int>(
            std::min<uint32_t>(length - written, static_cast<uint32_t>(std::numeric_limits<int>::max())));
        const int n = out->write(buffer + written, chunk);
        if (n <= 0)
        {
            return false;
        }
        written += static_cast<uint32_t>(std::min(n, chunk));
    }
    return true;
}

}  // namespace ostrum::io
