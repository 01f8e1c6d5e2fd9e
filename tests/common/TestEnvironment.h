// Per-test surroundings for the common support classes: a fresh PROVIXA_HOME folder and a
// pinned time zone (TZ plus DefaultTimeZoneInfo), both restored when the guard goes away.
#pragma once

#include "common/CBntDateTime.h"
#include "common/DateTimeZoneInfo.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
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

// A fresh, empty PROVIXA_HOME for one test, removed afterwards.
class ScopedProvixaHome
{
public:
    ScopedProvixaHome() : m_folder(MakeFolder()), m_variable("PROVIXA_HOME", m_folder.string()) {}
    ~ScopedProvixaHome()
    {
        std::error_code ignored;
        std::filesystem::remove_all(m_folder, ignored);
    }
    ScopedProvixaHome(const ScopedProvixaHome&) = delete;
    ScopedProvixaHome& operator=(const ScopedProvixaHome&) = delete;

    const std::filesystem::path& Folder() const { return m_folder; }

    // Writes registry.ini with the given text (its documented format).
    void WriteRegistry(const std::string& text) const
    {
        std::ofstream(m_folder / "registry.ini", std::ios::binary) << text;
    }
    std::string ReadFile(const char* name) const
    {
        std::ifstream file(m_folder / name, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    }

private:
    static std::filesystem::path MakeFolder()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "provixa-common-XXXXXX").string();
        const char* made = mkdtemp(pattern.data());
        EXPECT_NE(nullptr, made);
        return made != nullptr ? std::filesystem::path(made) : std::filesystem::temp_directory_path();
    }

    std::filesystem::path m_folder;
    ScopedEnvironmentVariable m_variable;
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
