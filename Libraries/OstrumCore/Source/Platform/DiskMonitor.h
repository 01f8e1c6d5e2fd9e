// Periodically measured space on the file system that holds the working directory: total
// bytes, free bytes and bytes available to this user.
//
// One thread initialises, updates and reads a monitor (no lock).
#pragma once

#include "Libraries/OstrumCore/Source/Utils/Updatable.h"

#include <cstdint>
#include <string>

namespace ostrum::utils::logging {
class Logger;
}  // namespace ostrum::utils::logging

namespace ostrum {

class DiskMonitor : public utils::Updatable
{
public:
    DiskMonitor();

    // Finds the file system of the working directory and reads its space once; false (logged
    // on "ostrum.DiskMonitor") when the directory cannot be resolved or measured.
    bool init();
    // Re-reads the space; a failure keeps the old figures and is logged.
    void update(const utils::Time& now, int elapsed) override;
    // Copies out (null pointers skipped); true.
    bool getSpace(uint64_t* total, uint64_t* totalFree, uint64_t* available) const;
    bool isReady() const;

private:
    utils::logging::Logger* m_logger = nullptr;
    // The absolute path whose file system is measured.
    std::string m_drive;
    bool m_ready = false;
    uint64_t m_total = 0;
    uint64_t m_totalFree = 0;
    uint64_t m_available = 0;
};

}  // namespace ostrum
