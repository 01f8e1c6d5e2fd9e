// The segment filter's kept answers follow the registry (a class registered again or refused is
// never answered from what was found before) and the opened database they were found on, and an
// event's record is judged by the read's own rule, the person-kind rule included: over the
// segment the record carries and the kind its stored row holds.
#include <gtest/gtest.h>

#include <functional>
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

class TestHeldMapper : public CWmipDynamicClassMapper
{
public:
    TestHeldMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services)
        : CWmipDynamicClassMapper(user, context, services, L"Tst_Held")
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
    // Each step alone, and both tables looked up after each, so that what was found before the
    // step is asked for again.
    const struct
    {
        const char* step;
        std::function<void()> change;
        std::vector<CString> memoRows;  // the key columns found for MEMOROWS (none: no class)
        std::vector<CString> otherRows;
        const wchar_t* memoClass;  // the class found for MEMOROWS, null for none
        const wchar_t* otherClass;
    } steps[] = {
        {"registered",
         [] { RegisterRowsClass(L"Tst_MemoRows", L"MEMOROWS", L"FIRSTKEY"); },
         Strings({L"FIRSTKEY"}),
         {},
         L"Tst_MemoRows",
         nullptr},
        {"registered again under the same name, a new description",
         [] { RegisterRowsClass(L"Tst_MemoRows", L"MEMOROWS", L"SECONDKEY"); },
         Strings({L"SECONDKEY"}),
         {},
         L"Tst_MemoRows",
         nullptr},
        {"refused alone",
         [registry] { registry->RefuseClass(L"Tst_MemoRows", L"a test refuses it."); },
         {},
         {},
         nullptr,
         nullptr},
        {"another registered alone",
         [] { RegisterRowsClass(L"Tst_OtherRows", L"OTHERROWS", L"ID"); },
         {},
         Strings({L"ID"}),
         nullptr,
         L"Tst_OtherRows"},
        {"the first registered anew alone", [] { RegisterRowsClass(L"Tst_MemoRows", L"MEMOROWS", L"THIRDKEY"); },
         Strings({L"THIRDKEY"}), Strings({L"ID"}), L"Tst_MemoRows", L"Tst_OtherRows"},
    };
    for (const auto& step : steps)
    {
        SCOPED_TRACE(step.step);
        step.change();
        const CWMITypeInfo* found = nullptr;
        EXPECT_EQ(KeyColumnsOf(L"MEMOROWS", found), step.memoRows);
        EXPECT_EQ(found, step.memoClass != nullptr ? registry->GetTypeInfo(step.memoClass, true) : nullptr);
        EXPECT_EQ(KeyColumnsOf(L"OTHERROWS", found), step.otherRows);
        EXPECT_EQ(found, step.otherClass != nullptr ? registry->GetTypeInfo(step.otherClass, true) : nullptr);
    }
    registry->RefuseClass(L"Tst_MemoRows", L"a test is done with it.");
    registry->RefuseClass(L"Tst_OtherRows", L"a test is done with it.");
}

// What the filter keeps about a database (whether an owner's keys name one row, the restrictions
// built on that) holds for that opening of it alone: of two installations opened one after the
// other, the second, whose holder table lets two rows share an id, never joins a holder by that
// id, so each held row is served once.
TEST_F(MapperTest, WhatTheFilterKeepsOfOneOpenedDatabaseServesNoOther)
{
    CWmipMapperRegistry* registry = CWmipMapperRegistry::Instance();
    registry->RegisterClass(L"Tst_Holder", MapperFactory());
    support::DeclareOwnSegment(L"Tst_Holder", L"HOLDERS");
    registry->RegisterProperty(L"Tst_Holder", L"ID", CIM_SINT32, L"HOLDERS", L"ID", 1, 0);
    registry->RegisterClass(L"Tst_Held", L"", false, &support::NewTestMapper<TestHeldMapper>);
    support::DeclareBelongsTo(L"Tst_Held", L"HolderID", L"Tst_Holder", L"ID");
    registry->RegisterProperty(L"Tst_Held", L"ID", CIM_SINT32, L"HELD", L"ID", 1, 0);
    registry->RegisterProperty(L"Tst_Held", L"HolderID", CIM_SINT32, L"HELD", L"HOLDERID", 0, 0);
    // Holder 1 stands in alice's segments (5, and in the second installation 6 too), holder 2 in
    // segment 20, beyond them.
    TestDatabase second;
    const struct
    {
        const char* installation;
        const TestDatabase& db;
        const char* holders;
    } installations[] = {
        {"holder ids unique", m_db,
         "CREATE TABLE HOLDERS (ID INTEGER PRIMARY KEY, SEGMENTID INTEGER);"
         "INSERT INTO HOLDERS VALUES (1, 5), (2, 20);"},
        {"holder id 1 on two rows", second,
         "CREATE TABLE HOLDERS (ID INTEGER, SEGMENTID INTEGER);"
         "INSERT INTO HOLDERS VALUES (1, 5), (1, 6), (2, 20);"},
    };
    for (const auto& installation : installations)
    {
        SCOPED_TRACE(installation.installation);
        installation.db.Exec(std::string(installation.holders) +
                             "CREATE TABLE HELD (ID INTEGER PRIMARY KEY, HOLDERID INTEGER);"
                             "INSERT INTO HELD VALUES (10, 1), (11, 1), (12, 2);");
        m_caller.reset();
        m_connection = std::make_unique<CAcsUser>();
        ASSERT_TRUE(m_connection->LoginAsSA(installation.db.DataSource()));
        auto alice = std::make_unique<CAcsUser>();
        ASSERT_TRUE(alice->Login(installation.db.DataSource(), L"alice", L"Secret1!", -1, 0));
        m_caller = std::make_unique<CWmipUserCacheEntry>(std::move(alice), nullptr, 0);
        auto mapper = MakeMapper(L"Tst_Held");
        ASSERT_NE(mapper, nullptr);
        mapper->SetOrderByFields(L"ID");
        EXPECT_EQ(Enumerate(*mapper, L"", L"ID"), Strings({L"10", L"11"}));
    }
    m_caller.reset();
    m_connection.reset();
    registry->RefuseClass(L"Tst_Held", L"a test is done with it.");
    registry->RefuseClass(L"Tst_Holder", L"a test is done with it.");
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
