#include "tests/framework/mappers/MapperTestFixture.h"

#include "framework/CWmipObjectPath.h"
#include "inhouse/BntCoreDb/CBntDatabase.h"
#include "inhouse/BntCoreDb/CDBException.h"
#include "inhouse/BntUtility/CWMIException.h"
#include "platform/com/WbemConstants.h"
#include "tests/support/TemporaryHome.h"
#include "tests/support/TestSegmentSources.h"

#include <algorithm>

using brontel::utility::CWMIException;
using namespace mappertest;

namespace {

// Badges declared as belonging to a class that is not registered.
class TestOrphanBadgeMapper : public CWmipDynamicClassMapper
{
public:
    TestOrphanBadgeMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services)
        : CWmipDynamicClassMapper(user, context, services, L"Tst_OrphanBadge")
    {
    }
};

class Enumeration : public MapperTest
{
protected:
    void SetUp() override
    {
        MapperTest::SetUp();
        LoginCaller();
    }
};

TEST_F(Enumeration, JoinsTablesAndReadsEveryRegisteredColumn)
{
    auto mapper = MakeMapper(L"Tst_Badge");
    ASSERT_NE(mapper, nullptr);
    // Badge 3 lies in segment 20, which alice cannot reach.
    EXPECT_EQ(Enumerate(*mapper, L"", L"BadgeKey"), Strings({L"1", L"2", L"4", L"5"}));
    EXPECT_EQ(Enumerate(*mapper, L"", L"OwnerName"), Strings({L"Adams", L"Davis", L"Adams", L"Davis"}));
}

TEST_F(Enumeration, QueryConditionsSelectOnlyMatchingRows)
{
    auto mapper = MakeMapper(L"Tst_Badge");
    ASSERT_NE(mapper, nullptr);
    const struct
    {
        const wchar_t* wql;
        std::vector<CString> keys;
    } cases[] = {
        {L"SELECT * FROM Tst_Badge WHERE Status = 0", Strings({L"2"})},
        {L"SELECT * FROM Tst_Badge WHERE OwnerName = 'Adams'", Strings({L"1", L"4"})},
        {L"SELECT * FROM Tst_Badge WHERE BadgeKey > 1 AND OwnerName <> 'Adams'", Strings({L"2", L"5"})},
        {L"SELECT * FROM Tst_Badge WHERE BadgeKey = \"4\"", Strings({L"4"})},
        {L"SELECT * FROM Tst_Badge WHERE OwnerName LIKE 'D%'", Strings({L"2", L"5"})},
        {L"SELECT * FROM Tst_Badge WHERE Activate IS NULL", Strings({L"5"})},
        // Values are bound, never pasted into SQL: quotes and SQL text inside a literal match nothing.
        {L"SELECT * FROM Tst_Badge WHERE OwnerName = \"x' OR '1'='1\"", Strings({})},
        {L"SELECT * FROM Tst_Badge WHERE OwnerName = \"Adams\\\" OR 1=1 --\"", Strings({})},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Enumerate(*mapper, c.wql, L"BadgeKey"), c.keys) << CStringToUtf8(c.wql);
}

TEST_F(Enumeration, UnregisteredOrMalformedConditionsAreRefusedAsInvalidQueries)
{
    auto mapper = MakeMapper(L"Tst_Badge");
    ASSERT_NE(mapper, nullptr);
    for (const wchar_t* wql :
         {L"SELECT * FROM Tst_Badge WHERE NoSuchProperty = 1", L"SELECT * FROM Tst_Badge WHERE SEGMENTID = 20"})
    {
        auto query = CWmipQuery::CreateFromQuery(wql);
        ASSERT_NE(query, nullptr);
        try
        {
            mapper->SetQuery(query.get());
            ADD_FAILURE() << "accepted " << CStringToUtf8(wql);
        }
        catch (const CWMIException& e)
        {
            EXPECT_EQ(e.GetHResult(), WBEM_E_INVALID_QUERY);
        }
        mapper->SetQuery(nullptr);
    }
}

