// Every record a write or a method names, read from the declarations, through both doors, on
// the demo installation with person, visitor and badge-type segmentation on. A caller without
// the right gets the same permission answer whether the record exists, is hidden or is missing;
// a caller of segment 1 with every right gets for a record of segment 2 exactly what it gets for
// a missing one (the answer and the log lines, the id aside), or the road's own answer where the
// test's own table of roads gives one (never the declaration under test); nothing is written or
// sent. Beside the sweep, the roads whose answers their own steps give.
#include "framework/DateTimeText.h"
#include "framework/NamedRecordRoad.h"
#include "hardware/RpcBlock.h"
#include "inhouse/BntUtility/CWMIDebugLog.h"
#include "inhouse/BntUtility/LogFileWriter.h"
#include "inhouse/BntUtility/StringConversion.h"
#include "simulation/SimulatedInstallation.h"
#include "tests/e2e/DoorInstallation.h"
#include "tests/e2e/DoorTest.h"
#include "tests/isolation/BusDoor.h"
#include "tests/isolation/NamedRecordSweep.h"
#include "tests/roads/RoadReasons.h"
#include "tests/support/InstallationDatabase.h"
#include "tests/support/IntegerArray.h"
#include "tests/support/PropertyText.h"
#include "tests/support/TemporaryHome.h"
#include "tests/support/TestCallers.h"

#include <filesystem>
#include <functional>
#include <optional>
#include <mutex>
#include <regex>

using namespace e2e;
using namespace isolation;

namespace {
// Every right, segment 1 only.
constexpr const wchar_t* kChief = support::callers::kHeadquartersChief;
// The right to use the provider and a card group that may view assignments, segment 1.
constexpr const wchar_t* kBystander = support::callers::kProviderOnly;
// May view cardholders, badges and assignments, segment 1; may not assign levels and manages none.
constexpr const wchar_t* kBadgeViewer = support::callers::kLevelManager;
constexpr char kChiefLogin[] = "hqchief";
constexpr char kBystanderLogin[] = "provider";

// Segmentation of persons, visitors and badge types on; both callers log in on the bus; records
// of segment 2 (hidden from the callers) and of segment 1 where the demo has none; the badges of
// person 3, who stands in segment 2, are held there too; the zone of segment 1 covers its recorder;
// the chief's badge has card properties, so that a write of them is whole but for the badge; an
// elevator keypad stands on the dock panel of segment 2.
constexpr char kRows[] = R"(
UPDATE CONFIG_VALUE SET NUMBERVALUE = 1 WHERE CONFIGID IN (1003, 1004, 1005);
UPDATE USERS SET LOGONPWD = (SELECT LOGONPWD FROM USERS WHERE USERID = 1) WHERE USERID IN (4, 51);
UPDATE USERS SET CARD_USER_PERMID = 85, SEGMENTID = 1 WHERE USERID = 4;
INSERT INTO PRECACGRP (PRECGRPID, NAME, SEGMENTID) VALUES (70, 'Dock precision', 2), (71, 'Lobby precision', 1);
INSERT INTO BDGPRECLINK (PRECGRPID, BADGEKEY) VALUES (71, 2);
INSERT INTO ACCESSPANE (PANELID, NAME, SEGMENTID, ONLINE1, PANELTZ, DAYLIGHTSAVE, PANELTYPE) VALUES
    (70, 'Dock source', 2, 1, 1, 0, 39), (71, 'Lobby source', 1, 1, 1, 0, 39);
INSERT INTO VEXLET_DEVICE (VEXLET_DEVICEID, PANELID, NAME, SUB_DEVICEID) VALUES (72, 70, 'Dock device', 0),
    (72, 70, 'Dock sub-device', 5), (73, 71, 'Lobby device', 0), (73, 71, 'Lobby sub-device', 6);
INSERT INTO AREAAPB (AREAAPBID, NAME, AREAAPB_TYPE, PANELID, SEGMENTID) VALUES (70, 'Dock yard', 0, 2, 2);
INSERT INTO ACCESSGRP (ACCESSGPID, DESCRIPT, SEGMENTID) VALUES (70, 'Dock staff', 2);
DELETE FROM EMP_SEGMENT_LINK;
INSERT INTO USER_PERM (USER_PERMID, NAME, SEGMENTID, TYPE, DEVICES_ARE_EXCLUDED) VALUES (86, 'Roads: badges', -1, 2, 0);
INSERT INTO USER_PERM_GRANT (USER_PERMID, PERMISSIONID) VALUES (86, 0x20000000), (86, 0x20000003), (86, 0x20000006),
    (86, 0x20000057);
UPDATE USERS SET CARD_USER_PERMID = 86, SEGMENTID = 1 WHERE USERID = 33;
INSERT INTO VISIT (VISITID, VISIT_EVENTID, EMPID, VISITORID, LASTCHANGED_UTC) VALUES (80, 1, 1, 4, '2024-03-01 09:00:00');
INSERT INTO BADGETYP (ID, NAME, BADGE_CLASS, DISPOSABLE, DEFGROUP, SEGMENTID) VALUES (70, 'Dock visitor', 2, 1, 0, 2);
INSERT INTO EMP_SEGMENT_LINK (EMPID, SEGMENTID) VALUES (2, 1);
UPDATE BADGE SET SEGMENTID = 2 WHERE EMPID = 3;
INSERT INTO USERS (USERID, LOGONID, FIRSTNAME, LASTNAME, SEGMENTID, ISENABLED, BNT_DBID) VALUES
    (80, 'dockhand', 'Dock', 'Hand', 2, 1, 1);
INSERT INTO USER_PERM (USER_PERMID, NAME, SEGMENTID, TYPE, DEVICES_ARE_EXCLUDED) VALUES (87, 'Dock rights', 2, 1, 0);
INSERT INTO MONZONE (MZID, SEGMENTID, MZDESCR) VALUES (70, 2, 'Dock zone');
INSERT INTO ACCESSPANE (PANELID, NAME, SEGMENTID, ONLINE1, PANELTZ, DAYLIGHTSAVE, PANELTYPE) VALUES
    (72, 'Dock recorder', 2, 1, 1, 0, 36);
INSERT INTO CCTVDEVICE (NAME, CCTVDEVICEID, PANELID) VALUES ('Dock camera', 70, 72);
INSERT INTO DEVICE_GROUP (DEVICEGROUPID, NAME, SEGMENTID, TYPE) VALUES (70, 'Dock cameras', 2, 3);
INSERT INTO ALARM (ALID, ALPRIORITY, ALDESCR, SEGMENTID) VALUES (70, 1, 'Dock alarm', 2);
INSERT INTO MONDEVLINK (MZID, PANELID, DEVICEID, INPUTOUTPUTID, ENTIREDEVICE) VALUES (1, 7, 0, 0, 1);
INSERT INTO BADGEPROPS (BADGEKEY, CARD_INTERFACE, CARD_TECHNOLOGY, SERIAL_NUMBER, ISSUING_CMS_ID) VALUES
    (2, 1, 1, 'Lobby card', 7);
INSERT INTO ELEVATOR_KEYPAD_TERMINAL (TERMINALID, PANELID, IPADDRESS, NAME) VALUES (7, 2, 3, 'Dock keypad');
)";

