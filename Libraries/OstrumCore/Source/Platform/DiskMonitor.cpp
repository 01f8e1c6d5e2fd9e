#include "Libraries/OstrumCore/Source/Platform/DiskMonitor.h"

#include "Libraries/OstrumCore/Source/IO/FileUtils.h"
#include "Libraries/OstrumCore/Source/Platform/Platform.h"
#include "Libraries/OstrumCore/Source/Utils/LogLevel.h"
#include "Libraries/OstrumCore/Source/Utils/Logger.h"
#include "Libraries/OstrumCore/Source/Utils/Time.h"

#include <sys/statvfs.h>

namespace ostrum {

namespace {

using utils::logging::Logger;
using utils::logging::LogLevel;

}  // namespace

DiskMonitor::DiskMonitor() = default;

bool DiskMonitor::init()
{
    m_logger = Logger::getLogger("ostrum.DiskMonitor");
    std::string drive;
    if (!io::FileUtils::getFullPath(drive, Platform::getCurrentDirectory()))
    {
        OSTRUM_LOG(m_logger, LogLevel::ERROR, "could not determine drive from path");
        return false;
    }
    m_drive = drive;
    update(utils::Time(true), 0);
    return m_ready;
}

void DiskMonitor::update(const utils::Time&, int)
{
    if (m_logger == nullptr)
    {
        m_logger = Logger::getLogger("ostrum.DiskMonitor");
    }
    struct statvfs space
    {
    };
    if (::statvfs(m_drive.empty() ? "." : m_drive.c_str(), &space) != 0)
    {
        OSTRUM_LOG(m_logger, LogLevel::ERROR, "GetDiskFreeSpaceEx failed: " << Platform::formatLastError());
        return;
    }
    const auto unit = static_cast<uint64_t>(space.f_frsize);
    m_total = static_cast<uint64_t>(space.f_blocks) * unit;
    m_totalFree = static_cast<uint64_t>(space.f_bfree) * unit;
    m_available = static_cast<uint64_t>(space.f_bavail) * unit;
    m_ready = true;
}

bool DiskMonitor::getSpace(uint64_t* total, uint64_t* totalFree, uint64_t* available) const
{
    if (total != nullptr)
    {
        *total = m_total;
    }
    if (totalFree != nullptr)
    {
        *totalFree = m_totalFree;
    }
    if (available != nullptr)
    {
        *available = m_available;
    }
    return true;
}

bool DiskMonitor::isReady() const
{
    return m_ready;
}

}  // namespace ostrum
