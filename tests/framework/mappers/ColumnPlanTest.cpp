#include "tests/framework/mappers/MapperTestFixture.h"

#include "framework/CWmipQuery.h"
#include "platform/com/WbemConstants.h"

#include <map>
#include <string>

using namespace mappertest;

namespace {

// The badge mapper of the fixture, counting how often it is asked how to read a column, and
// leaving the STATUS column to ProcessInstanceProperty (which writes the status plus 100) and
// skipping the ACTIVATE column.
class PlannedBadgeMapper : public TestBadgeMapper
{
public:
    PlannedBadgeMapper(const CAcsUser* user, IWbemServices* services) : TestBadgeMapper(user, nullptr, services) {}

    WMIHelper::ProcessMethod GetPropertyProcessMethod(const CString& column, const CString& table) override
    {
        ++asked[CStringToUtf8(table + L"." + column)];
        if (column.CompareNoCase(L"STATUS") == 0)
            return WMIHelper::kProcessByMapper;
        if (column.CompareNoCase(L"ACTIVATE") == 0)
            return WMIHelper::kProcessSkip;
        if (column.CompareNoCase(L"ID") == 0 && unknownMethodForId != 0)
            return static_cast<WMIHelper::ProcessMethod>(unknownMethodForId);
        return TestBadgeMapper::GetPropertyProcessMethod(column, table);
    }
    HRESULT ProcessInstanceProperty(IWbemClassObject** instance, const CString& column, const CString& table) override
    {
        ++processed;
        if (column.CompareNoCase(L"STATUS") != 0 || table.CompareNoCase(L"BADGE") != 0)
            return WBEM_E_NOT_SUPPORTED;
        const LONG status = GetInstanceRecordset()->GetLong(L"BADGE.STATUS");
        _variant_t value(static_cast<LONG>(status + 100));
        return (*instance)->Put(L"Status", 0, &value, 0);
    }

    std::map<std::string, int> asked;
    int processed = 0;
    int unknownMethodForId = 0;
};

class ColumnPlan : public MapperTest
{
protected:
    void SetUp() override
    {
        MapperTest::SetUp();
        LoginCaller();
    }

    std::unique_ptr<PlannedBadgeMapper> MakePlanned()
    {
        auto mapper = std::make_unique<PlannedBadgeMapper>(m_connection.get(), &m_services);
        mapper->SetUserEntry(m_caller.get());
        return mapper;
    }

    // Every instance as "BadgeKey ID Status OwnerID OwnerName Activate".
    static std::vector<CString> Rows(CWmipClassMapper& mapper)
    {
        std::vector<CString> rows;
        EXPECT_TRUE(mapper.BeginEnumeration());
        while (mapper.HasMoreInstances())
        {
            IWbemClassObject* instance = nullptr;
            EXPECT_EQ(mapper.NextInstance(&instance, 0), S_OK);
            if (instance == nullptr)
                break;
            CString row;
            for (const wchar_t* property : {L"BadgeKey", L"ID", L"Status", L"OwnerID", L"OwnerName", L"Activate"})
                row += support::PropertyCString(instance, property) + L" ";
            rows.push_back(row.TrimRight());
            instance->Release();
        }
        mapper.EndEnumeration();
        return rows;
    }
};

TEST_F(ColumnPlan, EachColumnIsPlannedOncePerEnumerationAndEveryRowFollowsThePlan)
{
    auto mapper = MakePlanned();
    const std::vector<CString> expected = Strings({
        L"1 1001 101 1 Adams <null>",
        L"2 1002 100 4 Davis <null>",
        L"4 1004 101 1 Adams <null>",
        L"5 1005 101 4 Davis <null>",
    });
    EXPECT_EQ(Rows(*mapper), expected);
    // Six columns, four rows: each column asked once; the processed column handled per row.
    EXPECT_EQ(mapper->asked.size(), 6u);
    for (const auto& [column, count] : mapper->asked)
        EXPECT_EQ(count, 1) << column;
    EXPECT_EQ(mapper->processed, 4);

    // A new enumeration plans again, and reads the same rows the same way.
    EXPECT_EQ(Rows(*mapper), expected);
    for (const auto& [column, count] : mapper->asked)
        EXPECT_EQ(count, 2) << column;
}

TEST_F(ColumnPlan, CountingDuringAnEnumerationLeavesItsPlanAlone)
{
    auto mapper = MakePlanned();
    mapper->m_dropKey = true;
    // The dropped comparison makes the SQL select every badge; the rows are matched in memory.
    auto query = CWmipQuery::CreateFromQuery(L"SELECT * FROM Tst_Badge WHERE BadgeKey > 1 AND OwnerName = 'Davis'");
    ASSERT_NE(query, nullptr);
    mapper->SetQuery(query.get());
    ASSERT_TRUE(mapper->BeginEnumeration());
    IWbemClassObject* first = nullptr;
    ASSERT_EQ(mapper->NextInstance(&first, 0), S_OK);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(support::PropertyCString(first, L"BadgeKey"), CString(L"2"));
    first->Release();

    EXPECT_EQ(mapper->GetTotalRowCount(false), 2);

    IWbemClassObject* second = nullptr;
    ASSERT_EQ(mapper->NextInstance(&second, 0), S_OK);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(support::PropertyCString(second, L"BadgeKey"), CString(L"5"));
    EXPECT_EQ(support::PropertyCString(second, L"Status"), CString(L"101"));
    EXPECT_EQ(support::PropertyCString(second, L"OwnerName"), CString(L"Davis"));
    second->Release();
    mapper->EndEnumeration();
    mapper->SetQuery(nullptr);
}

}  // namespace

TEST_F(ColumnPlan, AnUnknownProcessingMethodFailsTheInstanceNamingTheColumn)
{
    for (const int method : {8, -1, 99})
    {
        auto mapper = MakePlanned();
        mapper->unknownMethodForId = method;
        ASSERT_TRUE(mapper->BeginEnumeration());
        IWbemClassObject* instance = nullptr;
        EXPECT_EQ(mapper->NextInstance(&instance, 0), WBEM_E_FAILED) << method;
        EXPECT_EQ(instance, nullptr);
        EXPECT_EQ(mapper->processed, 0) << "an unknown number is never taken for the mapper's own method";
        mapper->EndEnumeration();
    }
}