// How a request ended: its answer and the log lines it wrote, each with the ids it named
// replaced by "#" and the log lines without their time and thread.
struct Road
{
    std::string answer;
    std::vector<std::string> lines;
    bool operator==(const Road&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Road& road)
{
    out << road.answer;
    for (const std::string& line : road.lines)
        out << "\n  " << line;
    return out;
}

struct MethodCall;

class NamedRecordRoads : public DoorTest
{
protected:
    // Once per program: the suites derived from this one share the rows it writes.
    static void SetUpTestSuite()
    {
        static std::once_flag once;
        std::call_once(once, [] {
            support::InstallationDatabase::Execute(
                DoorInstallation::DatabaseFile(),
                support::TestCallers::Sql({kChief, kBystander, support::callers::kLevelManager}) + kRows);
        });
    }

    static std::filesystem::path LogFile()
    {
        return brontel::utility::ConvertCStringToUtf8(brontel::utility::CWMIDebugLog::GetLogFileName());
    }

    // The request's answer and the lines it logged, the ids replaced.
    static Road Take(const std::function<std::string()>& request, const std::vector<std::wstring>& ids)
    {
        brontel::utility::LogFileWriter::Flush();
        const std::size_t before = support::TemporaryHome::ReadLines(LogFile()).size();
        Road road{WithoutIds(request(), ids), {}};
        brontel::utility::LogFileWriter::Flush();
        const std::vector<std::string> lines = support::TemporaryHome::ReadLines(LogFile());
        static const std::regex stamp(R"(^\S+ \S+ \[\d+\] )");
        // How long a look-up took is no part of the road.
        static const std::regex timing(R"( took \d+ ms)");
        for (std::size_t i = before; i < lines.size(); ++i)
            if (!std::regex_search(lines[i], timing))
                road.lines.push_back(WithoutIds(std::regex_replace(lines[i], stamp, ""), ids));
        return road;
    }

    // The call of a method on the first instance the chief sees of its class, each other record
    // the method names set to the first record the chief sees of that class; none when the chief
    // sees no instance.
    std::optional<MethodCall> InstanceCall(const NamedRecord& named, const std::vector<NamedRecord>& registered,
                                           const Declared& declared);

