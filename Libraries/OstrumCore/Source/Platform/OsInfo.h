// The operating system's name and version as the kernel reports them (uname).
//
// A plain value. Not shared between threads without the caller's lock.
#pragma once

#include <string>

namespace ostrum::io {
class OutputStream;
}  // namespace ostrum::io

namespace ostrum {

class OsInfo
{
public:
    // Empty; detected when detect is set.
    explicit OsInfo(bool detect);

    // Writes "<OsInfo .../>" (or only the attributes when element is false); returns 0.
    int writeXml(io::OutputStream* out, bool element) const;

    bool ready = false;
    // The system and its release, such as "Linux 6.1.0".
    std::string name;
    // The kernel's build version text.
    std::string version;
};

}  // namespace ostrum
