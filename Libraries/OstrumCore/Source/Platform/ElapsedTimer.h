// A start time in milliseconds of the library's clock and the time elapsed since it.
//
// Keeps its own text buffer for elapsedText. Not thread-safe.
#pragma once

#include <cstdint>
#include <string>

namespace ostrum {

class ElapsedTimer
{
public:
    // Starts now.
    ElapsedTimer();
    explicit ElapsedTimer(std::uint64_t startMillis);

    std::int64_t elapsedMillis() const;
    // The elapsed seconds with six decimals ("1.234000"); valid until the next call.
    const std::string& elapsedText();

private:
    std::uint64_t m_start;
    std::string m_text;
};

}  // namespace ostrum
