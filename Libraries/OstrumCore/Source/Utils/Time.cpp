#include "Libraries/OstrumCore/Source/Utils/Time.h"

#include "Libraries/OstrumCore/Source/Utils/Clock.h"
#include "Libraries/OstrumCore/Source/Utils/LogLevel.h"
#include "Libraries/OstrumCore/Source/Utils/Logger.h"
#include "Libraries/OstrumCore/Source/Utils/StringUtils.h"
#include "platform/win32/Calendar.h"

#include <cstdio>
#include <ctime>
#include <optional>
#include <string_view>

namespace ostrum::utils {

namespace {

using logging::Logger;
using logging::LogLevel;

constexpr int64_t kMillisPerSecond = 1000;
using calendar::kSecondsPerDay;
constexpr const char* kTimeTextBlanks = " \t\n\r\f";

struct Fields
{
    int64_t year = 1900;
    int64_t month = 1;
    int64_t day = 0;
    int64_t hour = 0;
    int64_t minute = 0;
    int64_t second = 0;
    unsigned dayOfWeek = 1;
    unsigned dayOfYear = 1;
};

int64_t floorDiv(int64_t a, int64_t b)
{
    const int64_t q = a / b;
    return (a % b != 0 && ((a < 0) != (b < 0))) ? q - 1 : q;
}

// The UTC calendar fields of a value; a negative value gives the all-zero breakdown (year
// 1900, month 1, day 0).
Fields breakDown(int64_t value)
{
    Fields f;
    if (value < 0)
    {
        return f;
    }
    const int64_t seconds = value / kMillisPerSecond;
    const int64_t days = seconds / kSecondsPerDay;
    const int64_t inDay = seconds % kSecondsPerDay;
    const calendar::CivilDate date = calendar::CivilFromDays(days);
    f.year = date.year;
    f.month = date.month;
    f.day = date.day;
    f.hour = inDay / 3600;
    f.minute = inDay / 60 % 60;
    f.second = inDay % 60;
    f.dayOfWeek = static_cast<unsigned>(calendar::DayOfWeek(days)) + 1;
    f.dayOfYear = static_cast<unsigned>(calendar::DayOfYear(date.year, date.month, date.day));
    return f;
}

// The value of unnormalised fields: months beyond 1..12 carry into the year, days, hours,
// minutes and seconds simply add up. Empty when the result leaves the representable range.
std::optional<int64_t> compose(int64_t year, int64_t month, int64_t day, int64_t hour, int64_t minute, int64_t second)
{
    year += floorDiv(month - 1, 12);
    month = month - 1 - floorDiv(month - 1, 12) * 12 + 1;
    const auto maxYear = static_cast<int64_t>(Time::kMaxYear);
    if (year > maxYear || year < -maxYear)
    {
        return std::nullopt;
    }
    int64_t total = calendar::DaysFromCivil(year, static_cast<int>(month), 1);
    int64_t result = 0;
    if (__builtin_add_overflow(total, day - 1, &total) || __builtin_mul_overflow(total, 24, &total) ||
        __builtin_add_overflow(total, hour, &total) || __builtin_mul_overflow(total, 60, &total) ||
        __builtin_add_overflow(total, minute, &total) || __builtin_mul_overflow(total, 60, &total) ||
        __builtin_add_overflow(total, second, &total) || __builtin_mul_overflow(total, kMillisPerSecond, &result))
    {
        return std::nullopt;
    }
    return result;
}

// Reads a text of exactly the given shape: a letter 'a'..'g' stands for one digit of number 0..6,
// any other character for itself ("aaaa-bb-cc" reads 2024-01-31). False when the text
// differs in length or in any character.
bool scanShape(std::string_view text, std::string_view shape, int64_t* numbers, int count)
{
    if (text.size() != shape.size())
    {
        return false;
    }
    for (int i = 0; i < count; ++i)
    {
        numbers[i] = 0;
    }
    for (std::size_t i = 0; i < shape.size(); ++i)
    {
        const int field = shape[i] - 'a';
        if (field >= 0 && field < count)
        {
            if (text[i] < '0' || text[i] > '9')
            {
                return false;
            }
            numbers[field] = numbers[field] * 10 + (text[i] - '0');
        }
        else if (text[i] != shape[i])
        {
            return false;
        }
    }
    return true;
}

// The shapes of each part of an ISO text, by length; the first match is taken.
struct Shape
{
    std::size_t length;
    const char* shape;
};

constexpr Shape kDateShapes[] = {{4, "aaaa"}, {7, "aaaa-bb"}, {8, "aaaabbcc"}, {10, "aaaa-bb-cc"}};
constexpr Shape kTimeShapes[] = {{6, "aabbcc"}, {8, "aa:bb:cc"}, {4, "aabb"}, {5, "aa:bb"}, {2, "aa"}};
constexpr Shape kOffsetShapes[] = {{4, "aabb"}, {5, "aa:bb"}, {2, "aa"}};

template <std::size_t N>
bool scanByLength(std::string_view text, const Shape (&shapes)[N], int64_t* numbers, int count)
{
    for (const Shape& shape : shapes)
    {
        if (shape.length == text.size())
        {
            return scanShape(text, shape.shape, numbers, count);
        }
    }
    return false;
}

struct ZoneBias
{
    int64_t bias = 0;
    int64_t daylightBias = 0;
};

// The machine's zone, read once per process: the standard bias and, while daylight saving is
// in force, the daylight bias (both as milliseconds to add to local time to reach UTC).
const ZoneBias& zoneBias()
{
    static const ZoneBias cached = [] {
        ZoneBias zone;
        ::tzset();
        const std::time_t now = std::time(nullptr);
        std::tm local{};
        if (::localtime_r(&now, &local) == nullptr)
        {
            return zone;
        }
        const int64_t westOfUtc = -static_cast<int64_t>(local.tm_gmtoff) * kMillisPerSecond;
        if (local.tm_isdst > 0)
        {
            zone.bias = static_cast<int64_t>(::timezone) * kMillisPerSecond;
            zone.daylightBias = westOfUtc - zone.bias;
        }
        else
        {
            zone.bias = westOfUtc;
        }
        return zone;
    }();
    return cached;
}

bool failParse(const std::string& message)
{
    OSTRUM_LOG(Logger::getLogger("Time"), LogLevel::ERROR, message);
    return false;
}

std::string inQuotes(std::string_view text)
{
    return "\"" + std::string(text) + "\"";
}

}  // namespace

Time::Time(bool setToNow) : m_value(setToNow ? static_cast<int64_t>(Clock::currentTimeMillis()) : 0) {}

Time::Time(int64_t millis) : m_value(millis) {}

Time::Time(unsigned year, unsigned month, int day, unsigned hour, unsigned minute, unsigned second)
{
    set(year, month, day, hour, minute, second, false);
}

void Time::setNow()
{
    m_value = static_cast<int64_t>(Clock::currentTimeMillis());
}

void Time::setMillis(int64_t millis)
{
    m_value = millis;
}

int64_t Time::getMillis() const
{
    return m_value;
}

bool Time::set(unsigned year, unsigned month, int day, unsigned hour, unsigned minute, unsigned second,
               bool skipValidation)
{
    if (!skipValidation)
    {
        if (year < kMinYear || year > kMaxYear || month < 1 || month > 12 || day < 1 || day > 31 || hour >= 60 ||
            minute >= 60 || second >= 60)
        {
            return false;
        }
    }
    const std::optional<int64_t> value = compose(year, month, day, hour, minute, second);
    if (!value)
    {
        return false;
    }
    m_value = *value;
    return true;
}

void Time::setFromTime64(const int64_t* seconds)
{
    if (seconds == nullptr || *seconds < 0 || *seconds > INT64_MAX / kMillisPerSecond)
    {
        return;
    }
    const Fields f = breakDown(*seconds * kMillisPerSecond);
    set(static_cast<unsigned>(f.year), static_cast<unsigned>(f.month), static_cast<int>(f.day),
        static_cast<unsigned>(f.hour), static_cast<unsigned>(f.minute), static_cast<unsigned>(f.second), false);
}

unsigned Time::getYear() const
{
    return static_cast<unsigned>(breakDown(m_value).year);
}

unsigned Time::getMonth() const
{
    return static_cast<unsigned>(breakDown(m_value).month);
}

unsigned Time::getDay() const
{
    return static_cast<unsigned>(breakDown(m_value).day);
}

unsigned Time::getHour() const
{
    return static_cast<unsigned>(breakDown(m_value).hour);
}

unsigned Time::getMinute() const
{
    return static_cast<unsigned>(breakDown(m_value).minute);
}

unsigned Time::getSecond() const
{
    return static_cast<unsigned>(breakDown(m_value).second);
}

unsigned Time::getDayOfWeek() const
{
    return breakDown(m_value).dayOfWeek;
}

unsigned Time::getDayOfYear() const
{
    return breakDown(m_value).dayOfYear;
}

int Time::getMillisecond() const
{
    return static_cast<int>(m_value % kMillisPerSecond);
}

void Time::getFields(unsigned* year, unsigned* month, unsigned* day, unsigned* hour, unsigned* minute, unsigned* second,
                     unsigned* dayOfWeek, unsigned* dayOfYear) const
{
    const Fields f = breakDown(m_value);
    const auto put = [](unsigned* out, int64_t value) {
        if (out != nullptr)
        {
            *out = static_cast<unsigned>(value);
        }
    };
    put(year, f.year);
    put(month, f.month);
    put(day, f.day);
    put(hour, f.hour);
    put(minute, f.minute);
    put(second, f.second);
    put(dayOfWeek, f.dayOfWeek);
    put(dayOfYear, f.dayOfYear);
}

namespace {

enum class Field
{
    Year,
    Month,
    Day,
    Hour,
    Minute,
    Second
};

int64_t& fieldOf(Fields& f, Field field)
{
    switch (field)
    {
    case Field::Year:
        return f.year;
    case Field::Month:
        return f.month;
    case Field::Day:
        return f.day;
    case Field::Hour:
        return f.hour;
    case Field::Minute:
        return f.minute;
    case Field::Second:
        break;
    }
    return f.second;
}

bool replaceField(Time& time, Field field, unsigned n)
{
    Fields f = breakDown(time.getMillis());
    fieldOf(f, field) = n;
    if (f.year < 0 || f.year > Time::kMaxYear || f.day < 0)
    {
        return false;
    }
    return time.set(static_cast<unsigned>(f.year), static_cast<unsigned>(f.month), static_cast<int>(f.day),
                    static_cast<unsigned>(f.hour), static_cast<unsigned>(f.minute), static_cast<unsigned>(f.second),
                    false);
}

int32_t addToField(int64_t& value, Field field, int n)
{
    Fields f = breakDown(value);
    fieldOf(f, field) += n;
    const std::optional<int64_t> composed = compose(f.year, f.month, f.day, f.hour, f.minute, f.second);
    if (composed)
    {
        value = *composed;
    }
    return static_cast<int32_t>(value);
}

}  // namespace

bool Time::setYear(unsigned n)
{
    return replaceField(*this, Field::Year, n);
}

bool Time::setMonth(unsigned n)
{
    return replaceField(*this, Field::Month, n);
}

bool Time::setDay(unsigned n)
{
    return replaceField(*this, Field::Day, n);
}

bool Time::setHour(unsigned n)
{
    return replaceField(*this, Field::Hour, n);
}

bool Time::setMinute(unsigned n)
{
    return replaceField(*this, Field::Minute, n);
}

bool Time::setSecond(unsigned n)
{
    return replaceField(*this, Field::Second, n);
}

void Time::setMillisecond(int n)
{
    m_value = (m_value / kMillisPerSecond) * kMillisPerSecond + n;
}

int32_t Time::addYears(int n)
{
    return addToField(m_value, Field::Year, n);
}

int32_t Time::addMonths(int n)
{
    return addToField(m_value, Field::Month, n);
}

int32_t Time::addDays(int n)
{
    return addToField(m_value, Field::Day, n);
}

int32_t Time::addHours(int n)
{
    return addToField(m_value, Field::Hour, n);
}

int32_t Time::addMinutes(int n)
{
    return addToField(m_value, Field::Minute, n);
}

int32_t Time::addSeconds(int n)
{
    return addToField(m_value, Field::Second, n);
}

int32_t Time::addMillis(int64_t n)
{
    // The exact amount is added: rounding through whole seconds would lose the carried
    // milliseconds.
    int64_t sum = 0;
    if (!__builtin_add_overflow(m_value, n, &sum))
    {
        m_value = sum;
    }
    return static_cast<int32_t>(m_value);
}

Time Time::toLocal() const
{
    const ZoneBias& zone = zoneBias();
    return Time(m_value - zone.bias - zone.daylightBias);
}

Time Time::toUTC() const
{
    const ZoneBias& zone = zoneBias();
    return Time(m_value + zone.bias + zone.daylightBias);
}

std::string Time::toIsoString(bool withMillis, bool withZ) const
{
    const std::string text =
        formatFields(withMillis ? "%04u%02u%02uT%02u:%02u:%02u.%03u" : "%04u%02u%02uT%02u:%02u:%02u");
    return withZ ? text + "Z" : text;
}

std::string Time::toColonString(bool withMillis, bool withZ) const
{
    const std::string text =
        formatFields(withMillis ? "%04u:%02u:%02u %02u:%02u:%02u:%04u" : "%04u:%02u:%02u %02u:%02u:%02u");
    return withZ ? text + " Z" : text;
}

std::string Time::formatFields(const char* format) const
{
    const Fields f = breakDown(m_value);
    return StringUtils::format(format, static_cast<unsigned>(f.year), static_cast<unsigned>(f.month),
                               static_cast<unsigned>(f.day), static_cast<unsigned>(f.hour),
                               static_cast<unsigned>(f.minute), static_cast<unsigned>(f.second),
                               static_cast<unsigned>(getMillisecond()));
}

bool Time::parseColonString(const std::string& text, bool withMillis)
{
    std::string_view body(text);
    if (!body.empty() && body.back() == 'Z')
    {
        body.remove_suffix(1);
        if (!body.empty() && body.back() == ' ')
        {
            body.remove_suffix(1);
        }
    }
    int64_t n[7] = {};
    const bool matched =
        withMillis ? scanShape(body, "aaaa:bb:cc dd:ee:ff:gggg", n, 7) : scanShape(body, "aaaa:bb:cc dd:ee:ff", n, 6);
    if (!matched)
    {
        return false;
    }
    if (set(static_cast<unsigned>(n[0]), static_cast<unsigned>(n[1]), static_cast<int>(n[2]),
            static_cast<unsigned>(n[3]), static_cast<unsigned>(n[4]), static_cast<unsigned>(n[5]), false) &&
        withMillis)
    {
        m_value += n[6];
    }
    return true;
}

bool Time::parse(const std::string& input, int hint)
{
    const std::string text = StringUtils::trim(input, kTimeTextBlanks);
    std::string datePart;
    std::string timePart;
    const std::size_t t = text.find('T');
    const std::size_t dash = text.find('-');
    if (t != std::string::npos)
    {
        datePart = text.substr(0, t);
        timePart = text.substr(t);
    }
    else if (text.find(':') != std::string::npos)
    {
        timePart = text;
    }
    else if (dash != std::string::npos)
    {
        const bool isDate = dash == 4 ? hint != 2 : hint == 1;
        (isDate ? datePart : timePart) = text;
    }
    else if (!text.empty() && (text.back() == 'Z' || text.find('+') != std::string::npos))
    {
        timePart = text;
    }
    else if (!text.empty() && text.find_first_not_of("0123456789") == std::string::npos &&
             (text.size() == 8 || text.size() == 4 || text.size() == 6 || text.size() == 2))
    {
        const bool isDate = text.size() == 8 || (text.size() == 4 && hint != 2);
        (isDate ? datePart : timePart) = text;
    }
    else
    {
        return failParse("Illegal or unsupported format: " + inQuotes(text));
    }

    int64_t year = 1970;
    int64_t month = 1;
    int64_t day = 1;
    int64_t hour = 0;
    int64_t minute = 0;
    int64_t second = 0;
    int64_t offsetHours = 0;
    int64_t offsetMinutes = 0;

    if (!datePart.empty())
    {
        int64_t n[3] = {0, 1, 1};
        const bool hasMonth = datePart.size() > 4;
        const bool hasDay = datePart.size() > 7;
        if (!scanByLength(datePart, kDateShapes, n, hasDay ? 3 : (hasMonth ? 2 : 1)))
        {
            return failParse("Illegal or unsupported date format: " + inQuotes(datePart));
        }
        year = n[0];
        month = hasMonth ? n[1] : 1;
        day = hasDay ? n[2] : 1;
    }

    std::string_view rest(timePart);
    if (!rest.empty() && rest.front() == 'T')
    {
        rest.remove_prefix(1);
    }
    if (!rest.empty() && rest.back() == 'Z')
    {
        rest.remove_suffix(1);
    }
    if (!rest.empty())
    {
        std::string_view timeText = rest;
        std::string_view offsetText;
        bool plus = false;
        std::size_t sign = rest.find('-');
        if (sign == std::string_view::npos)
        {
            sign = rest.find('+');
            plus = sign != std::string_view::npos;
        }
        if (sign != std::string_view::npos)
        {
            timeText = rest.substr(0, sign);
            offsetText = rest.substr(sign + 1);
            int64_t n[2] = {};
            if (!offsetText.empty() && !scanByLength(offsetText, kOffsetShapes, n, 2))
            {
                return failParse("Illegal or unsupported time zone offset: " + inQuotes(offsetText));
            }
            offsetHours = plus ? -n[0] : n[0];
            offsetMinutes = plus ? -n[1] : n[1];
        }
        int64_t n[3] = {};
        if (!scanByLength(timeText, kTimeShapes, n, 3))
        {
            return failParse("Illegal or unsupported time format: " + inQuotes(timeText));
        }
        hour = n[0];
        minute = n[1];
        second = n[2];
    }

    const std::optional<int64_t> value = compose(year, month, day, hour + offsetHours, minute + offsetMinutes, second);
    if (!value)
    {
        return failParse("Illegal or unsupported format: " + inQuotes(text));
    }
    m_value = *value;
    return true;
}

}  // namespace ostrum::utils
