// A record that leaves the caller's segments while a write is on its way: the write frame decides
// the caller's authority under the write lock, so a record moved before it takes the lock answers
// as a hidden one, with nothing written and nothing sent. The move is made by the frame's test
// hook at the last moment another writer can act, on a connection of its own, as the
// administrator moving the cardholder would. One table over the write roads, both doors where
// the bus takes the request; the caller holds every right in segment 1 only.
#include "framework/CWmipWriteFrame.h"
#include "inhouse/BntCoreDb/CBntCommitQueue.h"
#include "inhouse/BntCoreDb/CBntDatabase.h"
#include "inhouse/BntCoreDb/CBntTransaction.h"
#include "simulation/SimulatedInstallation.h"
#include "tests/e2e/DoorInstallation.h"
#include "tests/e2e/DoorTest.h"
#include "tests/isolation/BusDoor.h"
#include "tests/isolation/NamedRecordSweep.h"
#include "tests/roads/RoadReasons.h"
#include "tests/roads/ServerCalls.h"
#include "tests/support/InstallationDatabase.h"
#include "tests/support/IntegerArray.h"
#include "tests/support/TestCallers.h"

#include <functional>
#include <string>
#include <vector>

using namespace e2e;
using namespace isolation;

namespace {
// Every right, segment 1 only.
constexpr const wchar_t* kRaceChief = support::callers::kHeadquartersChief;
constexpr char kRaceChiefLogin[] = "hqchief";

// Segmentation of persons, visitors and badge types on; the chief logs in on the bus; two more
// levels of segment 1, so that each road that links a level to badge 2 adds one of its own.
constexpr char kRaceRows[] = R"(
UPDATE CONFIG_VALUE SET NUMBERVALUE = 1 WHERE CONFIGID IN (1003, 1004, 1005);
UPDATE USERS SET LOGONPWD = (SELECT LOGONPWD FROM USERS WHERE USERID = 1) WHERE USERID = 51;
INSERT OR IGNORE INTO ACCESSLVL (ACCESSLVID, DESCRIPT, SEGMENTID, AVAILABLE_FOR_REQUEST, COMMAND, DOWNLOAD,
                                 FIRST_CARD_UNLOCK) VALUES (70, 'Late shift', 1, 0, 0, 1, 0), (71, 'Weekend', 1, 0, 0, 1, 0);
)";

// Person 2 (Bruno Brandt, badge key 2, access requests 1 and 5) between the segments.
constexpr char kToWarehouse[] = "UPDATE EMP SET SEGMENTID = 2 WHERE ID = 2";
constexpr char kToHeadquarters[] = "UPDATE EMP SET SEGMENTID = 1 WHERE ID = 2";
// The annex panel (6: alarm inputs 1 and 2) between the segments.
constexpr char kPanelToWarehouse[] = "UPDATE ACCESSPANE SET SEGMENTID = 2 WHERE PANELID = 6";
constexpr char kPanelToHeadquarters[] = "UPDATE ACCESSPANE SET SEGMENTID = 1 WHERE PANELID = 6";

constexpr wchar_t kBadgeNotFound[] = L"Invalid BadgeID parameter [100002] passed into Bnt_Area::MoveBadge method.";
constexpr char kMissing[] = "The requested instance could not be retrieved or does not exist.";

class WriteFrameRace : public DoorTest
{
protected:
    static void SetUpTestSuite()
    {
        support::InstallationDatabase::Execute(DoorInstallation::DatabaseFile(),
                                               support::TestCallers::Sql({kRaceChief}) + kRaceRows);
    }

    static void Move(const char* sql) { support::InstallationDatabase::Execute(DoorInstallation::DatabaseFile(), sql); }

    // The servers' recorded calls (TakeServerCalls); then cleared.
    std::vector<std::string> TakeServerCalls() { return isolation::TakeServerCalls(m_servers); }

    std::string WmiMethod(const std::wstring& path, const std::wstring& method,
                          const std::vector<std::pair<const wchar_t*, _variant_t>>& parameters)
    {
        CallAs(Callers::kAdministrator);
        const std::wstring className = path.substr(0, path.find(L'.'));
        const ComPtr<IWbemClassObject> in = MethodParameters(className, method, parameters);
        CallAs(kRaceChief);
        return Answer(Exec(Form::Sync, path, method, in.Get()));
    }

    support::SimulatedInstallation m_servers{std::vector<std::wstring>{L"localhost"}};
};

