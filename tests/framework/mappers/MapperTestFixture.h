// Shared fixture of the mapper tests: an installation database (tests/inhouse/BntLogin's
// TestDatabase: users alice, bob, carol, segments 5-9 and 20) with a few persons and badges,
// the test classes registered once per process, a pooled connection (logged in as the system
// administrator) and the caller alice wrapped in a user-cache entry. Every test runs without a
// current application object, so the mappers take no service from one.
//
// Test classes:
//   Tst_Person       EMP: ID (key), LastName, Visitor, SegmentID; its mapper adds the person
//                    filter (AddAdditionalPersonFilter)
//   Tst_Badge        BADGE joined to EMP: BadgeKey (key), ID, Status, Activate (datetime),
//                    OwnerID, OwnerName (EMP.LASTNAME)
//   Tst_Empty        no property, no table
//   Tst_PersonBadge  association on BADGE joined to EMP: BadgeKey (key), PersonID, and the
//                    references Person (Tst_Person) and Badge (Tst_Badge)
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "tests/support/TestSegmentSources.h"
#include "framework/objects/CCorvessaNamespace.h"
#include "framework/associations/CWmipAssociationMapper.h"
#include "framework/CWmipDynamicClassMapper.h"
#include "framework/CWmipMapperRegistry.h"
#include "framework/CWmipQuery.h"
#include "inhouse/BntCoreDb/CDynamicRecordset.h"
#include "inhouse/BntLogin/CAcsUser.h"
#include "platform/com/CimTypes.h"
#include "platform/com/Variant.h"
#include "platform/mfc/ModuleState.h"
#include "platform/wmi/IWbemClassObject.h"
#include "provider/CWmipUserCacheEntry.h"
#include "tests/inhouse/BntLogin/TestDatabase.h"
#include "tests/support/PropertyText.h"
#include "tests/support/TestMapperFactory.h"

namespace mappertest {

// Permission ids granted to alice's cardholder group by the fixture (besides 0x20000003).
constexpr DWORD kSecondCardholderPermission = 0x20000057;
constexpr DWORD kVisitorPermission = 0x20000023;

class TestPersonMapper : public CWmipDynamicClassMapper
{
public:
    TestPersonMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services)
        : CWmipDynamicClassMapper(user, context, services, L"Tst_Person")
    {
    }
    void FilterInstanceRecordset(CMultiFilterRecordset* recordset) override
    {
        auto* dynamic = dynamic_cast<CDynamicRecordset*>(recordset);
        ASSERT_NE(dynamic, nullptr);
        AddAdditionalPersonFilter(*dynamic);
    }
};

class TestBadgeMapper : public CWmipDynamicClassMapper
{
public:
    TestBadgeMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services)
        : CWmipDynamicClassMapper(user, context, services, L"Tst_Badge")
    {
        AddJoin(L"BADGE", L"EMPID", L"EMP", L"ID");
    }
    bool IsUseUTC() override { return m_useUtc; }
    ProcessClauseResult ProcessClause(CString& property, int& op, CString& literal, CString& extra) override
    {
        if (m_dropKey && property.CompareNoCase(L"BadgeKey") == 0)
            return ProcessClauseDrop;
        return CWmipDynamicClassMapper::ProcessClause(property, op, literal, extra);
    }

    bool m_useUtc = false;
    // Drops comparisons on the key, so the SQL selects every badge.
    bool m_dropKey = false;
};

class TestEmptyMapper : public CWmipDynamicClassMapper
{
public:
    TestEmptyMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services)
        : CWmipDynamicClassMapper(user, context, services, L"Tst_Empty")
    {
    }
};

class TestPersonBadgeMapper : public CWmipAssociationMapper
{
public:
    TestPersonBadgeMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services)
        : CWmipAssociationMapper(user, context, services, L"Tst_PersonBadge")
    {
        AddJoin(L"BADGE", L"EMPID", L"EMP", L"ID");
    }
};

inline void RegisterTestClasses()
{
    static const bool registered = [] {
        CWmipMapperRegistry* registry = CWmipMapperRegistry::Instance();
        registry->RegisterClass(L"Tst_Person", L"", false, &support::NewTestMapper<TestPersonMapper>);
        support::DeclareOwnSegment(L"Tst_Person", L"EMP");
        registry->RegisterProperty(L"Tst_Person", L"ID", CIM_SINT32, L"EMP", L"ID", 1, 0);
        registry->RegisterProperty(L"Tst_Person", L"LastName", CIM_STRING, L"EMP", L"LASTNAME", 0, 64);
        registry->RegisterProperty(L"Tst_Person", L"Visitor", CIM_SINT32, L"EMP", L"VISITOR", 0, 0);
        registry->RegisterProperty(L"Tst_Person", L"SegmentID", CIM_SINT32, L"EMP", L"SEGMENTID", 0, 0);

        registry->RegisterClass(L"Tst_Badge", L"", false, &support::NewTestMapper<TestBadgeMapper>);
        support::DeclareOwnSegment(L"Tst_Badge", L"BADGE");
        registry->RegisterProperty(L"Tst_Badge", L"BadgeKey", CIM_SINT32, L"BADGE", L"BADGEKEY", 1, 0);
        registry->RegisterProperty(L"Tst_Badge", L"ID", CIM_SINT32, L"BADGE", L"ID", 0, 0);
        registry->RegisterProperty(L"Tst_Badge", L"Status", CIM_SINT32, L"BADGE", L"STATUS", 0, 0);
        registry->RegisterProperty(L"Tst_Badge", L"Activate", CIM_DATETIME, L"BADGE", L"ACTIVATE", 0, 0);
        registry->RegisterProperty(L"Tst_Badge", L"OwnerID", CIM_SINT32, L"BADGE", L"EMPID", 0, 0);
        registry->RegisterProperty(L"Tst_Badge", L"OwnerName", CIM_STRING, L"EMP", L"LASTNAME", 0, 64);

        registry->RegisterClass(L"Tst_Empty", L"", false, &support::NewTestMapper<TestEmptyMapper>);
        support::DeclareNotSegmented(L"Tst_Empty");

        registry->RegisterClass(L"Tst_PersonBadge", L"", false, &support::NewTestMapper<TestPersonBadgeMapper>);
        support::DeclareBelongsTo(L"Tst_PersonBadge", L"Person", L"Tst_Person", L"ID");
        support::DeclareBelongsTo(L"Tst_PersonBadge", L"Badge", L"Tst_Badge", L"BadgeKey");
        registry->RegisterProperty(L"Tst_PersonBadge", L"BadgeKey", CIM_SINT32, L"BADGE", L"BADGEKEY", 1, 0);
        registry->RegisterProperty(L"Tst_PersonBadge", L"PersonID", CIM_SINT32, L"EMP", L"ID", 0, 0);
        registry->RegisterReferenceProperty(L"Tst_PersonBadge", L"Person", L"Tst_Person");
        registry->RegisterReferenceProperty(L"Tst_PersonBadge", L"Badge", L"Tst_Badge");
        return true;
    }();
    (void)registered;
}

