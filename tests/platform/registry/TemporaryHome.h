// A fresh PROVIXA_HOME for one test: a new temporary folder, removed with its files and the
// previous setting restored when the test ends. Tests in one program run one at a time, so
// changing the environment here is safe.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>

class TemporaryHome : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    // Writes a file in the home with exactly these bytes.
    void WriteFile(const std::string& name, const std::string& bytes) const;
    // The bytes of a file in the home ("" when missing).
    std::string ReadFile(const std::string& name) const;

    std::filesystem::path m_home;

private:
    std::optional<std::string> m_previous;
};
