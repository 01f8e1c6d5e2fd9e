#include "Libraries/OstrumCore/Source/Platform/MemoryInfo.h"

#include "Libraries/OstrumCore/Source/Platform/KernelInfo.h"
#include "Libraries/OstrumCore/Source/Platform/XmlFragment.h"
#include "Libraries/OstrumCore/Source/Utils/StringUtils.h"

namespace ostrum {

MemoryInfo::MemoryInfo(bool detect)
{
    if (detect)
    {
        refresh();
    }
}

bool MemoryInfo::refresh()
{
    uint64_t total = 0;
    uint64_t available = 0;
    if (!KernelInfo::readPhysicalMemory(total, available))
    {
        return false;
    }
    physicalTotal = total;
    physicalAvailable = available;
    ready = true;
    return true;
}

int MemoryInfo::writeXml(io::OutputStream* out, bool element) const
{
    std::string text;
    text += ready ? utils::StringUtils::format(" physicalTotal=\"%llu\" physicalAvailable=\"%llu\"",
                                               static_cast<unsigned long long>(physicalTotal),
                                               static_cast<unsigned long long>(physicalAvailable))
                  : std::string(" ready=\"false\"");
    return writeXmlFragment(out, "MemoryInfo", text, element);
}

}  // namespace ostrum