// A joined record beyond the caller's segments serves no value: badge 6 (segment 5) is alice's, its
// owner Clark (segment 20) is not, so its OwnerName reads NULL in the row, in every condition and
// in the order; badge 7, whose owner does not exist, stays out as the inner join keeps it out.
TEST_F(Enumeration, AJoinedRecordTheCallerMayNotSeeServesNoValue)
{
    m_db.Exec(
        "INSERT INTO BADGE (BADGEKEY, ID, STATUS, EMPID, SEGMENTID) VALUES (6, 1006, 1, 3, 5), (7, 1007, 1, 99, 5)");
    auto mapper = MakeMapper(L"Tst_Badge");
    ASSERT_NE(mapper, nullptr);
    const struct
    {
        const wchar_t* wql;
        const wchar_t* property;
        std::vector<CString> values;
    } cases[] = {
        {L"", L"BadgeKey", Strings({L"1", L"2", L"4", L"5", L"6"})},
        {L"", L"OwnerName", Strings({L"Adams", L"Davis", L"Adams", L"Davis", L"<null>"})},
        {L"SELECT * FROM Tst_Badge WHERE OwnerName = 'Clark'", L"BadgeKey", Strings({})},
        {L"SELECT * FROM Tst_Badge WHERE OwnerName LIKE 'C%'", L"BadgeKey", Strings({})},
        {L"SELECT * FROM Tst_Badge WHERE OwnerName IS NULL", L"BadgeKey", Strings({L"6"})},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Enumerate(*mapper, c.wql, c.property), c.values) << CStringToUtf8(c.wql);
    mapper->SetOrderByFields(L"OwnerName");
    EXPECT_EQ(Enumerate(*mapper, L"", L"BadgeKey"), Strings({L"6", L"1", L"4", L"2", L"5"}));
}

// A class whose owner cannot be followed serves no row, and says why in the log on every request
// (the restrictions a read was given before are kept only for filters that deny nothing).
TEST_F(Enumeration, AnOwnerThatCannotBeFollowedServesNothingAndIsLoggedEachTime)
{
    static const bool registered = [] {
        CWmipMapperRegistry* registry = CWmipMapperRegistry::Instance();
        registry->RegisterClass(L"Tst_OrphanBadge", L"", false, &support::NewTestMapper<TestOrphanBadgeMapper>);
        support::DeclareBelongsTo(L"Tst_OrphanBadge", L"OwnerID", L"Tst_NoSuchOwner", L"ID");
        registry->RegisterProperty(L"Tst_OrphanBadge", L"BadgeKey", CIM_SINT32, L"BADGE", L"BADGEKEY", 1, 0);
        registry->RegisterProperty(L"Tst_OrphanBadge", L"OwnerID", CIM_SINT32, L"BADGE", L"EMPID", 0, 0);
        return true;
    }();
    (void)registered;
    const std::string reason =
        "The records of Tst_OrphanBadge are not served: the class names an owner that cannot be followed.";
    const int before = support::TemporaryHome::CountProviderLogLines(reason);
    for (int request = 1; request <= 2; ++request)
    {
        auto mapper = MakeMapper(L"Tst_OrphanBadge");
        ASSERT_NE(mapper, nullptr);
        EXPECT_EQ(Enumerate(*mapper, L"", L"BadgeKey"), Strings({}));
        EXPECT_EQ(support::TemporaryHome::CountProviderLogLines(reason), before + request);
    }
}

TEST_F(Enumeration, SegmentFilterFollowsTheCallersSegments)
{
    m_db.Exec("UPDATE CONFIG_VALUE SET NUMBERVALUE = 0 WHERE CONFIGID = 1001");
    LoginCaller();
    auto mapper = MakeMapper(L"Tst_Badge");
    ASSERT_NE(mapper, nullptr);
    EXPECT_EQ(Enumerate(*mapper, L"", L"BadgeKey"), Strings({L"1", L"2", L"3", L"4", L"5"}));
}

