// The writes that tell the servers (badges, persons, visits, access levels and their
// assignments, users and logical devices) under a statement fault sweep: database statement 1,
// then 2, then 3 ... of the write fails until the write gets through. After every failure the
// database is as it was and no server heard anything; what a write announces leaves only after
// its commit.
#include "tests/mappers/records/visits/VisitRecordsTest.h"
#include "tests/support/TestSqlite.h"

#include "hardware/RpcBlock.h"
#include "inhouse/BntCoreDb/CBntConnection.h"
#include "inhouse/BntCoreDb/CBntDatabase.h"
#include "inhouse/BntLogin/CAcsUser.h"
#include "inhouse/BntLogin/DBConnectionManager.h"
#include "platform/com/Variant.h"
#include "provider/CWmipApp.h"
#include "simulation/SimulatedInstallation.h"

#include <sqlite3.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

using namespace e2e;

namespace {
// A statement failure that is neither a lost connection nor a busy database.
constexpr int kStatementError = 1;
// More statements than any of the swept writes runs.
constexpr int kMaxStatements = 600;

class NoticeSweep : public records_test::VisitRecordsTest
{
protected:
    void SetUp() override
    {
        VisitRecordsTest::SetUp();
        m_watch = support::OpenSqlite(DoorInstallation::DatabaseFile(), SQLITE_OPEN_READONLY);
        ASSERT_NE(m_watch, nullptr);
    }

    // Makes statement skip + 1 of every pooled connection that is not lent out fail, and every
    // statement after it, so the next request fails from that statement on, whichever
    // connection it takes: a failure the write tolerates cannot let it through.
    void Arm(int skip)
    {
        DBConnectionManager* manager = CWmipApp::GetConnectionManager();
        ASSERT_NE(manager, nullptr);
        std::vector<CAcsUser*> idle;
        while (manager->GetLentCount() < manager->GetConnectionCount())
            idle.push_back(manager->Connection(0));
        for (CAcsUser* connection : idle)
        {
            m_armed.push_back(connection->GetDatabase()->GetConnection());
            m_armed.back()->TestHookFailNextStatements(kMaxStatements, kStatementError, skip);
            manager->ReleaseConnection(connection);
        }
    }
    // Every connection armed so far runs as usual again, also one a holder kept meanwhile.
    void Disarm()
    {
        for (const std::shared_ptr<CBntConnection>& connection : m_armed)
            connection->TestHookFailNextStatements(0, kStatementError);
        m_armed.clear();
    }
    // The database's change counter as a connection of the test's own sees it: it moves with
    // every commit of another connection.
    long long DataVersion() const
    {
        sqlite3_stmt* statement = nullptr;
        long long version = -1;
        if (sqlite3_prepare_v2(m_watch.get(), "PRAGMA data_version", -1, &statement, nullptr) == SQLITE_OK &&
            sqlite3_step(statement) == SQLITE_ROW)
            version = sqlite3_column_int64(statement, 0);
        sqlite3_finalize(statement);
        return version;
    }

    std::vector<std::wstring> Heard() const
    {
        std::vector<std::wstring> lines;
        for (support::SimulatedServer* server : m_servers.Servers())
            for (const support::SimulatedCall& call : server->Calls())
                lines.push_back(server->Describe(call));
        return lines;
    }
    void ForgetHeard() const
    {
        for (support::SimulatedServer* server : m_servers.Servers())
            server->ClearCalls();
    }

    // Sweeps the write; answers its successful reply. `told` says whether a success must be
    // announced to a server.
    Reply Sweep(const std::string& what, bool told, const std::function<Reply()>& write)
    {
        SCOPED_TRACE(what);
        const long long before = DataVersion();
        const std::vector<Table> tables = DoorInstallation::WholeDatabase();
        Reply reply;
        for (int skip = 0; skip < kMaxStatements; ++skip)
        {
            ForgetHeard();
            Arm(skip);
            reply = write();
            Disarm();
            if (SUCCEEDED(reply.result))
            {
                // The sweep reached the write itself, not only the reads before it.
                EXPECT_GT(skip, 3);
                EXPECT_EQ(!Heard().empty(), told);
                return reply;
            }
            const bool unchanged = DataVersion() == before;
            const std::vector<std::wstring> heard = Heard();
            EXPECT_TRUE(unchanged) << "statement " << skip + 1 << " left a change in " << Changed(tables);
            EXPECT_TRUE(heard.empty()) << "statement " << skip + 1 << ": " << Utf8(heard.front());
            if (!unchanged || !heard.empty())
                return reply;
        }
        ADD_FAILURE() << "never got through: " << Description(reply.statusObject.Get());
        return reply;
    }

