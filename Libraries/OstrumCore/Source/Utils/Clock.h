// The library's clock: milliseconds since 1970-01-01 00:00:00 UTC, and conversions of such
// times to calendar records.
//
// The clock is anchored to the wall clock once, on its first call, and then advances with the
// monotonic clock, so later changes of the system time are not seen and the value never goes
// back. All functions are thread-safe; the first call's anchoring happens exactly once.
#pragma once

#include <cstdint>
#include <ctime>

namespace ostrum {

class Clock
{
public:
    Clock() = delete;

    static std::uint64_t currentTimeMillis();
    // Fill `out` with the calendar time of `ms` (whole seconds, rounded toward zero) in UTC
    // or in the local zone. False, with `out` zeroed, when the time cannot be represented.
    static bool toUtcCalendar(std::int64_t ms, std::tm& out);
    static bool toLocalCalendar(std::int64_t ms, std::tm& out);
    // `ms` shifted by the local zone's standard offset (daylight saving is not applied).
    static std::int64_t toLocalStandardTime(std::int64_t ms);
};

}  // namespace ostrum
