// The segment filter's kept answers follow the registry (a class registered again or refused is
// never answered from what was found before), and an event's record is judged by the read's own
// rule, the person-kind rule included: over the segment the record carries and the kind its
// stored row holds.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "framework/CWmipSegmentSourceFilter.h"
#include "tests/framework/mappers/MapperTestFixture.h"

namespace mappertest {
namespace {

class TestKindPersonMapper : public CWmipDynamicClassMapper
{
public:
    TestKindPersonMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services)
        : CWmipDynamicClassMapper(user, context, services, L"Tst_KindPerson")
    {
    }
};

class TestSwitchBadgeMapper : public CWmipDynamicClassMapper
{
public:
    TestSwitchBadgeMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services)
        : CWmipDynamicClassMapper(user, context, services, L"Tst_SwitchBadge")
    {
    }
};

// A class of the table's rows keyed by keyColumn, not segmented.
void RegisterRowsClass(const wchar_t* className, const wchar_t* table, const wchar_t* keyColumn)
{
    CWmipMapperRegistry* registry = CWmipMapperRegistry::Instance();
    registry->RegisterClass(className, MapperFactory());
    support::DeclareNotSegmented(className);
    registry->RegisterProperty(className, L"Key", CIM_SINT32, table, keyColumn, 1, 0);
}

std::vector<CString> KeyColumnsOf(const wchar_t* table, const CWMITypeInfo*& type)
{
    std::vector<CString> columns;
    type = CWmipSegmentSourceFilter::ClassOfJoinedTable(table, &columns);
    return columns;
}

}  // namespace

TEST_F(MapperTest, TheTableClassesFollowEveryRegistrationAndRefusal)
{
    CWmipMapperRegistry* registry = CWmipMapperRegistry::Instance();
    const CWMITypeInfo* found = nullptr;
    RegisterRowsClass(L"Tst_MemoRows", L"MEMOROWS", L"FIRSTKEY");
    EXPECT_EQ(KeyColumnsOf(L"MEMOROWS", found), Strings({L"FIRSTKEY"}));
    EXPECT_EQ(found, registry->GetTypeInfo(L"Tst_MemoRows", true));

    // Registered again under the same name: as many classes as before, a new description.
    RegisterRowsClass(L"Tst_MemoRows", L"MEMOROWS", L"SECONDKEY");
    EXPECT_EQ(KeyColumnsOf(L"MEMOROWS", found), Strings({L"SECONDKEY"}));
    EXPECT_EQ(found, registry->GetTypeInfo(L"Tst_MemoRows", true));

    // One class refused and another registered: the count stands, the refused one is gone.
    registry->RefuseClass(L"Tst_MemoRows", L"a test refuses it.");
    RegisterRowsClass(L"Tst_OtherRows", L"OTHERROWS", L"ID");
    EXPECT_TRUE(KeyColumnsOf(L"MEMOROWS", found).empty());
    EXPECT_EQ(found, nullptr);
    EXPECT_EQ(KeyColumnsOf(L"OTHERROWS", found), Strings({L"ID"}));
    EXPECT_EQ(found, registry->GetTypeInfo(L"Tst_OtherRows", true));
    registry->RefuseClass(L"Tst_OtherRows", L"a test is done with it.");
}

