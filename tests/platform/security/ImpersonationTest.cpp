#include "platform/security/Security.h"
#include "platform/win32/LocalMemory.h"
#include "platform/win32/SystemInfo.h"
#include "platform/win32/Threading.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include <unistd.h>

namespace {

constexpr const wchar_t* kCallerSid = L"S-1-5-21-1004336348-1177238915-682003330-512";

// The level of the thread token, or a negative number with the failing step's error.
LONG ThreadTokenLevel(DWORD& error)
{
    HANDLE token = nullptr;
    if (!OpenThreadToken(GetCurrentThread(), TOKEN_QUERY, TRUE, &token))
    {
        error = GetLastError();
        return -1;
    }
    SECURITY_IMPERSONATION_LEVEL level = SecurityAnonymous;
    DWORD length = 0;
    const BOOL read = GetTokenInformation(token, TokenImpersonationLevel, &level, sizeof(level), &length);
    error = GetLastError();
    EXPECT_TRUE(CloseHandle(token));
    if (!read)
        return -2;
    EXPECT_EQ(length, sizeof(level));
    return level;
}

// The SID text of the token's user, or "<failed>" with the error.
std::wstring TokenUserSid(HANDLE token, DWORD& error)
{
    DWORD needed = 0;
    if (GetTokenInformation(token, TokenUser, nullptr, 0, &needed) || GetLastError() != ERROR_INSUFFICIENT_BUFFER)
    {
        error = GetLastError();
        return L"<failed>";
    }
    std::vector<std::max_align_t> buffer(needed / sizeof(std::max_align_t) + 1);
    if (!GetTokenInformation(token, TokenUser, buffer.data(), needed, &needed))
    {
        error = GetLastError();
        return L"<failed>";
    }
    const auto* user = reinterpret_cast<const TOKEN_USER*>(buffer.data());
    LPWSTR text = nullptr;
    EXPECT_TRUE(ConvertSidToStringSidW(user->User.Sid, &text));
    std::wstring result(text);
    LocalFree(text);
    return result;
}

}  // namespace

TEST(Impersonation, FailsClearlyWithoutACaller)
{
    EXPECT_EQ(CallerIdentity::CurrentLevel(), std::nullopt);
    EXPECT_FALSE(CallerIdentity::Current());
    EXPECT_EQ(CoImpersonateClient(), RPC_E_NO_CONTEXT);
    EXPECT_EQ(CoRevertToSelf(), RPC_E_NO_CONTEXT);
    DWORD error = 0;
    EXPECT_EQ(ThreadTokenLevel(error), -1);
    EXPECT_EQ(error, ERROR_NO_TOKEN);
}

TEST(Impersonation, ThreadTokenExistsOnlyWhileImpersonating)
{
    CallerIdentity::Scope caller(CallerIdentity(kCallerSid, SecurityImpersonation));
    DWORD error = 0;
    EXPECT_FALSE(CallerIdentity::IsImpersonating());
    EXPECT_EQ(ThreadTokenLevel(error), -1);
    EXPECT_EQ(error, ERROR_NO_TOKEN);

    ASSERT_EQ(CoImpersonateClient(), S_OK);
    EXPECT_TRUE(CallerIdentity::IsImpersonating());
    EXPECT_EQ(ThreadTokenLevel(error), SecurityImpersonation);

    ASSERT_EQ(CoRevertToSelf(), S_OK);
    EXPECT_FALSE(CallerIdentity::IsImpersonating());
    EXPECT_EQ(ThreadTokenLevel(error), -1);
    EXPECT_EQ(error, ERROR_NO_TOKEN);
}

TEST(Impersonation, TokenReportsEveryLevelAndTheCallersSid)
{
    const SECURITY_IMPERSONATION_LEVEL levels[] = {SecurityAnonymous, SecurityIdentification, SecurityImpersonation,
                                                   SecurityDelegation};
    for (const SECURITY_IMPERSONATION_LEVEL level : levels)
    {
        CallerIdentity::Scope caller(CallerIdentity(kCallerSid, level));
        ASSERT_EQ(CoImpersonateClient(), S_OK);
        DWORD error = 0;
        EXPECT_EQ(ThreadTokenLevel(error), level);
        EXPECT_EQ(CallerIdentity::CurrentLevel(), level) << "the token's level, read without a token";
        HANDLE token = nullptr;
        ASSERT_TRUE(OpenThreadToken(GetCurrentThread(), TOKEN_QUERY, FALSE, &token));
        EXPECT_EQ(TokenUserSid(token, error), kCallerSid);
        CloseHandle(token);
    }
}

