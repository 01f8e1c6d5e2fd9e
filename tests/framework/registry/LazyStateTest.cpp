// The registry's lazily loaded database facts (the system administrator, the display names of
// the user-defined-field classes, the permission lists of Bnt_User, the segmentation switches)
// and their behaviour under concurrent requests.
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <set>
#include <thread>
#include <vector>

#include "framework/CWMITypeInfo.h"
#include "framework/CWmipListItemMapper.h"
#include "framework/CWmipListObjectClassCache.h"
#include "framework/CWmipManagerClassDefinitions.h"
#include "framework/CWmipMapperRegistry.h"
#include "framework/objects/CCorvessaClassObject.h"
#include "platform/com/WbemConstants.h"
#include "tests/support/TemporaryHome.h"
#include "inhouse/BntLogin/CAcsUser.h"
#include "inhouse/BntUtility/CWMIException.h"
#include "inhouse/BntUtility/StringConversion.h"
#include "tests/framework/registry/RegistryTestSupport.h"
#include "tests/inhouse/BntLogin/TestDatabase.h"

namespace {

constexpr int kThreads = 8;

CWmipMapperRegistry& Registry()
{
    return *CWmipMapperRegistry::Instance();
}

// Each case works on a fresh installation database; the registry forgets what it read from the
// database of the case before, as it does after a lost connection.
class LazyState : public ::testing::Test
{
protected:
    void SetUp() override { ForgetDatabase(); }
    void TearDown() override
    {
        Registry().SetPermissionGroupRefresh(CWmipMapperRegistry::PermissionGroupRefresh());
        ForgetDatabase();
    }
    static void ForgetDatabase()
    {
        Registry().HandleInvalidDBConnection();
        CWMITypeInfo::HandleInvalidDBConnection();
    }

    TestDatabase m_database;
};

template <typename Work>
void RunConcurrently(Work work)
{
    std::atomic<bool> go{false};
    std::vector<std::thread> threads;
    for (int i = 0; i < kThreads; ++i)
    {
        threads.emplace_back([&, i] {
            while (!go.load())
            {
                std::this_thread::yield();
            }
            work(i);
        });
    }
    go = true;
    for (std::thread& thread : threads)
    {
        thread.join();
    }
}

}  // namespace

TEST_F(LazyState, SystemAdministratorIsCreatedOnceAndOutlivesADrop)
{
    std::shared_ptr<CAcsUser> first = CWMITypeInfo::GetSAUser();
    ASSERT_NE(first, nullptr);
    EXPECT_TRUE(first->IsLoggedIn());
    EXPECT_EQ(first->GetUserID(), CAcsUser::kSystemAdministratorID);
    EXPECT_EQ(Registry().GetSAUser(), first);
    CWMITypeInfo::HandleInvalidDBConnection();
    std::shared_ptr<CAcsUser> second = CWMITypeInfo::GetSAUser();
    ASSERT_NE(second, nullptr);
    EXPECT_NE(second, first);
    // A request that still holds the dropped user keeps a working object.
    EXPECT_TRUE(first->IsLoggedIn());
}

TEST_F(LazyState, SystemAdministratorIsCreatedOnceUnderConcurrentFirstUse)
{
    std::vector<CAcsUser*> seen(kThreads, nullptr);
    RunConcurrently([&](int i) { seen[static_cast<std::size_t>(i)] = CWMITypeInfo::GetSAUser().get(); });
    EXPECT_NE(seen[0], nullptr);
    EXPECT_EQ(std::set<CAcsUser*>(seen.begin(), seen.end()).size(), 1u);
}

TEST_F(LazyState, SegmentationSwitchesFollowTheSystemOptions)
{
    EXPECT_TRUE(CWMITypeInfo::IsSegmentationOptionEnabledInTheSystem(SegmentOptionSegments));
    EXPECT_FALSE(CWMITypeInfo::IsSegmentationOptionEnabledInTheSystem(SegmentOptionCardholders));
    m_database.Exec("INSERT INTO CONFIG_VALUE (CONFIGID, NUMBERVALUE) VALUES (1003, 1), (1005, 1);");
    // The options are those read at the administrator's login, until the next drop.
    EXPECT_FALSE(CWMITypeInfo::IsSegmentationOptionEnabledInTheSystem(SegmentOptionCardholders));
    CWMITypeInfo::HandleInvalidDBConnection();
    EXPECT_TRUE(CWMITypeInfo::IsSegmentationOptionEnabledInTheSystem(SegmentOptionCardholders));
    EXPECT_FALSE(CWMITypeInfo::IsSegmentationOptionEnabledInTheSystem(SegmentOptionVisitors));
    EXPECT_TRUE(CWMITypeInfo::IsSegmentationOptionEnabledInTheSystem(SegmentOptionBadgeTypes));
    EXPECT_FALSE(CWMITypeInfo::IsSegmentationOptionEnabledInTheSystem(static_cast<SegmentOption>(7)));
    EXPECT_FALSE(CWMITypeInfo::IsSegmentationOptionEnabledInTheSystem(SegmentOptionNone));
}

