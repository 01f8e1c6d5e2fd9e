#include "tests/mappers/records/access/AccessRecordsTest.h"

#include "hardware/CfgMessage.h"
#include "tests/support/InstallationDatabase.h"
#include "tests/support/AwaitLimit.h"

#include <chrono>
#include <condition_variable>
#include <cstring>
#include <mutex>

namespace access_test {
namespace {
// Panel 20 is a lock panel (type 18) with one reader. Segment 3 has a unit of at most 3 levels
// per badge, 1 standard and 2 temporary; segment 7 one of at most 2, 1 standard and 2 temporary
// (the total bites before the temporary limit); segment 6 one of at most 4, 2 standard and 1
// temporary (the kinds' limits bite before the total); segment 4 a unit that holds at most 2
// level records; segment 5 has no unit, so its levels cannot be assigned. The installation
// supports Onity locks (option 1007) and segments its cardholders (1003) from the start: a login
// reads the options once, and the provider keeps its logins.
constexpr const char* kSetup = R"(
INSERT OR REPLACE INTO CONFIG_VALUE (CONFIGID, NUMBERVALUE) VALUES (1007, 1), (1003, 1);
INSERT OR IGNORE INTO PANELTYPE (PANELTYPEID, NAME, PANELCLASS) VALUES (18, 'Lock panel', 1);
INSERT INTO ACCESSPANE (PANELID, NAME, SEGMENTID, ONLINE1, PANELTZ, DAYLIGHTSAVE, PANELTYPE) VALUES
    (20, 'Office locks', 1, 1, 1, 0, 18);
INSERT INTO READER (PANELID, READERID, READERDESC, CTRLTYPE, TIMEATT) VALUES (20, 0, 'Office 101', 1, 0);
INSERT INTO SEGMENT (SEGMENTID, NAME, TYPE) VALUES
    (3, 'Quota', 0), (4, 'Small', 0), (5, 'Closed', 0), (6, 'Kinds', 0), (7, 'Total', 0);
INSERT INTO SEGMENT_UNIT (SEGMENTID, MAX_BADGE_NUMBER_LENGTH, MAX_ACCESS_LEVELS, MAX_TEMPORARY_ACCESS_LEVELS,
                          MAX_STANDARD_ACCESS_LEVELS, DYNAMIC_OPTION, HIDDEN, MAX_ACCESS_LEVEL_RECORDS) VALUES
    (3, 10, 3, 2, 1, 0, 0, 100), (4, 10, 8, 8, 8, 0, 0, 2), (6, 10, 4, 1, 2, 0, 0, 100),
    (7, 10, 2, 2, 1, 0, 0, 100);
)";

}  // namespace

void AccessRecordsTest::SetUpTestSuite()
{
    static std::once_flag once;
    std::call_once(once, [] {
        ExecSql(support::TestCallers::Sql({AccessCallers::kLevelClerk, AccessCallers::kLevelViewer,
                                           AccessCallers::kLevelManager, AccessCallers::kHeadquartersChief}) +
                kSetup);
    });
}

void AccessRecordsTest::SetUp()
{
    DoorTest::SetUp();
    CallAs(AccessCallers::kLevelClerk);
    m_lastRequest = Scalar("SELECT COALESCE(MAX(ID), 0) FROM ACCESS_REQUEST");
}

void AccessRecordsTest::TearDown()
{
    ExecSql("DELETE FROM ACCESS_REQUEST WHERE ID > " + m_lastRequest + ";");
    DoorTest::TearDown();
}

void AccessRecordsTest::ExecSql(const std::string& sql)
{
    support::InstallationDatabase::Execute(e2e::DoorInstallation::DatabaseFile(), sql);
}

std::string AccessRecordsTest::Scalar(const std::string& sql)
{
    const e2e::Table rows = e2e::DoorInstallation::Rows(sql);
    return rows.empty() || rows.front().empty() ? std::string() : rows.front().front();
}

std::vector<Notice> AccessRecordsTest::CommNotices(std::size_t count)
{
    support::SimulatedCfgServer& server = m_servers->CommServer();
    std::mutex lock;
    std::condition_variable arrived;
    server.SetObserver([&](const support::SimulatedServer&, const support::SimulatedCall&) {
        std::lock_guard<std::mutex> guard(lock);
        arrived.notify_all();
    });
    {
        std::unique_lock<std::mutex> guard(lock);
        arrived.wait_for(guard, support::kAwaitLimit, [&] { return server.Calls().size() >= count; });
    }
    server.SetObserver(nullptr);
    std::vector<Notice> notices;
    for (const support::SimulatedCall& call : server.Calls())
    {
        // The call carries the code word, then the message block.
        const auto word = [&](std::size_t offset) {
            LONG value = 0;
            if (offset + sizeof value <= call.block.size())
                std::memcpy(&value, call.block.data() + offset, sizeof value);
            return value;
        };
        Notice notice;
        notice.code = word(0);
        notice.action = word(4 + 8);
        notice.level = word(4 + 44);
        notice.value = word(4 + 92);
        notice.badgeKey = word(4 + 132);
        notice.badgeId =
            static_cast<LONGLONG>(static_cast<ULONG>(word(4 + 72))) | (static_cast<LONGLONG>(word(4 + 76)) << 32);
        notices.push_back(notice);
    }
    EXPECT_GE(notices.size(), count);
    return notices;
}

long AccessRecordsTest::NewLevel(const std::string& name, long segment)
{
    const long id = std::stol(Scalar("SELECT COALESCE(MAX(ACCESSLVID), 0) + 1 FROM ACCESSLVL"));
    ExecSql("INSERT INTO ACCESSLVL (ACCESSLVID, DESCRIPT, SEGMENTID) VALUES (" + std::to_string(id) + ", '" + name +
            "', " + std::to_string(segment) + ");");
    return id;
}

long AccessRecordsTest::NewBadge(long long badgeId, bool active)
{
    const long key = std::stol(Scalar("SELECT COALESCE(MAX(BADGEKEY), 0) + 1 FROM BADGE"));
    ExecSql("INSERT INTO BADGE (BADGEKEY, ID, ISSUECODE, TYPE, STATUS, EMPID) VALUES (" + std::to_string(key) + ", " +
            std::to_string(badgeId) + ", 0, 1, " + (active ? "1" : "2") + ", 1);");
    return key;
}
}  // namespace access_test