    support::SimulatedInstallation m_servers{std::vector<std::wstring>{L"localhost"}};
};

// The classes whose writes test no permission id before the road looks for the records they
// name (the person-based checks of a multimedia object decide).
const std::set<std::wstring> kNoPermissionStep = {L"Bnt_MultimediaObject"};

// How the roads answer the records they name, written here from each road's own steps and never
// read from the declarations under test. The rule: a missing record is refused with 0x80041008
// naming it (unless the class takes no such write at all), and a record beyond the caller's
// segments gets exactly what a missing one gets, the answer and the log lines, the id aside. The
// roads below answer otherwise: a missing record with a step of their own, or a hidden one with
// their own segment refusal.
struct OwnRoad
{
    // The answer to a missing record, code and text; null: the rule's.
    const char* missing = nullptr;
    // The answer to a hidden record, code and text; null: the missing record's road.
    const char* hidden = nullptr;
};

constexpr char kNoSegmentAccess[] =
    "0x80041003 | The client does not have sufficient segment access to perform the requested operation.";
constexpr char kNoPersonAccess[] =
    "0x80041003 | The client does not have sufficient user permissions to perform the requested operation.";
constexpr char kMoveFailed[] = "0x80040526 | The request failed; the provider log holds the details.";

const std::map<std::wstring, OwnRoad>& OwnRoads()
{
    static const std::map<std::wstring, OwnRoad> roads = {
        // The link's zone and panel segments are checked before any other step of the link.
        {L"Bnt_MonitoringZoneDeviceLink.: MonitoringZoneID", {nullptr, kNoSegmentAccess}},
        {L"Bnt_MonitoringZoneDeviceLink.: PanelID", {nullptr, kNoSegmentAccess}},
        {L"Bnt_MonitoringZoneRecorderLink.: MonitoringZoneID", {nullptr, kNoSegmentAccess}},
        {L"Bnt_MonitoringZoneRecorderLink.: PanelID", {nullptr, kNoSegmentAccess}},
        // The person's own permission test for the caller.
        {L"Bnt_Account.: PersonID", {nullptr, kNoPersonAccess}},
        {L"Bnt_MultimediaObject.: PersonID", {nullptr, kNoPersonAccess}},
        {L"Bnt_Badge.: PERSONID", {nullptr, kNoSegmentAccess}},
        // Segment access to the person's or user's primary segment and to the segment named.
        {L"Bnt_PersonSecondarySegments.: PersonID", {nullptr, kNoSegmentAccess}},
        {L"Bnt_PersonSecondarySegments.: SegmentID", {nullptr, kNoSegmentAccess}},
        {L"Bnt_UserSecondarySegment.: UserID", {nullptr, kNoSegmentAccess}},
        {L"Bnt_UserSecondarySegment.: SegmentID", {nullptr, kNoSegmentAccess}},
        // MoveBadge logs which record it did not find and fails plainly.
        {L"Bnt_Area.MoveBadge: AreaID", {kMoveFailed}},
        {L"Bnt_Area.MoveBadge: BadgeID", {kMoveFailed}},
        {L"Bnt_Area.MoveBadge: PanelID ReaderID", {kMoveFailed}},
        {L"Bnt_Area.MoveBadge: SegmentID", {kMoveFailed}},
        // Each level is refused under the name the assignment gives it.
        {L"Bnt_Badge.AssignAccessLevel: LevelIn",
         {"0x80041008 | The property AccessLevelID did not exist or contained an invalid value."}},
        // A user the caller cannot manage, a missing one included.
        {L"Bnt_UserAccount.: UserID",
         {"0x80041001 | The client does not have sufficient user permissions to "
          "perform the requested operation."}},
        // A panel the chief cannot reach, hidden or missing, is named to no server: the
        // acknowledgement is answered as one no server accepted.
        {L"Bnt_IncomingEvent.AcknowledgeAlarm: PanelID", {"ok"}},
    };
    return roads;
}

// The values as the bus takes them: a date in the door's own form.
NamedValues OnTheBus(NamedValues values)
{
    for (auto& [name, value] : values)
    {
        DateTimeText::Parts parts;
        const VARIANT& raw = value;
        if (raw.vt == VT_BSTR && raw.bstrVal != nullptr && DateTimeText::ParseDmtf(raw.bstrVal, parts))
            value = _variant_t(DateTimeText::FormatIso(parts).GetString());
    }
    return values;
}

// Where a method is called, and the parameters it is given besides the record it names: each
// names records the callers see, so that only the record under test can refuse the call. A method
// of none of the calls below is called on the first instance the chief sees, with each other
// record it names one the chief sees: only a method called on its class, or one that takes
// values that name no record, needs a call here.
struct MethodCall
{
    std::wstring className;
    std::wstring method;
    std::wstring path;
    // The keys of the path, for the bus.
    NamedValues keys;
    NamedValues base;
    // A method that tests no permission of its own has no permission answer to compare.
    bool permissionStep = true;
};

const std::vector<MethodCall>& MethodCalls()
{
    static const std::vector<MethodCall> calls = {
        {L"Bnt_Area",
         L"MoveBadge",
         L"Bnt_Area",
         {},
         {{L"AreaID", _variant_t(LONG{3})},
          {L"BadgeID", _variant_t(L"100001")},
          {L"PanelID", _variant_t(LONG{1})},
          {L"ReaderID", _variant_t(LONG{0})},
          {L"SegmentID", _variant_t(LONG{1})}},
         false},
        {L"Bnt_IncomingEvent",
         L"AcknowledgeAlarm",
         L"Bnt_IncomingEvent",
         {},
         {{L"CurrentAckStatus", _variant_t(LONG{1})},
          {L"SerialNumber", _variant_t(LONG{41})},
          {L"AlarmID", _variant_t(LONG{42})},
          {L"AckStatus", _variant_t(LONG{2})},
          {L"AlarmTime", _variant_t(L"20240301120000.000000+000")}},
         false},
        {L"Bnt_GuardTour",
         L"LaunchTour",
         L"Bnt_GuardTour.ID=1",
         {{L"ID", _variant_t(LONG{1})}},
         {{L"MonStationID", _variant_t(LONG{1})}}},
    };
    return calls;
}

std::optional<MethodCall> NamedRecordRoads::InstanceCall(const NamedRecord& named,
                                                         const std::vector<NamedRecord>& registered,
                                                         const Declared& declared)
{
    CallAs(kChief);
    const Reply instances = Enum(Form::Sync, named.className);
    const CWMITypeInfo* type = CWmipMapperRegistry::Instance()->GetTypeInfo(named.className.c_str(), true);
    if (instances.objects.empty() || type == nullptr)
    {
        CallAs(Callers::kAdministrator);
        return std::nullopt;
    }
    IWbemClassObject* instance = instances.objects.front().Get();
    const std::string path = support::PropertyText(instance, L"__RELPATH");
    MethodCall call{named.className, named.method, std::wstring(path.begin(), path.end()), {}, {}};
    for (const auto& [key, column] : type->GetKeyProperties())
    {
        _variant_t value;
        EXPECT_EQ(instance->Get(key.GetString(), 0, &value, nullptr, nullptr), WBEM_S_NO_ERROR);
        call.keys.emplace_back(key.GetString(), value);
    }
    for (const NamedRecord& other : registered)
    {
        if (other.className != named.className || other.method != named.method || other.Label() == named.Label())
            continue;
        const Reply seen = Enum(Form::Sync, other.referencedClass);
        if (seen.objects.empty())
            continue;
        std::vector<std::wstring> values;
        for (const std::wstring& key : other.keys)
        {
            const std::string text = support::PropertyText(seen.objects.front().Get(), key.c_str());
            values.emplace_back(text.begin(), text.end());
        }
        call.base = With(call.base, other, declared, values);
    }
    CallAs(Callers::kAdministrator);
    return call;
}

TEST_F(NamedRecordRoads, AHiddenRecordTakesTheRoadOfAMissingOneBehindThePermissionStep)
{
    const Declared declared = ReadDeclarations();
    const std::vector<NamedRecord> registered = RegisteredNamedRecords();
    ASSERT_GE(registered.size(), declared.records.size());
    BusDoor bus;
    const std::string chiefToken = bus.Login(kChiefLogin);
    const std::string bystanderToken = bus.Login(kBystanderLogin);
    const std::vector<Table> before = DoorInstallation::WholeDatabase();
    std::set<std::wstring> swept;
    std::set<std::wstring> unsegmented;
    for (const NamedRecord& named : registered)
    {
        SCOPED_TRACE(Utf8(named.Label()));
        const auto own = OwnRoads().find(named.Label());
        const OwnRoad road = own != OwnRoads().end() ? own->second : OwnRoad{};
        // The declaration says which roads refuse a hidden record with their own segment refusal.
        const bool segmentRefusal = road.hidden != nullptr && std::string_view(road.hidden).starts_with("0x80041003");
        EXPECT_EQ(named.road == NamedRecordRoad::kMapperSegmentRefusal, segmentRefusal) << "the declared road";
        CallAs(Callers::kAdministrator);
        std::optional<MethodCall> call;
        for (const MethodCall& one : MethodCalls())
            if (one.className == named.className && one.method == named.method)
                call = one;
        if (!named.method.empty() && !call)
        {
            call = InstanceCall(named, registered, declared);
            ASSERT_TRUE(call) << "no instance the chief sees to call the method on";
        }
        // The template of a write: an instance the chief sees (so that the other records it
        // names are ones the chief sees too), else one the administrator sees.
        NamedValues base;
        if (named.method.empty())
        {
            CallAs(kChief);
            Reply stored = Enum(Form::Sync, named.className);
            CallAs(Callers::kAdministrator);
            if (stored.objects.empty())
                stored = Enum(Form::Sync, named.className);
            base = TemplateOf(stored.objects.empty() ? nullptr : stored.objects.front().Get(), named.className,
                              declared, 1);
        }
        else
            base = call->base;

        // The hidden records are the rows of the referenced class's own table held beyond segment
        // 1, read from the database; the seen ones are those the chief reads through the class.
        const StoredRecords stored = RowsBeyondSegment(named.referencedClass, named.keys, 1);
        std::vector<std::vector<std::wstring>> hidden;
        for (const auto& values : stored.held)
            if (!Taken(base, named, values))
                hidden.push_back(values);
        std::vector<std::vector<std::wstring>> seen;
        CallAs(kChief);
        for (const ComPtr<IWbemClassObject>& object : Enum(Form::Sync, named.referencedClass).objects)
        {
            std::vector<std::wstring> values;
            for (const std::wstring& key : named.keys)
            {
                const std::string text = support::PropertyText(object.Get(), key.c_str());
                values.emplace_back(text.begin(), text.end());
            }
            if (!Taken(base, named, values))
                seen.push_back(values);
        }
        std::vector<std::wstring> missing;
        for (std::size_t i = 0; i < named.keys.size(); ++i)
            missing.push_back(std::to_wstring(kMissingRecord + static_cast<LONG>(i)));
        if (!stored.segmented)
            unsegmented.insert(named.Label());
        else if (hidden.empty())
        {
            ADD_FAILURE() << "no stored record beyond segment 1 for " << Utf8(named.referencedClass);
            continue;
        }

        const auto wmi = [&](const wchar_t* caller, const std::vector<std::wstring>& values) {
            return Take(
                [&] {
                    CallAs(Callers::kAdministrator);
                    std::vector<std::pair<const wchar_t*, _variant_t>> given;
                    const NamedValues filled = With(base, named, declared, values);
                    for (const auto& [name, value] : filled)
                        given.emplace_back(name.c_str(), value);
                    // A class the door does not serve is described without the properties it
                    // would take: its writes are refused before anything else.
                    ComPtr<IWbemClassObject> object = named.method.empty()
                                                          ? NewInstance(named.className)
                                                          : MethodParameters(named.className, named.method, given);
                    if (named.method.empty())
                        for (const auto& [name, value] : given)
                        {
                            _variant_t put(value);
                            object->Put(name, 0, &put, 0);
                        }
                    CallAs(caller);
                    return Answer(named.method.empty() ? Put(Form::Sync, object.Get(), WBEM_FLAG_CREATE_ONLY)
                                                       : Exec(Form::Sync, call->path, named.method, object.Get()));
                },
                values);
        };
        const auto onBus = [&](const std::string& token, const std::vector<std::wstring>& values) {
            return Take(
                [&] {
                    const auto map = BusValues(OnTheBus(With(base, named, declared, values)));
                    return named.method.empty()
                               ? bus.Add(token, named.className, map)
                               : bus.Call(token, named.className, named.method, map, BusValues(call->keys));
                },
                values);
        };

        // The chief: the road's answer to a missing record, and to a hidden one that of a missing
        // record or the road's own segment refusal. What a door loads on its first request of a
        // kind is loaded before.
        const Road missingWmi = wmi(kChief, missing);
        const Road missingBus = onBus(chiefToken, missing);
        const std::string missingAnswer = Reason(missingWmi.answer);
        if (road.missing != nullptr)
        {
            EXPECT_EQ(missingAnswer, road.missing) << missingWmi;
        }
        // A class that takes no such write, or that the door does not serve, says so before
        // anything else; else the record is refused naming it: one of its names (a composite
        // record's first name when that names a record of its own).
        else if (missingAnswer.rfind("0x8004100C", 0) != 0 && missingAnswer.rfind("0x80041010", 0) != 0)
        {
            EXPECT_TRUE(std::any_of(named.names.begin(), named.names.end(), [&](const std::wstring& name) {
                return missingAnswer ==
                       "0x80041008 | The property " + Utf8(name) + " did not exist or contained an invalid value.";
            })) << missingWmi;
        }
        EXPECT_EQ(missingBus.answer == "ok", missingWmi.answer == "ok") << missingBus;
        // A record of a class held in no segment is only ever missing.
        if (stored.segmented)
        {
            const Road hiddenWmi = wmi(kChief, hidden.front());
            const Road hiddenBus = onBus(chiefToken, hidden.front());
            if (road.hidden != nullptr)
            {
                EXPECT_EQ(Reason(hiddenWmi.answer), road.hidden) << hiddenWmi;
                EXPECT_EQ(ReasonText(hiddenBus.answer), ReasonText(road.hidden)) << hiddenBus;
            }
            else
            {
                EXPECT_EQ(hiddenWmi, wmi(kChief, missing));
                EXPECT_EQ(hiddenBus, onBus(chiefToken, missing));
            }
        }

        // A caller without the right: the permission answer, whatever the record. A road that
        // looks for the record before any permission of its own answers a missing one first,
        // and a hidden one as a record it may not change.
        const bool permissionFirst = call ? call->permissionStep : !kNoPermissionStep.contains(named.className);
        // (A method that tests no permission at all is not asked with a record the caller sees.)
        if (!seen.empty() && (permissionFirst || segmentRefusal))
        {
            const Road refused = wmi(kBystander, seen.front());
            const Road busRefused = onBus(bystanderToken, seen.front());
            EXPECT_NE(refused.answer, "ok");
            if (permissionFirst)
            {
                EXPECT_EQ(refused.answer.rfind("0x80041008", 0), std::string::npos) << refused;
                EXPECT_EQ(wmi(kBystander, missing).answer, refused.answer);
                EXPECT_EQ(onBus(bystanderToken, missing).answer, busRefused.answer);
            }
            if (stored.segmented)
            {
                EXPECT_EQ(wmi(kBystander, hidden.front()).answer, refused.answer);
                EXPECT_EQ(onBus(bystanderToken, hidden.front()).answer, busRefused.answer);
            }
        }
        // Nothing is sent for any of them.
        for (support::SimulatedServer* server : m_servers.Servers())
        {
            EXPECT_TRUE(server->Calls().empty()) << Utf8(server->ServerName());
            server->ClearCalls();
        }
        swept.insert(named.Label());
    }
    // Every declared record is tried: hidden and missing or, held in no segment, missing.
    EXPECT_EQ(swept.size(), registered.size());
    // The records whose roads once let a hidden record through are among those tried hidden.
    for (const wchar_t* label :
         {L"Bnt_PrecisionAccessGroupAssignment.: PrecisionAccessGroupID", L"Bnt_LogicalSubDevice.: SourceID DeviceID",
          L"Bnt_LogicalDevice.: SourceID", L"Bnt_Area.MoveBadge: PanelID ReaderID", L"Bnt_Area.MoveBadge: AreaID",
          L"Bnt_Badge.: PERSONID", L"Bnt_Badge.AssignAccessLevel: LevelIn", L"Bnt_Account.: PersonID",
          L"Bnt_Visit.: VISITORID", L"Bnt_PersonSecondarySegments.: PersonID", L"Bnt_AccessLevelRequest.: PersonID",
          L"Bnt_PersonSecondarySegments.: SegmentID", L"Bnt_UserSecondarySegment.: UserID",
          L"Bnt_UserSecondarySegment.: SegmentID"})
    {
        EXPECT_TRUE(swept.contains(label) && !unsegmented.contains(label)) << Utf8(label);
    }
    // Each road of the table is a declared record, and one with its own answer to a hidden record
    // is tried hidden.
    for (const auto& [label, road] : OwnRoads())
    {
        EXPECT_TRUE(swept.contains(label) && (road.hidden == nullptr || !unsegmented.contains(label))) << Utf8(label);
    }
    EXPECT_EQ(DoorInstallation::WholeDatabase(), before);
}

// Each road answers a record it does not find with its own step: MoveBadge logs which record it
// did not find, AssignAccessLevel refuses in its order (no badge, no right, a disposable badge, then
// each level, naming AccessLevelID), a caller of segment 1 included, and AssignGroup refuses a
// group holding a level the caller does not see for a badge the caller sees; nothing is written.
TEST_F(NamedRecordRoads, EachRoadAnswersARecordItDoesNotFindWithItsOwnStep)
{
    const std::vector<Table> before = DoorInstallation::WholeDatabase();
    struct Case
    {
        const wchar_t* caller;
        std::wstring path;
        std::wstring method;
        std::vector<std::pair<const wchar_t*, _variant_t>> parameters;
        std::string answer;
        std::string line;
    };
    const auto move = [](LONG area, const wchar_t* badge, LONG panel, LONG reader) {
        return std::vector<std::pair<const wchar_t*, _variant_t>>{{L"AreaID", _variant_t(area)},
                                                                  {L"BadgeID", _variant_t(badge)},
                                                                  {L"PanelID", _variant_t(panel)},
                                                                  {L"ReaderID", _variant_t(reader)},
                                                                  {L"SegmentID", _variant_t(LONG{1})}};
    };
    const auto levels = [](std::initializer_list<LONG> ids) {
        return std::vector<std::pair<const wchar_t*, _variant_t>>{{L"LevelIn", support::IntegerArray(ids)}};
    };
    const std::string invalidLevel =
        "0x80041008 | The property AccessLevelID did not exist or contained an invalid value.";
    const std::vector<Case> cases = {
        {Callers::kAdministrator, L"Bnt_Area", L"MoveBadge", move(3, L"999999", 1, 0), "0x80040526",
         "Invalid BadgeID parameter [999999] passed into Bnt_Area::MoveBadge method."},
        {Callers::kAdministrator, L"Bnt_Area", L"MoveBadge", move(3, L"100001", 1, 9), "0x80040526",
         "Invalid PanelID [1], ReaderID [9], SegmentID [1] parameter combination passed into Bnt_Area::MoveBadge "
         "method."},
        {Callers::kAdministrator, L"Bnt_Area", L"MoveBadge", move(9, L"100001", 1, 0), "0x80040526",
         "Area ID [9] passed into Bnt_Area::MoveBadge method does not exist."},
        {kChief, L"Bnt_Area", L"MoveBadge", move(70, L"100001", 1, 0), "0x80040526",
         "Area ID [70] passed into Bnt_Area::MoveBadge method does not exist."},
        {Callers::kAdministrator, L"Bnt_Badge.BADGEKEY=999", L"AssignAccessLevel", levels({999}),
         "0x80041002 | The requested instance could not be retrieved or does not exist.", ""},
        {kBadgeViewer, L"Bnt_Badge.BADGEKEY=2", L"AssignAccessLevel", levels({999}),
         "0x80041001 | The client does not have sufficient user permissions to perform the requested operation.", ""},
        {Callers::kAdministrator, L"Bnt_Badge.BADGEKEY=4", L"AssignAccessLevel", levels({999}),
         "0x80041001 | Access level assignments can only be made to badges that are not disposable.", ""},
        {Callers::kAdministrator, L"Bnt_Badge.BADGEKEY=2", L"AssignAccessLevel", levels({3, 999}), invalidLevel, ""},
        {kChief, L"Bnt_Badge.BADGEKEY=2", L"AssignAccessLevel", levels({3, 2}), invalidLevel, ""},
        // Group 1 holds level 1 of segment 1 and level 2 of segment 2; badge 2 is the chief's own.
        {kChief,
         L"Bnt_AccessGroup.ID=1",
         L"AssignGroup",
         {{L"BadgeKey", _variant_t(LONG{2})}},
         "0x80041008 | The property ID did not exist or contained an invalid value.",
         ""},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(Utf8(c.path + L"." + c.method) + " " + c.line);
        CallAs(Callers::kAdministrator);
        const std::wstring className = c.path.substr(0, c.path.find(L'.'));
        const ComPtr<IWbemClassObject> in = MethodParameters(className, c.method, c.parameters);
        CallAs(c.caller);
        const Road road = Take([&] { return Answer(Exec(Form::Sync, c.path, c.method, in.Get())); }, {});
        const std::string answer = Reason(road.answer);
        EXPECT_EQ(answer.substr(0, c.answer.size()), c.answer) << road;
        if (!c.line.empty())
        {
            EXPECT_TRUE(std::any_of(road.lines.begin(), road.lines.end(), [&](const std::string& line) {
                return line.find("ERROR") != std::string::npos && line.find(c.line) != std::string::npos;
            })) << road;
        }
    }
    EXPECT_EQ(DoorInstallation::WholeDatabase(), before);
}

// An alarm acknowledged on a panel that does not exist takes the road of a panel without a host
// of its own: every local communication server is asked, with the flag that says so. A panel of
// another segment is named to no server. A missing source ends the event as a plain failure with
// no reason logged; a sub-device's name given as the device names its device.
TEST_F(NamedRecordRoads, AcknowledgeAlarmAndIncomingEventsFollowTheirRoads)
{
    const auto acknowledge = [&](const wchar_t* caller, LONG panel) {
        CallAs(Callers::kAdministrator);
        const ComPtr<IWbemClassObject> in =
            MethodParameters(L"Bnt_IncomingEvent", L"AcknowledgeAlarm",
                             {{L"CurrentAckStatus", _variant_t(LONG{1})},
                              {L"SerialNumber", _variant_t(LONG{41})},
                              {L"PanelID", _variant_t(panel)},
                              {L"AlarmID", _variant_t(LONG{42})},
                              {L"AckStatus", _variant_t(LONG{2})},
                              {L"AlarmTime", _variant_t(L"20240301120000.000000+000")}});
        CallAs(caller);
        return Exec(Form::Sync, L"Bnt_IncomingEvent", L"AcknowledgeAlarm", in.Get());
    };
    const auto word = [](const std::vector<BYTE>& block, std::size_t offset) {
        return static_cast<LONG>(block[offset] | block[offset + 1] << 8 | block[offset + 2] << 16 |
                                 static_cast<DWORD>(block[offset + 3]) << 24);
    };
    m_servers.Driver().ClearCalls();
    const Reply missing = acknowledge(Callers::kAdministrator, 99);
    ASSERT_EQ(missing.result, S_OK);
    ASSERT_EQ(missing.objects.size(), 1u);
    EXPECT_EQ(support::PropertyText(missing.objects.front().Get(), L"ReturnValue"), "1");
    const std::vector<support::SimulatedCall> calls = m_servers.Driver().Calls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls.front().name, L"AcknowledgeAlarm");
    EXPECT_EQ(word(calls.front().block, 8), 99);
    EXPECT_EQ(calls.front().block[28], 1) << "the no-panel-host flag";

