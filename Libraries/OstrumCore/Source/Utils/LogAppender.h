// The base of the logging system's outputs: each appender receives records, formats them
// with its own layout and writes the line somewhere.
//
// Appenders are shared between loggers (see Logger) and called from any thread; each
// serialises its own output with m_lock, held for the whole of formatting and writing, so the
// lines of concurrent records never interleave within one appender.
#pragma once

#include "Libraries/OstrumCore/Source/Utils/CriticalSection.h"
#include "Libraries/OstrumCore/Source/Utils/LoggerPatternLayout.h"

#include <cstdint>
#include <string>

namespace ostrum::xml {
class XmlTreeNode;
}

namespace ostrum::utils::logging {

struct LogEvent;

class LogAppender
{
public:
    // The layout of an appender that was given none.
    static constexpr const char* kDefaultPattern = "%-5level [%thread]: %message%newline";

    LogAppender() = default;
    virtual ~LogAppender() = default;
    LogAppender(const LogAppender&) = delete;
    LogAppender& operator=(const LogAppender&) = delete;

    // Reads the appender's own settings from its configuration element; a result code of
    // LogConfigResult (0 on success).
    virtual std::int32_t configure(const ostrum::xml::XmlTreeNode& element) = 0;
    // Writes one record. The base gives an empty layout the default pattern; subclasses call
    // it under m_lock before formatting.
    virtual void append(const LogEvent& event);

    // Copies `layout` (fields and time formatter) into this appender's layout.
    void setLayout(const LoggerPatternLayout& layout);

protected:
    // The record's line by this appender's layout (the default pattern when it has none); the
    // caller holds m_lock.
    std::string formatLineLocked(const LogEvent& event) REQUIRES(m_lock);

    ostrum::CriticalSection m_lock;
    LoggerPatternLayout m_layout GUARDED_BY(m_lock);
};

}  // namespace ostrum::utils::logging
