// Each request of the WMI door reads the stamps once, both rows in one statement: the permission
// check and the mapper's own look-up of the caller share the comparison of its rights, and the
// class definitions it is served are kept under the list stamp read with them. A request that only
// reads reads them on its own connection, first thing in the one read transaction its reads share.
// A write reads them once more, under its lock.
#include "simulation/SimulatedInstallation.h"
#include "tests/e2e/DoorTest.h"
#include "tests/support/InstallationDatabase.h"
#include "tests/support/StatementRecorder.h"
#include "tests/support/TestCallers.h"

#include <functional>
#include <string>
#include <vector>

using namespace e2e;

namespace {
// Every permission, segment 1 only, with person segmentation on.
constexpr const wchar_t* kChiefCaller = support::callers::kHeadquartersChief;
// The one statement that reads both stamps.
constexpr char kStampRead[] = "SELECT (SELECT STAMP FROM RIGHTS_STAMP WHERE STAMPID = 1), "
                              "(SELECT STAMP FROM RIGHTS_STAMP WHERE STAMPID = 2)";

class RequestRightsStamp : public DoorTest
{
protected:
    static void SetUpTestSuite()
    {
        support::InstallationDatabase::Execute(DoorInstallation::DatabaseFile(),
                                               "UPDATE CONFIG_VALUE SET NUMBERVALUE = 1 WHERE CONFIGID = 1003;\n" +
                                                   support::TestCallers::Sql({kChiefCaller}));
    }

    // The servers the writes tell: a message no server took would wait in the store and reach
    // a later test's servers when the sender tries it again.
    support::SimulatedInstallation m_servers{std::vector<std::wstring>{L"localhost"}};
};
}  // namespace

TEST_F(RequestRightsStamp, EachRequestOfACachedCallerReadsTheStampsOnceAndAWriteOnceMoreUnderItsLock)
{
    CallAs(kChiefCaller);
    // The caller's login, which reads the stamps with the rights, and a first put, after which the
    // servers are told on a pooled connection of its own, whose login reads them too.
    const ComPtr<IWbemClassObject> badge = Instance(L"Bnt_Badge.BADGEKEY=1");
    ASSERT_NE(badge, nullptr);
    _variant_t pin(L"4711");
    ASSERT_EQ(badge->Put(L"PIN", 0, &pin, 0), WBEM_S_NO_ERROR);
    ASSERT_EQ(Put(Form::Sync, badge.Get(), WBEM_FLAG_UPDATE_ONLY).result, WBEM_S_NO_ERROR);
    pin = L"4712";
    ASSERT_EQ(badge->Put(L"PIN", 0, &pin, 0), WBEM_S_NO_ERROR);
    const struct
    {
        const char* request;
        std::function<Reply()> run;
        std::size_t objects;
        std::size_t reads;
        // Whether the request only reads, all in one read transaction.
        bool reading;
    } requests[] = {
        {"get of a badge", [this] { return Get(Form::Async, L"Bnt_Badge.BADGEKEY=1"); }, 1, 1, true},
        {"get of an event type", [this] { return Get(Form::Sync, L"Bnt_EventType.ID=1"); }, 1, 1, true},
        {"query of the badges", [this] { return Query(Form::Async, L"SELECT * FROM Bnt_Badge WHERE BADGEKEY = 1"); }, 1,
         1, true},
        {"enumeration of the event types", [this] { return Enum(Form::Async, L"Bnt_EventType"); }, 6, 1, true},
        {"put of a badge", [&] { return Put(Form::Sync, badge.Get(), WBEM_FLAG_UPDATE_ONLY); }, 0, 2, false},
    };
    for (const auto& r : requests)
    {
        SCOPED_TRACE(r.request);
        support::StatementRecorder recorder;
        const Reply reply = r.run();
        EXPECT_EQ(reply.result, WBEM_S_NO_ERROR) << Hex(reply.result);
        EXPECT_EQ(reply.objects.size(), r.objects);
        // Reads only: the triggers of a write set the stamps.
        std::vector<std::string> reads;
        for (const support::StatementRecorder::Statement& statement : recorder.Statements())
        {
            if (statement.sql.starts_with("SELECT") && statement.sql.find("RIGHTS_STAMP") != std::string::npos)
                reads.push_back(statement.sql);
        }
        EXPECT_EQ(reads, std::vector<std::string>(r.reads, kStampRead));
        if (!r.reading)
            continue;
        // One read transaction, on the request's connection: it begins before the stamps are read
        // there, and the record's reads follow in it.
        const std::vector<support::StatementRecorder::Statement> statements = recorder.Statements();
        std::vector<const support::StatementRecorder::Statement*> controls;
        for (const support::StatementRecorder::Statement& statement : statements)
        {
            if (statement.sql.starts_with("BEGIN") || statement.sql == "COMMIT" || statement.sql == "ROLLBACK")
                controls.push_back(&statement);
        }
        ASSERT_EQ(controls.size(), 2u);
        EXPECT_EQ(controls[0]->sql, "BEGIN DEFERRED");
        EXPECT_EQ(controls[1]->sql, "COMMIT");
        std::vector<std::string> there;
        for (const support::StatementRecorder::Statement& statement : statements)
        {
            if (statement.connection != controls[0]->connection)
                continue;
            there.push_back(statement.sql);
            EXPECT_EQ(statement.inTransaction, &statement != controls[0]) << statement.sql;
        }
        ASSERT_GE(there.size(), 4u);
        EXPECT_EQ(there.front(), "BEGIN DEFERRED");
        EXPECT_EQ(there[1], kStampRead);
        EXPECT_EQ(there.back(), "COMMIT");
    }
}

