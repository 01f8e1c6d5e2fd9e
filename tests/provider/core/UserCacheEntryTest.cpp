#include "provider/CWmipUserCacheEntry.h"

#include <gtest/gtest.h>

#include "inhouse/BntLogin/CAcsUser.h"
#include "inhouse/BntLogin/DBConnectionManager.h"
#include "inhouse/BntUserDb/CBntAcsDBMgrCardholder.h"
#include "inhouse/BntUserDb/CBntAssignedAcLvlList.h"
#include "platform/security/Security.h"
#include "framework/CWmipClassCache.h"
#include "framework/CWmipMapper.h"
#include "platform/wmi/WbemClassObject.h"
#include "provider/CWmipApp.h"
#include "tests/provider/core/ProviderTestInstallation.h"
#include "tests/provider/core/TestApp.h"
#include "tests/support/ClassCacheProbe.h"

namespace {

constexpr const wchar_t* kCachedOperatorSid = ProviderTestInstallation::kOperatorSid;

// Onity lock panels 10 (type 67) and 11 (type 74) besides the demo's ordinary panels; level 10
// holds reader 10/0, level 11 readers 10/0 and 11/0, level 12 reader 11/1, level 13 only the
// demo's ordinary reader 1/0.
constexpr const char* kOnityLevels = R"(
INSERT INTO CONFIG_VALUE (CONFIGID, NUMBERVALUE) VALUES (1007, 1);
INSERT INTO ACCESSPANE (PANELID, NAME, SEGMENTID, ONLINE1, PANELTZ, DAYLIGHTSAVE, PANELTYPE) VALUES
    (10, 'Onity east', 1, 1, 1, 0, 67), (11, 'Onity west', 1, 1, 1, 0, 74);
INSERT INTO READER (PANELID, READERID, READERDESC) VALUES (10, 0, 'East lock'), (11, 0, 'West lock'),
    (11, 1, 'West lock 2');
INSERT INTO ACCESSLVL (ACCESSLVID, DESCRIPT, SEGMENTID) VALUES (10, 'East', 1), (11, 'East and west', 1),
    (12, 'West 2', 1), (13, 'Lobby', 1);
INSERT INTO ACCLVLINK (ACCESSLVID, PANELID, READERID, TZID) VALUES (10, 10, 0, 1), (11, 10, 0, 1),
    (11, 11, 0, 1), (12, 11, 1, 1), (13, 1, 0, 1), (12, 1, 0, 1);
)";

class UserCacheEntryTest : public ::testing::Test
{
protected:
    // The operator's entry with the cache's entry lock, after the installation is prepared.
    CWmipUserCacheEntry* TakeOperator()
    {
        CWmipUserCacheEntry* entry = nullptr;
        EXPECT_EQ(TestApp::Cache()->GetUserFromSID(&entry, CString(kCachedOperatorSid)), S_OK);
        return entry;
    }

    static CBntAssignedAcLvlList Levels(std::initializer_list<LONG> ids)
    {
        CBntAssignedAcLvlList list;
        for (const LONG id : ids)
            list.AddStandard(id, 0);
        return list;
    }

    ProviderTestInstallation m_installation;
    FakeClock m_clock;
    TestApp m_app{m_clock.Clock(60)};
    CallerIdentity::Scope m_caller{CallerIdentity(kCachedOperatorSid, SecurityImpersonation)};
};

}  // namespace

TEST_F(UserCacheEntryTest, OnityReadersOfTwoLevelsMayNotOverlap)
{
    m_installation.Exec(kOnityLevels);
    CWmipUserCacheEntry* entry = TakeOperator();
    ASSERT_NE(entry, nullptr);
    const struct
    {
        std::initializer_list<LONG> assigned;
        std::initializer_list<LONG> added;
        bool allowed;
    } cases[] = {
        {{10}, {11}, false},          // reader 10/0 in both
        {{11}, {12}, true},           // 11/0 and 11/1 differ in the reader
        {{13}, {12}, true},           // the shared ordinary reader 1/0 is no Onity reader
        {{}, {10}, true},             // nothing assigned
        {{12, 10}, {13, 11}, false},  // the second pair overlaps
        {{10}, {99}, true},           // a level without readers
    };
    for (const auto& one : cases)
    {
        SCOPED_TRACE(::testing::Message() << "added " << *one.added.begin());
        EXPECT_EQ(entry->CanOnityILSLevelBeAssigned(Levels(one.assigned), Levels(one.added)), one.allowed);
    }
    EXPECT_FALSE(entry->CanOnityILSLevelBeAssigned(Levels({11}), 10));
    EXPECT_EQ(
        ProviderTestInstallation::CountLogLines("Out CWmipAccessLevelAssignmentMapper::CanOnityILSLevelBeAssigned"), 7);
    EXPECT_EQ(TestApp::Cache()->ReleaseUser(entry), S_OK);
}

TEST_F(UserCacheEntryTest, WithoutOnitySupportEveryLevelMayBeAssigned)
{
    m_installation.Exec(kOnityLevels);
    m_installation.Exec("UPDATE CONFIG_VALUE SET NUMBERVALUE = 0 WHERE CONFIGID = 1007;");
    CWmipUserCacheEntry* entry = TakeOperator();
    ASSERT_NE(entry, nullptr);
    EXPECT_TRUE(entry->CanOnityILSLevelBeAssigned(Levels({10}), Levels({11})));
    EXPECT_EQ(ProviderTestInstallation::CountLogLines("In CWmipAccessLevelAssignmentMapper"), 0) << "nothing read";
    EXPECT_EQ(TestApp::Cache()->ReleaseUser(entry), S_OK);
}

