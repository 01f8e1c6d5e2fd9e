#include "Libraries/OstrumCore/Source/Platform/OsInfo.h"

#include "Libraries/OstrumCore/Source/Platform/XmlFragment.h"
#include "Libraries/OstrumCore/Source/Utils/StringUtils.h"

#include <sys/utsname.h>

namespace ostrum {

OsInfo::OsInfo(bool detect)
{
    utsname system{};
    if (!detect || ::uname(&system) != 0)
    {
        return;
    }
    name = std::string(system.sysname) + " " + system.release;
    version = system.version;
    ready = true;
}

int OsInfo::writeXml(io::OutputStream* out, bool element) const
{
    std::string text;
    if (ready)
    {
        if (!name.empty())
        {
            text += utils::StringUtils::format(" name=\"%s\"", name.c_str());
        }
        if (!version.empty())
        {
            text += utils::StringUtils::format(" version=\"%s\"", version.c_str());
        }
    }
    else
    {
        text += " ready=\"false\"";
    }
    return writeXmlFragment(out, "OsInfo", text, element);
}

}  // namespace ostrum
