#include "tests/support/TemporaryHome.h"

#include "inhouse/BntUtility/LogFileWriter.h"
#include "inhouse/BntUtility/StringConversion.h"
#include "platform/registry/Registry.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace support {
TemporaryHome::TemporaryHome()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "provixa-home-XXXXXX").string();
    const char* made = mkdtemp(pattern.data());
    EXPECT_NE(made, nullptr) << "cannot make a temporary PROVIXA_HOME";
    m_path = pattern;
    if (const char* previous = std::getenv("PROVIXA_HOME"))
        m_previous = previous;
    setenv("PROVIXA_HOME", m_path.c_str(), 1);
}

TemporaryHome::~TemporaryHome()
{
    // Log lines still held belong to this home: written now, they go before the folder does,
    // rather than make it again a moment after it was removed.
    brontel::utility::LogFileWriter::Flush();
    if (m_previous)
        setenv("PROVIXA_HOME", m_previous->c_str(), 1);
    else
        unsetenv("PROVIXA_HOME");
    std::error_code ignored;
    std::filesystem::remove_all(m_path, ignored);
}

void TemporaryHome::WriteFile(const std::string& name, const std::string& bytes) const
{
    std::ofstream(m_path / name, std::ios::binary | std::ios::trunc) << bytes;
}

std::string TemporaryHome::ReadFile(const std::string& name) const
{
    std::ifstream stream(m_path / name, std::ios::binary);
    std::ostringstream bytes;
    bytes << stream.rdbuf();
    return bytes.str();
}

std::vector<std::string> TemporaryHome::ReadLines(const std::filesystem::path& file)
{
    // The file holds every line logged so far, the held ones too.
    brontel::utility::LogFileWriter::Flush();
    std::ifstream in(file);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

int TemporaryHome::CountLines(const std::filesystem::path& file, const std::string& text)
{
    const std::vector<std::string> lines = ReadLines(file);
    return static_cast<int>(std::count_if(
        lines.begin(), lines.end(), [&text](const std::string& line) { return line.find(text) != std::string::npos; }));
}

int TemporaryHome::CountProviderLogLines(const std::string& text)
{
    return CountLines(brontel::utility::ConvertCStringToUtf8(brontel::utility::CWMIDebugLog::GetLogFileName()), text);
}

void TemporaryHome::SetLogLevel(brontel::utility::CWMIDebugLog::Level level)
{
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Brontel\\Ivarune\\Fluxmere", 0, nullptr, 0,
                              KEY_ALL_ACCESS, nullptr, &key, nullptr),
              static_cast<LSTATUS>(ERROR_SUCCESS));
    const DWORD value = static_cast<DWORD>(level);
    EXPECT_EQ(RegSetValueExW(key, L"LogLevel", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value)),
              static_cast<LSTATUS>(ERROR_SUCCESS));
    RegCloseKey(key);
}
}  // namespace support
