// Logical sources, devices and sub-devices through the door: their validation rules with the
// database left unchanged by every refusal, the shared device name space, generated ids, the
// configuration messages each write sends, and the cascade of a source's delete, all-or-nothing.
#include "tests/e2e/DoorTest.h"

#include "framework/CWmipInstanceWriter.h"
#include "framework/CWmipMessages.h"
#include "hardware/RpcBlock.h"
#include "simulation/SimulatedInstallation.h"
#include "tests/support/InstallationDatabase.h"
#include "tests/support/StatementGate.h"

#include <atomic>
#include <thread>
#include <utility>

namespace e2e {
namespace {

using Props = std::vector<std::pair<const wchar_t*, _variant_t>>;

class DoorLogicalDevices : public DoorTest
{
protected:
    // The looker, who may write no logical source.
    static void SetUpTestSuite()
    {
        support::InstallationDatabase::Execute(DoorInstallation::DatabaseFile(),
                                               support::TestCallers::Sql({Callers::kLooker}));
    }

    void SetUp() override
    {
        DoorTest::SetUp();
        CallAs(Callers::kOperator);
    }
    void TearDown() override
    {
        support::InstallationDatabase::Execute(DoorInstallation::DatabaseFile(), R"(
            DELETE FROM VEXLET_DEVICE WHERE NOT (PANELID = 8 AND VEXLET_DEVICEID = 1);
            DELETE FROM ACCESSPANE WHERE PANELID > 8;
            UPDATE ACCESSPANE SET NAME = 'Building management', SEGMENTID = 1 WHERE PANELID = 8;
            UPDATE VEXLET_DEVICE SET NAME = 'Chiller' WHERE SUB_DEVICEID = 0;
            UPDATE NEXTID SET NEXTVAL = 9 WHERE TYPE = 4;
            UPDATE NEXTID SET NEXTVAL = 2 WHERE TYPE = 54;)");
        DoorTest::TearDown();
    }

    Reply Write(const wchar_t* className, const Props& values, LONG flags = 0)
    {
        const ComPtr<IWbemClassObject> instance = NewInstance(className);
        EXPECT_TRUE(instance);
        if (!instance)
            return Reply();
        for (const auto& [name, value] : values)
        {
            _variant_t copy(value);
            EXPECT_EQ(instance->Put(name, 0, &copy, 0), WBEM_S_NO_ERROR) << Utf8(name);
        }
        return Put(Form::Sync, instance.Get(), flags);
    }

    static Table Devices()
    {
        return DoorInstallation::Rows(
            "SELECT PANELID, VEXLET_DEVICEID, SUB_DEVICEID, NAME FROM VEXLET_DEVICE ORDER BY 1, 2, 3");
    }
    static Table Sources()
    {
        return DoorInstallation::Rows("SELECT PANELID, NAME, SEGMENTID, PANELTYPE, TERMINALNA FROM ACCESSPANE "
                                      "WHERE PANELTYPE = 39 ORDER BY 1");
    }
    // The last configuration message the communication server received: its code and the
    // words at the message offsets asked for.
    std::vector<LONG> LastMessage(const std::vector<std::size_t>& offsets)
    {
        const auto calls = m_servers.CommServer().Calls();
        std::vector<LONG> words;
        if (calls.empty())
            return words;
        const std::vector<BYTE>& block = calls.back().block;
        words.push_back(RpcBlock::Long(block, 0));
        for (const std::size_t offset : offsets)
            words.push_back(RpcBlock::Long(block, 4 + offset));
        return words;
    }

