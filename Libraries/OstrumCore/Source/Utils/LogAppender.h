// The base of the logging system's outputs: each appender receives records, formats them
// with its own layout and writes the line somewhere.
//
// Appenders are shared between loggers (see Logger) and called from any thread; each
// serialises its own output with m_lock, held for the whole of formatting and writing.
#pragma once

#include "Libraries/OstrumCore/Source/Platform/CriticalSection.h"

#include <cstdint>

namespace ostrum::xml {
class XmlTreeNode;
}

namespace ostrum::utils::logging {

struct LogEvent;

class LogAppender {
public:
    LogAppender() = default;
    virtual ~LogAppender() = default;
    LogAppender(const LogAppender&) = delete;
    LogAppender& operator=(const LogAppender&) = delete;

    // Reads the appender's own settings from its configuration element; a result code of
    // LogConfigResult (0 on success).
    virtual std::int32_t configure(const ostrum::xml::XmlTreeNode& element) = 0;
    // Writes one record. Subclasses call the base version under m_lock before formatting.
    virtual void append(const LogEvent& event);

protected:
    ostrum::CriticalSection m_lock;
};

}  // namespace ostrum::utils::logging
