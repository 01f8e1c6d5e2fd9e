#include "Libraries/OstrumCore/Source/Utils/LogLevel.h"

#include <array>

namespace ostrum::utils::logging {

namespace {

struct LevelNames
{
    std::string_view record;
    std::string_view config;
};

constexpr std::array<LevelNames, 7> kLevelNames = {{
    {"OFF", "off"},
    {"FATAL", "fatal"},
    {"ERROR", "error"},
    {"WARN", "warn"},
    {"INFO", "info"},
    {"DEBUG", "debug"},
    {"ALL", "all"},
}};

}  // namespace

std::string_view LogLevel::getName(std::int32_t level)
{
    if (level < OFF || level > ALL)
    {
        return {};
    }
    return kLevelNames[static_cast<std::size_t>(level)].record;
}

bool LogLevel::fromConfigName(std::string_view name, std::int32_t& level)
{
    for (std::size_t i = 0; i < kLevelNames.size(); ++i)
    {
        if (kLevelNames[i].config == name)
        {
            level = static_cast<std::int32_t>(i);
            return true;
        }
    }
    return false;
}

}  // namespace ostrum::utils::logging