    // The chief of segment 1 names panel 2 of segment 2, then panel 98 that is not there: the same
    // answer and lines, and no server hears of either.
    const auto chiefAcknowledges = [&](LONG panel) {
        return Take(
            [&] {
                const Reply reply = acknowledge(kChief, panel);
                std::string answer = Answer(reply);
                for (const ComPtr<IWbemClassObject>& output : reply.objects)
                    answer += " ReturnValue=" + support::PropertyText(output.Get(), L"ReturnValue") +
                              " SimultaneousAckStatus=" + support::PropertyText(output.Get(), L"SimultaneousAckStatus");
                return answer;
            },
            {std::to_wstring(panel)});
    };
    m_servers.Driver().ClearCalls();
    const Road hidden = chiefAcknowledges(2);
    EXPECT_EQ(hidden.answer, "ok ReturnValue=0 SimultaneousAckStatus=0") << hidden;
    EXPECT_EQ(hidden, chiefAcknowledges(98));
    EXPECT_TRUE(m_servers.Driver().Calls().empty());

    const auto send = [&](std::vector<std::pair<const wchar_t*, _variant_t>> values) {
        CallAs(Callers::kAdministrator);
        const ComPtr<IWbemClassObject> in = MethodParameters(L"Bnt_IncomingEvent", L"SendIncomingEvent", values);
        return Take([&] { return Answer(Exec(Form::Sync, L"Bnt_IncomingEvent", L"SendIncomingEvent", in.Get())); }, {});
    };
    const Road noSource = send({{L"Device", _variant_t(L"Lobby device")}});
    EXPECT_EQ(noSource.answer.substr(0, 10), "0x80041001") << noSource;
    EXPECT_TRUE(std::none_of(noSource.lines.begin(), noSource.lines.end(), [](const std::string& line) {
        return line.find("Source") != std::string::npos;
    })) << noSource;
    const Road subDevice =
        send({{L"Source", _variant_t(L"Lobby source")}, {L"Device", _variant_t(L"Lobby sub-device")}});
    EXPECT_EQ(subDevice.answer, "ok") << subDevice;
    // Source 71, the sub-device's own device 73, no sub-device named.
    EXPECT_EQ(DoorInstallation::Rows("SELECT MACHINE, DEVID, INPUTDEVID FROM EVENTS ORDER BY rowid DESC LIMIT 1"),
              (Table{{"71", "73", "0"}}));
    support::InstallationDatabase::Execute(DoorInstallation::DatabaseFile(), "DELETE FROM EVENTS WHERE MACHINE = 71");
}

