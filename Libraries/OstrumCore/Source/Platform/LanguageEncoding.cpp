#include "Libraries/OstrumCore/Source/Platform/LanguageEncoding.h"

#include <cctype>
#include <cstdlib>

namespace ostrum {

namespace {

constexpr const char* kDefaultLanguage = "en-US";
// The longest language or country name taken (the system's names fit eight characters).
constexpr std::size_t kMaxNameLength = 8;
constexpr const char* kLocaleVariables[] = {"LC_ALL", "LC_MESSAGES", "LANG"};

bool isName(const std::string& text)
{
    if (text.empty() || text.size() > kMaxNameLength)
    {
        return false;
    }
    for (const char c : text)
    {
        if (std::isalpha(static_cast<unsigned char>(c)) == 0)
        {
            return false;
        }
    }
    return true;
}

}  // namespace

LanguageEncoding::LanguageEncoding() : m_language(kDefaultLanguage)
{
    for (const char* variable : kLocaleVariables)
    {
        const char* value = std::getenv(variable);
        if (value != nullptr && *value != '\0')
        {
            const std::string tag = tagOfLocale(value);
            if (!tag.empty())
            {
                m_language = tag;
            }
            return;
        }
    }
}

std::string LanguageEncoding::tagOfLocale(const std::string& locale)
{
    const std::size_t end = locale.find_first_of(".@");
    const std::string name = locale.substr(0, end);
    const std::size_t underscore = name.find('_');
    if (underscore == std::string::npos)
    {
        return {};
    }
    const std::string language = name.substr(0, underscore);
    const std::string country = name.substr(underscore + 1);
    if (!isName(language) || !isName(country))
    {
        return {};
    }
    return language + "-" + country;
}

std::string LanguageEncoding::getLanguage() const
{
    return m_language;
}

bool LanguageEncoding::setLanguage(const std::string& language)
{
    m_language = language;
    return true;
}

}  // namespace ostrum
