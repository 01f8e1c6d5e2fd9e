// A record-change or hardware event's record is judged by the read's own segment rule: for every
// class whose segment is a column of its own, walked from the registry, a restricted caller is
// admitted to exactly the records its keyed get serves, whether the event carries the record's
// values or only its keys (the stored row is then read by key, through the table the class's
// read joins for its segment), and a record deleted since keeps the answer its carried values
// give.
#include "framework/CWMITypeInfo.h"
#include "framework/CWmipClassMapper.h"
#include "framework/CWmipMapperRegistry.h"
#include "framework/CWmipSegmentSourceFilter.h"
#include "inhouse/BntLogin/CAcsUser.h"
#include "tests/e2e/DoorTest.h"
#include "tests/isolation/BusDoor.h"
#include "tests/isolation/NamedRecordSweep.h"
#include "tests/support/InstallationDatabase.h"
#include "tests/support/PropertyText.h"
#include "tests/support/StatementRecorder.h"
#include "tests/support/TestCallers.h"

#include <algorithm>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

using namespace e2e;

namespace {
// Every permission, segment 4 only.
constexpr const wchar_t* kKindSweepCaller = support::callers::kKindSweep;
constexpr wchar_t kKindSweepLogin[] = L"kindsweep";
// The tables that describe the segments and the callers' own keep their rows as they are.
const std::set<std::string> kUnchangedSegmentTables = {"SEGMENT", "SEGMENT_GROUP_MEMBER", "SEGMENT_UNIT",
                                                       "USER_SEGMENT_LINK"};

// Cardholders and badge types segmented, visitors not (so a person's kind decides); the rows of
// every segmented table spread over the caller's segment 4, segment 2 and -1 (every segment).
class OwnColumnRule : public DoorTest
{
protected:
    static void SetUpTestSuite()
    {
        std::string sql = "UPDATE CONFIG_VALUE SET NUMBERVALUE = 1 WHERE CONFIGID IN (1003, 1005);\n"
                          "UPDATE CONFIG_VALUE SET NUMBERVALUE = 0 WHERE CONFIGID = 1004;\n"
                          "INSERT INTO SEGMENT (SEGMENTID, NAME, TYPE) VALUES (4, 'Empty', 0);\n"
                          "INSERT INTO SEGMENT_UNIT (SEGMENTID) VALUES (4);\n";
        for (const Row& table : DoorInstallation::Rows("SELECT name FROM sqlite_master WHERE type = 'table'"))
            if (!kUnchangedSegmentTables.contains(table.front()) && isolation::HasColumn(table.front(), "SEGMENTID"))
                sql += "UPDATE " + table.front() + " SET SEGMENTID = CASE rowid % 3 WHEN 0 THEN 4 WHEN 1 THEN 2 " +
                       "ELSE -1 END;\n";
        // A logged event of panel 3, which the spread leaves in segment 4.
        sql += "UPDATE EVENTS SET MACHINE = 3 WHERE SERIALNUM = 101;\n";
        support::InstallationDatabase::Execute(DoorInstallation::DatabaseFile(),
                                               sql + support::TestCallers::Sql({kKindSweepCaller}));
    }
};

const CWMITypeInfo::SegmentSource* OwnColumnOf(const CWMITypeInfo& type)
{
    for (const CWMITypeInfo::SegmentSource& source : type.GetSegmentSources())
        if (source.kind == CWMITypeInfo::SegmentSource::Kind::OwnColumn)
            return &source;
    return nullptr;
}

// A copy of the instance holding nothing but its keys, as a hardware event names a record.
ComPtr<IWbemClassObject> KeysOnly(IWbemClassObject* instance, const CWMITypeInfo& type)
{
    ComPtr<IWbemClassObject> copy;
    EXPECT_EQ(instance->Clone(&copy), WBEM_S_NO_ERROR);
    std::vector<std::wstring> others;
    copy->BeginEnumeration(WBEM_FLAG_NONSYSTEM_ONLY);
    BSTR name = nullptr;
    while (copy->Next(0, &name, nullptr, nullptr, nullptr) == WBEM_S_NO_ERROR)
    {
        const CString property(name);
        if (std::none_of(type.GetKeyProperties().begin(), type.GetKeyProperties().end(),
                         [&](const auto& key) { return key.first.CompareNoCase(property) == 0; }))
            others.emplace_back(name);
        SysFreeString(name);
    }
    copy->EndEnumeration();
    for (const std::wstring& other : others)
    {
        _variant_t null;
        null.vt = VT_NULL;
        EXPECT_EQ(copy->Put(other.c_str(), 0, &null, 0), WBEM_S_NO_ERROR) << DoorTest::Utf8(other);
    }
    return copy;
}

// Whether every step of the statement's plan finds its rows by key or index, never by a walk of a
// table (the one row of values the rule is evaluated over aside).
::testing::AssertionResult ReadsByKey(const support::StatementRecorder::Statement& statement)
{
    constexpr char kRuleRow[] = "SEGRULEROW";
    for (const support::StatementRecorder::PlanStep& step :
         support::StatementRecorder::Plan(DoorInstallation::DatabaseFile(), statement.sql))
        if (step.detail.rfind("SEARCH ", 0) != 0 && step.detail != "SCAN CONSTANT ROW" &&
            step.detail.find(kRuleRow) == std::string::npos && step.detail.rfind("CORRELATED ", 0) != 0 &&
            step.detail.rfind("USE TEMP B-TREE", 0) != 0)
            return ::testing::AssertionFailure() << step.detail << " in " << statement.expanded;
    return ::testing::AssertionSuccess();
}

// Whether the instance holds a value of the property its own segment column is read into (the
// registered one, else the one the class's mapper builds).
bool CarriesSegment(const CWMITypeInfo& type, IWbemClassObject& instance)
{
    const CWMITypeInfo::SegmentSource* source = OwnColumnOf(type);
    CString property;
    if (source == nullptr)
        return false;
    if (!type.GetPropertyForColumn(source->table + L"." + source->column, property))
        property =
            std::unique_ptr<CWmipClassMapperHooks>(type.GetTypeConstructor()(nullptr, nullptr, nullptr, Door::kWmi))
                ->GetPropertyName(source->column, source->table);
    const std::string value = support::PropertyText(&instance, property.GetString());
    return value != "<null>" && value != "<missing>";
}

std::wstring Widen(const std::string& text)
{
    return std::wstring(text.begin(), text.end());
}

struct Judged
{
    std::string path;
    const CWMITypeInfo* type;
    int option;
    ComPtr<IWbemClassObject> values;
    ComPtr<IWbemClassObject> keys;
    bool served;
};
}  // namespace

