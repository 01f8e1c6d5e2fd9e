// The user's interface language as a tag such as "de-DE", from the locale settings
// (LC_ALL, LC_MESSAGES, LANG); "en-US" when none names a language.
//
// A plain value. Not shared between threads without the caller's lock.
#pragma once

#include <string>

namespace ostrum {

class LanguageEncoding
{
public:
    LanguageEncoding();
    LanguageEncoding(const LanguageEncoding&) = default;
    LanguageEncoding& operator=(const LanguageEncoding&) = default;
    virtual ~LanguageEncoding() = default;

    std::string getLanguage() const;
    // Replaces the tag; true.
    bool setLanguage(const std::string& language);

    // The tag of a locale name ("de_DE.UTF-8" gives "de-DE"); empty when it names no
    // language and country.
    static std::string tagOfLocale(const std::string& locale);

private:
    std::string m_language;
};

}  // namespace ostrum
