// The values that mean something besides a plain number, in every place that takes a segment:
// -1 (every segment), 0 (none), the caller's own segment and another's. Every registered class
// that keeps its segment in a column of its own table has its records spread over the four; a
// caller of one segment, with every segmentation option on, is served exactly those its option
// lets it see, by enumeration and by path, on both doors. A class declared later is covered by its declaration.
#include "framework/CWMITypeInfo.h"
#include "framework/CWmipMapperRegistry.h"
#include "framework/CWmipMessages.h"
#include "tests/e2e/DoorTest.h"
#include "tests/isolation/BusDoor.h"
#include "tests/support/InstallationDatabase.h"
#include "tests/support/NameChain.h"
#include "tests/support/PropertyText.h"
#include "tests/support/TestCallers.h"
#include "tests/e2e/KeptInstallation.h"

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>

using namespace e2e;

namespace {
// Every permission, segment 3 only.
constexpr const wchar_t* kCaller = support::callers::kLab;
constexpr LONG kOwnSegment = 3;
constexpr LONG kOtherSegment = 4;
// The caller's own segment and another's first, so a class of two records holds one the caller
// is served and one it is not.
constexpr LONG kSpread[] = {kOwnSegment, kOtherSegment, -1, 0};
// The classes whose records the sweep cannot find on both sides of the caller's segments, and
// why; the sweep fails for any other such class, and for one listed here that it finds on both.
constexpr char kOneRecord[] = "the demo holds one record of it";
constexpr char kNoRecord[] = "the demo holds no record of it";
using support::kNotInTheNameChain;
const std::map<std::wstring, std::string> kOneSided = {
    {L"Bnt_AccessGroup", kOneRecord},
    {L"Bnt_CameraGroup", kOneRecord},
    {L"Bnt_LogicalSource", kOneRecord},
    {L"Bnt_PrecisionAccessGroup", kNoRecord},
    {L"Bnt_UserFieldPermissionGroup", kNoRecord},
    {L"Bnt_UserReportPermissionGroup", kNoRecord},
    {L"Bnt_VideoRecorder", kNotInTheNameChain},
};
constexpr char kSegments[] = R"(
INSERT INTO SEGMENT (SEGMENTID, NAME, TYPE) VALUES (3, 'Lab', 0), (4, 'Other', 0);
INSERT INTO SEGMENT_UNIT (SEGMENTID) VALUES (3), (4);
UPDATE CONFIG_VALUE SET NUMBERVALUE = 1 WHERE CONFIGID IN (1001, 1003, 1004, 1005);
)";

// The segments a caller of kOwnSegment is served under each option: a badge type of every
// segment serves them all.
bool Serves(SegmentOption option, LONG segment)
{
    return segment == kOwnSegment || (option == SegmentOptionBadgeTypes && segment == -1);
}

std::string NarrowText(const CString& text)
{
    return DoorTest::Utf8(text.GetString());
}

// A class whose one segment source is a column of the table that holds its keys.
struct SegmentedClass
{
    std::wstring name;
    SegmentOption option = SegmentOptionNone;
    std::string table;
    std::string column;
    // Key property -> key column.
    std::vector<std::pair<CString, std::string>> keys;
};

std::vector<SegmentedClass> SegmentedClasses()
{
    std::vector<SegmentedClass> classes;
    CWmipMapperRegistry* registry = CWmipMapperRegistry::Instance();
    for (const CString& name : registry->GetTypeNames())
    {
        const CWMITypeInfo* type = registry->GetTypeInfo(name, true);
        if (type == nullptr || !type->GetTypeConstructor() || type->GetSegmentSources().size() != 1 ||
            type->GetSegmentSources().front().kind != CWMITypeInfo::SegmentSource::Kind::OwnColumn ||
            type->GetKeyProperties().empty())
            continue;
        const CWMITypeInfo::SegmentSource& source = type->GetSegmentSources().front();
        SegmentedClass segmented{
            name.GetString(), source.option, NarrowText(source.table), NarrowText(source.column), {}};
        for (const auto& [property, tableDotColumn] : type->GetKeyProperties())
        {
            const std::string column = NarrowText(tableDotColumn);
            if (column.compare(0, segmented.table.size() + 1, segmented.table + ".") == 0)
                segmented.keys.emplace_back(property, column.substr(segmented.table.size() + 1));
        }
        // A class whose segment is its own key (the segments themselves) is a list of segments.
        const bool keyedBySegment = std::any_of(segmented.keys.begin(), segmented.keys.end(),
                                                [&](const auto& key) { return key.second == segmented.column; });
        if (segmented.keys.size() == type->GetKeyProperties().size() && !keyedBySegment)
            classes.push_back(segmented);
    }
    return classes;
}

class SegmentValueSweep : public DoorTest
{
protected:
    static void SetUpTestSuite()
    {
        support::InstallationDatabase::Execute(DoorInstallation::DatabaseFile(),
                                               kSegments + support::TestCallers::Sql({kCaller}));
    }