TEST(Impersonation, ScopesNestAndRestoreThePreviousState)
{
    CallerIdentity::Scope outer(CallerIdentity(L"S-1-5-18", SecurityDelegation));
    ASSERT_EQ(CoImpersonateClient(), S_OK);
    {
        CallerIdentity::Scope inner(CallerIdentity(kCallerSid, SecurityIdentification));
        EXPECT_FALSE(CallerIdentity::IsImpersonating());
        EXPECT_EQ(CallerIdentity::Current()->Sid(), kCallerSid);
    }
    EXPECT_TRUE(CallerIdentity::IsImpersonating());
    EXPECT_EQ(CallerIdentity::Current()->Sid(), L"S-1-5-18");
    EXPECT_EQ(CallerIdentity::Current()->Level(), SecurityDelegation);
}

TEST(Impersonation, StateIsPerThread)
{
    CallerIdentity::Scope caller(CallerIdentity(kCallerSid, SecurityImpersonation));
    ASSERT_EQ(CoImpersonateClient(), S_OK);
    HRESULT otherResult = S_OK;
    bool otherSeesCaller = true;
    std::thread other([&] {
        otherSeesCaller = CallerIdentity::Current().has_value();
        otherResult = CoImpersonateClient();
    });
    other.join();
    EXPECT_FALSE(otherSeesCaller);
    EXPECT_EQ(otherResult, RPC_E_NO_CONTEXT);
    EXPECT_TRUE(CallerIdentity::IsImpersonating());
}

TEST(Impersonation, TokenIsASnapshotThatOutlivesTheCaller)
{
    HANDLE token = nullptr;
    {
        CallerIdentity::Scope caller(CallerIdentity(kCallerSid, SecurityIdentification));
        ASSERT_EQ(CoImpersonateClient(), S_OK);
        ASSERT_TRUE(OpenThreadToken(GetCurrentThread(), TOKEN_QUERY, TRUE, &token));
    }
    SECURITY_IMPERSONATION_LEVEL level = SecurityAnonymous;
    DWORD length = 0;
    EXPECT_TRUE(GetTokenInformation(token, TokenImpersonationLevel, &level, sizeof(level), &length));
    EXPECT_EQ(level, SecurityIdentification);
    EXPECT_TRUE(CloseHandle(token));
    EXPECT_FALSE(GetTokenInformation(token, TokenImpersonationLevel, &level, sizeof(level), &length));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
}

TEST(Token, ReportsSizesAccessAndBadRequests)
{
    CallerIdentity::Scope caller(CallerIdentity(kCallerSid, SecurityImpersonation));
    ASSERT_EQ(CoImpersonateClient(), S_OK);
    HANDLE token = nullptr;
    ASSERT_TRUE(OpenThreadToken(GetCurrentThread(), TOKEN_QUERY, TRUE, &token));
    DWORD needed = 0;
    BYTE small[4] = {};
    EXPECT_FALSE(GetTokenInformation(token, TokenUser, small, sizeof(small), &needed));
    EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
    EXPECT_EQ(needed, sizeof(TOKEN_USER) + 8 + 4 * 5);
    EXPECT_FALSE(GetTokenInformation(token, static_cast<TOKEN_INFORMATION_CLASS>(2), small, sizeof(small), &needed));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    CloseHandle(token);

    ASSERT_TRUE(OpenThreadToken(GetCurrentThread(), 0, TRUE, &token));
    SECURITY_IMPERSONATION_LEVEL level = SecurityAnonymous;
    EXPECT_FALSE(GetTokenInformation(token, TokenImpersonationLevel, &level, sizeof(level), &needed));
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    CloseHandle(token);

    const HANDLE otherThread = reinterpret_cast<HANDLE>(0x5000);
    token = reinterpret_cast<HANDLE>(1);
    EXPECT_FALSE(OpenThreadToken(otherThread, TOKEN_QUERY, TRUE, &token));
    EXPECT_EQ(token, nullptr);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
}

TEST(Token, CallerWithoutAValidSidAnswersInvalidSid)
{
    CallerIdentity::Scope caller(CallerIdentity(L"not-a-sid", SecurityImpersonation));
    ASSERT_EQ(CoImpersonateClient(), S_OK);
    HANDLE token = nullptr;
    ASSERT_TRUE(OpenThreadToken(GetCurrentThread(), TOKEN_QUERY, TRUE, &token));
    DWORD needed = 0;
    BYTE buffer[128] = {};
    EXPECT_FALSE(GetTokenInformation(token, TokenUser, buffer, sizeof(buffer), &needed));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_SID);
    CloseHandle(token);
}

TEST(Token, ProcessTokenCarriesTheProcessAccount)
{
    const std::wstring expected = L"S-1-5-21-0-0-0-" + std::to_wstring(::getuid());
    EXPECT_EQ(CallerIdentity::ProcessAccountSid(), expected);
    HANDLE token = nullptr;
    ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token));
    DWORD error = 0;
    EXPECT_EQ(TokenUserSid(token, error), expected);
    SECURITY_IMPERSONATION_LEVEL level = SecurityAnonymous;
    DWORD length = 0;
    EXPECT_FALSE(GetTokenInformation(token, TokenImpersonationLevel, &level, sizeof(level), &length));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    CloseHandle(token);
}
