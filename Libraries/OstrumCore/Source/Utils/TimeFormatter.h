// Turns a Time into text through a pattern of "%" placeholders (%Y-%m-%d %H:%M:%S.%f).
//
// The pattern is compiled once into a list of entries; format walks the list over the time's
// UTC fields (a caller that wants local time passes the shifted value). Names are English. A
// compiled formatter may be shared by threads that only call format.
#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace ostrum::utils {

class Time;

class TimeFormatter
{
public:
    // Entry kinds 0..21 are the placeholder letters in this order; 22 is literal text.
    static constexpr const char* kLetters = "aAbBcdfHIjmMnpSwxXyYZ%";
    static constexpr int kLiteral = 22;
    enum Kind : int
    {
        AbbreviatedWeekday = 0,
        FullWeekday,
        AbbreviatedMonth,
        FullMonth,
        DateAndTime,
        Day,
        Millis,
        Hour24,
        Hour12,
        DayOfYear,
        Month,
        Minute,
        LineFeed,
        DayHalf,
        Second,
        Weekday,
        Date,
        TimeOfDay,
        ShortYear,
        Year,
        ZoneName,
        Percent,
    };

    TimeFormatter() = default;
    virtual ~TimeFormatter() = default;

    // Compiles the pattern; false (an ERROR on the logger "TimeFormatter") on a "%" at the end
    // or an unknown letter, keeping the entries compiled before the fault.
    bool setPattern(const std::string& pattern);
    std::string format(const Time& time) const;
    // The name for kinds 0 (a), 1 (A), 2 (b), 3 (B) and 13 (p); empty for any other kind or
    // an index outside the table (weekdays 1..7 from Sunday, months 1..12, day half 0..1).
    std::string getName(int kind, int index) const;

protected:
    // Walks the entries over the time's UTC fields: `name` gets each name entry's kind and
    // table index (as getName takes them), `text` the text of every other entry.
    void walk(const Time& time, const std::function<void(int kind, int index)>& name,
              const std::function<void(const std::string& text)>& text) const;

private:
    std::vector<std::pair<int, std::string>> m_entries;
};

}  // namespace ostrum::utils
