// How a restricted caller's reads of records seen with their owner reach the database: the
// statement carries the owner's visibility as a condition on the one owner row the record
// names, so the engine answers it by key (no table is scanned for a keyed get), and it names
// the caller's own segments.
#include "framework/CWMITypeInfo.h"
#include "framework/CWmipClassMapper.h"
#include "framework/CWmipMapperRegistry.h"
#include "framework/CWmipSegmentSourceFilter.h"
#include "inhouse/BntCoreDb/CDynamicRecordset.h"
#include "inhouse/BntLogin/CAcsUser.h"
#include "inhouse/BntUtility/StringConversion.h"
#include "tests/e2e/DoorTest.h"
#include "tests/isolation/BusDoor.h"
#include "tests/isolation/NamedRecordSweep.h"
#include "tests/support/InstallationDatabase.h"
#include "tests/support/PropertyText.h"
#include "tests/support/StatementRecorder.h"
#include "tests/support/TestCallers.h"

#include <algorithm>
#include <functional>
#include <regex>

using namespace e2e;
using isolation::BusDoor;

namespace {
// Every permission, segment 3 only, which holds two of the demo's persons (a cardholder with two
// badges, a visitor with one) and one badge's extension; the bus login of the same caller.
constexpr const wchar_t* kCaller = support::callers::kLab;
constexpr char kCallerLogin[] = "lab";

// The table of the class's first key.
std::string RecordTable(const CWMITypeInfo& type)
{
    const std::wstring key = type.GetKeyProperties().front().second.GetString();
    return DoorTest::Utf8(key.substr(0, key.find(L'.')));
}

// Whether the statement is a read of the table (named as the recordsets name it).
bool ReadsTable(const std::string& sql, const std::string& table)
{
    return sql.rfind("SELECT ", 0) == 0 && (sql.find("FROM \"" + table + "\"") != std::string::npos ||
                                            sql.find("JOIN \"" + table + "\"") != std::string::npos);
}

bool HasOwner(const CWMITypeInfo& type)
{
    return std::any_of(type.GetSegmentSources().begin(), type.GetSegmentSources().end(),
                       [](const CWMITypeInfo::SegmentSource& source) {
                           return source.kind == CWMITypeInfo::SegmentSource::Kind::Owner;
                       });
}

class RestrictedReadPlan : public DoorTest
{
protected:
    static void SetUpTestSuite()
    {
        support::InstallationDatabase::Execute(
            DoorInstallation::DatabaseFile(),
            "UPDATE CONFIG_VALUE SET NUMBERVALUE = 1 WHERE CONFIGID IN (1003, 1004, 1005);\n"
            "INSERT INTO SEGMENT (SEGMENTID, NAME, TYPE) VALUES (3, 'Lab', 0);\n"
            "INSERT INTO SEGMENT_UNIT (SEGMENTID) VALUES (3);\n"
            "UPDATE EMP SET SEGMENTID = 3 WHERE ID IN (1, 4);\n"
            "INSERT INTO BADGE_FIPS201 (BADGEKEY, FASCN, TPK_ALGORITHM_ID, CREDENTIAL_TYPE) VALUES (1, X'0B', 0, 1);\n" +
                support::TestCallers::Sql({kCaller}));
    }
};
}  // namespace

