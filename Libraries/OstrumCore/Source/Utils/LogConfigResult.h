// The result codes of the logging configuration and of the pattern parser (0 is success).
#pragma once

#include <cstdint>
#include <string_view>

namespace ostrum::utils::logging {

class LogConfigResult
{
public:
    LogConfigResult() = delete;

    static constexpr std::int32_t NO_ERROR = 0;
    static constexpr std::int32_t FILE_NOT_FOUND = 1;
    static constexpr std::int32_t READ_ERROR = 2;
    static constexpr std::int32_t XML_PARSE_ERROR = 3;
    static constexpr std::int32_t MISSING_LOGGER_CONFIG = 4;
    static constexpr std::int32_t MISSING_NAME = 5;
    static constexpr std::int32_t NAME_NOT_UNIQUE = 6;
    static constexpr std::int32_t MISSING_TYPE = 7;
    static constexpr std::int32_t UNKNOWN_TYPE = 8;
    static constexpr std::int32_t MISSING_PATTERN = 9;
    static constexpr std::int32_t MISSING_FIELD_NAME = 10;
    static constexpr std::int32_t INVALID_FIELD_MODIFIER = 11;
    static constexpr std::int32_t MISSING_APPENDER_DATA = 12;
    static constexpr std::int32_t INVALID_APPENDER_DATA = 13;
    static constexpr std::int32_t UNDEFINED_APPENDER = 14;
    static constexpr std::int32_t MISSING_LEVEL = 15;
    static constexpr std::int32_t INVALID_LEVEL = 16;
    static constexpr std::int32_t INVALID_DATE_FORMAT = 17;

    // The text of a code; "Invalid date format" for 17 and "Unknown error" for any other
    // code outside the table.
    static std::string_view describeResult(std::int32_t code);
};

}  // namespace ostrum::utils::logging
