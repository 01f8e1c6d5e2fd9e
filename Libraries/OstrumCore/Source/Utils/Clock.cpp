#include "Libraries/OstrumCore/Source/Utils/Clock.h"

#include <chrono>
#include <ctime>

namespace ostrum {

namespace {

std::int64_t monotonicMillis()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// The wall-clock time minus the monotonic time, taken once.
struct ClockAnchor
{
    std::int64_t offset;
    std::int64_t first;
};

ClockAnchor takeAnchor()
{
    tzset();
    const std::int64_t tick = monotonicMillis();
    const std::int64_t now = static_cast<std::int64_t>(std::time(nullptr)) * 1000;
    return ClockAnchor{now - tick, tick};
}

bool toCalendar(std::int64_t ms, std::tm& out, bool local)
{
    const auto seconds = static_cast<std::time_t>(ms / 1000);
    out = std::tm{};
    std::tm* const filled = local ? localtime_r(&seconds, &out) : gmtime_r(&seconds, &out);
    if (filled == nullptr)
    {
        out = std::tm{};
        return false;
    }
    return true;
}

}  // namespace

std::uint64_t Clock::currentTimeMillis()
{
    // A function-local static: its initialisation runs once, even when threads race to it.
    static const ClockAnchor anchor = takeAnchor();
    const std::int64_t tick = monotonicMillis();
    return static_cast<std::uint64_t>(anchor.offset + (tick < anchor.first ? anchor.first : tick));
}

bool Clock::toUtcCalendar(std::int64_t ms, std::tm& out)
{
    return toCalendar(ms, out, false);
}

bool Clock::toLocalCalendar(std::int64_t ms, std::tm& out)
{
    return toCalendar(ms, out, true);
}

std::int64_t Clock::toLocalStandardTime(std::int64_t ms)
{
    tzset();
    return ms - static_cast<std::int64_t>(timezone) * 1000;
}

}  // namespace ostrum