// Every class seen with its owner, walked from the registry (a class declared later is covered):
// a restricted caller's keyed get of one of its records, and its query for the records of one of
// their owners (a person's badges, a level's links, a panel's readers), read the record's table
// through statements whose every step is a search by key or index, whatever the number of owners.
TEST_F(RestrictedReadPlan, AKeyedGetOrAnOwnersRecordsOfAClassSeenWithItsOwnerScansNoTable)
{
    CWmipMapperRegistry* registry = CWmipMapperRegistry::Instance();
    std::size_t swept = 0;
    std::size_t ownerRoads = 0;
    for (const CString& className : registry->GetTypeNames())
    {
        const CWMITypeInfo* type = registry->GetTypeInfo(className, true);
        if (type == nullptr || !type->GetTypeConstructor() || !HasOwner(*type) ||
            !type->GetReferenceProperties().empty() || type->GetKeyProperties().empty())
            continue;
        const std::wstring name = className.GetString();
        SCOPED_TRACE(Utf8(name));
        CallAs(Callers::kAdministrator);
        const Reply all = Enum(Form::Sync, name);
        // A class with no record in the demo has no keyed get to read.
        if (all.result != WBEM_S_NO_ERROR || all.objects.empty())
            continue;
        const std::string path = support::PropertyText(all.objects.front().Get(), L"__RELPATH");
        const std::string table = RecordTable(*type);
        // The roads: the keyed get, and the records of one owner as the mappers ask for them (a
        // person's badges, a level's links, a panel's readers), by each owner the class names
        // by its own properties, for the owner of the first record.
        std::vector<std::wstring> roads = {L"GET " + std::wstring(path.begin(), path.end())};
        for (const CWMITypeInfo::SegmentSource& source : type->GetSegmentSources())
        {
            std::wstring where;
            for (const CString& name :
                 source.kind == CWMITypeInfo::SegmentSource::Kind::Owner ? source.names : std::vector<CString>())
            {
                // A name may be the owner's column itself ("BADGE.EMPID"): the property the
                // class's mapper reads it into.
                CString owned = name;
                if (const int dot = name.Find(L'.'); dot >= 0 && !type->GetPropertyForColumn(name, owned))
                {
                    const std::unique_ptr<CWmipClassMapperHooks> mapper(
                        type->GetTypeConstructor()(nullptr, nullptr, nullptr, Door::kWmi));
                    owned = mapper != nullptr ? mapper->GetPropertyName(name.Mid(dot + 1), name.Left(dot)) : CString();
                }
                const std::string value = support::PropertyText(all.objects.front().Get(), owned.GetString());
                if (owned.IsEmpty() || value == "<null>" || value == "<missing>")
                {
                    where.clear();
                    break;
                }
                where += (where.empty() ? L"" : L" AND ") + std::wstring(owned.GetString()) + L" = " +
                         std::wstring(value.begin(), value.end());
            }
            if (!where.empty())
                roads.push_back(L"SELECT * FROM " + name + L" WHERE " + where);
        }
        CallAs(kCaller);
        for (const std::wstring& road : roads)
        {
            SCOPED_TRACE(Utf8(road));
            support::StatementRecorder recorder;
            if (road.rfind(L"GET ", 0) == 0)
                Get(Form::Sync, road.substr(4));
            else
                Query(Form::Sync, road);
            std::size_t reads = 0;
            for (const support::StatementRecorder::Statement& statement : recorder.Statements())
            {
                if (!ReadsTable(statement.sql, table))
                    continue;
                ++reads;
                const auto plan = support::StatementRecorder::Plan(DoorInstallation::DatabaseFile(), statement.sql);
                // Every row is found by the keys the road gives (or the keys a found row holds),
                // never by the caller's segments alone, which would read every visible owner.
                for (const auto& step : plan)
                    EXPECT_TRUE((step.detail.rfind("SEARCH ", 0) == 0 &&
                                 step.detail.find("(SEGMENTID=") == std::string::npos) ||
                                step.detail.rfind("CORRELATED SCALAR SUBQUERY", 0) == 0 ||
                                step.detail.rfind("USE TEMP B-TREE FOR ORDER BY", 0) == 0 ||
                                step.detail.rfind("USE TEMP B-TREE FOR DISTINCT", 0) == 0)
                        << step.detail << "\n"
                        << statement.expanded;
            }
            EXPECT_GE(reads, 1u);
            ownerRoads += road.rfind(L"GET ", 0) == 0 ? 0 : 1;
        }
        ++swept;
    }
    // Badges and their details, persons' records, panels' devices, links of levels and holidays;
    // and as many roads to the records of one owner.
    EXPECT_GE(swept, 30u);
    EXPECT_GE(ownerRoads, 30u);
}

