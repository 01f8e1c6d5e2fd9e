// Per-test surroundings for the common support classes: a scoped environment variable and a
// pinned time zone (TZ plus DefaultTimeZoneInfo), both restored when the guard goes away; the
// PROVIXA_HOME folder comes from tests/support.
#pragma once

#include "common/CBntDateTime.h"
#include "common/DateTimeZoneInfo.h"
#include "tests/support/TemporaryHome.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>

class ScopedEnvironmentVariable
{
public:
    ScopedEnvironmentVariable(const char* name, const std::string& value) : m_name(name)
    {
        if (const char* old = std::getenv(name))
            m_old = old;
        setenv(name, value.c_str(), 1);
    }
    ~ScopedEnvironmentVariable()
    {
        if (m_old)
            setenv(m_name.c_str(), m_old->c_str(), 1);
        else
            unsetenv(m_name.c_str());
    }
    ScopedEnvironmentVariable(const ScopedEnvironmentVariable&) = delete;
    ScopedEnvironmentVariable& operator=(const ScopedEnvironmentVariable&) = delete;

private:
    std::string m_name;
    std::optional<std::string> m_old;
};

// Pins the process's zone to `zone` (a TZ database name) and makes DefaultTimeZoneInfo follow.
class ScopedTimeZone
{
public:
    explicit ScopedTimeZone(const char* zone) : m_saved(DefaultTimeZoneInfo)
    {
        m_variable.emplace("TZ", zone);
        tzset();
        DefaultTimeZoneInfo = CBntDateTime::GetSystemTimeZone();
    }
    ~ScopedTimeZone()
    {
        m_variable.reset();
        tzset();
        DefaultTimeZoneInfo = m_saved;
    }
    ScopedTimeZone(const ScopedTimeZone&) = delete;
    ScopedTimeZone& operator=(const ScopedTimeZone&) = delete;

private:
    DateTimeZoneInfo m_saved;
    std::optional<ScopedEnvironmentVariable> m_variable;
};