TEST_F(UserCacheEntryTest, TheReaderListsOfALevelAreReadOncePerEntry)
{
    m_installation.Exec(kOnityLevels);
    CWmipUserCacheEntry* entry = TakeOperator();
    ASSERT_NE(entry, nullptr);
    EXPECT_FALSE(entry->CanOnityILSLevelBeAssigned(Levels({10}), Levels({11})));
    // The entry keeps what it read: a changed link table is not seen during its life.
    m_installation.Exec("DELETE FROM ACCLVLINK WHERE ACCESSLVID = 10;");
    EXPECT_FALSE(entry->CanOnityILSLevelBeAssigned(Levels({10}), Levels({11})));
    EXPECT_EQ(TestApp::Cache()->ReleaseUser(entry), S_OK);
}

TEST_F(UserCacheEntryTest, CardholderManagerIsBuiltOnceOnABorrowedConnectionAndGivenBack)
{
    m_installation.Exec(
        "DELETE FROM UDFOBJS; DELETE FROM DDFLD;"  // this test's own layout only
        "INSERT INTO DDFLD (DDFLDID, FLDNAME, CIMTYPE) VALUES (301, 'SHOE', 8), (302, 'HAT', 8);"
        "INSERT INTO UDFOBJS (UDFOBJSID, TBLID, DDFLDID, DBOBJTYPE, LFIELD, LABEL) VALUES"
        " (31, 2, 302, 1, 2, 'Hat'), (32, 2, 301, 1, 1, 'Shoe'), (33, 100100, 301, 9, 1, 'Visitor shoe');");
    DBConnectionManager* connections = CWmipApp::GetConnectionManager();
    ASSERT_NE(connections, nullptr);
    const int lent = connections->GetLentCount();
    {
        auto user = std::make_unique<CAcsUser>();
        ASSERT_TRUE(user->Login(nullptr, nullptr, nullptr, -1, 1));
        const CAcsUser* owner = user.get();
        CWmipUserCacheEntry entry(std::move(user), nullptr, 0);
        CBntAcsDBMgrCardholder* manager = entry.GetCardholderAcsDbManager();
        ASSERT_NE(manager, nullptr);
        EXPECT_EQ(entry.GetCardholderAcsDbManager(), manager) << "created once";
        EXPECT_EQ(connections->GetLentCount(), lent + 1) << "on the entry's own connection";
        EXPECT_EQ(manager->GetUser(), owner);
        EXPECT_NE(manager->GetPrimaryDatabase(), nullptr);
        ASSERT_NE(manager->GetUDFLayout(), nullptr);
        std::vector<CString> fields;
        for (const LUDFField& field : manager->GetUDFLayout()->GetFields())
            fields.push_back(field.table + L"." + field.column + L"/" + field.label);
        EXPECT_EQ(fields,
                  (std::vector<CString>{L"UDFEMP.SHOE/Shoe", L"UDFEMP.HAT/Hat", L"VISITOR_UDF.SHOE/Visitor shoe"}))
            << "every object type, in layout order";
    }
    EXPECT_EQ(connections->GetLentCount(), lent) << "the entry gives its connection back";
}

namespace {

// A mapper whose definition is an empty class, so that the class cache can hold one per user.
class EmptyClassMapper : public CWmipMapper
{
public:
    EmptyClassMapper() : CWmipMapper(nullptr, nullptr, L"Tst_Fields") {}
    HRESULT CreateClass(IWbemClassObject** classObject, BOOL) override
    {
        *classObject = WbemClassObject::CreateEmptyClass().Detach();
        return S_OK;
    }
};

}  // namespace

TEST_F(UserCacheEntryTest, ChangedFieldRightsDropTheUsersCachedClassesAndUnchangedOnesKeepThem)
{
    m_installation.Exec("INSERT INTO USER_PERM_UDF (USER_PERM_UDFID, NAME) VALUES (5, 'Clerks');"
                        "UPDATE USERS SET USER_PERM_UDFID = 5 WHERE USERID = 1;");
    CWmipClassCache* classes = CWmipApp::GetClassCache();
    ASSERT_NE(classes, nullptr);
    auto cacheClassFor = [&](CWmipUserCacheEntry* entry) {
        EmptyClassMapper mapper;
        IWbemClassObject* copy = nullptr;
        ASSERT_EQ(classes->GetClass(mapper, entry->GetUser(), FALSE, &copy), S_OK);
        copy->Release();
    };
    auto relogin = [&](const char* sql) {
        // An expired entry is logged in again by the next lookup, which refreshes the rights.
        CWmipUserCacheEntry* entry = TakeOperator();
        cacheClassFor(entry);
        EXPECT_EQ(TestApp::Cache()->ReleaseUser(entry), S_OK);
        m_installation.Exec(sql);
        m_clock.AdvanceSeconds(400);
        entry = TakeOperator();
        EXPECT_EQ(TestApp::Cache()->ReleaseUser(entry), S_OK);
    };
    relogin("SELECT 1;");
    EXPECT_EQ(ClassCacheProbe::Count(*classes), 1u) << "unchanged rights keep the cached class";
    relogin("INSERT INTO USER_PERM_UDF_FIELD (USER_PERM_UDFID, DDFLDID, CANVIEW, CANEDIT) VALUES (5, 77, 0, 0);");
    EXPECT_EQ(ClassCacheProbe::Count(*classes), 0u) << "changed rights drop the user's cached class";
    CWmipUserCacheEntry* entry = TakeOperator();
    EXPECT_FALSE(TestApp::Cache()->HasUDFPermission(entry->GetUser(), 77, FALSE));
    EXPECT_EQ(TestApp::Cache()->ReleaseUser(entry), S_OK);
}