namespace {
// The badges the caller (segment 3, every person kind segmented) may see, found as the owner
// sub-select of the person filter found them before visibility became a look-up of the owner.
constexpr char kVisibleBadges[] =
    "SELECT BADGEKEY FROM BADGE WHERE EMPID IN (SELECT ID FROM EMP WHERE SEGMENTID IN (3)) ORDER BY BADGEKEY";

// The number after "BADGEKEY=" in a path or bus row; the text itself when it holds none.
std::string BadgeKeyOf(const std::string& text)
{
    std::smatch match;
    return std::regex_search(text, match, std::regex("BADGEKEY=\"?([0-9]+)", std::regex::icase)) ? match[1].str()
                                                                                                 : text;
}

std::vector<std::string> BadgeKeys(const std::vector<ComPtr<IWbemClassObject>>& objects, const wchar_t* property)
{
    std::vector<std::string> keys;
    for (const ComPtr<IWbemClassObject>& object : objects)
        keys.push_back(BadgeKeyOf(std::string("BADGEKEY=") + support::PropertyText(object.Get(), property)));
    std::sort(keys.begin(), keys.end());
    return keys;
}

std::vector<std::string> Column(const Table& rows)
{
    std::vector<std::string> values;
    for (const Row& row : rows)
        values.push_back(row.front());
    std::sort(values.begin(), values.end());
    return values;
}

// Whether a statement reads the table with the visibility of an owner looked up by key, written
// with the caller's own segment: the owner joined ("INNER JOIN owner AS SEGOWNERn ON ...") or
// tested ("EXISTS (SELECT 1 FROM owner AS SEGOWNERn WHERE ..."), with SEGOWNERn's SEGMENTID IN
// (3), the owner matched to the row it names.
bool NamesTheCallersSegmentByOwner(const support::StatementRecorder::Statement& statement, const std::string& table)
{
    static const std::regex owner(R"re((EXISTS \(SELECT 1 FROM|INNER JOIN) "\w+" AS "SEGOWNER\d")re");
    static const std::regex segment(R"re("?SEGOWNER\d"?\."?SEGMENTID"? IN \(3\))re");
    static const std::regex match(R"re(SEGOWNER\d\.\w+ = \w+\.\w+)re");
    return ReadsTable(statement.sql, table) && std::regex_search(statement.expanded, owner) &&
           std::regex_search(statement.expanded, segment) && std::regex_search(statement.expanded, match);
}
}  // namespace