    support::SimulatedInstallation m_servers{std::vector<std::wstring>{L"localhost"}};
};

TEST_F(DoorLogicalDevices, RefusalsAnswerTheirRuleAndChangeNothing)
{
    const Props source{{L"Name", _variant_t(L"Fire panel")},
                       {L"SegmentID", _variant_t(1L)},
                       {L"IsOnline", _variant_t(true)},
                       {L"WorldTimezoneID", _variant_t(1L)},
                       {L"IsDaylightSaving", _variant_t(false)}};
    const auto without = [&](const wchar_t* property) {
        Props values;
        for (const auto& value : source)
            if (std::wstring(value.first) != property)
                values.push_back(value);
        return values;
    };
    const auto with = [&](const wchar_t* property, _variant_t replacement) {
        Props values = without(property);
        values.emplace_back(property, replacement);
        return values;
    };
    const struct
    {
        const wchar_t* className;
        Props values;
        LONG flags;
        HRESULT expected;
        const char* message;
    } cases[] = {
        {L"Bnt_LogicalSource", without(L"Name"), 0, WBEM_E_ILLEGAL_NULL, "The required property Name had no value"},
        {L"Bnt_LogicalSource", without(L"WorldTimezoneID"), 0, WBEM_E_ILLEGAL_NULL, "WorldTimezoneID had no value"},
        {L"Bnt_LogicalSource", with(L"WorldTimezoneID", _variant_t(77L)), 0, WBEM_E_INVALID_PARAMETER,
         "The property WorldTimezoneID did not exist"},
        {L"Bnt_LogicalSource", without(L"IsOnline"), 0, WBEM_E_ILLEGAL_NULL, "IsOnline had no value"},
        {L"Bnt_LogicalSource", with(L"Name", _variant_t(L"Lobby panel")), 0, WBEM_E_FAILED,
         "The property Name contained an non-unique value."},
        {L"Bnt_LogicalSource", with(L"SegmentID", _variant_t(42L)), 0, WBEM_E_INVALID_PARAMETER,
         "The property SegmentID did not exist"},
        // The stored source 8 is of segment 1.
        {L"Bnt_LogicalSource",
         {{L"ID", _variant_t(8L)},
          {L"Name", _variant_t(L"Renamed")},
          {L"SegmentID", _variant_t(2L)},
          {L"IsOnline", _variant_t(true)},
          {L"WorldTimezoneID", _variant_t(1L)},
          {L"IsDaylightSaving", _variant_t(false)}},
         WBEM_FLAG_UPDATE_ONLY,
         WBEM_E_FAILED,
         "The property SegmentID is not editable"},
        // Panels the caller sees that are no logical source: an access panel, an intrusion panel.
        {L"Bnt_LogicalDevice",
         {{L"SourceID", _variant_t(1L)}, {L"Name", _variant_t(L"Pump")}},
         0,
         WBEM_E_INVALID_PARAMETER,
         "The property SourceID did not exist"},
        {L"Bnt_LogicalDevice",
         {{L"SourceID", _variant_t(3L)}, {L"Name", _variant_t(L"Vault pump")}},
         0,
         WBEM_E_INVALID_PARAMETER,
         "The property SourceID did not exist"},
        {L"Bnt_LogicalSubDevice",
         {{L"SourceID", _variant_t(1L)}, {L"DeviceID", _variant_t(1L)}, {L"Name", _variant_t(L"Lobby valve")}},
         0,
         WBEM_E_INVALID_PARAMETER,
         "The property SourceID did not exist"},
        {L"Bnt_LogicalDevice",
         {{L"SourceID", _variant_t(8L)}, {L"Name", _variant_t(L"Chiller pump")}},
         0,
         WBEM_E_FAILED,
         "The property Name contained an non-unique value."},
        {L"Bnt_LogicalDevice", {{L"SourceID", _variant_t(8L)}}, 0, WBEM_E_ILLEGAL_NULL, "Name had no value"},
        {L"Bnt_LogicalDevice",
         {{L"SourceID", _variant_t(8L)}, {L"ID", _variant_t(5L)}, {L"Name", _variant_t(L"Ghost")}},
         WBEM_FLAG_UPDATE_ONLY,
         WBEM_E_NOT_FOUND,
         "could not be retrieved"},
        {L"Bnt_LogicalSubDevice",
         {{L"SourceID", _variant_t(8L)}, {L"DeviceID", _variant_t(9L)}, {L"Name", _variant_t(L"Valve")}},
         0,
         WBEM_E_INVALID_PARAMETER,
         "The property DeviceID did not exist"},
        {L"Bnt_LogicalSubDevice",
         {{L"SourceID", _variant_t(8L)}, {L"DeviceID", _variant_t(1L)}, {L"Name", _variant_t(L"Chiller")}},
         0,
         WBEM_E_FAILED,
         "The property Name contained an non-unique value."},
    };
    const Table sources = Sources();
    const Table devices = Devices();
    const Table audits = DoorInstallation::Rows("SELECT COUNT(*) FROM USER_TRANSACTION_LOG");
    const Table ids = DoorInstallation::Rows("SELECT TYPE, NEXTVAL FROM NEXTID ORDER BY TYPE");
    for (const auto& c : cases)
    {
        SCOPED_TRACE(Utf8(c.className) + " " + c.message);
        const Reply refused = Write(c.className, c.values, c.flags);
        EXPECT_EQ(refused.result, c.expected) << Hex(refused.result);
        EXPECT_NE(Description(refused.statusObject.Get()).find(c.message), std::string::npos)
            << Description(refused.statusObject.Get());
    }
    EXPECT_EQ(Sources(), sources);
    EXPECT_EQ(Devices(), devices);
    EXPECT_EQ(DoorInstallation::Rows("SELECT COUNT(*) FROM USER_TRANSACTION_LOG"), audits);
    // An id drawn for a refused write goes back with the write.
    EXPECT_EQ(DoorInstallation::Rows("SELECT TYPE, NEXTVAL FROM NEXTID ORDER BY TYPE"), ids);
    EXPECT_TRUE(m_servers.CommServer().Calls().empty());
}

TEST_F(DoorLogicalDevices, AnExhaustedIdCounterAnswersUnexpectedAndWritesNothing)
{
    const struct
    {
        const wchar_t* className;
        int idType;
        Props values;
    } cases[] = {
        {L"Bnt_LogicalSource",
         4,
         {{L"Name", _variant_t(L"Fire panel")},
          {L"SegmentID", _variant_t(1L)},
          {L"IsOnline", _variant_t(true)},
          {L"WorldTimezoneID", _variant_t(1L)},
          {L"IsDaylightSaving", _variant_t(false)}}},
        {L"Bnt_LogicalDevice", 54, {{L"SourceID", _variant_t(8L)}, {L"Name", _variant_t(L"Pump2")}}},
        {L"Bnt_LogicalSubDevice",
         55,
         {{L"SourceID", _variant_t(8L)}, {L"DeviceID", _variant_t(1L)}, {L"Name", _variant_t(L"Valve2")}}},
    };
    const Table sources = Sources();
    const Table devices = Devices();
    for (const auto& c : cases)
    {
        SCOPED_TRACE(Utf8(c.className));
        const Table counter =
            DoorInstallation::Rows("SELECT NEXTVAL FROM NEXTID WHERE TYPE = ?", {std::to_string(c.idType)});
        ASSERT_EQ(counter.size(), 1u);
        const auto setCounter = [&](const std::string& value) {
            support::InstallationDatabase::Execute(DoorInstallation::DatabaseFile(),
                                                   "UPDATE NEXTID SET NEXTVAL = " + value +
                                                       " WHERE TYPE = " + std::to_string(c.idType) + ";");
        };
        // Past what a 32-bit ID can hold.
        setCounter("3000000000");
        const Reply refused = Write(c.className, c.values);
        setCounter(counter[0][0]);
        EXPECT_EQ(refused.result, WBEM_E_UNEXPECTED) << Hex(refused.result);
        EXPECT_TRUE(EndsWith(Description(refused.statusObject.Get()),
                             "The operation cannot be completed because the system was unable to generate an ID for "
                             "the property ID."))
            << Description(refused.statusObject.Get());
    }
    EXPECT_EQ(Sources(), sources);
    EXPECT_EQ(Devices(), devices);
    EXPECT_TRUE(m_servers.CommServer().Calls().empty());
}

TEST_F(DoorLogicalDevices, ASourceIsPlacedOnlyInASegmentTheCallerMayWrite)
{
    // The installer may write sources but holds segment 1 alone; the operator holds both units;
    // the looker may write none. Each write that passes its permission step logs so, as the
    // framework's own puts do.
    const struct
    {
        const wchar_t* caller;
        LONG segment;
        const wchar_t* name;
        HRESULT expected;
        const wchar_t* reason;
        int passedLines;
    } cases[] = {
        {Callers::kInstaller, 2, L"Pier source", WBEM_E_ACCESS_DENIED,
         L"The client does not have sufficient segment access to perform the requested operation.", 1},
        {Callers::kInstaller, 1, L"Hall source", WBEM_S_NO_ERROR, L"", 1},
        {Callers::kOperator, 2, L"Yard source", WBEM_S_NO_ERROR, L"", 1},
        {Callers::kLooker, 1, L"Gate source", WBEM_E_ACCESS_DENIED, CWmipMessages::kAccessDenied, 0},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(Utf8(c.name));
        CallAs(c.caller);
        const int passed = LogLines(L"Passed preliminary authorization checks.");
        const Reply reply = Write(L"Bnt_LogicalSource", {{L"Name", _variant_t(c.name)},
                                                         {L"SegmentID", _variant_t(c.segment)},
                                                         {L"IsOnline", _variant_t(true)},
                                                         {L"WorldTimezoneID", _variant_t(1L)},
                                                         {L"IsDaylightSaving", _variant_t(false)}});
        EXPECT_EQ(reply.result, c.expected) << Hex(reply.result) << " " << Description(reply.statusObject.Get());
        const std::string count = c.expected == WBEM_S_NO_ERROR ? "1" : "0";
        EXPECT_EQ(DoorInstallation::Rows("SELECT COUNT(*) FROM ACCESSPANE WHERE NAME = ?", {Utf8(c.name)}),
                  (Table{{count}}))
            << Description(reply.statusObject.Get());
        if (FAILED(c.expected))
        {
            EXPECT_TRUE(Refused(reply, c.expected, c.reason));
        }
        EXPECT_EQ(LogLines(L"Passed preliminary authorization checks."), passed + c.passedLines);
    }
}

TEST_F(DoorLogicalDevices, WritesDrawIdsAuditAndTellTheServers)
{
    const Reply source = Write(L"Bnt_LogicalSource", {{L"Name", _variant_t(L"Fire panel")},
                                                      {L"SegmentID", _variant_t(1L)},
                                                      {L"IsOnline", _variant_t(true)},
                                                      {L"WorldTimezoneID", _variant_t(1L)},
                                                      {L"IsDaylightSaving", _variant_t(false)}});
    ASSERT_EQ(source.result, WBEM_S_NO_ERROR) << Hex(source.result);
    EXPECT_EQ(source.text, L"Bnt_LogicalSource.ID=9");
    EXPECT_EQ(Sources(), (Table{{"8", "Building management", "1", "39", "WORKSTATION"},
                                {"9", "Fire panel", "1", "39", "WORKSTATION"}}));
    // Message 211: add, segment 1, the source at 12.
    EXPECT_EQ(LastMessage({4, 8, 92, 12}), (std::vector<LONG>{211, 211, 1, 1, 9}));

    const Reply device =
        Write(L"Bnt_LogicalDevice", {{L"SourceID", _variant_t(9L)}, {L"Name", _variant_t(L"Sprinkler")}});
    ASSERT_EQ(device.result, WBEM_S_NO_ERROR) << Hex(device.result);
    EXPECT_EQ(device.text, L"Bnt_LogicalDevice.ID=2,SourceID=9");
    EXPECT_EQ(LastMessage({4, 8, 92, 12, 52}), (std::vector<LONG>{290, 290, 1, 1, 9, 2}));
    const Reply sub =
        Write(L"Bnt_LogicalSubDevice",
              {{L"SourceID", _variant_t(9L)}, {L"DeviceID", _variant_t(2L)}, {L"Name", _variant_t(L"Head")}});
    ASSERT_EQ(sub.result, WBEM_S_NO_ERROR) << Hex(sub.result);
    // The framework draws the sub-device's id (the successful writes of other tests may have drawn some).
    const Table drawn = DoorInstallation::Rows("SELECT SUB_DEVICEID FROM VEXLET_DEVICE WHERE NAME = 'Head'");
    ASSERT_EQ(drawn.size(), 1u);
    const LONG subId = std::stol(drawn[0][0]);
    EXPECT_EQ(LastMessage({4, 8, 12, 52, 28}), (std::vector<LONG>{292, 292, 1, 9, 2, subId}));
    const Table audits = DoorInstallation::Rows(
        "SELECT OPERATION, OBJECT_TYPE, DESCRIPTION FROM USER_TRANSACTION_LOG ORDER BY rowid DESC LIMIT 3");
    EXPECT_EQ(audits, (Table{{"4", "148", "Head(9,2," + drawn[0][0] + ")"},
                             {"4", "147", "Sprinkler(9,2)"},
                             {"4", "132", "Fire panel(9)"}}));

    // Renaming to its own name passes; to another device's name fails; modify says 2.
    EXPECT_EQ(Write(L"Bnt_LogicalDevice",
                    {{L"SourceID", _variant_t(9L)}, {L"ID", _variant_t(2L)}, {L"Name", _variant_t(L"Sprinkler")}},
                    WBEM_FLAG_UPDATE_ONLY)
                  .result,
              WBEM_S_NO_ERROR);
    EXPECT_EQ(LastMessage({8}), (std::vector<LONG>{290, 2}));
    EXPECT_EQ(Write(L"Bnt_LogicalDevice",
                    {{L"SourceID", _variant_t(9L)}, {L"ID", _variant_t(2L)}, {L"Name", _variant_t(L"Chiller")}},
                    WBEM_FLAG_UPDATE_ONLY)
                  .result,
              WBEM_E_FAILED);

    // Devices and sub-devices are listed apart.
    EXPECT_EQ(Values(Enum(Form::Sync, L"Bnt_LogicalDevice").objects, {L"SourceID", L"ID", L"Name"}),
              (Table{{"8", "1", "Chiller"}, {"9", "2", "Sprinkler"}}));
    EXPECT_EQ(Values(Enum(Form::Sync, L"Bnt_LogicalSubDevice").objects, {L"SourceID", L"DeviceID", L"ID"}),
              (Table{{"8", "1", "1"}, {"9", "2", drawn[0][0]}}));

    // Deleting the source takes its devices along, and the servers hear of it (action 3).
    EXPECT_EQ(Delete(Form::Sync, L"Bnt_LogicalSource.ID=9").result, WBEM_S_NO_ERROR);
    EXPECT_EQ(LastMessage({8, 12}), (std::vector<LONG>{211, 3, 9}));
    EXPECT_EQ(Devices(), (Table{{"8", "1", "0", "Chiller"}, {"8", "1", "1", "Chiller pump"}}));
}

TEST_F(DoorLogicalDevices, OfConcurrentWritersOfOneNameOnlyOneSucceeds)
{
    constexpr int kWriters = 6;
    const struct
    {
        const wchar_t* className;
        Props values;
        const char* count;
    } cases[] = {
        {L"Bnt_LogicalSource",
         {{L"Name", _variant_t(L"Twin")},
          {L"SegmentID", _variant_t(1L)},
          {L"IsOnline", _variant_t(true)},
          {L"WorldTimezoneID", _variant_t(1L)},
          {L"IsDaylightSaving", _variant_t(false)}},
         "SELECT COUNT(*) FROM ACCESSPANE WHERE NAME = 'Twin'"},
        {L"Bnt_LogicalDevice",
         {{L"SourceID", _variant_t(8L)}, {L"Name", _variant_t(L"Twin")}},
         "SELECT COUNT(*) FROM VEXLET_DEVICE WHERE NAME = 'Twin'"},
        {L"Bnt_LogicalSubDevice",
         {{L"SourceID", _variant_t(8L)}, {L"DeviceID", _variant_t(1L)}, {L"Name", _variant_t(L"Triplet")}},
         "SELECT COUNT(*) FROM VEXLET_DEVICE WHERE NAME = 'Triplet'"},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(Utf8(c.className));
        // Every writer has checked the name before any writes, unless the check runs inside the
        // write's transaction.
        support::StatementGate gate(kWriters);
        std::atomic<int> written{0};
        std::atomic<int> refused{0};
        std::vector<std::thread> writers;
        for (int i = 0; i < kWriters; ++i)
            writers.emplace_back([&] {
                const CallerIdentity::Scope caller(CallerIdentity(Callers::kOperator, SecurityImpersonation));
                gate.Run([&] {
                    const Reply reply = Write(c.className, c.values);
                    (reply.result == WBEM_S_NO_ERROR ? written : refused)++;
                });
            });
        for (std::thread& writer : writers)
            writer.join();
        EXPECT_TRUE(gate.AllArrived());
        EXPECT_EQ(written.load(), 1);
        EXPECT_EQ(refused.load(), kWriters - 1);
        EXPECT_EQ(DoorInstallation::Rows(c.count), (Table{{"1"}}));
    }
    // The winners' rows go again: other cases list every source and device.
    support::InstallationDatabase::Execute(
        DoorInstallation::DatabaseFile(),
        "DELETE FROM VEXLET_DEVICE WHERE NAME IN ('Twin', 'Triplet'); DELETE FROM ACCESSPANE WHERE NAME = 'Twin';");
}

TEST_F(DoorLogicalDevices, AFailedDeleteLeavesItsCascadeUndone)
{
    const struct
    {
        const char* table;
        const char* refusedRow;
        const wchar_t* path;
    } cases[] = {
        {"VEXLET_DEVICE", "OLD.SUB_DEVICEID = 0", L"Bnt_LogicalDevice.ID=1,SourceID=8"},
        {"ACCESSPANE", "OLD.PANELID = 8", L"Bnt_LogicalSource.ID=8"},
    };
    const Table devices = Devices();
    const Table sources = Sources();
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.table);
        // The main row's delete fails after the cascade has run in the same transaction.
        support::InstallationDatabase::Execute(DoorInstallation::DatabaseFile(),
                                               std::string("CREATE TRIGGER refuse_delete BEFORE DELETE ON ") + c.table +
                                                   " WHEN " + c.refusedRow +
                                                   " BEGIN SELECT RAISE(ABORT, 'refused'); END;");
        const Reply refused = Delete(Form::Sync, c.path);
        support::InstallationDatabase::Execute(DoorInstallation::DatabaseFile(), "DROP TRIGGER refuse_delete;");
        EXPECT_TRUE(Refused(refused, WBEM_E_FAILED, CWmipMessages::kInstanceNotWritten));
        EXPECT_EQ(Devices(), devices);
        EXPECT_EQ(Sources(), sources);
    }
    EXPECT_TRUE(m_servers.CommServer().Calls().empty());
}