    // The names of the tables whose rows differ from the snapshot.
    static std::string Changed(const std::vector<Table>& before)
    {
        const Table names = DoorInstallation::Rows("SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY name");
        const std::vector<Table> now = DoorInstallation::WholeDatabase();
        std::string changed;
        for (std::size_t i = 0; i < now.size() && i < before.size() && i < names.size(); ++i)
            if (now[i] != before[i])
                changed += names[i].front() + " ";
        return changed;
    }

    Reply PutSweep(const std::string& what, bool told, const ComPtr<IWbemClassObject>& instance, LONG flags)
    {
        EXPECT_NE(instance, nullptr) << what;
        if (instance == nullptr)
            return Reply{};
        // A fresh copy each time: a failed put may have filled in the keys it drew.
        return Sweep(what, told, [&] {
            ComPtr<IWbemClassObject> copy;
            EXPECT_EQ(instance->Clone(&copy), WBEM_S_NO_ERROR);
            return Put(Form::Sync, copy.Get(), flags);
        });
    }

    ComPtr<IWbemClassObject> With(ComPtr<IWbemClassObject> instance,
                                  const std::vector<std::pair<const wchar_t*, _variant_t>>& values)
    {
        for (const auto& [name, value] : values)
        {
            _variant_t copy(value);
            EXPECT_TRUE(instance != nullptr && instance->Put(name, 0, &copy, 0) == WBEM_S_NO_ERROR) << Utf8(name);
        }
        return instance;
    }

    support::SimulatedInstallation m_servers{std::vector<std::wstring>{L"localhost"}};
    support::SqliteDatabase m_watch;
    std::vector<std::shared_ptr<CBntConnection>> m_armed;
};
}  // namespace

