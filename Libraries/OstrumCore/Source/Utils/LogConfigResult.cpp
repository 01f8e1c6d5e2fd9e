#include "Libraries/OstrumCore/Source/Utils/LogConfigResult.h"

#include <array>

namespace ostrum::utils::logging {

namespace {

constexpr std::array<std::string_view, 18> kResultTexts = {
    "No error",
    "Specified file does not exist",
    "Error reading from specified file",
    "Error parsing XML structure",
    "Missing required logger configuration element",
    "Missing required name attribute",
    "Name attribute was not unique",
    "Missing required type attribute",
    "Specified type is not a known or registered type",
    "Missing required pattern attribute",
    "Missing required pattern field name",
    "Pattern field modifier is invalid",
    "An appender is missing required data",
    "An appender has invalid data",
    "Specified appender is not defined",
    "Missing required level attribute",
    "Specified level is invalid",
    "Invalid date format",
};

}  // namespace

std::string_view LogConfigResult::describeResult(std::int32_t code)
{
    if (code < 0 || static_cast<std::size_t>(code) >= kResultTexts.size())
    {
        return "Unknown error";
    }
    return kResultTexts[static_cast<std::size_t>(code)];
}

}  // namespace ostrum::utils::logging
