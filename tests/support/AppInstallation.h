// AppInstallation: the installation a test program's application object runs on, one per
// program: a temporary PROVIXA_HOME whose demo database also holds the callers the program's
// tests need, with theApp started on it before the first test and stopped after the last (the
// application attaches its database once per process). A program derives from it to start what
// its tests need beside the application (Started) and stop it again (Stopping), or to build the
// database another way (CreateDatabase), and registers one with AddGlobalTestEnvironment.
//
// Header-only: it is compiled into the test program, which links the provider itself (as a
// static part or through libprovixa), so the shared fixture library does not. Used by gtest's
// main thread only.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <utility>

#include <gtest/gtest.h>

#include "provider/CWmipApp.h"
#include "tests/support/InstallationDatabase.h"
#include "tests/support/TemporaryHome.h"

namespace support {
class AppInstallation : public ::testing::Environment
{
public:
    // extraCallers: SQL run on the database once it is built, before the application starts:
    // the program's callers (TestCallers::Sql) and any rows its tests need from the start.
    explicit AppInstallation(std::string extraCallers) : m_extraCallers(std::move(extraCallers)) {}

    void SetUp() final
    {
        m_home.emplace();
        CreateDatabase(Database());
        if (::testing::Test::HasFatalFailure())
            return;
        InstallationDatabase::Execute(Database(), m_extraCallers);
        theApp.InitInstance();
        Started();
    }

    void TearDown() final
    {
        Stopping();
        theApp.ExitInstance();
        m_home.reset();
    }

    // The home folder ("" outside the program's tests) and the installation's database file.
    std::filesystem::path Home() const { return m_home ? m_home->Path() : std::filesystem::path(); }
    std::filesystem::path Database() const { return Home() / "provixa.db"; }

protected:
    // Builds the installation's database (the demo installation unless overridden).
    virtual void CreateDatabase(const std::filesystem::path& database) { InstallationDatabase::CreateDemo(database); }
    // Runs once the application has started, and before it stops.
    virtual void Started() {}
    virtual void Stopping() {}

private:
    // Set at construction.
    const std::string m_extraCallers;
    std::optional<TemporaryHome> m_home;
};
}  // namespace support