TEST_F(MapperTest, AReadFollowsAClassRegisteredAgainWithAnotherSegmentSource)
{
    CWmipMapperRegistry* registry = CWmipMapperRegistry::Instance();
    LoginCaller();
    // Badge 3 lies in segment 20, beyond alice's.
    for (const bool segmented : {false, true, false})
    {
        registry->RegisterClass(L"Tst_SwitchBadge", L"", false, &support::NewTestMapper<TestSwitchBadgeMapper>);
        if (segmented)
            support::DeclareOwnSegment(L"Tst_SwitchBadge", L"BADGE");
        else
            support::DeclareNotSegmented(L"Tst_SwitchBadge");
        registry->RegisterProperty(L"Tst_SwitchBadge", L"BadgeKey", CIM_SINT32, L"BADGE", L"BADGEKEY", 1, 0);
        auto mapper = MakeMapper(L"Tst_SwitchBadge");
        ASSERT_NE(mapper, nullptr);
        mapper->SetOrderByFields(L"BadgeKey");
        EXPECT_EQ(Enumerate(*mapper, L"", L"BadgeKey"),
                  segmented ? Strings({L"1", L"2", L"4", L"5"}) : Strings({L"1", L"2", L"3", L"4", L"5"}))
            << segmented;
    }
    registry->RefuseClass(L"Tst_SwitchBadge", L"a test is done with it.");
}

// A person's segment counts only for a kind whose segmentation is on: with visitor segmentation
// off, a visitor beyond the caller's segments is admitted, a cardholder there is not.
TEST_F(MapperTest, AnEventsRecordIsJudgedByThePersonKindRuleOfTheRead)
{
    m_db.Exec("INSERT INTO EMP (ID, LASTNAME, SEGMENTID, VISITOR) VALUES (7, 'Evans', 20, 1);");
    CWmipMapperRegistry* registry = CWmipMapperRegistry::Instance();
    registry->RegisterClass(L"Tst_KindPerson", L"", false, &support::NewTestMapper<TestKindPersonMapper>);
    CWMITypeInfo::SegmentSource source;
    source.kind = CWMITypeInfo::SegmentSource::Kind::OwnColumn;
    source.table = L"EMP";
    source.column = L"SEGMENTID";
    source.option = SegmentOptionPersons;
    registry->RegisterSegmentSource(L"Tst_KindPerson", source);
    registry->RegisterProperty(L"Tst_KindPerson", L"ID", CIM_SINT32, L"EMP", L"ID", 1, 0);
    registry->RegisterProperty(L"Tst_KindPerson", L"SegmentID", CIM_SINT32, L"EMP", L"SEGMENTID", 0, 0);
    const CWMITypeInfo* type = registry->GetTypeInfo(L"Tst_KindPerson", true);
    ASSERT_NE(type, nullptr);

    const struct
    {
        LONG id;
        bool admitted;
    } cases[] = {
        {7, true},   // visitor, segment 20: visitor segmentation is off
        {3, false},  // cardholder Clark, segment 20
        {1, true},   // cardholder Adams, segment 5
    };
    // The records as an event carries them, read by the system administrator while no person
    // is segmented.
    auto administrator = std::make_unique<CAcsUser>();
    ASSERT_TRUE(administrator->LoginAsSA(m_db.DataSource()));
    CWmipUserCacheEntry administratorEntry(std::move(administrator), nullptr, 0);
    std::vector<ComPtr<IWbemClassObject>> instances;
    for (const auto& c : cases)
    {
        auto reader = MakeMapper(L"Tst_KindPerson");
        ASSERT_NE(reader, nullptr);
        reader->SetUserEntry(&administratorEntry);
        CWmipObjectPath path(L"Tst_KindPerson");
        path.AddKey(L"ID", c.id);
        instances.emplace_back();
        instances.back().Attach(reader->GetCurrentInstance(&path));
        ASSERT_NE(instances.back(), nullptr) << c.id;
    }

    m_db.Exec("INSERT OR REPLACE INTO CONFIG_VALUE (CONFIGID, NUMBERVALUE) VALUES (1003, 1), (1004, 0);");
    LoginCaller();
    const CAcsUser& alice = *m_caller->GetUser();
    ASSERT_FALSE(alice.IsAllSegmentsUser());
    for (std::size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(CWmipSegmentSourceFilter::Admits(alice, *type, *instances[i].Get(), alice.GetDatabase()),
                  cases[i].admitted)
            << cases[i].id;
    registry->RefuseClass(L"Tst_KindPerson", L"a test is done with it.");
}

}  // namespace mappertest
