// The levels of log records: a larger number is more verbose. A record of level L is enabled
// on a logger when L <= the logger's effective level.
#pragma once

#include <cstdint>
#include <string_view>

namespace ostrum::utils::logging {

class LogLevel
{
public:
    LogLevel() = delete;

    static constexpr std::int32_t OFF = 0;
    static constexpr std::int32_t FATAL = 1;
    static constexpr std::int32_t ERROR = 2;
    static constexpr std::int32_t WARN = 3;
    static constexpr std::int32_t INFO = 4;
    static constexpr std::int32_t DEBUG = 5;
    static constexpr std::int32_t ALL = 6;

    // The name in records ("OFF" ... "ALL"); "" for a number outside 0..6.
    static std::string_view getName(std::int32_t level);
    // The level of a configuration name ("off" ... "all", exact); false when unknown, with
    // `level` unchanged.
    static bool fromConfigName(std::string_view name, std::int32_t& level);
};

}  // namespace ostrum::utils::logging
