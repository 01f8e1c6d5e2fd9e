// One log record as the logger hands it to its appenders.
//
// A value built by Logger::log on the logging thread and passed by reference to each
// appender for the duration of the call.
#pragma once

#include <cstdint>
#include <string>

namespace ostrum::utils::logging {

class Logger;

struct LogEvent
{
    std::string loggerName;
    // The logger that was called; null for a record made without one.
    const Logger* logger = nullptr;
    std::int32_t level = 0;
    std::string message;
    std::string file;
    std::int32_t line = 0;
    // Milliseconds since 1970-01-01 UTC from the library's clock.
    std::uint64_t time = 0;
    std::uint32_t threadId = 0;
};

}  // namespace ostrum::utils::logging
