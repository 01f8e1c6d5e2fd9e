// A fresh installation for one test: a temporary PROVIXA_HOME holding the demo database
// (db/schema.sql and db/demo.sql, at the default data source "sqlite:provixa.db"), with
// helpers to change rows, write registry values and read the provider's log.
//
// The demo's operator (USERID 1, system group 1 granting 0x100000D0) is linked to the Windows
// account kOperatorSid; CONFIG_VALUE 33 (entry lifetime) is 300 and 37 is 60.
#pragma once

#include <sqlite3.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "common/CBntRegistry.h"
#include "inhouse/BntUtility/CWMIDebugLog.h"
#include "inhouse/BntUtility/StringConversion.h"
#include "tests/support/InstallationDatabase.h"
#include "tests/support/TemporaryHome.h"
#include "tests/support/TestCallers.h"

class ProviderTestInstallation
{
public:
    static constexpr const wchar_t* kOperatorSid = support::callers::kOperator;
    static constexpr LONG kOperatorId = 1;

    explicit ProviderTestInstallation(bool withDatabase = true)
    {
        if (withDatabase)
        {
            CreateDatabase();
        }
    }

    // Builds the demo database from db/schema.sql and db/demo.sql.
    void CreateDatabase() const { support::InstallationDatabase::CreateDemo(m_home.Path() / "provixa.db"); }

    ProviderTestInstallation(const ProviderTestInstallation&) = delete;
    ProviderTestInstallation& operator=(const ProviderTestInstallation&) = delete;

    // Runs SQL text on the installation's database; fails the test on an error.
    void Exec(const std::string& sql) const
    {
        support::InstallationDatabase::Execute(m_home.Path() / "provixa.db", sql);
    }

    // Writes a DWORD value under HKEY_LOCAL_MACHINE\subKey.
    static void SetRegistryDword(const wchar_t* subKey, const wchar_t* name, DWORD value)
    {
        CBntRegistry key(false, subKey);
        ASSERT_TRUE(key.IsOpen());
        ASSERT_TRUE(key.SetDWORDValue(name, value));
    }

    // The number of lines of the provider's log that contain the text.
    static int CountLogLines(const std::string& text) { return support::TemporaryHome::CountProviderLogLines(text); }

    const support::TemporaryHome& Home() const { return m_home; }

private:
    support::TemporaryHome m_home;
};
