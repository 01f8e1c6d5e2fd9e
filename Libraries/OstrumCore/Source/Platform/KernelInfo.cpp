#include "Libraries/OstrumCore/Source/Platform/KernelInfo.h"

#include "Libraries/OstrumCore/Source/Utils/StringUtils.h"

#include <sys/sysinfo.h>

#include <charconv>
#include <fstream>

namespace ostrum {

namespace {

constexpr const char* kBlanks = " \t\n\r\f";
constexpr uint64_t kKilobyte = 1024;

}  // namespace

std::string KernelInfo::readKeyValue(const std::string& path, const std::string& key)
{
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line))
    {
        const std::size_t colon = line.find(':');
        if (colon == std::string::npos)
        {
            continue;
        }
        if (utils::StringUtils::trim(line.substr(0, colon), kBlanks) == key)
        {
            return utils::StringUtils::trim(line.substr(colon + 1), kBlanks);
        }
    }
    return {};
}

std::optional<uint64_t> KernelInfo::readKilobytes(const std::string& path, const std::string& key)
{
    const std::string value = readKeyValue(path, key);
    uint64_t kilobytes = 0;
    const auto parsed = std::from_chars(value.data(), value.data() + value.size(), kilobytes);
    if (value.empty() || parsed.ec != std::errc())
    {
        return std::nullopt;
    }
    return kilobytes * kKilobyte;
}

bool KernelInfo::readPhysicalMemory(uint64_t& total, uint64_t& available)
{
    struct sysinfo info
    {
    };
    if (::sysinfo(&info) != 0)
    {
        return false;
    }
    total = static_cast<uint64_t>(info.totalram) * info.mem_unit;
    // MemAvailable counts reclaimable caches as the system's own "available" figure does.
    available =
        readKilobytes("/proc/meminfo", "MemAvailable").value_or(static_cast<uint64_t>(info.freeram) * info.mem_unit);
    return true;
}

}  // namespace ostrum
