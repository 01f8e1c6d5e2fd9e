#include "Libraries/OstrumCore/Source/Platform/ElapsedTimer.h"

#include "Libraries/OstrumCore/Source/Utils/Clock.h"
#include "Libraries/OstrumCore/Source/Utils/StringUtils.h"

namespace ostrum {

ElapsedTimer::ElapsedTimer() : m_start(Clock::currentTimeMillis()) {}

ElapsedTimer::ElapsedTimer(std::uint64_t startMillis) : m_start(startMillis) {}

std::int64_t ElapsedTimer::elapsedMillis() const
{
    return static_cast<std::int64_t>(Clock::currentTimeMillis() - m_start);
}

const std::string& ElapsedTimer::elapsedText()
{
    const double seconds = static_cast<double>(elapsedMillis()) / 1000.0;
    m_text = ostrum::utils::StringUtils::format("%f", seconds);
    return m_text;
}

}  // namespace ostrum
