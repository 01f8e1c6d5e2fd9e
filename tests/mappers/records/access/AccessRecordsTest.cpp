#include "tests/mappers/records/access/AccessRecordsTest.h"

#include "provider/CfgMessage.h"
#include "tests/support/InstallationDatabase.h"

#include <chrono>
#include <condition_variable>
#include <cstring>
#include <mutex>

namespace access_test {
namespace {
// Panel 20 is a lock panel (type 18) with one reader. Group 81 (system): provider, levels, users;
// 82 (cardholder): assignments; 83: provider and level viewing only; 85 (cardholder): viewing
// assignments only, so that the level manager may assign only the levels it manages. Segment 3
// has a unit of at most 3 levels per badge, 1 standard and 2 temporary; segment 7 one of at
// most 2, 1 standard and 2 temporary (the total bites before the temporary limit); segment 6
// one of at most 4, 2 standard and 1 temporary (the kinds' limits bite before the total);
// segment 4 a unit that holds at most 2 level records; segment 5 has no unit, so its levels
// cannot be assigned.
constexpr const char* kSetup = R"(
INSERT INTO USER_PERM (USER_PERMID, NAME, SEGMENTID, TYPE, DEVICES_ARE_EXCLUDED) VALUES
    (81, 'Access: system', -1, 1, 0), (82, 'Access: cards', -1, 2, 0), (83, 'Access: viewer', -1, 1, 0),
    (85, 'Access: assignment viewer', -1, 2, 0);
INSERT INTO USER_PERM_GRANT (USER_PERMID, PERMISSIONID) VALUES
    (81, 0x100000D0), (81, 0x1000000B), (81, 0x1000000C), (81, 0x1000000D), (81, 0x1000001E),
    (81, 0x1000000E), (81, 0x1000000F), (81, 0x10000010), (81, 0x1000001D), (81, 0x10000014), (81, 0x10000016),
    (81, 0x10000031), (81, 0x1000013E),
    (82, 0x20000000), (82, 0x20000002),
    (83, 0x100000D0), (83, 0x1000000B),
    (85, 0x20000000);
INSERT INTO USERS (USERID, LOGONID, FIRSTNAME, LASTNAME, SEGMENTID, MZID, LOGONPWD, ISENABLED,
                   SYSTEM_USER_PERMID, MONITOR_USER_PERMID, CARD_USER_PERMID, REPORT_USER_PERMID,
                   USER_PERM_UDFID, CREATED, LASTCHANGED, NOTES, IS_AUTO_CREATED_USER, BNT_DBID) VALUES
    (31, 'levelclerk', 'Lena', 'Clerk', -1, 0, NULL, 1, 81, 0, 82, 0, 0, NULL, NULL, NULL, 0, 1),
    (32, 'levelviewer', 'Leo', 'Viewer', -1, 0, NULL, 1, 83, 0, 0, 0, 0, NULL, NULL, NULL, 0, 1),
    (33, 'levelmanager', 'Lara', 'Manager', -1, 0, NULL, 1, 83, 0, 85, 0, 0, NULL, NULL, NULL, 0, 1);
INSERT INTO USER_ACCOUNT (USER_ACCOUNTID, USERID, BNT_DIRECTORYID, ACCOUNTID) VALUES
    (31, 31, 1, 'S-1-5-21-1004336348-1177238915-682003330-3101'),
    (32, 32, 1, 'S-1-5-21-1004336348-1177238915-682003330-3102'),
    (33, 33, 1, 'S-1-5-21-1004336348-1177238915-682003330-3103');
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

constexpr auto kNoticeWait = std::chrono::seconds(10);
}  // namespace

void AccessRecordsTest::SetUpTestSuite()
{
    static std::once_flag once;
    std::call_once(once, [] { ExecSql(kSetup); });
}

void AccessRecordsTest::SetUp()
{
    DoorTest::SetUp();
    CallAs(AccessCallers::kLevelClerk);
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
        arrived.wait_for(guard, kNoticeWait, [&] { return server.Calls().size() >= count; });
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
