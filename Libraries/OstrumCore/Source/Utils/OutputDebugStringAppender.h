// The appender of type "ostrum.OutputDebugStringAppender": the debugger channel, which is the
// standard error here. Every line it writes ends in LF, whatever the pattern. Thread-safe
// (see LogAppender).
#pragma once

#include "Libraries/OstrumCore/Source/Utils/LogAppender.h"

namespace ostrum::utils::logging {

class OutputDebugStringAppender : public LogAppender
{
public:
    // No settings of its own: 0.
    std::int32_t configure(const ostrum::xml::XmlTreeNode& element) override;
    void append(const LogEvent& event) override;
};

}  // namespace ostrum::utils::logging