TEST_F(LazyState, UserDefinedFieldClassesTakeTheirDisplayNamesFromTheCatalogueOnce)
{
    m_database.Exec("INSERT INTO DDTBL (ID, NAME, TBLNAME) VALUES (2, 'Cardholders', 'UDFEMP'),"
                    " (3, 'Badges', 'UDFBADGE');");
    EXPECT_NE(Registry().GetTypeInfo(L"Bnt_Segment"), nullptr);
    EXPECT_EQ(Registry().GetTypeInfo(L"Bnt_Cardholder", true)->GetTypeDisplayName(), "Cardholders");
    EXPECT_EQ(Registry().GetTypeInfo(L"Bnt_Badge", true)->GetTypeDisplayName(), "Badges");
    // No catalogue row: an empty name; a class without "UDFTableId" has none either.
    EXPECT_EQ(Registry().GetTypeInfo(L"Bnt_Visit", true)->GetTypeDisplayName(), "");
    EXPECT_EQ(Registry().GetTypeInfo(L"Bnt_Segment", true)->GetTypeDisplayName(), "");

    // Read once per process: a changed catalogue is seen only after a drop.
    m_database.Exec("UPDATE DDTBL SET NAME = 'Persons' WHERE ID = 2;");
    Registry().GetTypeInfo(L"Bnt_Segment");
    EXPECT_EQ(Registry().GetTypeInfo(L"Bnt_Cardholder", true)->GetTypeDisplayName(), "Cardholders");
    Registry().HandleInvalidDBConnection();
    Registry().GetTypeInfo(L"Bnt_Segment");
    EXPECT_EQ(Registry().GetTypeInfo(L"Bnt_Cardholder", true)->GetTypeDisplayName(), "Persons");
}

TEST_F(LazyState, PermissionListsOfBntUserAreRefreshedOnceAcrossConcurrentRequests)
{
    std::atomic<int> refreshes{0};
    const CAcsUser* refreshedAs = nullptr;
    Registry().SetPermissionGroupRefresh([&](IWbemClassObject* definition, const CAcsUser* user) {
        ++refreshes;
        refreshedAs = user;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        IWbemQualifierSet* qualifiers = nullptr;
        ASSERT_EQ(definition->GetPropertyQualifierSet(L"LogonID", &qualifiers), WBEM_S_NO_ERROR);
        _variant_t marker(L"refreshed");
        qualifiers->Put(L"DisplayName", &marker, 0);
        qualifiers->Release();
    });
    CWMITypeInfo* before = Registry().GetTypeInfo(L"Bnt_User", true);
    ASSERT_NE(before, nullptr);
    // Skipping the user-defined-field data does not skip the permission refresh; the refresh
    // happened above, so reset the stamp for the concurrent round.
    EXPECT_EQ(refreshes, 1);
    const CWMITypeInfo::ClassObjectPtr heldDefinition = before->GetTypeInformation();
    Registry().HandleInvalidDBConnection();

    std::vector<CWMITypeInfo*> seen(kThreads, nullptr);
    RunConcurrently([&](int i) {
        seen[static_cast<std::size_t>(i)] = Registry().GetTypeInfo(i % 2 == 0 ? L"Bnt_User" : L"bnt_user");
    });
    EXPECT_EQ(refreshes, 2);
    EXPECT_EQ(std::set<CWMITypeInfo*>(seen.begin(), seen.end()), std::set<CWMITypeInfo*>{before});
    EXPECT_EQ(refreshedAs, CWMITypeInfo::GetSAUser().get());
    EXPECT_EQ(before->GetPropertyDisplayName(L"LogonID"), "refreshed");
    // A definition handed out before the refresh is still a whole object.
    EXPECT_EQ(heldDefinition->GetClassNameW(), CString(L"Bnt_User"));
    // A fresh stamp refreshes nothing.
    Registry().GetTypeInfo(L"Bnt_User");
    EXPECT_EQ(refreshes, 2);
}