// A tour is launched for a badge the caller sees, and for no other: the server hears of the
// first only.
TEST_F(NamedRecordRoads, LaunchTourAsksTheServerOnlyForABadgeTheCallerSees)
{
    const auto launch = [&](const wchar_t* badge) {
        CallAs(Callers::kAdministrator);
        const ComPtr<IWbemClassObject> in = MethodParameters(
            L"Bnt_GuardTour", L"LaunchTour", {{L"BadgeID", _variant_t(badge)}, {L"MonStationID", _variant_t(LONG{1})}});
        CallAs(kChief);
        return Answer(Exec(Form::Sync, L"Bnt_GuardTour.ID=1", L"LaunchTour", in.Get()));
    };
    m_servers.Linkage().ClearCalls();
    EXPECT_EQ(launch(L"100001"), "ok");
    const std::vector<support::SimulatedCall> calls = m_servers.Linkage().Calls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls.front().name, L"LaunchTour");
    EXPECT_EQ(std::vector<BYTE>(calls.front().block.begin() + 8, calls.front().block.begin() + 16),
              (std::vector<BYTE>{0xA1, 0x86, 0x01, 0, 0, 0, 0, 0}))
        << "badge 100001";
    m_servers.Linkage().ClearCalls();
    for (const wchar_t* badge : {L"100003", L"999999"})
    {
        const std::string refused = launch(badge);
        EXPECT_EQ(refused.substr(0, 10), "0x80041008") << refused;
        EXPECT_NE(refused.find("The property BadgeID "), std::string::npos) << refused;
    }
    EXPECT_TRUE(m_servers.Linkage().Calls().empty());
}