    // The WHERE text and values that pick the instance's row by its keys.
    static std::pair<std::string, std::vector<std::string>> KeyFilter(const SegmentedClass& segmented,
                                                                      IWbemClassObject* instance)
    {
        std::string where;
        std::vector<std::string> values;
        for (const auto& [property, column] : segmented.keys)
        {
            where += (where.empty() ? "" : " AND ") + column + " = ?";
            values.push_back(support::PropertyText(instance, property.GetString()));
        }
        return {where, values};
    }
};
}  // namespace

TEST_F(SegmentValueSweep, ACallerOfOneSegmentIsServedTheSegmentsItsOptionLetsItSee)
{
    const std::vector<SegmentedClass> classes = SegmentedClasses();
    ASSERT_FALSE(classes.empty());
    const std::string callerUser = std::to_string(support::TestCallers::Find(kCaller)->userId);
    // Every class's records spread over the special values in turn (the test's own caller stays
    // where it is), then each class is read back as the caller.
    // The records go back where they stood when the test ends, however it ends.
    const e2e::KeptInstallation kept;
    CallAs(Callers::kAdministrator);
    std::string spread;
    for (const SegmentedClass& segmented : classes)
    {
        std::size_t next = 0;
        for (const ComPtr<IWbemClassObject>& instance : Enum(Form::Sync, segmented.name).objects)
        {
            const auto [where, values] = KeyFilter(segmented, instance.Get());
            if (segmented.table == "USERS" && values == std::vector<std::string>{callerUser})
                continue;
            std::string filter = where;
            for (const std::string& value : values)
                filter.replace(filter.find('?'), 1, "'" + value + "'");
            spread += "UPDATE " + segmented.table + " SET " + segmented.column + " = " +
                      std::to_string(kSpread[next++ % std::size(kSpread)]) + " WHERE " + filter + ";\n";
        }
    }
    support::InstallationDatabase::Execute(DoorInstallation::DatabaseFile(), spread);

    isolation::BusDoor bus;
    const std::string token = bus.Login("lab");
    std::set<LONG> tried;
    std::map<std::wstring, std::string> oneSided;
    for (const SegmentedClass& segmented : classes)
    {
        std::vector<std::string> keyNames;
        for (const auto& [property, column] : segmented.keys)
            keyNames.push_back(NarrowText(property));
        std::vector<std::string> expectedRows;
        SCOPED_TRACE(Utf8(segmented.name));
        CallAs(Callers::kAdministrator);
        const Reply all = Enum(Form::Sync, segmented.name);
        // A class the WMI door does not build yet is left to the bus's own sweeps.
        if (all.result == WBEM_E_INVALID_CLASS)
        {
            oneSided[segmented.name] = kNotInTheNameChain;
            continue;
        }
        ASSERT_EQ(all.result, WBEM_S_NO_ERROR);
        std::vector<std::string> expected;
        std::map<std::string, LONG> segmentOf;
        for (const ComPtr<IWbemClassObject>& instance : all.objects)
        {
            const auto [where, values] = KeyFilter(segmented, instance.Get());
            const Table stored = DoorInstallation::Rows(
                "SELECT " + segmented.column + " FROM " + segmented.table + " WHERE " + where, values);
            ASSERT_EQ(stored.size(), 1u);
            const std::string path = support::PropertyText(instance.Get(), L"__RELPATH");
            segmentOf[path] = std::stol(stored.front().front());
            tried.insert(segmentOf[path]);
            if (!Serves(segmented.option, segmentOf[path]))
                continue;
            expected.push_back(path);
            expectedRows.push_back(isolation::BusDoor::RowText(keyNames, [&](const std::string& property) {
                return support::PropertyText(instance.Get(), std::wstring(property.begin(), property.end()).c_str());
            }));
        }
        if (expected.empty() || expected.size() == all.objects.size())
            oneSided[segmented.name] = all.objects.size() == 1 ? kOneRecord
                                       : all.objects.empty()   ? kNoRecord
                                                               : "its records are all on one side";
        CallAs(kCaller);
        std::vector<std::string> served;
        for (const ComPtr<IWbemClassObject>& instance : Enum(Form::Sync, segmented.name).objects)
            served.push_back(support::PropertyText(instance.Get(), L"__RELPATH"));
        std::sort(expected.begin(), expected.end());
        std::sort(served.begin(), served.end());
        EXPECT_EQ(served, expected);
        std::sort(expectedRows.begin(), expectedRows.end());
        const auto busRows = bus.Rows(token, segmented.name, "", keyNames);
        EXPECT_EQ(busRows.value_or(expectedRows), expectedRows) << "on the bus";

        for (const auto& [path, segment] : segmentOf)
        {
            const Reply got = Get(Form::Sync, std::wstring(path.begin(), path.end()));
            EXPECT_EQ(SUCCEEDED(got.result), Serves(segmented.option, segment))
                << path << " in segment " << segment << ": " << Hex(got.result);
        }
    }
    EXPECT_EQ(tried, std::set<LONG>(std::begin(kSpread), std::end(kSpread)));
    EXPECT_EQ(oneSided, kOneSided) << "a class not seen on both sides of the caller's segments, or one listed that is";
}

