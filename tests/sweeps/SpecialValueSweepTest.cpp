// The values that mean something besides a plain number, in every place that takes a segment:
// -1 (every segment), 0 (none), the caller's own segment and another's. Every registered class
// that keeps its segment in a column of its own table has its records spread over the four; a
// caller of one segment, with every segmentation option on, is served exactly those its option
// lets it see, by enumeration and by path, on both doors. A class declared later is covered by its declaration.
#include "framework/CWMITypeInfo.h"
#include "framework/CWmipMapperRegistry.h"
#include "tests/e2e/DoorTest.h"
#include "tests/isolation/BusDoor.h"
#include "tests/support/InstallationDatabase.h"
#include "tests/support/PropertyText.h"
#include "tests/support/TestCallers.h"

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
constexpr LONG kSpread[] = {-1, 0, kOwnSegment, kOtherSegment};
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

std::string Narrow(const CString& text)
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
        SegmentedClass segmented{name.GetString(), source.option, Narrow(source.table), Narrow(source.column), {}};
        for (const auto& [property, tableDotColumn] : type->GetKeyProperties())
        {
            const std::string column = Narrow(tableDotColumn);
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

class SpecialValueSweep : public DoorTest
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

TEST_F(SpecialValueSweep, ACallerOfOneSegmentIsServedTheSegmentsItsOptionLetsItSee)
{
    const std::vector<SegmentedClass> classes = SegmentedClasses();
    ASSERT_FALSE(classes.empty());
    const std::string callerUser = std::to_string(support::TestCallers::Find(kCaller)->userId);
    // Every class's records spread over the special values in turn (the test's own caller stays
    // where it is), then each class is read back as the caller.
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
    for (const SegmentedClass& segmented : classes)
    {
        std::vector<std::string> keyNames;
        for (const auto& [property, column] : segmented.keys)
            keyNames.push_back(Narrow(property));
        std::vector<std::string> expectedRows;
        SCOPED_TRACE(Utf8(segmented.name));
        CallAs(Callers::kAdministrator);
        const Reply all = Enum(Form::Sync, segmented.name);
        // A class the WMI door does not build yet is left to the bus's own sweeps.
        if (all.result == WBEM_E_INVALID_CLASS)
            continue;
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
}
