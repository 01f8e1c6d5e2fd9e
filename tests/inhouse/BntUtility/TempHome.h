// A fresh, empty PROVIXA_HOME for one test: created in the system's temporary folder, set in
// the environment for the test's lifetime and removed (with everything in it) afterwards.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

class TempHome {
public:
    TempHome()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "provixa-home-XXXXXX").string();
        std::vector<char> buffer(pattern.begin(), pattern.end());
        buffer.push_back('\0');
        const char* made = mkdtemp(buffer.data());
        EXPECT_NE(made, nullptr);
        m_path = made != nullptr ? made : pattern;
        if (const char* previous = std::getenv("PROVIXA_HOME")) {
            m_previous = previous;
        }
        setenv("PROVIXA_HOME", m_path.c_str(), 1);
    }
    ~TempHome()
    {
        if (m_previous) {
            setenv("PROVIXA_HOME", m_previous->c_str(), 1);
        } else {
            unsetenv("PROVIXA_HOME");
        }
        std::error_code error;
        std::filesystem::remove_all(m_path, error);
    }
    TempHome(const TempHome&) = delete;
    TempHome& operator=(const TempHome&) = delete;

    const std::filesystem::path& Path() const { return m_path; }

    // The lines of a text file (empty when it does not exist).
    static std::vector<std::string> ReadLines(const std::filesystem::path& file)
    {
        std::ifstream in(file);
        std::vector<std::string> lines;
        for (std::string line; std::getline(in, line);) {
            lines.push_back(line);
        }
        return lines;
    }

private:
    std::filesystem::path m_path;
    std::optional<std::string> m_previous;
};