class MapperTest : public ::testing::Test
{
protected:
    MapperTest() : m_noApplication(static_cast<CWinApp*>(nullptr)) {}

    void SetUp() override
    {
        RegisterTestClasses();
        m_db.Exec("INSERT INTO EMP (ID, LASTNAME, SEGMENTID, VISITOR) VALUES (1, 'Adams', 5, 0), (2, 'Baker', 5, 1),"
                  " (3, 'Clark', 20, 0), (4, 'Davis', 5, 0);"
                  "INSERT INTO BADGE (BADGEKEY, ID, STATUS, EMPID, ACTIVATE, SEGMENTID) VALUES"
                  " (1, 1001, 1, 1, '2024-01-15 08:30:00', 5), (2, 1002, 0, 4, '2024-07-01 12:00:00', 5),"
                  " (3, 1003, 1, 3, NULL, 20), (4, 1004, 1, 1, '2023-12-31 23:30:00', 6),"
                  " (5, 1005, 1, 4, NULL, 5);");
        m_connection = std::make_unique<CAcsUser>();
        ASSERT_TRUE(m_connection->LoginAsSA(m_db.DataSource()));
    }

    // Grants alice's cardholder group a further permission (before LoginCaller).
    void Grant(DWORD permission)
    {
        m_db.Exec("INSERT INTO USER_PERM_GRANT (USER_PERMID, PERMISSIONID) VALUES (2, " + std::to_string(permission) +
                  ")");
    }

    // Logs alice in as the caller of the requests.
    void LoginCaller()
    {
        auto alice = std::make_unique<CAcsUser>();
        ASSERT_TRUE(alice->Login(m_db.DataSource(), L"alice", L"Secret1!", -1, 0));
        m_caller = std::make_unique<CWmipUserCacheEntry>(std::move(alice), nullptr, 0);
    }

    // A mapper built by the class's registered factory, working for the caller (when logged in).
    std::unique_ptr<CWmipClassMapper> MakeMapper(const wchar_t* className)
    {
        std::unique_ptr<CWmipClassMapper> mapper(CWmipMapperRegistry::Instance()->GetMapperUsingRegistry(
            m_connection.get(), nullptr, &m_services, className, Door::kWmi));
        if (mapper != nullptr && m_caller != nullptr)
            mapper->SetUserEntry(m_caller.get());
        return mapper;
    }

    // Runs a WQL query (empty: none) and returns the values of one property, in row order.
    std::vector<CString> Enumerate(CWmipClassMapper& mapper, const wchar_t* wql, const wchar_t* property)
    {
        std::unique_ptr<CWmipQuery> query;
        if (wql != nullptr && *wql != L'\0')
        {
            query = CWmipQuery::CreateFromQuery(wql);
            EXPECT_NE(query, nullptr) << CStringToUtf8(wql);
            if (query == nullptr)
                return {};
            mapper.SetQuery(query.get());
        }
        std::vector<CString> values;
        EXPECT_TRUE(mapper.BeginEnumeration());
        while (mapper.HasMoreInstances())
        {
            IWbemClassObject* instance = nullptr;
            const HRESULT hr = mapper.NextInstance(&instance, 0);
            EXPECT_TRUE(SUCCEEDED(hr)) << std::hex << hr;
            if (instance == nullptr)
                continue;
            values.push_back(support::PropertyCString(instance, property));
            instance->Release();
        }
        mapper.EndEnumeration();
        mapper.SetQuery(nullptr);
        return values;
    }

    CModuleStateSwitch m_noApplication;
    TestDatabase m_db;
    CCorvessaNamespace m_services;
    std::unique_ptr<CAcsUser> m_connection;
    std::unique_ptr<CWmipUserCacheEntry> m_caller;
};

inline std::vector<CString> Strings(std::initializer_list<const wchar_t*> texts)
{
    std::vector<CString> result;
    for (const wchar_t* text : texts)
        result.emplace_back(text);
    return result;
}

}  // namespace mappertest