TEST_F(LazyState, AFailedPermissionRefreshKeepsTheListsAndTriesAgain)
{
    int attempts = 0;
    Registry().SetPermissionGroupRefresh([&](IWbemClassObject* definition, const CAcsUser*) {
        ++attempts;
        IWbemQualifierSet* qualifiers = nullptr;
        definition->GetPropertyQualifierSet(L"LogonID", &qualifiers);
        _variant_t marker(L"half-written");
        qualifiers->Put(L"DisplayName", &marker, 0);
        qualifiers->Release();
        throw brontel::utility::CWMIException(L"test", __LINE__, WBEM_E_FAILED, L"refresh failed");
    });
    CWMITypeInfo* user = Registry().GetTypeInfo(L"Bnt_User", true);
    ASSERT_NE(user, nullptr);
    EXPECT_NE(user->GetPropertyDisplayName(L"LogonID"), "half-written");
    Registry().GetTypeInfo(L"Bnt_User", true);
    EXPECT_EQ(attempts, 2);
}

TEST_F(LazyState, ConcurrentTypeInformationAddsTheMethodsOnce)
{
    Registry().RegisterClass(L"Test_ConcurrentMethods", MapperFactory());
    for (const wchar_t* method : {L"Arm", L"Disarm", L"Pulse"})
    {
        Registry().RegisterMethodParameter(L"Test_ConcurrentMethods", method, true, L"Duration", CIM_SINT32);
    }
    CWMITypeInfo* type = Registry().GetTypeInfo(L"Test_ConcurrentMethods", true);
    ASSERT_NE(type, nullptr);
    std::vector<CWMITypeInfo::ClassObjectPtr> seen(kThreads);
    RunConcurrently([&](int i) {
        seen[static_cast<std::size_t>(i)] = Registry().GetTypeInfo(L"test_concurrentmethods")->GetTypeInformation();
    });
    EXPECT_EQ(std::set<CWMITypeInfo::ClassObjectPtr>(seen.begin(), seen.end()).size(), 1u);
    EXPECT_EQ(seen[0]->MethodNames().size(), 3u);
    EXPECT_EQ(type->GetTypeInformation(), seen[0]);
}

TEST_F(LazyState, ListMappersAndManagerDefinitionsAreRefusedUntilTheSchemaInstallsThem)
{
    using brontel::utility::CWMIException;
    constexpr char kNoListMappers[] = "no factory of the user-defined lists' mappers is installed";
    constexpr char kNoDefinitions[] = "the definitions of the classes WMI keeps are not installed";
    m_database.Exec("CREATE TABLE SHIFT (ID INTEGER PRIMARY KEY, NAME TEXT);"
                    "INSERT INTO DDTBL (ID, NAME, TBLNAME, ISLIST) VALUES (60, 'Shifts', 'SHIFT', 1);");
    // As before the schema's load; what it installs is put back whatever the case's outcome.
    struct Reinstall
    {
        ~Reinstall()
        {
            Registry().SetListMapperFactory(&CWmipListItemMapper::FactoryFor);
            Registry().SetUndeclaredClassDefinitions(&CWmipManagerClassDefinitions::BuildForBus);
        }
    } reinstall;
    Registry().SetListMapperFactory(CWmipMapperRegistry::ListMapperFactory());
    Registry().SetUndeclaredClassDefinitions(CWmipMapperRegistry::UndeclaredClassDefinitions());
    const std::shared_ptr<CAcsUser> administrator = CWMITypeInfo::GetSAUser();
    ASSERT_NE(administrator, nullptr);
    CWmipListObjectClassCache lists(administrator.get(), nullptr);
    ASSERT_NE(lists.Find(L"Bnt_SHIFT"), nullptr);

    const int listLines = support::TemporaryHome::CountProviderLogLines(kNoListMappers);
    EXPECT_EQ(Registry().GetTypeInfo(L"Bnt_SHIFT"), nullptr) << "no list class is registered without its mapper";
    EXPECT_EQ(support::TemporaryHome::CountProviderLogLines(kNoListMappers), listLines + 1);
    try
    {
        std::unique_ptr<CWmipClassMapper> mapper(
            CWmipMapperRegistry::GetMapper(administrator.get(), nullptr, nullptr, L"Bnt_SHIFT", Door::kWmi, &lists));
        ADD_FAILURE() << "a list's mapper was built without its factory";
    }
    catch (const CWMIException& refusal)
    {
        EXPECT_EQ(refusal.GetHResult(), WBEM_E_FAILED);
        EXPECT_NE(std::string(CStringToUtf8(refusal.GetText())).find(kNoListMappers), std::string::npos);
    }
    EXPECT_EQ(support::TemporaryHome::CountProviderLogLines(kNoListMappers), listLines + 2);
    const int definitionLines = support::TemporaryHome::CountProviderLogLines(kNoDefinitions);
    EXPECT_EQ(Registry().NewUndeclaredClassDefinition(CWmipManagerClassDefinitions::kVexletManager), nullptr);
    EXPECT_EQ(support::TemporaryHome::CountProviderLogLines(kNoDefinitions), definitionLines + 1);

    // Installed: the very next look-up registers the lists, not one after the lists' ten minutes.
    Registry().SetListMapperFactory(&CWmipListItemMapper::FactoryFor);
    Registry().SetUndeclaredClassDefinitions(&CWmipManagerClassDefinitions::BuildForBus);
    CWMITypeInfo* shifts = Registry().GetTypeInfo(L"Bnt_SHIFT");
    ASSERT_NE(shifts, nullptr);
    const std::unique_ptr<CWmipClassMapper> listed(
        CWmipMapperRegistry::GetMapper(administrator.get(), nullptr, nullptr, L"Bnt_SHIFT", Door::kBus, &lists));
    ASSERT_NE(listed, nullptr);
    EXPECT_EQ(listed->GetClassName(), L"Bnt_SHIFT");
    EXPECT_EQ(listed->GetDoor(), Door::kBus);
    const std::unique_ptr<CWmipClassMapper> registered(
        Registry().GetMapperUsingRegistry(L"Bnt_SHIFT", administrator.get(), nullptr, nullptr, Door::kWmi));
    ASSERT_NE(registered, nullptr);
    EXPECT_EQ(registered->GetClassName(), L"Bnt_SHIFT");
    const std::unique_ptr<CCorvessaClassObject> manager =
        Registry().NewUndeclaredClassDefinition(CWmipManagerClassDefinitions::kVexletManager);
    ASSERT_NE(manager, nullptr);
    EXPECT_EQ(manager->GetClassNameW(), CWmipManagerClassDefinitions::kVexletManager);
}