// A visit signed in with a badge, or a badge type, of another segment fails as with one that does
// not exist: the same answer and the same lines (the id aside), and no sign-in.
TEST_F(NamedRecordRoads, SignVisitInAnswersAHiddenBadgeOrTypeAsAMissingOne)
{
    const std::vector<Table> before = DoorInstallation::WholeDatabase();
    const auto signIn = [&](const wchar_t* parameter, _variant_t value, const std::wstring& id) {
        CallAs(Callers::kAdministrator);
        const ComPtr<IWbemClassObject> in = MethodParameters(L"Bnt_Visit", L"SignVisitIn", {{parameter, value}});
        CallAs(kChief);
        return Take([&] { return Answer(Exec(Form::Sync, L"Bnt_Visit.ID=80", L"SignVisitIn", in.Get())); }, {id});
    };
    const Road hiddenBadge = signIn(L"AssignedBadgeID", _variant_t(L"100003"), L"100003");
    EXPECT_EQ(hiddenBadge, signIn(L"AssignedBadgeID", _variant_t(L"999999"), L"999999"));
    EXPECT_TRUE(std::any_of(hiddenBadge.lines.begin(), hiddenBadge.lines.end(), [](const std::string& line) {
        return line.find("Unable to locate the specified badge in the DB.") != std::string::npos;
    })) << hiddenBadge;
    const Road hiddenType = signIn(L"BadgeTypeID", _variant_t(LONG{70}), L"70");
    EXPECT_EQ(hiddenType, signIn(L"BadgeTypeID", _variant_t(LONG{99}), L"99"));
    EXPECT_EQ(hiddenType.answer.substr(0, 10), "0x80041001") << hiddenType;
    EXPECT_EQ(DoorInstallation::WholeDatabase(), before);
}

constexpr char kNoRight[] =
    "0x80041003 | The client does not have sufficient user permissions to perform the requested operation.";

// True when the bus answered as the WMI door did: both succeeded, or the bus gave the same text
// (or, for a method that fails plainly, the same code).
bool SameOnBus(const std::string& bus, const std::string& wmi)
{
    return bus == "ok" ? wmi == "ok"
                       : ReasonText(bus) == ReasonText(wmi) || bus == Reason(wmi).substr(0, Reason(wmi).find(" | "));
}

// The answers whose order the roads' own steps give, each case on both doors: a caller without
// the right, the chief of segment 1 with a hidden and a missing record (the same answer and log
// lines, the id aside), and the administrator.
class RoadOrder : public NamedRecordRoads
{
protected:
    // The administrator logs in on the bus too, with the demo operator's password.
    static void SetUpTestSuite()
    {
        NamedRecordRoads::SetUpTestSuite();
        support::InstallationDatabase::Execute(
            DoorInstallation::DatabaseFile(),
            "UPDATE USERS SET LOGONPWD = (SELECT LOGONPWD FROM USERS WHERE USERID = 1) WHERE USERID = -1;");
    }