TEST_F(NoticeSweep, AWriteThatFailsAtAnyStatementChangesNothingAndTellsNoServer)
{
    const long person = NewPerson(L"Bnt_Cardholder", L"Sweep", 1);
    ASSERT_GT(person, 0);
    CallAs(Callers::kAdministrator);
    const _variant_t personId(static_cast<LONG>(person));

    // Badges: add, change, and an access level assigned and taken away again. The instances are
    // made before each sweep: the sweep is about the writes, not the reads that prepare them.
    const ComPtr<IWbemClassObject> newBadge = With(NewInstance(L"Bnt_Badge"), {{L"PERSONID", personId},
                                                                               {L"TYPE", _variant_t(1L)},
                                                                               {L"STATUS", _variant_t(1L)},
                                                                               {L"ISSUECODE", _variant_t(0L)},
                                                                               {L"ID", _variant_t(L"810001")}});
    ASSERT_EQ(PutSweep("badge add", true, newBadge, WBEM_FLAG_CREATE_ONLY).result, WBEM_S_NO_ERROR);
    const std::string key = Scalar("SELECT BADGEKEY FROM BADGE WHERE ID = 810001");
    ASSERT_FALSE(key.empty());
    const std::wstring badgePath = L"Bnt_Badge.BADGEKEY=" + std::wstring(key.begin(), key.end());
    PutSweep("badge change", true, With(Instance(badgePath), {{L"STATUS", _variant_t(2L)}}), WBEM_FLAG_UPDATE_ONLY);
    PutSweep("badge change back", true, With(Instance(badgePath), {{L"STATUS", _variant_t(1L)}}),
             WBEM_FLAG_UPDATE_ONLY);

    // Access levels and their assignments.
    const ComPtr<IWbemClassObject> newLevel =
        With(NewInstance(L"Bnt_AccessLevel"), {{L"Name", _variant_t(L"Sweep level")}, {L"SegmentID", _variant_t(1L)}});
    ASSERT_EQ(PutSweep("access level add", false, newLevel, WBEM_FLAG_CREATE_ONLY).result, WBEM_S_NO_ERROR);
    const std::string levelId = Scalar("SELECT ACCESSLVID FROM ACCESSLVL WHERE DESCRIPT = 'Sweep level'");
    ASSERT_FALSE(levelId.empty());
    const ComPtr<IWbemClassObject> assignment =
        With(NewInstance(L"Bnt_AccessLevelAssignment"),
             {{L"AccessLevelID", _variant_t(static_cast<LONG>(std::stol(levelId)))},
              {L"BadgeKey", _variant_t(static_cast<LONG>(std::stol(key)))}});
    ASSERT_EQ(PutSweep("assignment add", true, assignment, WBEM_FLAG_CREATE_ONLY).result, WBEM_S_NO_ERROR);
    Sweep("access level delete", true,
          [&] { return Delete(Form::Sync, L"Bnt_AccessLevel.ID=" + std::wstring(levelId.begin(), levelId.end())); });

    // The owner's primary segment moves: the access of the old segment goes, and is announced
    // as the badge mapper announces a change of access (-11, action 2, the badge's id).
    ExecSql("INSERT OR IGNORE INTO BADGELINK (BADGEKEY, ACCLVLID) VALUES (" + key + ", 1);");
    PutSweep("person segment change", true,
             With(Instance(L"Bnt_Cardholder.ID=" + std::to_wstring(person)), {{L"PRIMARYSEGMENTID", _variant_t(2L)}}),
             WBEM_FLAG_UPDATE_ONLY);
    EXPECT_EQ(Count("BADGELINK", "BADGEKEY = " + key + " AND ACCLVLID = 1"), 0);
    bool revoked = false;
    for (const support::SimulatedCall& call : m_servers.CommServer().Calls())
    {
        LONG code = 0;
        LONG action = 0;
        LONGLONG id = 0;
        RpcBlock::GetLong(call.block, 0, &code);
        RpcBlock::GetLong(call.block, 4 + 8, &action);
        RpcBlock::GetLongLong(call.block, 4 + 72, &id);
        revoked = revoked || (code == -11 && action == 2 && id == 810001);
    }
    EXPECT_TRUE(revoked) << "the revoked access was not announced";

    // A visit signed in with a new badge and out again.
    const long visit = NewVisit(1, 4);
    ASSERT_GT(visit, 0);
    const std::wstring visitPath = L"Bnt_Visit.ID=" + std::to_wstring(visit);
    Sweep("visit sign-in", true, [&] {
        return ExecWith(visitPath, L"SignVisitIn",
                        {{L"BadgeTypeID", _variant_t(2L)}, {L"PrinterName", _variant_t(L"Lobby")}});
    });
    Sweep("visit sign-out", true, [&] { return Exec(Form::Sync, visitPath, L"SignVisitOut"); });

    // A system user, and a logical device.
    PutSweep("user add", false,
             NewInstance(L"Bnt_User", {{L"LogonID", _variant_t(L"sweeper")},
                                       {L"FirstName", _variant_t(L"Sam")},
                                       {L"LastName", _variant_t(L"Sweeper")},
                                       {L"Enabled", _variant_t(true)},
                                       {L"Password", _variant_t(L"Correct-horse-7")},
                                       {L"SystemPermissionGroupID", _variant_t(0L)}}),
             WBEM_FLAG_CREATE_ONLY);
    PutSweep(
        "logical device add", true,
        With(NewInstance(L"Bnt_LogicalDevice"), {{L"SourceID", _variant_t(8L)}, {L"Name", _variant_t(L"Sweeper")}}),
        WBEM_FLAG_CREATE_ONLY);

    // The person goes with the badge: its removal is announced only once the delete stands.
    Sweep("person delete", true, [&] { return Delete(Form::Sync, L"Bnt_Cardholder.ID=" + std::to_wstring(person)); });
    EXPECT_EQ(Count("BADGE", "ID = 810001"), 0);
}
