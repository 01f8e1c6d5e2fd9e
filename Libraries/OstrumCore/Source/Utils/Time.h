// A point in time: a signed count of milliseconds since 1970-01-01 00:00:00 UTC.
//
// The value carries no time zone: fields are always read as the UTC calendar of the stored
// value, and local times are made by shifting the value (toLocal). The calendar is the
// proleptic Gregorian one (century years are leap years only when divisible by 400). A plain
// value: copy freely; an object is not shared between threads without the caller's lock.
#pragma once

#include <cstdint>
#include <string>

namespace ostrum::io {
class InputStream;
class OutputStream;
}  // namespace ostrum::io

namespace ostrum::utils {

class Time
{
public:
    // The largest year a value can hold without overflowing the 64-bit millisecond count.
    static constexpr unsigned kMaxYear = 292000000;
    static constexpr unsigned kMinYear = 1970;

    // Value 0, or the current clock time when setToNow.
    explicit Time(bool setToNow = false);
    explicit Time(int64_t millis);
    // Value 0, then set(..., false); an invalid combination leaves 0.
    Time(unsigned year, unsigned month, int day, unsigned hour, unsigned minute, unsigned second);
    Time(const Time&) = default;
    Time& operator=(const Time&) = default;
    virtual ~Time() = default;

    void setNow();
    void setMillis(int64_t millis);
    int64_t getMillis() const;

    // Composes the value from fields. Unless skipValidation, false (value unchanged) when the
    // year is outside 1970..kMaxYear, the month outside 1..12, the day outside 1..31 or a time
    // field 60 or more; the day is not compared with the month's length (31 February is 2 or
    // 3 March).
    bool set(unsigned year, unsigned month, int day, unsigned hour, unsigned minute, unsigned second,
             bool skipValidation);
    // Sets the value from a count of seconds since 1970 UTC (whole seconds; fields beyond the
    // year range leave the value unchanged).
    void setFromTime64(const int64_t* seconds);

    unsigned getYear() const;
    unsigned getMonth() const;
    unsigned getDay() const;
    unsigned getHour() const;
    unsigned getMinute() const;
    unsigned getSecond() const;
    unsigned getDayOfWeek() const;  // 1 = Sunday .. 7 = Saturday
    unsigned getDayOfYear() const;  // 1..366
    int getMillisecond() const;     // value % 1000 (signed remainder)
    void getFields(unsigned* year, unsigned* month, unsigned* day, unsigned* hour, unsigned* minute, unsigned* second,
                   unsigned* dayOfWeek, unsigned* dayOfYear) const;

    // Replace one field and recompose; false (value unchanged) when the result fails
    // validation. The millisecond part is dropped on success.
    bool setYear(unsigned n);
    bool setMonth(unsigned n);
    bool setDay(unsigned n);
    bool setHour(unsigned n);
    bool setMinute(unsigned n);
    bool setSecond(unsigned n);
    void setMillisecond(int n);

    // Add n to one field and recompose without validation: the other fields carry (40 days
    // are 40 days; 14 months are a year and two months). The millisecond part becomes 0. A
    // result beyond the year range leaves the value unchanged. Each returns the low 32 bits
    // of the value.
    int32_t addYears(int n);
    int32_t addMonths(int n);
    int32_t addDays(int n);
    int32_t addHours(int n);
    int32_t addMinutes(int n);
    int32_t addSeconds(int n);
    // n >= 0: whole seconds go through addSeconds, a smaller amount is added as it is.
    int32_t addMillis(int64_t n);

    // New values shifted by the machine's zone (bias read once per process).
    Time toLocal() const;
    Time toUTC() const;

    // The value as a big-endian signed 64-bit integer; each returns 8.
    int write(io::OutputStream& out) const;
    int read(io::InputStream& in);

    // 20240131T08:05:09[.042][Z]
    std::string toIsoString(bool withMillis, bool withZ) const;
    // 2024:01:31 08:05:09[:0042][ Z]
    std::string toColonString(bool withMillis, bool withZ) const;
    bool parseColonString(const std::string& text, bool withMillis);
    // The ISO 8601 reader. hint 1 expects a date, 2 a time, anything else lets the text's
    // shape decide. False (value unchanged, an ERROR on the logger "Time") on a bad text.
    bool parse(const std::string& text, int hint);

    bool operator==(const Time& other) const { return m_value == other.m_value; }
    bool operator<(const Time& other) const { return m_value < other.m_value; }

private:
    // The UTC fields (year, month, day, hour, minute, second, milliseconds) through a printf
    // format that takes up to seven unsigned numbers.
    std::string formatFields(const char* format) const;

    int64_t m_value = 0;
};

}  // namespace ostrum::utils
