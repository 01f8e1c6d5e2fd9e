// DoorCommandTest: the base of the door tests that command devices: the callers the tests add
// to the installation, the demo operator calling unless a test says otherwise, the audit
// records and status cache the commands leave, and the check that a command is sent and
// audited only when it succeeds. Used by gtest's main thread only.
#pragma once

#include "hardware/AapProcedure.h"
#include "provider/CWmipApp.h"
#include "simulation/SimulatedDriverServer.h"
#include "tests/e2e/DoorTest.h"
#include "tests/support/InstallationDatabase.h"
#include "tests/support/TestCallers.h"

#include <functional>
#include <string>
#include <vector>

namespace e2e {
// The procedure's number, as the simulated servers record and answer it.
inline LONG Procedure(AapProcedure procedure)
{
    return static_cast<LONG>(procedure);
}

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

    // The simulated driver server the commands reach.
    virtual support::SimulatedDriverServer& Driver() = 0;
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

    // The command that `send` makes, on a driver server that answers success, succeeds, reaches
    // the server once as the procedure with the block, and writes one audit record of the
    // operation and object kind whose description holds `text` (is empty for ""). Sent again to
    // a server that refuses and to one that cannot be reached, it fails plainly with no audit.
    void ExpectSentAndAuditedOnlyOnSuccess(const std::function<Reply()>& send, AapProcedure procedure,
                                           const std::vector<BYTE>& block, const char* operation,
                                           const char* objectKind, const char* text)
    {
        Driver().ClearCalls();
        Driver().SetDefaultAnswer(support::SimulatedAnswer());
        const std::size_t audits = AuditCount();
        const Reply sent = send();
        EXPECT_EQ(sent.result, WBEM_S_NO_ERROR) << Hex(sent.result);
        const auto calls = Driver().Calls();
        ASSERT_EQ(calls.size(), 1u);
        EXPECT_EQ(calls[0].procedure, Procedure(procedure));
        EXPECT_EQ(calls[0].block, block);
        ASSERT_EQ(AuditCount(), audits + 1);
        const Row audit = LastAudit();
        ASSERT_EQ(audit.size(), 3u);
        EXPECT_EQ(audit[0], operation);
        EXPECT_EQ(audit[1], objectKind);
        if (*text == '\0')
        {
            EXPECT_TRUE(audit[2].empty() || audit[2] == "<null>") << audit[2];
        }
        else
        {
            EXPECT_NE(audit[2].find(text), std::string::npos) << audit[2];
        }

        Driver().SetDefaultAnswer(support::SimulatedAnswer::Status(1));
        EXPECT_EQ(send().result, WBEM_E_FAILED);
        Driver().SetDefaultAnswer(support::SimulatedAnswer::Failing());
        EXPECT_EQ(send().result, WBEM_E_FAILED);
        EXPECT_EQ(AuditCount(), audits + 1);
        EXPECT_EQ(Driver().Calls().size(), 3u);
    }
};
}  // namespace e2e