// A road: the request (as the chief), what it answers when the record is hidden before it
// starts, and whether it also runs with the record visible to show it would have written.
struct RaceRoad
{
    std::string name;
    std::function<std::string()> request;
    std::string hidden;
    bool control = true;
    // The line the road logs for the record it does not find, where its answer does not say.
    const wchar_t* line = nullptr;
    // What moves the record out of the chief's segments and back.
    const char* hide = kToWarehouse;
    const char* show = kToHeadquarters;
    // The one driver server call the road makes when the record stays visible (none: empty).
    std::string sent = {};
};

TEST_F(WriteFrameRace, ARecordMovedBeforeTheFrameTakesTheLockAnswersAsHiddenWithNothingWrittenOrSent)
{
    BusDoor bus;
    const std::string token = bus.Login(kRaceChiefLogin);
    const std::string missing = kMissing;
    const NamedValues level70 = {{L"LevelIn", support::IntegerArray({70})}};
    const NamedValues level71 = {{L"LevelIn", support::IntegerArray({71})}};
    const NamedValues badge2 = {{L"BADGEKEY", _variant_t(LONG{2})}};
    const NamedValues note = {{L"Note", _variant_t(L"Night cover")}};
    const NamedValues request1 = {{L"ID", _variant_t(LONG{1})}};
    const NamedValues move = {{L"AreaID", _variant_t(LONG{3})},
                              {L"BadgeID", _variant_t(L"100002")},
                              {L"PanelID", _variant_t(LONG{1})},
                              {L"ReaderID", _variant_t(LONG{0})},
                              {L"SegmentID", _variant_t(LONG{1})}};
    const auto parameters = [](const NamedValues& values) {
        std::vector<std::pair<const wchar_t*, _variant_t>> given;
        for (const auto& [name, value] : values)
            given.emplace_back(name.c_str(), value);
        return given;
    };
    const auto assignment = [&](LONG level) {
        return NamedValues{{L"AccessLevelID", _variant_t(level)}, {L"BadgeKey", _variant_t(LONG{2})}};
    };
    const std::string notFound = "0x80041002 | " + missing;
    const std::string busNotFound = "corvessa.executemethod.error | " + missing;
    const std::string invalidBadgeKey = "The property BadgeKey did not exist or contained an invalid value.";

    // In the order their controls run: the delete frees the link the bus adds back, and the bus
    // holds the request the WMI door then approves.
    const std::vector<RaceRoad> roads = {
        {"framework delete",
         [&] {
             CallAs(kRaceChief);
             return Answer(Delete(Form::Sync, L"Bnt_AccessLevelAssignment.AccessLevelID=1,BadgeKey=2"));
         },
         notFound},
        {"framework put",
         [&] {
             CallAs(Callers::kAdministrator);
             const ComPtr<IWbemClassObject> badge = Instance(L"Bnt_Badge.BADGEKEY=2");
             _variant_t limit(LONG{7});
             badge->Put(L"USELIMIT", 0, &limit, 0);
             CallAs(kRaceChief);
             return Answer(Put(Form::Sync, badge.Get(), WBEM_FLAG_UPDATE_ONLY));
         },
         notFound},
        {"own put, WMI",
         [&] {
             CallAs(Callers::kAdministrator);
             const ComPtr<IWbemClassObject> link = NewInstance(L"Bnt_AccessLevelAssignment", parameters(assignment(3)));
             CallAs(kRaceChief);
             return Answer(Put(Form::Sync, link.Get(), WBEM_FLAG_CREATE_ONLY));
         },
         "0x80041008 | " + invalidBadgeKey},
        {"own put, bus", [&] { return bus.Add(token, L"Bnt_AccessLevelAssignment", BusValues(assignment(1))); },
         "corvessa.general.invalidrequestitem | " + invalidBadgeKey},
        {"AssignAccessLevel, WMI",
         [&] { return WmiMethod(L"Bnt_Badge.BADGEKEY=2", L"AssignAccessLevel", parameters(level70)); }, notFound},
        {"AssignAccessLevel, bus",
         [&] { return bus.Call(token, L"Bnt_Badge", L"AssignAccessLevel", BusValues(level71), BusValues(badge2)); },
         busNotFound},
        {"Hold, bus",
         [&] { return bus.Call(token, L"Bnt_AccessLevelRequest", L"Hold", BusValues(note), BusValues(request1)); },
         busNotFound},
        {"Approve, WMI", [&] { return WmiMethod(L"Bnt_AccessLevelRequest.ID=1", L"Approve", parameters(note)); },
         notFound},
        {"Deny, WMI", [&] { return WmiMethod(L"Bnt_AccessLevelRequest.ID=1", L"Deny", parameters(note)); }, notFound,
         false},
        {"reader request Approve, WMI",
         [&] { return WmiMethod(L"Bnt_ReaderRequest.ID=5", L"Approve", parameters(note)); }, notFound},
        {"MoveBadge, WMI", [&] { return WmiMethod(L"Bnt_Area", L"MoveBadge", parameters(move)); },
         "0x80040526 | The request failed; the provider log holds the details.", true, kBadgeNotFound},
        {"MoveBadge, bus", [&] { return bus.Call(token, L"Bnt_Area", L"MoveBadge", BusValues(move)); }, "0x80040526",
         true, kBadgeNotFound},
        {"alarm input Mask, WMI", [&] { return WmiMethod(L"Bnt_AlarmInput.ID=1", L"Mask", {}); }, notFound, true,
         nullptr, kPanelToWarehouse, kPanelToHeadquarters, "driver server SetAlarmInputMask"},
        {"alarm input Unmask, bus",
         [&] {
             return bus.Call(token, L"Bnt_AlarmInput", L"Unmask", {}, BusValues({{L"ID", _variant_t(LONG{2})}}));
         },
         busNotFound, true, nullptr, kPanelToWarehouse, kPanelToHeadquarters, "driver server SetAlarmInputMask"},
    };

    TakeServerCalls();
    for (const RaceRoad& road : roads)
    {
        SCOPED_TRACE(road.name);
        // Hidden before the request: the road's own answer to a record the caller may not see.
        Move(road.hide);
        std::vector<Table> before = DoorInstallation::WholeDatabase();
        const int lines = road.line != nullptr ? LogLines(road.line) : 0;
        const std::string hidden = road.request();
        EXPECT_EQ(Reason(hidden), road.hidden);
        if (road.line != nullptr)
        {
            EXPECT_EQ(LogLines(road.line), lines + 1);
        }
        EXPECT_EQ(DoorInstallation::WholeDatabase(), before);
        EXPECT_EQ(TakeServerCalls(), std::vector<std::string>());

        // Visible when the request starts, moved by another writer before the frame takes the
        // lock: the same answer, and nothing but the move is written.
        Move(road.show);
        before = DoorInstallation::WholeDatabase();
        bool moved = false;
        CWmipWriteFrame::TestHookBeforeLock([&] {
            Move(road.hide);
            moved = true;
        });
        const std::string raced = road.request();
        CWmipWriteFrame::TestHookBeforeLock(nullptr);
        EXPECT_TRUE(moved);
        EXPECT_EQ(raced, hidden);
        if (road.line != nullptr)
        {
            EXPECT_EQ(LogLines(road.line), lines + 2);
        }
        EXPECT_EQ(TakeServerCalls(), std::vector<std::string>());
        Move(road.show);
        EXPECT_EQ(DoorInstallation::WholeDatabase(), before);
    }

    // Each road writes when the record stays visible, in one frame: the race above is what
    // refused them. A device command reaches the driver server once, when no transaction is
    // open on the sending thread: after the frame's commit.
    std::vector<int> openAtSend;
    m_servers.Driver().SetObserver([&](const support::SimulatedServer&, const support::SimulatedCall&) {
        openAtSend.push_back(CBntCommitQueue::OpenLevels());
    });
    for (const RaceRoad& road : roads)
    {
        if (!road.control)
            continue;
        SCOPED_TRACE(road.name);
        TakeServerCalls();
        openAtSend.clear();
        int frames = 0;
        CWmipWriteFrame::TestHookBeforeLock([&] { ++frames; });
        EXPECT_EQ(road.request(), "ok");
        CWmipWriteFrame::TestHookBeforeLock(nullptr);
        // Its checks and its rows in one transaction: a second frame would be a moment the
        // record could move between them.
        EXPECT_EQ(frames, 1);
        if (!road.sent.empty())
        {
            EXPECT_EQ(TakeServerCalls(), std::vector<std::string>{road.sent});
            EXPECT_EQ(openAtSend, std::vector<int>{0});
        }
    }
    m_servers.Driver().SetObserver(nullptr);

    // Inside another write's transaction on the same thread the command would leave at that
    // write's commit, after its answer: it is refused, nothing sent, nothing audited.
    const std::vector<Table> before = DoorInstallation::WholeDatabase();
    {
        CBntDatabase other;
        other.Open(CString((L"sqlite:" + DoorInstallation::DatabaseFile().wstring()).c_str()));
        CBntTransaction outer(other);
        EXPECT_EQ(ReasonText(roads.back().request()),
                  "A method that asks a server cannot run inside another write's transaction.");
    }
    EXPECT_EQ(TakeServerCalls(), std::vector<std::string>());
    EXPECT_EQ(DoorInstallation::WholeDatabase(), before);
}
}  // namespace