TEST_F(DoorLogicalDevices, DeletesAreAuditedAndToldWithTheirKeysAndTheSourcesSegment)
{
    ASSERT_EQ(Write(L"Bnt_LogicalSource", {{L"Name", _variant_t(L"Fire panel")},
                                           {L"SegmentID", _variant_t(1L)},
                                           {L"IsOnline", _variant_t(true)},
                                           {L"WorldTimezoneID", _variant_t(1L)},
                                           {L"IsDaylightSaving", _variant_t(false)}})
                  .result,
              WBEM_S_NO_ERROR);
    ASSERT_EQ(Write(L"Bnt_LogicalDevice", {{L"SourceID", _variant_t(9L)}, {L"Name", _variant_t(L"Sprinkler")}}).result,
              WBEM_S_NO_ERROR);
    ASSERT_EQ(Write(L"Bnt_LogicalSubDevice",
                    {{L"SourceID", _variant_t(9L)}, {L"DeviceID", _variant_t(2L)}, {L"Name", _variant_t(L"Head")}})
                  .result,
              WBEM_S_NO_ERROR);
    const Table drawn = DoorInstallation::Rows("SELECT SUB_DEVICEID FROM VEXLET_DEVICE WHERE NAME = 'Head'");
    ASSERT_EQ(drawn.size(), 1u);
    const std::string sub = drawn[0][0];
    const LONG subId = std::stol(sub);
    const std::wstring subPath =
        L"Bnt_LogicalSubDevice.DeviceID=2,ID=" + std::wstring(sub.begin(), sub.end()) + L",SourceID=9";
    // Each delete names its keys at their words (source 12, device 52, sub-device 28), the
    // source's segment at 92, action 3, and audits operation 7 with "Name(keys)".
    const struct
    {
        std::wstring path;
        std::vector<std::size_t> offsets;
        std::vector<LONG> message;
        Table audit;
    } cases[] = {
        {subPath, {8, 92, 12, 52, 28}, {292, 3, 1, 9, 2, subId}, {{"7", "148", "Head(9,2," + sub + ")"}}},
        {L"Bnt_LogicalDevice.ID=2,SourceID=9", {8, 92, 12, 52}, {290, 3, 1, 9, 2}, {{"7", "147", "Sprinkler(9,2)"}}},
        {L"Bnt_LogicalSource.ID=9", {8, 92, 12}, {211, 3, 1, 9}, {{"7", "132", "Fire panel(9)"}}},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(Utf8(c.path));
        const Reply deleted = Delete(Form::Sync, c.path.c_str());
        ASSERT_EQ(deleted.result, WBEM_S_NO_ERROR) << Hex(deleted.result);
        EXPECT_EQ(LastMessage(c.offsets), c.message);
        EXPECT_EQ(DoorInstallation::Rows("SELECT OPERATION, OBJECT_TYPE, DESCRIPTION FROM USER_TRANSACTION_LOG "
                                         "ORDER BY rowid DESC LIMIT 1"),
                  c.audit);
    }
    EXPECT_EQ(Sources(), (Table{{"8", "Building management", "1", "39", "WORKSTATION"}}));
}

