// A fresh PROVIXA_HOME for one test (tests/support's TemporaryHome, made in SetUp and removed
// with the previous setting restored in TearDown). Tests in one program run one at a time, so
// changing the environment here is safe.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>

#include "tests/support/TemporaryHome.h"

class TemporaryHome : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_temporary.emplace();
        m_home = m_temporary->Path();
    }
    void TearDown() override { m_temporary.reset(); }

    // Writes a file in the home with exactly these bytes.
    void WriteFile(const std::string& name, const std::string& bytes) const { m_temporary->WriteFile(name, bytes); }
    // The bytes of a file in the home ("" when missing).
    std::string ReadFile(const std::string& name) const { return m_temporary->ReadFile(name); }

    std::filesystem::path m_home;

private:
    std::optional<support::TemporaryHome> m_temporary;
};
