#include "Libraries/OstrumCore/Source/Utils/ConsoleLogAppender.h"

#include <cstdio>
#include <string>

namespace ostrum::utils::logging {

std::int32_t ConsoleLogAppender::configure(const ostrum::xml::XmlTreeNode&)
{
    return 0;
}

void ConsoleLogAppender::append(const LogEvent& event)
{
    const CriticalSectionLock guard(m_lock);
    const std::string line = formatLineLocked(event);
    std::fwrite(line.data(), 1, line.size(), stdout);
}

}  // namespace ostrum::utils::logging
