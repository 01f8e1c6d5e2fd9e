// The appender of type "ostrum.ConsoleLogAppender": each formatted line goes to the standard
// output. Thread-safe (see LogAppender).
#pragma once

#include "Libraries/OstrumCore/Source/Utils/LogAppender.h"

namespace ostrum::utils::logging {

class ConsoleLogAppender : public LogAppender
{
public:
    // No settings of its own: 0.
    std::int32_t configure(const ostrum::xml::XmlTreeNode& element) override;
    void append(const LogEvent& event) override;
};

}  // namespace ostrum::utils::logging
