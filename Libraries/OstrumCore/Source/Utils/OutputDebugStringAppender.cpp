#include "Libraries/OstrumCore/Source/Utils/OutputDebugStringAppender.h"

#include <cstdio>
#include <string>

namespace ostrum::utils::logging {

std::int32_t OutputDebugStringAppender::configure(const ostrum::xml::XmlTreeNode&)
{
    return 0;
}

void OutputDebugStringAppender::append(const LogEvent& event)
{
    const CriticalSectionLock guard(m_lock);
    std::string line = formatLineLocked(event);
    if (!line.empty() && line.back() != '\n')
    {
        line.push_back('\n');
    }
    std::fwrite(line.data(), 1, line.size(), stderr);
}

}  // namespace ostrum::utils::logging