TEST_F(Enumeration, PersonFilterFollowsTheCardholderAndVisitorPermissions)
{
    const struct
    {
        std::vector<DWORD> grants;
        std::vector<CString> ids;
    } cases[] = {
        // 0x20000003 only: neither right is complete, so EMP.VISITOR = 2 matches no row.
        {{}, Strings({})},
        {{kSecondCardholderPermission}, Strings({L"1", L"4"})},
        {{kVisitorPermission}, Strings({L"2"})},
        {{kSecondCardholderPermission, kVisitorPermission}, Strings({L"1", L"2", L"4"})},
    };
    for (const auto& c : cases)
    {
        m_db.Exec("DELETE FROM USER_PERM_GRANT WHERE USER_PERMID = 2 AND PERMISSIONID <> 536870915");
        for (DWORD grant : c.grants)
            Grant(grant);
        m_caller.reset();
        LoginCaller();
        auto mapper = MakeMapper(L"Tst_Person");
        ASSERT_NE(mapper, nullptr);
        EXPECT_EQ(Enumerate(*mapper, L"", L"ID"), c.ids) << c.grants.size();
    }
}

TEST_F(Enumeration, OrdersByPropertiesAndFallsBackToKeysForUnknownNames)
{
    auto mapper = MakeMapper(L"Tst_Badge");
    ASSERT_NE(mapper, nullptr);
    mapper->SetOrderByFields(L"OwnerName, ID");
    mapper->SetSortDescending(true);
    EXPECT_EQ(Enumerate(*mapper, L"", L"BadgeKey"), Strings({L"5", L"2", L"4", L"1"}));

    mapper->SetOrderByFields(L"OwnerName, NoSuchProperty");
    mapper->SetSortDescending(false);
    EXPECT_EQ(Enumerate(*mapper, L"", L"BadgeKey"), Strings({L"1", L"2", L"4", L"5"}));
}

TEST_F(Enumeration, PagesAreSlicesOfTheOrderedRows)
{
    auto mapper = MakeMapper(L"Tst_Badge");
    ASSERT_NE(mapper, nullptr);
    mapper->SetOrderByFields(L"OwnerName");
    const std::vector<CString> all = Enumerate(*mapper, L"", L"BadgeKey");
    ASSERT_EQ(all.size(), 4u);
    for (LONG first = 0; first <= 5; ++first)
    {
        for (LONG last = 1; last <= 6; ++last)
        {
            mapper->SetStartingRecord(first);
            mapper->SetEndingRecord(last);
            const size_t from = static_cast<size_t>(std::max<LONG>(first, 1) - 1);
            const size_t to = std::min(all.size(), static_cast<size_t>(last));
            const std::vector<CString> expected =
                from < to
                    ? std::vector<CString>(all.begin() + static_cast<long>(from), all.begin() + static_cast<long>(to))
                    : std::vector<CString>();
            EXPECT_EQ(Enumerate(*mapper, L"", L"BadgeKey"), expected) << first << ".." << last;
        }
    }
    mapper->SetEndingRecord(0);
    EXPECT_EQ(Enumerate(*mapper, L"", L"BadgeKey"), all);
}

TEST_F(Enumeration, PagesWithoutAnOrderAreStillOrderedByTheKeys)
{
    // An index the database prefers for the condition hands the rows out in its own order:
    // only an ORDER BY on the keys keeps the pages slices of one order.
    m_db.Exec("CREATE INDEX BADGE_STATUS_DESC ON BADGE (STATUS DESC, BADGEKEY DESC)");
    auto mapper = MakeMapper(L"Tst_Badge");
    ASSERT_NE(mapper, nullptr);
    const wchar_t* wql = L"SELECT * FROM Tst_Badge WHERE Status >= 0";
    std::vector<CString> pages;
    for (LONG first = 1; first <= 4; first += 2)
    {
        mapper->SetStartingRecord(first);
        mapper->SetEndingRecord(first + 1);
        for (const CString& key : Enumerate(*mapper, wql, L"BadgeKey"))
            pages.push_back(key);
    }
    EXPECT_EQ(pages, Strings({L"1", L"2", L"4", L"5"}));
}

TEST_F(Enumeration, PagesCountMatchingRowsWhenTheSqlIsOnlyASuperset)
{
    auto mapper = MakeMapper(L"Tst_Badge");
    ASSERT_NE(mapper, nullptr);
    static_cast<TestBadgeMapper&>(*mapper).m_dropKey = true;
    mapper->SetStartingRecord(2);
    mapper->SetEndingRecord(2);
    EXPECT_EQ(Enumerate(*mapper, L"SELECT * FROM Tst_Badge WHERE BadgeKey >= 2", L"BadgeKey"), Strings({L"4"}));
}