TEST_F(RequestRightsStamp, AReadWhoseCallerIsLoggedInAnewReadsTheRecordsNoOlderThanTheNewLogin)
{
    CallAs(kChiefCaller);
    ASSERT_EQ(Get(Form::Sync, L"Bnt_EventType.ID=1").result, WBEM_S_NO_ERROR);
    // The caller's rights move between its requests: the next one logs it in anew.
    support::InstallationDatabase::Execute(DoorInstallation::DatabaseFile(),
                                           "UPDATE RIGHTS_STAMP SET STAMP = STAMP + 1 WHERE STAMPID = 1");
    support::StatementRecorder recorder;
    const Reply reply = Get(Form::Sync, L"Bnt_EventType.ID=1");
    ASSERT_EQ(reply.result, WBEM_S_NO_ERROR) << Hex(reply.result);
    ASSERT_EQ(reply.objects.size(), 1u);
    const std::vector<support::StatementRecorder::Statement> statements = recorder.Statements();
    const auto first = [&](const std::function<bool(const support::StatementRecorder::Statement&)>& match,
                           std::size_t from = 0) {
        std::size_t i = from;
        while (i < statements.size() && !match(statements[i]))
            ++i;
        return i;
    };
    const std::size_t begun = first([](const auto& s) { return s.sql == "BEGIN DEFERRED"; });
    ASSERT_LT(begun, statements.size());
    const void* const own = statements[begun].connection;
    // The request's own stamp read, which finds the rights moved, then the new login's on a
    // connection of its own.
    const std::size_t compared = first([&](const auto& s) { return s.sql == kStampRead; });
    EXPECT_EQ(statements[compared].connection, own);
    const std::size_t loggedIn =
        first([&](const auto& s) { return s.sql == kStampRead && s.connection != own; }, compared + 1);
    ASSERT_LT(loggedIn, statements.size());
    // The request's reads begin again after the login, and the record is read in that transaction.
    const std::size_t again =
        first([&](const auto& s) { return s.sql == "BEGIN DEFERRED" && s.connection == own; }, loggedIn + 1);
    ASSERT_LT(again, statements.size());
    const std::size_t record =
        first([&](const auto& s) { return s.connection == own && s.sql.find("\"EVENTYPE\"") != std::string::npos; });
    EXPECT_GT(record, again);
    ASSERT_LT(record, statements.size());
    EXPECT_TRUE(statements[record].inTransaction);
}