    struct Case
    {
        const wchar_t* caller;
        // The record a hidden or missing value names, for the comparison without ids.
        std::wstring id;
        NamedValues values;
        // Code and text ("ok" for success).
        std::string answer;
        // What takes a success back before the other door repeats it.
        const char* undo = "";
    };

    // Runs each case as a create of the class on both doors; a case with a hidden record is
    // followed by the same case with a missing one, which must answer alike.
    void ExpectPuts(const std::wstring& className, const std::vector<Case>& cases)
    {
        BusDoor bus;
        const std::map<const wchar_t*, std::string> tokens = {{kChief, bus.Login(kChiefLogin)},
                                                              {kBystander, bus.Login(kBystanderLogin)},
                                                              {Callers::kAdministrator, bus.Login("sa")}};
        for (const Case& c : cases)
        {
            SCOPED_TRACE(Utf8(className) + " " + Utf8(c.caller) + " " + c.answer);
            const auto wmi = [&] {
                CallAs(Callers::kAdministrator);
                ComPtr<IWbemClassObject> object = NewInstance(className);
                for (const auto& [name, value] : c.values)
                {
                    _variant_t put(value);
                    object->Put(name.c_str(), 0, &put, 0);
                }
                CallAs(c.caller);
                return Answer(Put(Form::Sync, object.Get(), WBEM_FLAG_CREATE_ONLY));
            };
            const std::vector<std::wstring> ids =
                c.id.empty() ? std::vector<std::wstring>{} : std::vector<std::wstring>{c.id};
            const Road onWmi = Take(wmi, ids);
            EXPECT_EQ(Reason(onWmi.answer), c.answer) << onWmi;
            support::InstallationDatabase::Execute(DoorInstallation::DatabaseFile(), c.undo);
            const Road onBus = Take([&] { return bus.Add(tokens.at(c.caller), className, BusValues(c.values)); }, ids);
            EXPECT_TRUE(SameOnBus(onBus.answer, c.answer)) << onBus;
            m_roads.push_back({onWmi, onBus});
        }
    }

    // The roads the cases took, WMI and bus, in case order.
    std::vector<std::pair<Road, Road>> m_roads;
};

// A badge extension names its badge in the instance: the framework stages the write first (a
// missing required value is refused before anything else), then the class's own check refuses a
// badge the caller does not see as one that does not exist.
TEST_F(RoadOrder, ABadgeExtensionRefusesItsBadgeAfterTheWriteIsStaged)
{
    const std::vector<Table> before = DoorInstallation::WholeDatabase();
    const auto values = [](LONG badge, bool withCms) {
        NamedValues all = {{L"BADGEKEY", _variant_t(badge)},
                           {L"CardInterface", _variant_t(LONG{3})},
                           {L"CardTechnology", _variant_t(LONG{4})},
                           {L"SerialNumber", _variant_t(L"Dock card")}};
        if (withCms)
            all.emplace_back(L"IssuingCmsID", _variant_t(LONG{9}));
        return all;
    };
    const std::string noBadge = "0x80041008 | The property BADGEKEY did not exist or contained an invalid value.";
    const std::string noCms =
        "0x80041028 | The required property IssuingCmsID had no value and no default was provided.";
    // Badge 5 is person 3's, of segment 2.
    ExpectPuts(L"Bnt_BadgeProperties", {
                                           {kBystander, L"5", values(5, false), kNoRight},
                                           {kBystander, L"999", values(999, false), kNoRight},
                                           {kChief, L"5", values(5, false), noCms},
                                           {kChief, L"999", values(999, false), noCms},
                                           {kChief, L"5", values(5, true), noBadge},
                                           {kChief, L"999", values(999, true), noBadge},
                                           {Callers::kAdministrator, L"999", values(999, false), noCms},
                                           {Callers::kAdministrator, L"999", values(999, true), noBadge},
                                       });
    for (const std::size_t hidden : {2u, 4u})
    {
        EXPECT_EQ(m_roads[hidden].first, m_roads[hidden + 1].first);
        EXPECT_EQ(m_roads[hidden].second, m_roads[hidden + 1].second);
    }
    EXPECT_EQ(m_roads[0].first.answer, m_roads[1].first.answer);
    EXPECT_EQ(DoorInstallation::WholeDatabase(), before);
    // The administrator writes the card properties of the badge the chief may not see.
    m_roads.clear();
    const char* undo = "DELETE FROM BADGEPROPS WHERE BADGEKEY = 5;";
    ExpectPuts(L"Bnt_BadgeProperties", {{Callers::kAdministrator, L"", values(5, true), "ok", undo}});
    EXPECT_EQ(DoorInstallation::Rows("SELECT BADGEKEY, ISSUING_CMS_ID FROM BADGEPROPS WHERE BADGEKEY = 5"),
              (Table{{"5", "9"}}));
    support::InstallationDatabase::Execute(DoorInstallation::DatabaseFile(), undo);
}

// A precision group assignment checks the badge, then the group, then the badge's type: a
// disposable badge with a group that is not there (or that the caller does not see) is refused
// naming the group; with a group it sees, for its type.
TEST_F(RoadOrder, APrecisionAssignmentChecksTheGroupBeforeTheBadgeType)
{
    const std::vector<Table> before = DoorInstallation::WholeDatabase();
    const auto values = [](LONG group, LONG badge) {
        return NamedValues{{L"PrecisionAccessGroupID", _variant_t(group)}, {L"BadgeKey", _variant_t(badge)}};
    };
    const std::string noGroup =
        "0x80041008 | The property PrecisionAccessGroupID did not exist or contained an invalid value.";
    const std::string disposable =
        "0x80041001 | Access level assignments can only be made to badges that are not disposable.";
    // Badge 4 is disposable, of a visitor of segment 1; group 70 stands in segment 2, group 71 in 1.
    ExpectPuts(L"Bnt_PrecisionAccessGroupAssignment", {
                                                          {kBystander, L"70", values(70, 4), kNoRight},
                                                          {kBystander, L"999", values(999, 4), kNoRight},
                                                          {kChief, L"70", values(70, 4), noGroup},
                                                          {kChief, L"999", values(999, 4), noGroup},
                                                          {kChief, L"", values(71, 4), disposable},
                                                          {Callers::kAdministrator, L"999", values(999, 4), noGroup},
                                                          {Callers::kAdministrator, L"", values(70, 4), disposable},
                                                      });
    EXPECT_EQ(m_roads[2].first, m_roads[3].first);
    EXPECT_EQ(m_roads[2].second, m_roads[3].second);
    EXPECT_EQ(DoorInstallation::WholeDatabase(), before);
}