// Each road a restricted caller reads records seen with their owner by (enumeration, query, keyed
// get, the bus's page and its count, an association, the stored row a delete reads first) for a
// badge, a badge's extension and a person's badge link: the statement looks the owner up by key
// and names the caller's segment, and the rows are those the owner sub-select gave.
TEST_F(RestrictedReadPlan, EveryRoadNamesTheCallersSegmentsAndServesTheRowsOfTheOwnerSubSelect)
{
    const std::vector<std::string> visible = Column(DoorInstallation::Rows(kVisibleBadges));
    const std::vector<std::string> everyBadge = Column(DoorInstallation::Rows("SELECT BADGEKEY FROM BADGE"));
    std::vector<std::string> visibleExtensions;
    for (const std::string& key : Column(DoorInstallation::Rows("SELECT BADGEKEY FROM BADGE_FIPS201")))
        if (std::find(visible.begin(), visible.end(), key) != visible.end())
            visibleExtensions.push_back(key);
    const std::vector<std::string> visibleLinks = Column(DoorInstallation::Rows(
        "SELECT BADGEKEY FROM BADGE WHERE EMPID IN (SELECT ID FROM EMP WHERE VISITOR = 0 AND SEGMENTID IN (3))"));
    // Both sides of every road hold rows.
    ASSERT_FALSE(visible.empty());
    ASSERT_LT(visible.size(), everyBadge.size());
    ASSERT_FALSE(visibleExtensions.empty());
    ASSERT_FALSE(visibleLinks.empty());

    BusDoor bus;
    const std::string token = bus.Login(kCallerLogin);
    const std::vector<Table> before = DoorInstallation::WholeDatabase();
    CallAs(kCaller);
    struct Road
    {
        const char* name;
        const char* table;
        std::vector<std::string> expected;
        std::function<std::vector<std::string>()> read;
    };
    const Road roads[] = {
        {"enumeration", "BADGE", visible,
         [&] { return BadgeKeys(Enum(Form::Sync, L"Bnt_Badge").objects, L"BADGEKEY"); }},
        {"query", "BADGE", visible,
         [&] {
             return BadgeKeys(Query(Form::Async, L"SELECT * FROM Bnt_Badge WHERE BADGEKEY > 0").objects, L"BADGEKEY");
         }},
        {"keyed get", "BADGE", visible,
         [&] {
             std::vector<std::string> found;
             for (const std::string& key : everyBadge)
                 if (Get(Form::Sync, L"Bnt_Badge.BADGEKEY=" + std::wstring(key.begin(), key.end())).result ==
                     WBEM_S_NO_ERROR)
                     found.push_back(key);
             return found;
         }},
        {"bus page and count", "BADGE", visible,
         [&] {
             std::vector<std::string> keys;
             const std::optional<BusDoor::Paged> page = bus.Page(token, L"Bnt_Badge", "", {"BADGEKEY"}, 1, 100);
             EXPECT_TRUE(page.has_value());
             if (!page)
                 return keys;
             EXPECT_EQ(page->total, static_cast<std::int64_t>(visible.size()));
             for (const std::string& row : page->rows)
                 keys.push_back(BadgeKeyOf(row));
             std::sort(keys.begin(), keys.end());
             return keys;
         }},
        {"badge extension", "BADGE_FIPS201", visibleExtensions,
         [&] { return BadgeKeys(Enum(Form::Sync, L"Bnt_BadgeFIPS201").objects, L"BADGEKEY"); }},
        {"association", "BADGE", visibleLinks,
         [&] {
             std::vector<std::string> keys;
             for (const ComPtr<IWbemClassObject>& link : Enum(Form::Sync, L"Bnt_CardholderBadge").objects)
                 keys.push_back(BadgeKeyOf(support::PropertyText(link.Get(), L"Badge")));
             std::sort(keys.begin(), keys.end());
             return keys;
         }},
        {"stored row of a delete",
         "BADGE",
         {},
         [&] {
             // Every hidden badge: answered as a missing one, nothing deleted.
             std::vector<std::string> deleted;
             for (const std::string& key : everyBadge)
                 if (std::find(visible.begin(), visible.end(), key) == visible.end())
                 {
                     const Reply reply =
                         Delete(Form::Sync, L"Bnt_Badge.BADGEKEY=" + std::wstring(key.begin(), key.end()));
                     EXPECT_EQ(reply.result, WBEM_E_NOT_FOUND) << key << " " << Hex(reply.result);
                     if (reply.result == WBEM_S_NO_ERROR)
                         deleted.push_back(key);
                 }
             return deleted;
         }},
    };
    for (const Road& road : roads)
    {
        SCOPED_TRACE(road.name);
        support::StatementRecorder recorder;
        EXPECT_EQ(road.read(), road.expected);
        const std::vector<support::StatementRecorder::Statement> statements = recorder.Statements();
        const bool named = std::any_of(statements.begin(), statements.end(), [&](const auto& statement) {
            return NamesTheCallersSegmentByOwner(statement, road.table);
        });
        EXPECT_TRUE(named);
        if (!named)
            for (const support::StatementRecorder::Statement& statement : statements)
                if (ReadsTable(statement.sql, road.table))
                    ADD_FAILURE() << statement.expanded;
    }
    EXPECT_EQ(DoorInstallation::WholeDatabase(), before);
}

// The filter a caller's read is given follows the segmentation options the caller's rights were
// last read with: persons' segmentation turned off (and the rights read again) shows every badge,
// turned on again only the caller's.
TEST_F(RestrictedReadPlan, ARestrictedReadFollowsTheSegmentationOptionsOfTheCallersRights)
{
    const std::vector<std::string> visible = Column(DoorInstallation::Rows(kVisibleBadges));
    const std::vector<std::string> everyBadge = Column(DoorInstallation::Rows("SELECT BADGEKEY FROM BADGE"));
    ASSERT_LT(visible.size(), everyBadge.size());
    const auto persons = [](int on) {
        support::InstallationDatabase::Execute(DoorInstallation::DatabaseFile(),
                                               "UPDATE CONFIG_VALUE SET NUMBERVALUE = " + std::to_string(on) +
                                                   " WHERE CONFIGID IN (1003, 1004);\n"
                                                   "UPDATE RIGHTS_STAMP SET STAMP = STAMP + 1;");
    };
    CallAs(kCaller);
    EXPECT_EQ(BadgeKeys(Enum(Form::Sync, L"Bnt_Badge").objects, L"BADGEKEY"), visible);
    persons(0);
    EXPECT_EQ(BadgeKeys(Enum(Form::Sync, L"Bnt_Badge").objects, L"BADGEKEY"), everyBadge);
    persons(1);
    EXPECT_EQ(BadgeKeys(Enum(Form::Sync, L"Bnt_Badge").objects, L"BADGEKEY"), visible);
}

