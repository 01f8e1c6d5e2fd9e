#include "Libraries/OstrumCore/Source/Platform/PerformanceMonitor.h"

#include "Libraries/OstrumCore/Source/Platform/KernelInfo.h"
#include "Libraries/OstrumCore/Source/Platform/Platform.h"
#include "Libraries/OstrumCore/Source/Utils/LogLevel.h"
#include "Libraries/OstrumCore/Source/Utils/Logger.h"

#include <sys/resource.h>

#include <fstream>
#include <sstream>

namespace ostrum {

namespace {

using utils::logging::Logger;
using utils::logging::LogLevel;

constexpr uint64_t kHundredNanosPerMicro = 10;

struct SystemTimes
{
    uint64_t user = 0;
    uint64_t kernel = 0;  // includes idle time, as the load formula expects
    uint64_t idle = 0;
};

// The machine's processor times from the first line of /proc/stat (in clock ticks).
bool readSystemTimes(SystemTimes& times)
{
    std::ifstream in("/proc/stat");
    std::string label;
    uint64_t user = 0;
    uint64_t nice = 0;
    uint64_t system = 0;
    uint64_t idle = 0;
    uint64_t ioWait = 0;
    uint64_t irq = 0;
    uint64_t softIrq = 0;
    uint64_t steal = 0;
    if (!(in >> label >> user >> nice >> system >> idle >> ioWait >> irq >> softIrq >> steal) || label != "cpu")
    {
        return false;
    }
    times.user = user + nice;
    times.idle = idle + ioWait;
    times.kernel = system + irq + softIrq + steal + times.idle;
    return true;
}

}  // namespace

PerformanceMonitor::PerformanceMonitor() = default;

void PerformanceMonitor::update(const utils::Time&, int elapsed)
{
    if (m_logger == nullptr)
    {
        m_logger = Logger::getLogger("ostrum.PerformanceMonitor");
    }

    rusage usage{};
    if (::getrusage(RUSAGE_SELF, &usage) == 0)
    {
        const auto micros = [](const timeval& t) {
            return static_cast<uint64_t>(t.tv_sec) * 1000000u + static_cast<uint64_t>(t.tv_usec);
        };
        const uint64_t processTime = (micros(usage.ru_utime) + micros(usage.ru_stime)) * kHundredNanosPerMicro;
        const uint64_t delta = processTime - m_previousProcessTime;
        m_previousProcessTime = processTime;
        m_processLoad =
            elapsed == 0 ? 0.0f
                         : static_cast<float>(static_cast<double>(delta) / (static_cast<double>(elapsed) * 1000000.0));
    }
    else
    {
        OSTRUM_LOG(m_logger, LogLevel::ERROR, "GetProcessTimes failed: " << Platform::formatLastError());
    }

    SystemTimes times;
    if (readSystemTimes(times))
    {
        const uint64_t user = times.user - m_previousUser;
        const uint64_t kernel = times.kernel - m_previousKernel;
        const uint64_t idle = times.idle - m_previousIdle;
        const uint64_t total = kernel + user;
        m_systemLoad =
            total > 0 ? static_cast<float>(static_cast<double>(total - idle) / static_cast<double>(total)) : 0.0f;
        m_previousUser = times.user;
        m_previousKernel = times.kernel;
        m_previousIdle = times.idle;
    }
    else
    {
        OSTRUM_LOG(m_logger, LogLevel::ERROR, "GetSystemTimes failed: " << Platform::formatLastError());
    }

    uint64_t total = 0;
    uint64_t available = 0;
    if (KernelInfo::readPhysicalMemory(total, available))
    {
        m_totalPhysical = total;
        m_availablePhysical = available;
    }
    else
    {
        OSTRUM_LOG(m_logger, LogLevel::ERROR, "GlobalMemoryStatusEx failed: " << Platform::formatLastError());
    }

    // The process's private memory: anonymous pages, resident or swapped out.
    const auto resident = KernelInfo::readKilobytes("/proc/self/status", "RssAnon");
    if (resident)
    {
        m_processMemory = *resident + KernelInfo::readKilobytes("/proc/self/status", "VmSwap").value_or(0);
    }
    else
    {
        OSTRUM_LOG(m_logger, LogLevel::ERROR, "GetProcessMemoryInfo failed: " << Platform::formatLastError());
    }
}

bool PerformanceMonitor::getMemory(uint64_t* totalPhysical, uint64_t* availablePhysical, uint64_t* processMemory) const
{
    if (totalPhysical != nullptr)
    {
        *totalPhysical = m_totalPhysical;
    }
    if (availablePhysical != nullptr)
    {
        *availablePhysical = m_availablePhysical;
    }
    if (processMemory != nullptr)
    {
        *processMemory = m_processMemory;
    }
    return true;
}

float PerformanceMonitor::getProcessLoad() const
{
    return m_processLoad;
}

float PerformanceMonitor::getSystemLoad() const
{
    return m_systemLoad;
}

}  // namespace ostrum