// Allowed floors are the floors of the list the id names, for every caller: list 0 (the
// default) is the floors stored under 0 without a list row; any other id that names no list
// fails as the command's catch-all (nothing sent, no audit record); a terminal the caller does
// not see is answered as one that does not exist; the caller without the right is refused first.
TEST_F(RoadOrder, AllowedFloorsAreSentOnlyForAListThatLoads)
{
    BusDoor bus;
    const std::map<const wchar_t*, std::string> logons = {
        {kChief, kChiefLogin}, {kBystander, kBystanderLogin}, {Callers::kAdministrator, "sa"}};
    std::map<const wchar_t*, std::string> tokens;
    for (const auto& [caller, logon] : logons)
        tokens[caller] = bus.Login(logon.c_str());
    // Every audit record: user, operation, object kind, text.
    const auto audits = [] {
        return DoorInstallation::Rows("SELECT USERID, OPERATION, OBJECT_TYPE, DESCRIPTION FROM USER_TRANSACTION_LOG "
                                      "ORDER BY USER_TRANSACTION_LOGID");
    };
    support::InstallationDatabase::Execute(
        DoorInstallation::DatabaseFile(),
        "INSERT INTO ELEVATOR_FLOOR_LIST_FLOOR (FLOOR_LISTID, FLOOR) VALUES (0, 2), (0, 11);");
    struct Terminal
    {
        LONG id;
        LONG address;
        LONG panel;
    };
    constexpr Terminal kLobby{1, 2, 5};
    constexpr Terminal kDock{7, 3, 2};
    constexpr Terminal kNone{9, 9, 9};
    const std::string failed = "0x80041001 | ";
    const std::string notFound = "0x80041002 | ";
    const struct
    {
        const wchar_t* caller;
        Terminal terminal;
        LONG list;
        // The start of the answer: its code and text, or "ok".
        std::string answer;
        // The first two bytes of the floor map sent when the answer is "ok".
        std::vector<BYTE> floors = {};
    } cases[] = {
        {kBystander, kLobby, 1, kNoRight},
        {kBystander, kLobby, 999, kNoRight},
        {kChief, kDock, 1, notFound},
        {kChief, kNone, 1, notFound},
        // An id other than 0 that names no list cannot load.
        {kChief, kLobby, 999, failed},
        {kChief, kLobby, -1, failed},
        {Callers::kAdministrator, kLobby, 999, failed},
        {Callers::kAdministrator, kLobby, -1, failed},
        // List 0: the floors stored under 0 (2 and 11).
        {kChief, kLobby, 0, "ok", {0x02, 0x04}},
        {Callers::kAdministrator, kLobby, 0, "ok", {0x02, 0x04}},
        {Callers::kAdministrator, kLobby, 1, "ok", {0x01, 0x09}},
    };
    // Each case's answers on both doors, the terminal's keys aside.
    std::vector<std::pair<std::string, std::string>> answers;
    for (const auto& c : cases)
    {
        SCOPED_TRACE(Utf8(c.caller) + " terminal " + std::to_string(c.terminal.id) + " list " + std::to_string(c.list));
        const std::wstring path = L"Bnt_ElevatorTerminal.ID=" + std::to_wstring(c.terminal.id) + L",IPAddress=" +
                                  std::to_wstring(c.terminal.address) + L",PanelID=" +
                                  std::to_wstring(c.terminal.panel);
        const Table auditsBefore = audits();
        CallAs(Callers::kAdministrator);
        const ComPtr<IWbemClassObject> in = MethodParameters(L"Bnt_ElevatorTerminal", L"SetAllowedFloors",
                                                             {{L"AllowedFloorListID", _variant_t(c.list)}});
        CallAs(c.caller);
        const std::string onWmi = Reason(Answer(Exec(Form::Sync, path, L"SetAllowedFloors", in.Get())));
        EXPECT_EQ(onWmi.substr(0, c.answer.size()), c.answer) << onWmi;
        const std::string onBus = bus.Call(tokens.at(c.caller), L"Bnt_ElevatorTerminal", L"SetAllowedFloors",
                                           {{"AllowedFloorListID", qpid::types::Variant(c.list)}},
                                           {{"ID", qpid::types::Variant(c.terminal.id)},
                                            {"IPAddress", qpid::types::Variant(c.terminal.address)},
                                            {"PanelID", qpid::types::Variant(c.terminal.panel)}});
        EXPECT_TRUE(SameOnBus(onBus, onWmi)) << onBus;
        const std::vector<std::wstring> keys = {std::to_wstring(c.terminal.id), std::to_wstring(c.terminal.address),
                                                std::to_wstring(c.terminal.panel)};
        answers.emplace_back(WithoutIds(onWmi, keys), WithoutIds(onBus, keys));
        const std::vector<support::SimulatedCall> sent = m_servers.Driver().Calls();
        if (c.answer == "ok")
        {
            // Both doors sent the list's floors and audited it as the caller: the records before
            // stand, and two of the command follow.
            ASSERT_EQ(sent.size(), 2u);
            EXPECT_EQ(std::vector<BYTE>(sent.front().block.begin() + 20, sent.front().block.begin() + 22), c.floors);
            EXPECT_EQ(std::vector<BYTE>(sent.back().block.begin() + 20, sent.back().block.begin() + 22), c.floors);
            EXPECT_EQ(RpcBlock::Long(sent.front().block, 40), c.list);
            const Table after = audits();
            ASSERT_EQ(after.size(), auditsBefore.size() + 2);
            EXPECT_EQ(Table(after.begin(), after.begin() + static_cast<std::ptrdiff_t>(auditsBefore.size())),
                      auditsBefore);
            const std::string user =
                DoorInstallation::Rows("SELECT USERID FROM USERS WHERE LOGONID = ?", {logons.at(c.caller)}).at(0).at(0);
            for (std::size_t i = auditsBefore.size(); i < after.size(); ++i)
            {
                EXPECT_EQ(Row(after[i].begin(), after[i].begin() + 3), (Row{user, "6", "146"}));
                EXPECT_NE(after[i][3].find("Tower lobby keypad"), std::string::npos) << after[i][3];
            }
        }
        else
        {
            for (support::SimulatedServer* server : m_servers.Servers())
            {
                EXPECT_TRUE(server->Calls().empty()) << Utf8(server->ServerName());
            }
            EXPECT_EQ(audits(), auditsBefore);
        }
        for (support::SimulatedServer* server : m_servers.Servers())
            server->ClearCalls();
    }
    support::InstallationDatabase::Execute(DoorInstallation::DatabaseFile(),
                                           "DELETE FROM ELEVATOR_FLOOR_LIST_FLOOR WHERE FLOOR_LISTID = 0;");
    // The dock's terminal is answered as one that does not exist.
    EXPECT_EQ(answers[2], answers[3]);
}

}  // namespace
