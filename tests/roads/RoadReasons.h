// How the roads' tests read an answer ("ok", or the code and the text of the refusal, as the
// doors' Answer helpers give it): without the place in the source that raised it, which is no
// part of the road. Header-only.
#pragma once

#include <regex>
#include <string>

namespace isolation {

// The answer's code and text, without the place that raised it.
inline std::string Reason(const std::string& answer)
{
    static const std::regex place(R"( \| \S+\(\d+\): )");
    return std::regex_replace(answer, place, " | ");
}

// The text of an answer without its code ("ok" for success), to compare the doors' answers.
inline std::string ReasonText(const std::string& answer)
{
    const std::string reason = Reason(answer);
    const std::size_t bar = reason.find(" | ");
    return bar == std::string::npos ? reason : reason.substr(bar + 3);
}

}  // namespace isolation
