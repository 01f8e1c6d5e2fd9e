#include "Libraries/OstrumCore/Source/Utils/LogAppender.h"

namespace ostrum::utils::logging {

// Reached only through formatLineLocked, under m_lock; a virtual cannot declare that, as the
// subclasses' overrides take the lock themselves.
void LogAppender::append(const LogEvent&) NO_THREAD_SAFETY_ANALYSIS
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
    const CriticalSectionLock guard(m_lock);
    m_layout = layout;
}

}  // namespace ostrum::utils::logging
