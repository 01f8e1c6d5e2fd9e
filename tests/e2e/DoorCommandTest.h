// DoorCommandTest: the base of the door tests that command devices: the callers the tests add
// to the installation, the demo operator calling unless a test says otherwise, and the audit
// records and status cache the commands leave. Used by gtest's main thread only.
#pragma once

#include "provider/CWmipApp.h"
#include "tests/e2e/DoorTest.h"
#include "tests/support/InstallationDatabase.h"
#include "tests/support/TestCallers.h"

#include <string>
#include <vector>

namespace e2e {
class DoorCommandTest : public DoorTest
{
protected:
    // Writes the callers (support::TestCallers) into the installation; for SetUpTestSuite.
    static void AddCallers(const std::vector<const wchar_t*>& sids)
    {
        support::InstallationDatabase::Execute(DoorInstallation::DatabaseFile(), support::TestCallers::Sql(sids));
    }

    void SetUp() override
    {
        DoorTest::SetUp();
        CallAs(Callers::kOperator);
    }

    static CWimpHardwareStatusCache& Cache() { return *CWmipApp::GetHardwareStatusCache(); }

    static std::size_t AuditCount()
    {
        return std::stoul(DoorInstallation::Rows("SELECT COUNT(*) FROM USER_TRANSACTION_LOG").at(0).at(0));
    }
    // The last audit record: operation, object kind, description.
    static Row LastAudit()
    {
        const Table rows = DoorInstallation::Rows(
            "SELECT OPERATION, OBJECT_TYPE, DESCRIPTION FROM USER_TRANSACTION_LOG ORDER BY rowid DESC LIMIT 1");
        return rows.empty() ? Row() : rows.front();
    }
};
}  // namespace e2e