// Every class seen with its owner, associations included, walked from the registry: a restricted
// caller's enumeration reads its rows with the owners' visibility looked up once per row (a
// search by key, joined or correlated): no sub-query scans a table or lists every visible owner,
// and no table is scanned once per row of another (only the outermost read may scan).
TEST_F(RestrictedReadPlan, ARestrictedEnumerationLooksEachOwnerUpByKey)
{
    CWmipMapperRegistry* registry = CWmipMapperRegistry::Instance();
    std::size_t swept = 0;
    for (const CString& className : registry->GetTypeNames())
    {
        const CWMITypeInfo* type = registry->GetTypeInfo(className, true);
        if (type == nullptr || !type->GetTypeConstructor() || !HasOwner(*type))
            continue;
        const std::wstring name = className.GetString();
        SCOPED_TRACE(Utf8(name));
        CallAs(kCaller);
        support::StatementRecorder recorder;
        if (Enum(Form::Sync, name).result != WBEM_S_NO_ERROR)
            continue;
        std::size_t restricted = 0;
        for (const support::StatementRecorder::Statement& statement : recorder.Statements())
        {
            if (statement.sql.rfind("SELECT ", 0) != 0 || statement.sql.find("SEGOWNER") == std::string::npos)
                continue;
            ++restricted;
            std::size_t scans = 0;
            for (const auto& step : support::StatementRecorder::Plan(DoorInstallation::DatabaseFile(), statement.sql))
            {
                const bool scan = step.detail.rfind("SCAN ", 0) == 0;
                scans += scan && !step.inSubquery ? 1 : 0;
                EXPECT_TRUE(step.detail.rfind("LIST SUBQUERY", 0) != 0 && !(step.inSubquery && scan))
                    << step.detail << "\n"
                    << statement.expanded;
            }
            // One table read whole at most: every other one is searched by key for each row.
            EXPECT_LE(scans, 1u) << statement.expanded;
        }
        EXPECT_GE(restricted, 1u);
        ++swept;
    }
    EXPECT_GE(swept, 40u);
}

// The segment filter keeps a bounded number of the filters it built, however many reads of
// distinct shapes it restricts (each here joins the badge to itself under a name of its own), and
// a read restricted after the kept filters started again serves what the first one served.
TEST_F(RestrictedReadPlan, TheSegmentFilterKeepsABoundedNumberOfFiltersAndServesTheSameRowsPastIt)
{
    CAcsUser caller;
    ASSERT_TRUE(
        caller.Login(brontel::utility::Utf8ToWide("sqlite:" + DoorInstallation::DatabaseFile().string()).c_str(),
                     L"lab", L"operator-demo", -1, 0));
    ASSERT_FALSE(caller.IsAllSegmentsUser());
    const CWMITypeInfo* badge = CWmipMapperRegistry::Instance()->GetTypeInfo(L"Bnt_Badge", true);
    ASSERT_NE(badge, nullptr);
    const std::vector<std::string> visible = Column(DoorInstallation::Rows(kVisibleBadges));
    ASSERT_FALSE(visible.empty());
    const std::size_t reads = CWmipSegmentSourceFilter::kMaxKeptFilters + 100;
    for (std::size_t read = 0; read < reads; ++read)
    {
        CDynamicRecordset rows(caller.GetDatabase());
        rows.SetTable(L"BADGE");
        rows.AddJoin(L"BADGE", L"BADGEKEY", CString(("BADGE B" + std::to_string(read)).c_str()), L"BADGEKEY",
                     CMultiFilterRecordset::LeftOuterJoin);
        rows.AddColumnToSet(L"BADGEKEY", L"BADGE");
        CWmipSegmentSourceFilter::Apply(caller, *badge, rows, caller.GetDatabase());
        ASSERT_LE(CWmipSegmentSourceFilter::KeptFilterCount(), CWmipSegmentSourceFilter::kMaxKeptFilters) << read;
        if (read % 1024 != 0 && read + 1 != reads)
            continue;
        SCOPED_TRACE(read);
        std::vector<std::string> served;
        for (rows.OpenForwardOnly(); !rows.IsEOF(); rows.MoveNext())
            served.push_back(CStringToUtf8(rows.GetText(L"BADGE.BADGEKEY")));
        std::sort(served.begin(), served.end());
        EXPECT_EQ(served, visible);
    }
    EXPECT_GT(CWmipSegmentSourceFilter::KeptFilterCount(), 0u);
}
