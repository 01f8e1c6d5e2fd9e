#include "Libraries/OstrumCore/Source/Utils/TimeFormatter.h"

#include "Libraries/OstrumCore/Source/Utils/LogLevel.h"
#include "Libraries/OstrumCore/Source/Utils/Logger.h"
#include "Libraries/OstrumCore/Source/Utils/StringUtils.h"
#include "Libraries/OstrumCore/Source/Utils/Time.h"

#include <cstring>
#include <ctime>
#include <functional>

namespace ostrum::utils {

namespace {

using logging::Logger;
using logging::LogLevel;

constexpr const char* kAbbreviatedWeekdays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
constexpr const char* kFullWeekdays[] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
constexpr const char* kAbbreviatedMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                              "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
constexpr const char* kFullMonths[] = {"January", "February", "March",     "April",   "May",      "June",
                                       "July",    "August",   "September", "October", "November", "December"};
constexpr const char* kDayHalves[] = {"AM", "PM"};

template <std::size_t N>
std::string lookup(const char* const (&table)[N], int index)
{
    return index >= 0 && static_cast<std::size_t>(index) < N ? table[index] : "";
}

// The standard zone name of the runtime's zone settings.
std::string standardZoneName()
{
    ::tzset();
    return ::tzname[0] != nullptr ? ::tzname[0] : "";
}

}  // namespace

bool TimeFormatter::setPattern(const std::string& pattern)
{
    m_entries.clear();
    if (pattern.empty())
    {
        m_entries.emplace_back(kLiteral, std::string());
        return true;
    }
    std::size_t i = 0;
    while (i < pattern.size())
    {
        if (pattern[i] != '%')
        {
            const std::size_t next = pattern.find('%', i);
            m_entries.emplace_back(kLiteral,
                                   pattern.substr(i, next == std::string::npos ? std::string::npos : next - i));
            if (next == std::string::npos)
            {
                return true;
            }
            i = next;
            continue;
        }
        if (i + 1 >= pattern.size())
        {
            OSTRUM_LOG(Logger::getLogger("TimeFormatter"), LogLevel::ERROR,
                       "Incomplete placeholder ending format : " << pattern);
            return false;
        }
        const char letter = pattern[i + 1];
        i += 2;
        const char* found = std::strchr(kLetters, letter);
        if (letter == '\0' || found == nullptr)
        {
            OSTRUM_LOG(Logger::getLogger("TimeFormatter"), LogLevel::ERROR, "Invalid placeholder char : " << letter);
            return false;
        }
        m_entries.emplace_back(static_cast<int>(found - kLetters), std::string());
    }
    return true;
}

std::string TimeFormatter::getName(int kind, int index) const
{
    switch (kind)
    {
    case AbbreviatedWeekday:
        return lookup(kAbbreviatedWeekdays, index - 1);
    case FullWeekday:
        return lookup(kFullWeekdays, index - 1);
    case AbbreviatedMonth:
        return lookup(kAbbreviatedMonths, index - 1);
    case FullMonth:
        return lookup(kFullMonths, index - 1);
    case DayHalf:
        return lookup(kDayHalves, index);
    default:
        return {};
    }
}

std::string TimeFormatter::format(const Time& time) const
{
    std::string text;
    walk(
        time, [this, &text](int kind, int index) { text += getName(kind, index); },
        [&text](const std::string& piece) { text += piece; });
    return text;
}

void TimeFormatter::walk(const Time& time, const std::function<void(int kind, int index)>& name,
                         const std::function<void(const std::string& text)>& text) const
{
    unsigned year = 0;
    unsigned month = 0;
    unsigned day = 0;
    unsigned hour = 0;
    unsigned minute = 0;
    unsigned second = 0;
    unsigned dayOfWeek = 0;
    unsigned dayOfYear = 0;
    time.getFields(&year, &month, &day, &hour, &minute, &second, &dayOfWeek, &dayOfYear);
    const int millis = time.getMillisecond();
    const unsigned hour12 = hour % 12 == 0 ? 12 : hour % 12;

    for (const auto& [kind, literal] : m_entries)
    {
        switch (kind)
        {
        case AbbreviatedWeekday:
        case FullWeekday:
            name(kind, static_cast<int>(dayOfWeek));
            break;
        case AbbreviatedMonth:
        case FullMonth:
            name(kind, static_cast<int>(month));
            break;
        case DateAndTime:
            text(StringUtils::format("%02u/%02u/%02u %02u:%02u:%02u", month, day, year % 100, hour, minute, second));
            break;
        case Day:
            text(StringUtils::format("%02u", day));
            break;
        case Millis:
            text(StringUtils::format("%04d", millis));
            break;
        case Hour24:
            text(StringUtils::format("%02u", hour));
            break;
        case Hour12:
            text(StringUtils::format("%02u", hour12));
            break;
        case DayOfYear:
            text(StringUtils::format("%03u", dayOfYear));
            break;
        case Month:
            text(StringUtils::format("%02u", month));
            break;
        case Minute:
            text(StringUtils::format("%02u", minute));
            break;
        case LineFeed:
            text("\n");
            break;
        case DayHalf:
            name(kind, hour < 12 ? 0 : 1);
            break;
        case Second:
            text(StringUtils::format("%02u", second));
            break;
        case Weekday:
            text(StringUtils::format("%u", dayOfWeek - 1));
            break;
        case Date:
            text(StringUtils::format("%02u/%02u/%02u", month, day, year % 100));
            break;
        case TimeOfDay:
            text(StringUtils::format("%02u:%02u:%02u", hour, minute, second));
            break;
        case ShortYear:
            text(StringUtils::format("%02u", year % 100));
            break;
        case Year:
            text(StringUtils::format("%04u", year));
            break;
        case ZoneName:
            text(standardZoneName());
            break;
        case Percent:
            text("%");
            break;
        default:
            text(literal);
            break;
        }
    }
}

}  // namespace ostrum::utils
