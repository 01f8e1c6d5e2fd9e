// Periodically measured load and memory: the processor load of this process and of the whole
// machine since the previous update, physical memory, and this process's private memory.
//
// Fed by update with the time since the previous update; one thread updates and reads a
// monitor (no lock). Figures come from getrusage and the kernel's /proc files.
#pragma once

#include "Libraries/OstrumCore/Source/Utils/Updatable.h"

#include <cstdint>

namespace ostrum::utils::logging {
class Logger;
}  // namespace ostrum::utils::logging

namespace ostrum {

class PerformanceMonitor : public utils::Updatable
{
public:
    PerformanceMonitor();

    // Processor times and memory since the previous update; a step that cannot be read keeps
    // its previous values and logs on "ostrum.PerformanceMonitor". The process load is the
    // processor time used (in 100 ns units) over elapsed * 1000000.
    void update(const utils::Time& now, int elapsed) override;
    // Copies out (null pointers skipped); true.
    bool getMemory(uint64_t* totalPhysical, uint64_t* availablePhysical, uint64_t* processMemory) const;
    float getProcessLoad() const;
    float getSystemLoad() const;

private:
    utils::logging::Logger* m_logger = nullptr;
    uint64_t m_previousProcessTime = 0;
    float m_processLoad = 0;
    uint64_t m_previousUser = 0;
    uint64_t m_previousKernel = 0;
    uint64_t m_previousIdle = 0;
    float m_systemLoad = 0;
    uint64_t m_totalPhysical = 0;
    uint64_t m_availablePhysical = 0;
    uint64_t m_processMemory = 0;
};

}  // namespace ostrum
