#include "TemporaryHome.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

#include <unistd.h>

void TemporaryHome::SetUp()
{
    if (const char* previous = std::getenv("PROVIXA_HOME"))
        m_previous = previous;
    std::string pattern = (std::filesystem::temp_directory_path() / "provixa-home-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    m_home = pattern;
    ::setenv("PROVIXA_HOME", m_home.c_str(), 1);
}

void TemporaryHome::TearDown()
{
    if (m_previous)
        ::setenv("PROVIXA_HOME", m_previous->c_str(), 1);
    else
        ::unsetenv("PROVIXA_HOME");
    std::error_code error;
    std::filesystem::remove_all(m_home, error);
}

void TemporaryHome::WriteFile(const std::string& name, const std::string& bytes) const
{
    std::ofstream(m_home / name, std::ios::binary | std::ios::trunc) << bytes;
}

std::string TemporaryHome::ReadFile(const std::string& name) const
{
    std::ifstream stream(m_home / name, std::ios::binary);
    std::ostringstream bytes;
    bytes << stream.rdbuf();
    return bytes.str();
}