TEST_F(Enumeration, TotalRowCountIgnoresPagingAndFollowsTheQuery)
{
    auto mapper = MakeMapper(L"Tst_Badge");
    ASSERT_NE(mapper, nullptr);
    mapper->SetEndingRecord(1);
    EXPECT_EQ(mapper->GetTotalRowCount(false), 4);
    auto query = CWmipQuery::CreateFromQuery(L"SELECT * FROM Tst_Badge WHERE OwnerName = 'Adams'");
    ASSERT_NE(query, nullptr);
    mapper->SetQuery(query.get());
    EXPECT_EQ(mapper->GetTotalRowCount(true), 2);

    static_cast<TestBadgeMapper&>(*mapper).m_dropKey = true;
    auto dropped = CWmipQuery::CreateFromQuery(L"SELECT * FROM Tst_Badge WHERE BadgeKey = 4 OR Status = 0");
    ASSERT_NE(dropped, nullptr);
    mapper->SetQuery(dropped.get());
    EXPECT_EQ(mapper->GetTotalRowCount(false), 2);
    mapper->SetQuery(nullptr);
}

TEST_F(Enumeration, KeyedReadGivesOnlyTheNamedInstance)
{
    auto mapper = MakeMapper(L"Tst_Badge");
    ASSERT_NE(mapper, nullptr);
    // The key comparison is dropped from the SQL, which then selects every badge: the read
    // must still answer badge 4 and nothing else.
    static_cast<TestBadgeMapper&>(*mapper).m_dropKey = true;
    CWmipObjectPath path(L"Tst_Badge");
    path.AddKey(L"BadgeKey", 4);
    IWbemClassObject* instance = mapper->GetCurrentInstance(&path);
    ASSERT_NE(instance, nullptr);
    EXPECT_EQ(support::PropertyCString(instance, L"BadgeKey"), L"4");
    instance->Release();

    CWmipObjectPath missing(L"Tst_Badge");
    missing.AddKey(L"BadgeKey", 3);  // exists, but outside alice's segments
    EXPECT_EQ(mapper->GetCurrentInstance(&missing), nullptr);
    EXPECT_FALSE(mapper->HasMoreInstances());
}

TEST_F(Enumeration, KeyedReadNeedsExactlyTheClassKeys)
{
    auto mapper = MakeMapper(L"Tst_Badge");
    ASSERT_NE(mapper, nullptr);
    CWmipObjectPath upperCase(L"Tst_Badge");
    upperCase.AddKey(L"BADGEKEY", 4);
    IWbemClassObject* instance = mapper->GetCurrentInstance(&upperCase);
    ASSERT_NE(instance, nullptr);
    instance->Release();
    // A non-key property names no instance, even though a row matches it.
    CWmipObjectPath byStatus(L"Tst_Badge");
    byStatus.AddKey(L"Status", 0);
    EXPECT_EQ(mapper->GetCurrentInstance(&byStatus), nullptr);
    CWmipObjectPath extra(L"Tst_Badge");
    extra.AddKey(L"BadgeKey", 4);
    extra.AddKey(L"Status", 0);
    EXPECT_EQ(mapper->GetCurrentInstance(&extra), nullptr);
}

TEST_F(Enumeration, ClassWithoutTableOrPropertiesEnumeratesNothing)
{
    auto mapper = MakeMapper(L"Tst_Empty");
    ASSERT_NE(mapper, nullptr);
    // A class of methods only has no stored instances: an empty enumeration, not a failure.
    EXPECT_TRUE(mapper->BeginEnumeration());
    EXPECT_FALSE(mapper->HasMoreInstances());
    IWbemClassObject* instance = nullptr;
    EXPECT_EQ(mapper->NextInstance(&instance, 0), WBEM_S_NO_MORE_DATA);
    EXPECT_EQ(instance, nullptr);
    EXPECT_EQ(mapper->GetTotalRowCount(false), 0);
    mapper->EndEnumeration();
}