TEST_F(LazyState, UserDefinedListClassesAreRegisteredAndRegisteredAgainWhenTheirStampExpires)
{
    m_database.Exec("CREATE TABLE SHIFT (ID INTEGER PRIMARY KEY, NAME TEXT);"
                    "INSERT INTO DDTBL (ID, NAME, TBLNAME, ISLIST) VALUES (60, 'Shifts', 'SHIFT', 1),"
                    " (61, 'Bad', 'A B', 1);");
    CWMITypeInfo* shifts = Registry().GetTypeInfo(L"bnt_shift");
    ASSERT_NE(shifts, nullptr);
    EXPECT_EQ(shifts->GetTypeDisplayName(), "Shifts");
    EXPECT_EQ(shifts->GetParentTypeName(), "Bnt_Element");
    EXPECT_TRUE(static_cast<bool>(shifts->GetTypeConstructor())) << "served by a list mapper";
    EXPECT_EQ(Registry().GetTypeInfo(L"Bnt_A B"), nullptr) << "a table that is no identifier is no class";

    // Within the stamp's ten minutes a new list is not seen; once it expires it is, and a list
    // gone from the catalogue is no longer found while its description stays valid.
    m_database.Exec("CREATE TABLE CREW (ID INTEGER PRIMARY KEY, NAME TEXT);"
                    "INSERT INTO DDTBL (ID, NAME, TBLNAME, ISLIST) VALUES (62, 'Crews', 'CREW', 1);"
                    "DELETE FROM DDTBL WHERE ID = 60;");
    EXPECT_EQ(Registry().GetTypeInfo(L"Bnt_CREW"), nullptr);
    EXPECT_EQ(Registry().GetTypeInfo(L"Bnt_SHIFT"), shifts);
    ForgetDatabase();
    EXPECT_NE(Registry().GetTypeInfo(L"Bnt_CREW"), nullptr);
    EXPECT_EQ(Registry().GetTypeInfo(L"Bnt_SHIFT"), nullptr);
    EXPECT_EQ(shifts->GetTypeDisplayName(), "Shifts");
    // Skipping the user-defined-field data reads nothing.
    m_database.Exec("INSERT INTO DDTBL (ID, NAME, TBLNAME, ISLIST) VALUES (60, 'Shifts', 'SHIFT', 1);");
    ForgetDatabase();
    EXPECT_EQ(Registry().GetTypeInfo(L"Bnt_SHIFT", true), nullptr);
    EXPECT_EQ(Registry().GetTypeInfo(L"Bnt_SHIFT"), shifts) << "the same description again";
}
