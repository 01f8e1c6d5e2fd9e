// How a restricted caller's reads of records seen with their owner reach the database: the
// statement carries the owner's visibility as a condition on the one owner row the record
// names, so the engine answers it by key (no table is scanned for a keyed get), and it names
// the caller's own segments.
#include "framework/CWMITypeInfo.h"
#include "framework/CWmipMapperRegistry.h"
#include "tests/e2e/DoorTest.h"
#include "tests/isolation/NamedRecordSweep.h"
#include "tests/support/InstallationDatabase.h"
#include "tests/support/PropertyText.h"
#include "tests/support/StatementRecorder.h"
#include "tests/support/TestCallers.h"

#include <algorithm>

using namespace e2e;

namespace {
// Every permission, segment 1 only.
constexpr const wchar_t* kCaller = support::callers::kHeadquartersChief;

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
            "UPDATE CONFIG_VALUE SET NUMBERVALUE = 1 WHERE CONFIGID IN (1003, 1004, 1005);\n" +
                support::TestCallers::Sql({kCaller}));
    }
};
}  // namespace

// Every class seen with its owner, walked from the registry (a class declared later is covered):
// a restricted caller's keyed get of one of its records reads the record's table through
// statements whose every step is a search by key or index, whatever the number of owners.
TEST_F(RestrictedReadPlan, AKeyedGetOfARecordSeenWithItsOwnerScansNoTable)
{
    CWmipMapperRegistry* registry = CWmipMapperRegistry::Instance();
    std::size_t swept = 0;
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
        CallAs(kCaller);
        support::StatementRecorder recorder;
        Get(Form::Sync, std::wstring(path.begin(), path.end()));
        std::size_t reads = 0;
        for (const support::StatementRecorder::Statement& statement : recorder.Statements())
        {
            if (!ReadsTable(statement.sql, table))
                continue;
            ++reads;
            for (const std::string& step : support::StatementRecorder::Plan(DoorInstallation::DatabaseFile(),
                                                                               statement.sql))
                EXPECT_TRUE(step.rfind("SEARCH ", 0) == 0 || step.rfind("CORRELATED SCALAR SUBQUERY", 0) == 0 ||
                            step.rfind("USE TEMP B-TREE FOR ORDER BY", 0) == 0)
                    << path << ": " << step << "\n" << statement.expanded;
        }
        EXPECT_GE(reads, 1u) << path;
        ++swept;
    }
    // Badges and their details, persons' records, panels' devices, links of levels and holidays.
    EXPECT_GE(swept, 30u);
}