TEST_F(Enumeration, ClassWithoutTableRefusesEveryPutWithItsOwnText)
{
    auto mapper = MakeMapper(L"Tst_Empty");
    ASSERT_NE(mapper, nullptr);
    IWbemClassObject* raw = nullptr;
    ASSERT_EQ(mapper->GetClass(&raw, FALSE), S_OK);
    // A stored definition is lent, a built one handed over.
    ComPtr<IWbemClassObject> definition;
    if (mapper->WMIStoresClassDefinition())
        definition = ComPtr<IWbemClassObject>(raw);
    else
        definition.Attach(raw);
    ComPtr<IWbemClassObject> instance;
    ASSERT_EQ(definition->SpawnInstance(0, &instance), S_OK);
    // Whatever the flags ask, the refusal says why before any permission is weighed.
    for (const LONG flags : {0, WBEM_FLAG_CREATE_ONLY, WBEM_FLAG_UPDATE_ONLY})
    {
        CString path;
        try
        {
            mapper->PutInstance(instance.Get(), flags, path);
            ADD_FAILURE() << "a put of a class without table was answered, flags " << flags;
        }
        catch (const CWMIException& e)
        {
            EXPECT_EQ(e.GetHResult(), WBEM_E_NOT_SUPPORTED) << flags;
            EXPECT_EQ(CStringToUtf8(e.GetText()), "The class has no table to write to.") << flags;
        }
    }
}

TEST_F(Enumeration, DatabaseFailuresAreReportedNotSwallowed)
{
    auto mapper = MakeMapper(L"Tst_Badge");
    ASSERT_NE(mapper, nullptr);
    m_connection->GetDatabase()->TestHookFailNextStatements(1, 1);
    EXPECT_FALSE(mapper->BeginEnumeration());
    EXPECT_FALSE(mapper->HasMoreInstances());

    m_connection->GetDatabase()->TestHookFailNextStatements(1, 1);
    try
    {
        mapper->GetTotalRowCount(true);
        ADD_FAILURE() << "a failed count was answered";
    }
    catch (const CWMIException& e)
    {
        EXPECT_EQ(e.GetHResult(), WBEM_E_INVALID_QUERY);
    }

    // A lost connection reaches the caller as the database's own exception.
    m_connection->GetDatabase()->TestHookFailNextStatements(1, 10);
    EXPECT_THROW(mapper->GetTotalRowCount(false), CDBException);
}

TEST_F(Enumeration, MapperBeginsAgainAfterAnEndedEnumeration)
{
    auto mapper = MakeMapper(L"Tst_Badge");
    ASSERT_NE(mapper, nullptr);
    ASSERT_TRUE(mapper->BeginEnumeration());
    ASSERT_TRUE(mapper->HasMoreInstances());
    // Beginning again while rows are open replaces the open recordset.
    EXPECT_EQ(Enumerate(*mapper, L"", L"BadgeKey"), Strings({L"1", L"2", L"4", L"5"}));
}

TEST_F(Enumeration, InstancesBuiltAgainForTheNextRowShowOnlyThatRowsValues)
{
    // Released instances are built again for the next row: a NULL after a value stays NULL.
    // Instances somebody still holds are never touched: each keeps the values of its row.
    auto mapper = MakeMapper(L"Tst_Badge");
    ASSERT_NE(mapper, nullptr);
    const std::vector<CString> released = Enumerate(*mapper, L"", L"Activate");
    ASSERT_EQ(released.size(), 4u);
    EXPECT_NE(released[2], L"<null>");
    EXPECT_EQ(released[3], L"<null>");

    std::vector<ComPtr<IWbemClassObject>> kept;
    ASSERT_TRUE(mapper->BeginEnumeration());
    while (mapper->HasMoreInstances())
    {
        ComPtr<IWbemClassObject> instance;
        ASSERT_TRUE(SUCCEEDED(mapper->NextInstance(&instance, 0)));
        if (instance != nullptr)
            kept.push_back(instance);
    }
    mapper->EndEnumeration();
    std::vector<CString> keys;
    std::vector<CString> activations;
    for (const auto& instance : kept)
    {
        keys.push_back(support::PropertyCString(instance.Get(), L"BadgeKey"));
        activations.push_back(support::PropertyCString(instance.Get(), L"Activate"));
    }
    EXPECT_EQ(keys, Strings({L"1", L"2", L"4", L"5"}));
    EXPECT_EQ(activations, released);
}

}  // namespace