TEST_F(DoorLogicalDevices, SystemAccountsAreAuditedWithThePersonsName)
{
    CallAs(Callers::kAdministrator);
    const auto account = [&](LONG person) {
        return Props{{L"PersonID", _variant_t(person)},
                     {L"LogicalSystemType", _variant_t(1L)},
                     {L"LogicalSystemID", _variant_t(5L)},
                     {L"UserName", _variant_t(L"aadler")}};
    };
    ASSERT_EQ(Write(L"Bnt_LogicalSystemAccount", account(1)).result, WBEM_S_NO_ERROR);
    const Table audit = DoorInstallation::Rows(
        "SELECT OPERATION, OBJECT_TYPE, DESCRIPTION FROM USER_TRANSACTION_LOG ORDER BY rowid DESC LIMIT 1");
    EXPECT_EQ(audit, (Table{{"4", "48", "Person 1: Adler, Ada"}}));
    EXPECT_EQ(Delete(Form::Sync, L"Bnt_LogicalSystemAccount.LogicalSystemType=1,PersonID=1").result, WBEM_S_NO_ERROR);
    // A viewer without the accounts' rights may not write them.
    CallAs(Callers::kViewer);
    EXPECT_TRUE(
        Refused(Write(L"Bnt_LogicalSystemAccount", account(2)), WBEM_E_ACCESS_DENIED, CWmipMessages::kAccessDenied));
}

}  // namespace
}  // namespace e2e
