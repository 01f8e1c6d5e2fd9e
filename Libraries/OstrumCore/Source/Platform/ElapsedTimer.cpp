#include "Libraries/OstrumCore/Source/Platform/ElapsedTimer.h"

#include "Libraries/OstrumCore/Source/Platform/Clock.h"

#include <cstdio>

namespace ostrum {

ElapsedTimer::ElapsedTimer() : m_start(Clock::currentTimeMillis()) {}

ElapsedTimer::ElapsedTimer(std::uint64_t startMillis) : m_start(startMillis) {}

std::int64_t ElapsedTimer::elapsedMillis() const
{
    return static_cast<std::int64_t>(Clock::currentTimeMillis() - m_start);
}

const std::string& ElapsedTimer::elapsedText()
{
    char text[64];
    const int length = std::snprintf(text, sizeof text, "%f",
                                     static_cast<double>(elapsedMillis()) / 1000.0);
    m_text.assign(text, length > 0 ? static_cast<std::size_t>(length) : 0);
    return m_text;
}

}  // namespace ostrum