TEST_F(OwnColumnRule, AnEventsRecordIsAdmittedExactlyWhenTheCallersKeyedGetServesIt)
{
    CAcsUser watcher;
    ASSERT_TRUE(watcher.Login(Widen("sqlite:" + DoorInstallation::DatabaseFile().string()).c_str(), kKindSweepLogin,
                              Widen(isolation::BusDoor::kPassword).c_str(), -1, 0));
    ASSERT_FALSE(watcher.IsAllSegmentsUser());
    CWmipMapperRegistry* registry = CWmipMapperRegistry::Instance();
    std::vector<Judged> judged;
    std::set<std::string> sourceTables;
    std::map<int, std::set<bool>> answers;
    for (const CString& className : registry->GetTypeNames())
    {
        const CWMITypeInfo* type = registry->GetTypeInfo(className, true);
        const CWMITypeInfo::SegmentSource* source = type != nullptr ? OwnColumnOf(*type) : nullptr;
        if (source == nullptr || !type->GetTypeConstructor() || !type->GetReferenceProperties().empty() ||
            type->GetKeyProperties().empty())
            continue;
        const std::wstring name = className.GetString();
        SCOPED_TRACE(Utf8(name));
        CallAs(Callers::kAdministrator);
        const Reply all = Enum(Form::Sync, name);
        for (const ComPtr<IWbemClassObject>& object : all.objects)
        {
            // A subclass's record is judged under its own class.
            if (support::PropertyText(object.Get(), L"__CLASS") != Utf8(name))
                continue;
            const std::string path = support::PropertyText(object.Get(), L"__RELPATH");
            SCOPED_TRACE(path);
            CallAs(kKindSweepCaller);
            const Reply get = Get(Form::Sync, Widen(path));
            const bool served = get.result == WBEM_S_NO_ERROR && get.objects.size() == 1;
            const ComPtr<IWbemClassObject> keys = KeysOnly(object.Get(), *type);
            support::StatementRecorder recorder;
            EXPECT_EQ(CWmipSegmentSourceFilter::Admits(watcher, *type, *object.Get(), watcher.GetDatabase()), served);
            EXPECT_EQ(CWmipSegmentSourceFilter::Admits(watcher, *type, *keys.Get(), watcher.GetDatabase()), served)
                << "by its keys";
            for (const support::StatementRecorder::Statement& statement : recorder.Statements())
                EXPECT_TRUE(ReadsByKey(statement));
            judged.push_back({path, type, source->option, object, keys, served});
            sourceTables.insert(Utf8(source->table.GetString()));
            answers[source->option].insert(served);
        }
    }
    std::set<std::wstring> swept;
    for (const Judged& record : judged)
        swept.insert(record.type->GetClassName().GetString());
    // Every class of an own segment column that the demo holds records of (it holds no field or
    // report permission group, precision access group or video recorder).
    EXPECT_GE(swept.size(), 24u) << ::testing::PrintToString(swept);
    // Each option on both sides of the caller's segment, visitors' (unsegmented) admitted whole;
    // a person by its kind: a visitor beyond the caller's segment admitted, a cardholder not.
    EXPECT_EQ(answers, (std::map<int, std::set<bool>>{{SegmentOptionSegments, {false, true}},
                                                      {SegmentOptionCardholders, {false, true}},
                                                      {SegmentOptionVisitors, {true}},
                                                      {SegmentOptionBadgeTypes, {false, true}},
                                                      {SegmentOptionPersons, {false, true}}}));
    std::map<std::string, bool> persons;
    for (const Judged& record : judged)
        if (record.option == SegmentOptionPersons)
            persons[record.path] = record.served;
    // Persons 4 (a visitor) and 1 (a cardholder) lie in segment 2, person 3 (a cardholder) in 4.
    EXPECT_EQ(persons["Bnt_Person.ID=4"], true);
    EXPECT_EQ(persons["Bnt_Person.ID=1"], false);
    EXPECT_EQ(persons["Bnt_Person.ID=3"], true);
    // The logged events, whose keys lie beside their panel's segment, on both sides.
    std::set<bool> loggedEvents;
    for (const Judged& record : judged)
        if (record.type->GetClassName() == L"Bnt_LoggedEvent")
            loggedEvents.insert(record.served);
    EXPECT_EQ(loggedEvents, (std::set<bool>{false, true}));

    // Gone from the database, a record keeps the answer of the values it carries; one whose
    // carried values do not hold all the rule reads (its segment, as only its keys or a class
    // that maps no property to it carry it; a person's kind, which no person's instance
    // carries) is admitted to no restricted caller its segment option restricts.
    std::string deletions;
    for (const std::string& table : sourceTables)
        deletions += "DELETE FROM " + table + ";\n";
    support::InstallationDatabase::Execute(DoorInstallation::DatabaseFile(), deletions);
    for (const Judged& record : judged)
    {
        SCOPED_TRACE(record.path);
        const bool open = !CWMITypeInfo::IsSegmentationOptionEnabled(watcher.GetSystemOptions(),
                                                                     static_cast<SegmentOption>(record.option));
        for (const ComPtr<IWbemClassObject>& carried : {record.values, record.keys})
            EXPECT_EQ(CWmipSegmentSourceFilter::Admits(watcher, *record.type, *carried.Get(), watcher.GetDatabase()),
                      open || (record.option != SegmentOptionPersons && CarriesSegment(*record.type, *carried.Get()) &&
                               record.served))
                << (carried == record.keys ? "by its keys" : "by its values");
    }
}