namespace {
// The groups a user is given, each property with a group of the writer's segment 1 and one of
// segment 2; the field group alone also takes -1, every field.
struct GroupProperty
{
    const wchar_t* property;
    LONG own;
    LONG other;
    bool everyValue;
};
constexpr GroupProperty kGroupProperties[] = {
    {L"SystemPermissionGroupID", 611, 621, false},
    {L"CardPermissionGroupID", 612, 622, false},
    {L"MonitoringPermissionGroupID", 613, 623, false},
    {L"ReportPermissionGroupID", 614, 624, false},
    {L"FieldPermissionID", 615, 625, true},
};
constexpr LONG kTargetUser = 900;
constexpr LONG kNoGroup = 99999;
constexpr char kGroups[] = R"(
INSERT INTO USER_PERM (USER_PERMID, NAME, SEGMENTID, TYPE) VALUES
    (611, 'Own system', 1, 1), (612, 'Own card', 1, 2), (613, 'Own monitoring', 1, 3),
    (621, 'Other system', 2, 1), (622, 'Other card', 2, 2), (623, 'Other monitoring', 2, 3);
INSERT INTO USER_PERM_REPORT (USER_PERM_REPORTID, NAME, SEGMENTID) VALUES (614, 'Own report', 1), (624, 'Other report', 2);
INSERT INTO USER_PERM_UDF (USER_PERM_UDFID, NAME, SEGMENTID) VALUES (615, 'Own fields', 1), (625, 'Other fields', 2);
INSERT INTO USERS (USERID, LOGONID, FIRSTNAME, LASTNAME, SEGMENTID, ISENABLED, BNT_DBID)
    VALUES (900, 'target', 'Tara', 'Target', 1, 1, 0);
)";
}  // namespace

// Each group property of a user written with -1, 0, a group of the writer's segment, one of
// another segment and a number no group has, by a writer of segment 1 and by one of every
// segment: what is taken is stored, what is refused names the property and writes nothing.
TEST_F(SegmentValueSweep, AUserTakesEveryGroupValueItsWriterMayGiveAndNoOther)
{
    support::InstallationDatabase::Execute(DoorInstallation::DatabaseFile(),
                                           kGroups + support::TestCallers::Sql({Callers::kHeadquartersChief}));
    const CWMITypeInfo* user = CWmipMapperRegistry::Instance()->GetTypeInfo(L"Bnt_User", true);
    ASSERT_NE(user, nullptr);
    const std::wstring path = L"Bnt_User.ID=" + std::to_wstring(kTargetUser);
    for (const wchar_t* writer : {Callers::kHeadquartersChief, Callers::kAdministrator})
        for (const GroupProperty& group : kGroupProperties)
        {
            CString column;
            ASSERT_TRUE(user->GetColumnForProperty(group.property, column));
            const std::string stored =
                "SELECT " + NarrowText(column.Mid(column.Find(L'.') + 1)) + " FROM USERS WHERE USERID = 900";
            const bool everySegment = writer == Callers::kAdministrator;
            const std::pair<LONG, bool> values[] = {
                {-1, group.everyValue}, {0, true}, {group.own, true}, {group.other, everySegment}, {kNoGroup, false}};
            for (const auto& [value, taken] : values)
            {
                SCOPED_TRACE(Utf8(writer) + " " + Utf8(group.property) + " = " + std::to_string(value));
                support::InstallationDatabase::Execute(
                    DoorInstallation::DatabaseFile(),
                    "UPDATE USERS SET SYSTEM_USER_PERMID = 0, MONITOR_USER_PERMID = 0, CARD_USER_PERMID = 0, "
                    "REPORT_USER_PERMID = 0, USER_PERM_UDFID = 0 WHERE USERID = 900;");
                CallAs(writer);
                const ComPtr<IWbemClassObject> instance = Instance(path);
                ASSERT_TRUE(instance);
                _variant_t given(value);
                ASSERT_EQ(instance->Put(group.property, 0, &given, 0), WBEM_S_NO_ERROR);
                const Reply reply = Put(Form::Sync, instance.Get(), WBEM_FLAG_UPDATE_ONLY);
                if (taken)
                    EXPECT_EQ(reply.result, WBEM_S_NO_ERROR) << Description(reply.statusObject.Get());
                else
                {
                    CString reason;
                    reason.Format(CWmipMessages::kInvalidProperty, group.property);
                    EXPECT_TRUE(Refused(reply, WBEM_E_INVALID_PARAMETER, reason.GetString()));
                }
                EXPECT_EQ(DoorInstallation::Rows(stored), Table{{std::to_string(taken ? value : 0)}});
            }
        }
}
