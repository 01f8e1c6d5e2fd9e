#include "Libraries/OstrumCore/Source/Utils/LoggerPatternLayout.h"

#include "Libraries/OstrumCore/Source/Utils/LogConfigResult.h"
#include "Libraries/OstrumCore/Source/Utils/LogEvent.h"
#include "Libraries/OstrumCore/Source/Utils/LogLevel.h"
#include "Libraries/OstrumCore/Source/Utils/Logger.h"
#include "Libraries/OstrumCore/Source/Utils/Time.h"
#include "Libraries/OstrumCore/Source/Utils/TimeFormatter.h"

#include <array>
#include <charconv>
#include <stdexcept>
#include <string_view>

namespace ostrum::utils::logging {

namespace {

struct FieldName
{
    std::string_view name;
    std::int32_t kind;
};

// Tried in this order; the first name the pattern continues with is taken.
constexpr std::array<FieldName, 9> kFieldNames = {{
    {"date", 1},
    {"thread", 2},
    {"level", 3},
    {"message", 4},
    {"newline", 5},
    {"utcdate", 6},
    {"logger", 7},
    {"file", 8},
    {"line", 9},
}};

constexpr std::string_view kModifierChars = "0123456789-.";

// The value of a run of digits; false when it passes `limit`.
bool readNumber(std::string_view digits, std::int32_t limit, std::int32_t& value)
{
    std::int64_t parsed = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), parsed);
    if (error != std::errc() || parsed > limit)
    {
        return false;
    }
    (void)end;
    value = static_cast<std::int32_t>(parsed);
    return true;
}

// The last part of a source path; both separators count, since paths here use "/".
std::string_view fileName(std::string_view path)
{
    const std::size_t separator = path.find_last_of("\\/");
    return separator == std::string_view::npos ? path : path.substr(separator + 1);
}

}  // namespace

LoggerPatternLayout::LoggerPatternLayout() = default;

LoggerPatternLayout::LoggerPatternLayout(const std::string& pattern)
{
    setPattern(pattern);
}

LoggerPatternLayout::LoggerPatternLayout(const LoggerPatternLayout& other)
    : m_fields(other.m_fields),
      m_timeFormatter(other.m_timeFormatter ? std::make_unique<TimeFormatter>(*other.m_timeFormatter) : nullptr)
{
}

LoggerPatternLayout& LoggerPatternLayout::operator=(const LoggerPatternLayout& other)
{
    if (this != &other)
    {
        LoggerPatternLayout copy(other);
        m_fields = std::move(copy.m_fields);
        m_timeFormatter = std::move(copy.m_timeFormatter);
    }
    return *this;
}

LoggerPatternLayout::~LoggerPatternLayout() = default;

std::int32_t LoggerPatternLayout::setPattern(const std::string& pattern)
{
    m_fields.clear();
    std::size_t i = 0;
    while (i < pattern.size())
    {
        if (pattern[i] != '%')
        {
            const std::size_t next = pattern.find('%', i);
            Field literal;
            literal.text = pattern.substr(i, next == std::string::npos ? std::string::npos : next - i);
            m_fields.push_back(std::move(literal));
            i = next == std::string::npos ? pattern.size() : next;
            continue;
        }
        if (i + 1 == pattern.size())
        {
            return LogConfigResult::MISSING_FIELD_NAME;
        }
        Field field;
        std::size_t nameStart = i + 1;
        const std::size_t runEnd = pattern.find_first_not_of(kModifierChars, i + 1);
        // A run of modifiers that reaches the end counts as none.
        if (runEnd != std::string::npos)
        {
            bool afterDot = false;
            for (std::size_t m = i + 1; m < runEnd;)
            {
                const char c = pattern[m];
                if (c == '-')
                {
                    field.leftAlign = true;
                    ++m;
                }
                else if (c == '.')
                {
                    afterDot = true;
                    ++m;
                }
                else
                {
                    const std::size_t digitsEnd = pattern.find_first_not_of("0123456789", m);
                    const std::size_t end = std::min(digitsEnd, runEnd);
                    std::int32_t& target = afterDot ? field.max : field.width;
                    if (!readNumber(std::string_view(pattern).substr(m, end - m), kMaxFieldWidth, target))
                    {
                        return LogConfigResult::INVALID_FIELD_MODIFIER;
                    }
                    m = end;
                }
            }
            nameStart = runEnd;
        }
        const std::string_view rest = std::string_view(pattern).substr(nameStart);
        const FieldName* matched = nullptr;
        for (const FieldName& candidate : kFieldNames)
        {
            if (rest.substr(0, candidate.name.size()) == candidate.name)
            {
                matched = &candidate;
                break;
            }
        }
        if (matched == nullptr)
        {
            throw std::runtime_error("invalid field name: " + std::string(rest));
        }
        field.kind = static_cast<FieldKind>(matched->kind);
        i = nameStart + matched->name.size();
        const bool isDate = field.kind == FieldKind::Date || field.kind == FieldKind::UtcDate;
        if (isDate && i < pattern.size() && pattern[i] == '(')
        {
            const std::size_t closing = pattern.find(')', i + 2);
            if (closing != std::string::npos)
            {
                if (!m_timeFormatter)
                {
                    m_timeFormatter = std::make_unique<TimeFormatter>();
                }
                if (!m_timeFormatter->setPattern(pattern.substr(i + 1, closing - i - 1)))
                {
                    return LogConfigResult::INVALID_DATE_FORMAT;
                }
                i = closing + 1;
            }
        }
        m_fields.push_back(std::move(field));
    }
    return LogConfigResult::NO_ERROR;
}

void LoggerPatternLayout::format(const LogEvent& event, std::string& out) const
{
    for (const Field& field : m_fields)
    {
        std::string text = render(field, event);
        if (field.max > 0 && text.size() > static_cast<std::size_t>(field.max))
        {
            // The end is kept: it is the telling part of logger names and paths.
            text.erase(0, text.size() - static_cast<std::size_t>(field.max));
        }
        const std::size_t width = static_cast<std::size_t>(field.width);
        if (width > text.size())
        {
            const std::string padding(width - text.size(), ' ');
            text = field.leftAlign ? text + padding : padding + text;
        }
        out += text;
    }
}

std::string LoggerPatternLayout::render(const Field& field, const LogEvent& event) const
{
    switch (field.kind)
    {
    case FieldKind::Literal:
        return field.text;
    case FieldKind::Date: {
        const Time local = Time(static_cast<std::int64_t>(event.time)).toLocal();
        return m_timeFormatter ? m_timeFormatter->format(local) : local.toIsoString(true, false);
    }
    case FieldKind::UtcDate: {
        const Time utc(static_cast<std::int64_t>(event.time));
        return m_timeFormatter ? m_timeFormatter->format(utc) : utc.toIsoString(true, true);
    }
    case FieldKind::Thread:
        return std::to_string(event.threadId);
    case FieldKind::Level:
        return std::string(LogLevel::getName(event.level));
    case FieldKind::Message:
        return event.message;
    case FieldKind::Newline:
        return "\n";
    case FieldKind::Logger:
        return event.logger != nullptr ? event.logger->getFullName() : std::string();
    case FieldKind::File:
        return std::string(fileName(event.file));
    case FieldKind::Line:
        return std::to_string(event.line);
    }
    return std::string();
}

bool LoggerPatternLayout::isEmpty() const
{
    return m_fields.empty();
}

}  // namespace ostrum::utils::logging
