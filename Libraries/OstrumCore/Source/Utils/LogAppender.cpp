#include "Libraries/OstrumCore/Source/Utils/LogAppender.h"

namespace ostrum::utils::logging {

void LogAppender::append(const LogEvent&)
{
    if (m_layout.isEmpty())
    {
        m_layout.setPattern(kDefaultPattern);
    }
}

std::string LogAppender::formatLineLocked(const LogEvent& event)
{
    LogAppender::append(event);
    std::string line;
    m_layout.format(event, line);
    return line;
}

void LogAppender::setLayout(const LoggerPatternLayout& layout)
{
    ostrum::CriticalSectionLock guard(&m_lock);
    m_layout = layout;
}

}  // namespace ostrum::utils::logging
