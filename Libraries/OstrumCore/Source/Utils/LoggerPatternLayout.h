// Turns a log record into one line of text by a pattern of literal text and "%" fields:
// %[-][width][.max]name, name one of date, thread, level, message, newline, utcdate, logger,
// file, line; date and utcdate may be followed by "(time format)".
//
// Owned by one appender and used under that appender's lock; a value type (copies take the
// fields and the time formatter). Not thread-safe on its own.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace ostrum::utils {
class TimeFormatter;
}

namespace ostrum::utils::logging {

struct LogEvent;

class LoggerPatternLayout
{
public:
    // Widths and maximums above this are refused (11): a hostile configuration must not make
    // every line huge.
    static constexpr std::int32_t kMaxFieldWidth = 4096;

    LoggerPatternLayout();
    // Parses `pattern`, ignoring the result code (the field-name error still throws).
    explicit LoggerPatternLayout(const std::string& pattern);
    LoggerPatternLayout(const LoggerPatternLayout& other);
    LoggerPatternLayout& operator=(const LoggerPatternLayout& other);
    ~LoggerPatternLayout();

    // Replaces the fields. 0 on success; 10 for a "%" at the end, 11 for a width or maximum
    // above kMaxFieldWidth, 17 for a time format the formatter rejects. An unknown field name
    // throws std::runtime_error("invalid field name: " + the rest of the pattern).
    std::int32_t setPattern(const std::string& pattern);
    // Appends the record's line to `out`.
    void format(const LogEvent& event, std::string& out) const;
    bool isEmpty() const;

private:
    enum class FieldKind : std::int32_t
    {
        Literal = 0,
        Date = 1,
        Thread = 2,
        Level = 3,
        Message = 4,
        Newline = 5,
        UtcDate = 6,
        Logger = 7,
        File = 8,
        Line = 9,
    };

    struct Field
    {
        FieldKind kind = FieldKind::Literal;
        std::string text;
        std::int32_t width = 0;
        std::int32_t max = 0;
        bool leftAlign = false;
    };

    std::string render(const Field& field, const LogEvent& event) const;

    std::vector<Field> m_fields;
    // Created by the first date field with a format; shared by every date field.
    std::unique_ptr<TimeFormatter> m_timeFormatter;
};

}  // namespace ostrum::utils::logging
