#include "tests/framework/mappers/MapperTestFixture.h"

#include "inhouse/BntUtility/CWMIException.h"
#include "platform/com/WbemConstants.h"

using brontel::utility::CWMIException;
using namespace mappertest;

namespace {

constexpr DWORD kGranted = 0x20000003;
constexpr DWORD kDenied = 0x20000099;

TEST_F(MapperTest, PermissionAnswersFollowTheIdAndTheCallersGrants)
{
    LoginCaller();
    auto mapper = MakeMapper(L"Tst_Badge");
    ASSERT_NE(mapper, nullptr);
    const struct
    {
        DWORD id;
        HRESULT expected;
    } cases[] = {
        {0, WBEM_E_NOT_SUPPORTED},
        {CWmipClassMapper::kNoPermissionCheck, S_OK},
        {kGranted, S_OK},
        {kDenied, WBEM_E_ACCESS_DENIED},
    };
    for (const auto& c : cases)
    {
        EXPECT_EQ(mapper->CanPerformOperation(c.id, nullptr), c.expected) << std::hex << c.id;
        mapper->SetPermissions(c.id, mapper->GetAddPermission(), mapper->GetModifyPermission(),
                               mapper->GetDeletePermission());
        EXPECT_EQ(mapper->CanView(), c.expected) << std::hex << c.id;
    }
}

TEST_F(MapperTest, BypassPassesEveryCheckWithoutAskingForTheCaller)
{
    auto mapper = MakeMapper(L"Tst_Badge");
    ASSERT_NE(mapper, nullptr);
    mapper->SetBypassAuthorization(1);
    for (DWORD id : {DWORD{0}, kGranted, kDenied, CWmipClassMapper::kNoPermissionCheck})
        EXPECT_EQ(mapper->CanPerformOperation(id, nullptr), S_OK) << std::hex << id;
    mapper->SetPermissions(kDenied, 0, kDenied, 0);
    EXPECT_NO_THROW(mapper->CanAdd(nullptr));
    EXPECT_NO_THROW(mapper->CanModify(nullptr));
    EXPECT_NO_THROW(mapper->CanDelete(nullptr));
}

TEST_F(MapperTest, NewMapperViewsWithoutCheckAndRefusesWrites)
{
    auto mapper = MakeMapper(L"Tst_Badge");
    ASSERT_NE(mapper, nullptr);
    EXPECT_EQ(mapper->GetViewPermission(), CWmipClassMapper::kNoPermissionCheck);
    EXPECT_EQ(mapper->CanView(), S_OK);
    try
    {
        mapper->CanAdd(nullptr);
        ADD_FAILURE() << "add allowed";
    }
    catch (const CWMIException& e)
    {
        EXPECT_EQ(e.GetHResult(), WBEM_E_NOT_SUPPORTED);
        EXPECT_EQ(e.GetText(), L"The requested operation is not supported by this class.") << "never without a reason";
    }
}

TEST_F(MapperTest, WriteChecksThrowTheDenialWithItsMessage)
{
    LoginCaller();
    auto mapper = MakeMapper(L"Tst_Badge");
    ASSERT_NE(mapper, nullptr);
    mapper->SetPermissions(kGranted, kDenied, kGranted, kDenied);
    EXPECT_NO_THROW(mapper->CanModify(nullptr));
    for (auto check : {&CWmipClassMapper::CanAdd, &CWmipClassMapper::CanDelete})
    {
        try
        {
            (mapper.get()->*check)(nullptr);
            ADD_FAILURE() << "denied operation allowed";
        }
        catch (const CWMIException& e)
        {
            EXPECT_EQ(e.GetHResult(), WBEM_E_ACCESS_DENIED);
            EXPECT_EQ(e.GetText(),
                      L"The client does not have sufficient user permissions to perform the requested operation.");
        }
    }
}

TEST_F(MapperTest, UnresolvableCallerIsReportedAsIdentityFailure)
{
    auto mapper = MakeMapper(L"Tst_Badge");
    ASSERT_NE(mapper, nullptr);
    try
    {
        mapper->CanPerformOperation(kGranted, nullptr);
        ADD_FAILURE() << "answered without a caller";
    }
    catch (const CWMIException& e)
    {
        EXPECT_TRUE(FAILED(e.GetHResult()));
        EXPECT_EQ(e.GetText(), L"The system was unable to retrieve the client's identity.");
    }
    // The segment filter needs the caller too: the enumeration does not begin silently.
    EXPECT_THROW(mapper->BeginEnumeration(), CWMIException);
    EXPECT_FALSE(mapper->HasMoreInstances());
}

TEST_F(MapperTest, CanViewAllRequiresTheViewPermission)
{
    LoginCaller();
    auto mapper = MakeMapper(L"Tst_Badge");
    ASSERT_NE(mapper, nullptr);
    mapper->SetPermissions(kGranted, mapper->GetAddPermission(), mapper->GetModifyPermission(),
                           mapper->GetDeletePermission());
    EXPECT_NO_THROW(mapper->CanViewAll());
    mapper->SetPermissions(kDenied, mapper->GetAddPermission(), mapper->GetModifyPermission(),
                           mapper->GetDeletePermission());
    try
    {
        mapper->CanViewAll();
        ADD_FAILURE() << "view allowed";
    }
    catch (const CWMIException& e)
    {
        EXPECT_EQ(e.GetHResult(), WBEM_E_ACCESS_DENIED);
    }
}

TEST_F(MapperTest, UserEntryIsHeldOnceAndGivenBack)
{
    LoginCaller();
    {
        auto mapper = MakeMapper(L"Tst_Badge");
        ASSERT_NE(mapper, nullptr);
        EXPECT_EQ(m_caller->GetUseCount(), 1);
        // Another entry while one is held changes nothing.
        auto other = std::make_unique<CWmipUserCacheEntry>(std::make_unique<CAcsUser>(), nullptr, 0);
        mapper->SetUserEntry(other.get());
        EXPECT_EQ(mapper->GetUserEntry(), m_caller.get());
        EXPECT_EQ(other->GetUseCount(), 0);
        CAcsUser* user = nullptr;
        ASSERT_EQ(mapper->GetUser(&user), S_OK);
        EXPECT_EQ(user, m_caller->GetUser());
        IWmipUserEntry* entry = nullptr;
        ASSERT_EQ(mapper->GetUser(&entry), S_OK);
        EXPECT_EQ(m_caller->GetUseCount(), 2);
        mapper->ReleaseUser(entry);
        EXPECT_EQ(m_caller->GetUseCount(), 1);
    }
    EXPECT_EQ(m_caller->GetUseCount(), 0);
}

TEST_F(MapperTest, MethodsAreMatchedExactlyAndExecuteIsNotSupportedByDefault)
{
    CWmipMapperRegistry::Instance()->RegisterMethod(L"Tst_Badge", L"Activate");
    auto mapper = MakeMapper(L"Tst_Badge");
    ASSERT_NE(mapper, nullptr);
    EXPECT_TRUE(mapper->IsMethodSupported(L"Activate"));
    EXPECT_FALSE(mapper->IsMethodSupported(L"activate"));
    EXPECT_FALSE(mapper->IsMethodSupported(nullptr));
    EXPECT_EQ(mapper->ExecuteMethod(nullptr, L"Activate", 0, nullptr, nullptr, nullptr), WBEM_E_NOT_SUPPORTED);
}

}  // namespace
