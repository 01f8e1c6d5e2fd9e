#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "bus/CCorvessaException.h"
#include "bus/CorvessaTokenExpirationThread.h"
#include "inhouse/BntUtility/CPasswordHash.h"
#include "platform/com/WbemConstants.h"
#include "tests/bus/BusTestInstallation.h"
#include "tests/support/UserPoolTestAccess.h"

namespace {

constexpr char kOperator[] = "operator";
constexpr char kPassword[] = "operator-demo";

class CorvessaSession : public BusTestInstallation
{
protected:
    // The key of the exception the token check throws; empty when it throws none.
    std::string Refusal(const std::string& token)
    {
        try
        {
            Check(token);
        }
        catch (const CCorvessaException& e)
        {
            return e.ErrorCode();
        }
        return std::string();
    }
};

TEST_F(CorvessaSession, LifetimeComesFromTheRegistryWithinItsRange)
{
    EXPECT_EQ(CCorvessaSessionService::GetAuthenticatedTokenTimeoutInHours(), 8);
    const struct
    {
        DWORD stored;
        int expected;
    } cases[] = {{0, 8}, {25, 8}, {1, 1}, {24, 24}, {0xFFFFFFFF, 8}};
    for (const auto& c : cases)
    {
        SetTokenTimeout(c.stored);
        EXPECT_EQ(CCorvessaSessionService::GetAuthenticatedTokenTimeoutInHours(), c.expected) << c.stored;
    }
}

TEST_F(CorvessaSession, TokenLivesExactlyItsLifetimeAndUseDoesNotRenewIt)
{
    SetTokenTimeout(1);
    m_app->Sessions().RemoveStaleAuthenticationTokens();  // reads the new lifetime
    const std::string token = Login(kOperator, kPassword);
    for (int minute = 0; minute < 60; ++minute)
    {
        ASSERT_EQ(Check(token), S_OK) << minute;
        Advance(60 * 1000);
    }
    // Exactly one lifetime old: a sweep keeps it and it still works.
    m_app->Sessions().RemoveStaleAuthenticationTokens();
    EXPECT_EQ(Check(token), S_OK);
    EXPECT_EQ(UserPoolTestAccess::CachedCount(Cache()), 1u);
    // One millisecond more: refused at use, before any sweep, and its session is gone.
    Advance(1);
    EXPECT_EQ(Refusal(token), CCorvessaException::kInvalidSessionTokenKey);
    EXPECT_EQ(UserPoolTestAccess::CachedCount(Cache()), 0u);
    EXPECT_EQ(Refusal(token), CCorvessaException::kInvalidSessionTokenKey);
}

TEST_F(CorvessaSession, SweepRemovesOnlyAgedTokens)
{
    SetTokenTimeout(1);
    const std::string old = Login(kOperator, kPassword);
    Advance(30 * 60 * 1000);
    const std::string young = Login(kOperator, kPassword);
    Advance(30 * 60 * 1000 + 1);
    m_app->Sessions().RemoveStaleAuthenticationTokens();
    EXPECT_TRUE(m_app->Sessions().GetTokenApplicationIds(old).empty());
    EXPECT_EQ(m_app->Sessions().GetTokenApplicationIds(young), std::vector<std::string>{kApplication});
    EXPECT_EQ(Check(young), S_OK);
    EXPECT_EQ(UserPoolTestAccess::CachedCount(Cache()), 1u);
}

TEST_F(CorvessaSession, ApplicationIdsAreAddedOnceInOrderOfFirstUse)
{
    const std::string token = Login(kOperator, kPassword);
    CWmipUserCacheEntry* entry = nullptr;
    for (const char* application : {"second", "test-app", "second", "third"})
    {
        ASSERT_EQ(m_app->Sessions().GetUserCacheEntryForToken(token, application, &entry, true), S_OK);
        m_app->Sessions().ReleaseUserCacheEntry(entry);
    }
    EXPECT_EQ(m_app->Sessions().GetTokenApplicationIds(token),
              (std::vector<std::string>{kApplication, "second", "third"}));

    // Invented ids are served but not recorded past the limits.
    EXPECT_EQ(m_app->Sessions().GetUserCacheEntryForToken(token, std::string(257, 'x'), &entry, true), S_OK);
    m_app->Sessions().ReleaseUserCacheEntry(entry);
    for (int i = 0; i < 100; ++i)
    {
        ASSERT_EQ(m_app->Sessions().GetUserCacheEntryForToken(token, "app-" + std::to_string(i), &entry, true), S_OK);
        m_app->Sessions().ReleaseUserCacheEntry(entry);
    }
    const std::vector<std::string> ids = m_app->Sessions().GetTokenApplicationIds(token);
    EXPECT_EQ(ids.size(), CCorvessaSessionService::kMaxApplicationIdsPerToken);
    EXPECT_EQ(ids.front(), kApplication);

    // The sign-in's own id meets the same limits: the longest is recorded, a longer one is served
    // and not recorded, and the token works all the same.
    const std::string longest(CCorvessaSessionService::kMaxApplicationIdBytes, 'y');
    const std::string tooLong(CCorvessaSessionService::kMaxApplicationIdBytes + 1, 'z');
    const struct
    {
        const std::string& signIn;
        std::vector<std::string> recorded;
    } signIns[] = {{longest, {longest, kApplication}}, {tooLong, {kApplication}}};
    for (const auto& s : signIns)
    {
        std::string signedIn;
        COleDateTime when;
        ASSERT_EQ(m_app->Authenticate(s.signIn, -1, kOperator, kPassword, signedIn, when), S_OK);
        EXPECT_EQ(Check(signedIn), S_OK) << s.signIn.size();
        EXPECT_EQ(m_app->Sessions().GetTokenApplicationIds(signedIn), s.recorded) << s.signIn.size();
    }
}

TEST_F(CorvessaSession, LogOutKeepsTheEntryWhileAnotherTokenUsesIt)
{
    const std::string first = Login(kOperator, kPassword);
    const std::string second = Login("OPERATOR", kPassword);
    EXPECT_NE(first, second);
    EXPECT_EQ(UserPoolTestAccess::CachedCount(Cache()), 1u);
    EXPECT_TRUE(m_app->Sessions().IsCachedUserInUseByMultipleSessions(L"INTERNAL_SID_FOR_OPERATOR"));
    EXPECT_EQ(m_app->DeleteAuthentication(first, kApplication), S_OK);
    EXPECT_EQ(Refusal(first), CCorvessaException::kInvalidSessionTokenKey);
    EXPECT_EQ(Check(second), S_OK);
    EXPECT_EQ(UserPoolTestAccess::CachedCount(Cache()), 1u);
    EXPECT_EQ(m_app->DeleteAuthentication(second, kApplication), S_OK);
    EXPECT_EQ(UserPoolTestAccess::CachedCount(Cache()), 0u);
    EXPECT_EQ(UserPoolTestAccess::RetiredCount(Cache()), 0u);
    EXPECT_THROW(m_app->DeleteAuthentication(second, kApplication), CCorvessaException);
    EXPECT_THROW(m_app->DeleteAuthentication("never-issued", kApplication), CCorvessaException);
}

TEST_F(CorvessaSession, DroppedUsersFailTheirTokensUntilTheyLogInAgain)
{
    const std::string lost = Login(kOperator, kPassword);
    m_app->HandleInvalidDBConnection();
    EXPECT_EQ(Check(lost, true), static_cast<HRESULT>(0x80040520u));
    const std::string token = Login(kOperator, kPassword);
    m_app->InvalidateUsers();
    EXPECT_EQ(Check(token, false), WBEM_E_NOT_FOUND);
    EXPECT_EQ(Check(token, true), static_cast<HRESULT>(0x80040520u));
    EXPECT_EQ(UserPoolTestAccess::CachedCount(Cache()), 0u);
    const std::string again = Login(kOperator, kPassword);
    EXPECT_EQ(Check(token), S_OK);
    EXPECT_EQ(Check(again), S_OK);
}

// A session never outlives its user: changed permission groups apply at the next use (in a new
// entry; a request that still holds the old one keeps it until it gives it back), and a user
// disabled or deleted meanwhile has every token refused. So does a session whose sign-in a new one
// could not repeat: its stored password changed (the row put in its place under the same id and
// name included), its directory or directory account gone. Each revocation by another process.
TEST_F(CorvessaSession, TokensFollowTheirUsersRowAtEveryUse)
{
    constexpr DWORD kViewCardholders = 0x20000003;
    const std::string token = Login(kOperator, kPassword);
    CWmipUserCacheEntry* held = nullptr;
    ASSERT_EQ(m_app->Sessions().GetUserCacheEntryForToken(token, kApplication, &held, false), S_OK);
    EXPECT_TRUE(held->GetUser()->HasPermission(kViewCardholders));
    Exec("UPDATE USERS SET CARD_USER_PERMID = 0 WHERE USERID = 1");
    CWmipUserCacheEntry* renewed = nullptr;
    ASSERT_EQ(m_app->Sessions().GetUserCacheEntryForToken(token, kApplication, &renewed, false), S_OK);
    EXPECT_NE(renewed, held);
    EXPECT_FALSE(renewed->GetUser()->HasPermission(kViewCardholders));
    EXPECT_TRUE(held->GetUser()->HasPermission(kViewCardholders)) << "the held entry is not changed under its request";
    EXPECT_EQ(UserPoolTestAccess::RetiredCount(Cache()), 1u);
    m_app->Sessions().ReleaseUserCacheEntry(held);
    m_app->Sessions().ReleaseUserCacheEntry(renewed);
    EXPECT_EQ(UserPoolTestAccess::RetiredCount(Cache()), 0u);

    const std::string storedHash = support::InstallationDatabase::Scalar(Database(), "SELECT LOGONPWD FROM USERS "
                                                                                     "WHERE USERID = 1");
    const std::string oliveHash = support::InstallationDatabase::Scalar(
        Database(), "SELECT PASSWORD_HASH FROM BNT_DIRECTORY_ACCOUNT WHERE USERNAME = 'olive'");
    const std::string otherHash = CPasswordHash::Hash("another-password", CPasswordHash::kMinIterations);
    constexpr int kDirectory = 1;
    const struct
    {
        const char* name;
        const char* user;
        const char* password;
        int directory;
        std::string revocation;
        std::string restore;
    } revocations[] = {
        {"disabled", kOperator, kPassword, -1, "UPDATE USERS SET ISENABLED = 0 WHERE USERID = 1",
         "UPDATE USERS SET ISENABLED = 1 WHERE USERID = 1"},
        {"stored password changed", kOperator, kPassword, -1,
         "UPDATE USERS SET LOGONPWD = '" + otherHash + "' WHERE USERID = 1",
         "UPDATE USERS SET LOGONPWD = '" + storedHash + "' WHERE USERID = 1"},
        {"row replaced under the same id and logon id, with another password and other rights", kOperator, kPassword,
         -1,
         "CREATE TEMP TABLE KEPT AS SELECT * FROM USERS WHERE USERID = 1; DELETE FROM USERS WHERE USERID = 1; "
         "INSERT INTO USERS SELECT * FROM KEPT; UPDATE USERS SET LOGONPWD = '" +
             otherHash + "', MONITOR_USER_PERMID = 0 WHERE USERID = 1",
         "UPDATE USERS SET LOGONPWD = '" + storedHash + "', MONITOR_USER_PERMID = 3 WHERE USERID = 1"},
        {"directory deleted", "olive", "olive-demo", kDirectory, "DELETE FROM BNT_DIRECTORY WHERE BNT_DIRECTORYID = 1",
         "INSERT INTO BNT_DIRECTORY (BNT_DIRECTORYID, DIR_NAME, DIR_TYPE, DIR_HOSTNAME, DIR_PORT, DIR_USESSL) "
         "VALUES (1, 'Local accounts', 3, 'localhost', 0, 0)"},
        {"directory account deleted", "olive", "olive-demo", kDirectory,
         "DELETE FROM BNT_DIRECTORY_ACCOUNT WHERE USERNAME = 'olive'",
         "INSERT INTO BNT_DIRECTORY_ACCOUNT (BNT_DIRECTORYID, ACCOUNTID, USERNAME, DISPLAYNAME, PASSWORD_HASH) "
         "VALUES (1, 'S-1-5-21-1004336348-1177238915-682003330-1001', 'olive', 'Olive Operator', '" +
             oliveHash + "')"},
        {"directory account's password changed", "olive", "olive-demo", kDirectory,
         "UPDATE BNT_DIRECTORY_ACCOUNT SET PASSWORD_HASH = '" + otherHash + "' WHERE USERNAME = 'olive'",
         "UPDATE BNT_DIRECTORY_ACCOUNT SET PASSWORD_HASH = '" + oliveHash + "' WHERE USERNAME = 'olive'"},
        // Last: nothing brings the row back.
        {"deleted", kOperator, kPassword, -1,
         "DELETE FROM USER_ACCOUNT WHERE USERID = 1; DELETE FROM USERS WHERE USERID = 1", ""},
    };
    for (const auto& row : revocations)
    {
        SCOPED_TRACE(row.name);
        const std::string live = Login(row.user, row.password, row.directory);
        ASSERT_EQ(Check(live), S_OK);
        Exec(row.revocation);
        EXPECT_EQ(Check(live, true), static_cast<HRESULT>(0x80040520u));
        EXPECT_EQ(Check(live, true), static_cast<HRESULT>(0x80040520u));
        // As a new sign-in with the same credentials is.
        EXPECT_NE(BusErrorOf([&] { Login(row.user, row.password, row.directory); }), "no error");
        if (!row.restore.empty())
            Exec(row.restore);
    }
}

// A session renewed, however often, still follows the account it signed in with: a later unlink
// or relink of a directory account, or an internal logon id given up, refuses its token.
TEST_F(CorvessaSession, ARenewedSessionFollowsItsAccountAtEveryLaterChange)
{
    constexpr DWORD kViewCardholders = 0x20000003;
    const struct
    {
        const char* account;
        int directory;
        const char* name;
        const char* password;
        const char* change;
        const char* undo;
    } cases[] = {
        {"directory account unlinked", 1, "olive", "olive-demo", "DELETE FROM USER_ACCOUNT WHERE USER_ACCOUNTID = 1",
         "INSERT INTO USER_ACCOUNT (USER_ACCOUNTID, USERID, BNT_DIRECTORYID, ACCOUNTID) VALUES "
         "(1, 1, 1, 'S-1-5-21-1004336348-1177238915-682003330-1001')"},
        {"directory account relinked to the porter", 1, "olive", "olive-demo",
         "UPDATE USER_ACCOUNT SET USERID = 3 WHERE USER_ACCOUNTID = 1",
         "UPDATE USER_ACCOUNT SET USERID = 1 WHERE USER_ACCOUNTID = 1"},
        {"internal logon id given up", -1, kOperator, kPassword,
         "UPDATE USERS SET LOGONID = 'retired' WHERE USERID = 1",
         "UPDATE USERS SET LOGONID = 'operator' WHERE USERID = 1"},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.account);
        const std::string token = Login(c.name, c.password, c.directory);
        // Renewed twice: the user's card group taken, then given back.
        for (const int group : {0, 2})
        {
            Exec("UPDATE USERS SET CARD_USER_PERMID = " + std::to_string(group) + " WHERE USERID = 1");
            CWmipUserCacheEntry* renewed = nullptr;
            ASSERT_EQ(m_app->Sessions().GetUserCacheEntryForToken(token, kApplication, &renewed, false), S_OK);
            EXPECT_EQ(renewed->GetUser()->GetUserID(), 1);
            EXPECT_EQ(renewed->GetUser()->HasPermission(kViewCardholders), group != 0);
            m_app->Sessions().ReleaseUserCacheEntry(renewed);
        }
        Exec(c.change);
        EXPECT_EQ(Check(token, true), static_cast<HRESULT>(0x80040520u));
        EXPECT_EQ(Check(token, true), static_cast<HRESULT>(0x80040520u));
        Exec(c.undo);
    }
}

// The end of a token refused because its account names another user now ends that token alone:
// the session of the user the account names now, which holds the account's entry, goes on.
TEST_F(CorvessaSession, EndingATokenWhoseEntryIsAnotherUsersNowSparesThatUsersSession)
{
    const std::string olive = Login("olive", "olive-demo", 1);
    Exec("UPDATE USER_ACCOUNT SET USERID = 3 WHERE USER_ACCOUNTID = 1");
    const std::string porter = Login("olive", "olive-demo", 1);
    EXPECT_EQ(Check(olive), WBEM_E_NOT_FOUND);
    EXPECT_EQ(m_app->DeleteAuthentication(olive, kApplication), WBEM_E_NOT_FOUND);
    EXPECT_EQ(Refusal(olive), CCorvessaException::kInvalidSessionTokenKey);
    for (int request = 0; request < 2; ++request)
    {
        CWmipUserCacheEntry* entry = nullptr;
        ASSERT_EQ(m_app->Sessions().GetUserCacheEntryForToken(porter, kApplication, &entry, true), S_OK);
        EXPECT_EQ(entry->GetUser()->GetUserID(), 3);
        EXPECT_EQ(entry, Cache().FindUserEntry(L"S-1-5-21-1004336348-1177238915-682003330-1001"));
        m_app->Sessions().ReleaseUserCacheEntry(entry);
    }
    EXPECT_EQ(UserPoolTestAccess::CachedCount(Cache()), 1u);
    EXPECT_EQ(UserPoolTestAccess::RetiredCount(Cache()), 0u);
}

// The row put in place of a signed-in user's, with its logon id and another password: the new
// password signs in as the new row, with its rights; the old one is refused.
TEST_F(CorvessaSession, ARowReplacedUnderItsLogonIdServesOnlyItsOwnPassword)
{
    constexpr DWORD kViewCardholders = 0x20000003;
    const std::string before = Login(kOperator, kPassword);
    Exec("CREATE TEMP TABLE KEPT AS SELECT * FROM USERS WHERE USERID = 1; DELETE FROM USERS WHERE USERID = 1; "
         "INSERT INTO USERS SELECT * FROM KEPT; UPDATE USERS SET LOGONPWD = '" +
         CPasswordHash::Hash("another-password", CPasswordHash::kMinIterations) +
         "', CARD_USER_PERMID = 0 WHERE USERID = 1");
    EXPECT_EQ(BusErrorOf([&] { Login(kOperator, kPassword); }),
              "corvessa.authentication.failedtoauthenticate | Authentication failed.");
    const std::string after = Login(kOperator, "another-password");
    CWmipUserCacheEntry* entry = nullptr;
    ASSERT_EQ(m_app->Sessions().GetUserCacheEntryForToken(after, kApplication, &entry, false), S_OK);
    EXPECT_FALSE(entry->GetUser()->HasPermission(kViewCardholders));
    m_app->Sessions().ReleaseUserCacheEntry(entry);
    EXPECT_EQ(Check(before, true), static_cast<HRESULT>(0x80040520u));
}

TEST_F(CorvessaSession, EntryRemovedWhileInUseStaysUntilGivenBack)
{
    const std::string token = Login(kOperator, kPassword);
    CWmipUserCacheEntry* held = nullptr;
    ASSERT_EQ(m_app->Sessions().GetUserCacheEntryForToken(token, kApplication, &held, true), S_OK);
    ASSERT_EQ(m_app->DeleteAuthentication(token, kApplication), S_OK);
    EXPECT_EQ(UserPoolTestAccess::CachedCount(Cache()), 0u);
    EXPECT_EQ(UserPoolTestAccess::RetiredCount(Cache()), 1u);
    EXPECT_EQ(held->GetUser()->GetUserID(), 1);  // still a live user
    EXPECT_EQ(m_app->Sessions().ReleaseUserCacheEntry(held), S_OK);
    EXPECT_EQ(UserPoolTestAccess::RetiredCount(Cache()), 0u);

    // A mapper holds its entry by its own count and may let go after the request gave it back.
    const std::string other = Login(kOperator, kPassword);
    ASSERT_EQ(m_app->Sessions().GetUserCacheEntryForToken(other, kApplication, &held, true), S_OK);
    held->AddRef();
    ASSERT_EQ(m_app->DeleteAuthentication(other, kApplication), S_OK);
    EXPECT_EQ(m_app->Sessions().ReleaseUserCacheEntry(held), S_OK);
    EXPECT_EQ(UserPoolTestAccess::RetiredCount(Cache()), 1u);
    held->Release();
    UserPoolTestAccess::RunCleanUp(Cache());
    EXPECT_EQ(UserPoolTestAccess::RetiredCount(Cache()), 0u);
}

// The token names the user whose entry the login left: when that entry is gone before the token
// is issued (the users dropped by another thread in between), the sign-in fails and no token is
// made or recorded.
TEST_F(CorvessaSession, ALoginWhoseEntryIsGoneBeforeItsTokenIsIssuedGetsNoToken)
{
    ASSERT_EQ(Check(Login(kOperator, kPassword)), S_OK);
    m_app->InvalidateUsers();
    std::string token;
    COleDateTime at;
    at.SetStatus(COleDateTime::invalid);
    bool made = false;
    const HRESULT hr = m_app->Sessions().IssueToken(
        kApplication,
        [](CString& sid) {
            sid = CString(CCorvessaSessionService::kInternalSidPrefix) + L"OPERATOR";
            return S_OK;
        },
        [&made] {
            made = true;
            return std::string("token-of-nobody");
        },
        token, at);
    EXPECT_EQ(hr, WBEM_E_NOT_FOUND);
    EXPECT_FALSE(made);
    EXPECT_EQ(token, "");
    EXPECT_EQ(at.GetStatus(), COleDateTime::invalid) << "no sign-in time";
    EXPECT_EQ(Refusal("token-of-nobody"), CCorvessaException::kInvalidSessionTokenKey);
}

// Logins, requests and log-outs of one SID on several threads, with sweeps running: every
// entry a request holds stays alive, and no entry is left behind or leaked.
TEST_F(CorvessaSession, ParallelSessionsOfOneUserNeitherLeakNorFreeLiveEntries)
{
    constexpr int kThreads = 6;
    constexpr int kRounds = 8;
    std::atomic<int> failures{0};
    std::atomic<bool> stop{false};
    std::thread sweeper([&] {
        while (!stop.load())
        {
            m_app->Sessions().RemoveStaleAuthenticationTokens();
            std::this_thread::yield();
        }
    });
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
    {
        threads.emplace_back([&] {
            for (int round = 0; round < kRounds; ++round)
            {
                try
                {
                    std::string token;
                    COleDateTime when;
                    if (m_app->Authenticate(kApplication, -1, kOperator, kPassword, token, when) != S_OK)
                    {
                        ++failures;
                        continue;
                    }
                    CWmipUserCacheEntry* entry = nullptr;
                    if (m_app->Sessions().GetUserCacheEntryForToken(token, kApplication, &entry, false) == S_OK)
                    {
                        if (entry->GetUser()->GetUserID() != 1)
                        {
                            ++failures;
                        }
                        m_app->Sessions().ReleaseUserCacheEntry(entry);
                    }
                    m_app->DeleteAuthentication(token, kApplication);
                }
                catch (...)
                {
                    ++failures;
                }
            }
        });
    }
    for (auto& thread : threads)
    {
        thread.join();
    }
    stop = true;
    sweeper.join();
    EXPECT_EQ(failures.load(), 0);
    EXPECT_EQ(UserPoolTestAccess::CachedCount(Cache()), 0u);
    EXPECT_EQ(UserPoolTestAccess::RetiredCount(Cache()), 0u);
}

// The thread wakes on real time, but whether a sweep is due it reads from the application's
// clock: once the clock has passed the interval, the next wake sweeps the aged token out.
TEST_F(CorvessaSession, ExpirationThreadSweepsWhenItsClockSaysTheIntervalHasPassed)
{
    constexpr ULONGLONG kInterval = CorvessaTokenExpirationThread::kSweepIntervalMs;
    const struct
    {
        ULONGLONG last;
        ULONGLONG now;
        bool due;
    } cases[] = {{5000, 5000 + kInterval - 1, false}, {5000, 5000 + kInterval, true}, {5000, 4999, false}};
    for (const auto& c : cases)
    {
        EXPECT_EQ(CorvessaTokenExpirationThread::IsSweepDue(c.last, c.now), c.due) << c.now - c.last;
    }

    SetTokenTimeout(1);
    const std::string token = Login(kOperator, kPassword);
    Advance(kHourMs + 1);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!m_app->Sessions().GetTokenApplicationIds(token).empty() && std::chrono::steady_clock::now() < deadline)
    {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    EXPECT_TRUE(m_app->Sessions().GetTokenApplicationIds(token).empty());
    EXPECT_EQ(UserPoolTestAccess::CachedCount(Cache()), 0u);
}

// Turn by turn on the test's clock: after a sweep the next waits its whole interval, however
// many turns come before it. A token that ages between two sweeps shows which turn swept.
TEST_F(CorvessaSession, ExpirationTurnSweepsOnceEachInterval)
{
    constexpr ULONGLONG kInterval = CorvessaTokenExpirationThread::kSweepIntervalMs;
    // The application's own sweeper stops before the clock moves, so it never sweeps here.
    EXPECT_EQ(m_app->ExitInstance(), 0);
    SetTokenTimeout(1);
    CorvessaTokenExpirationThread turns(m_app.get(), m_clock);
    ULONGLONG lastSweep = m_clock.GetTickCount64();
    const std::string early = Login(kOperator, kPassword);
    Advance(60 * 1000);
    const std::string late = Login(kOperator, kPassword);
    const auto held = [&](const std::string& token) {
        return !m_app->Sessions().GetTokenApplicationIds(token).empty();
    };
    const struct
    {
        const char* turn;
        ULONGLONG advance;
        bool swept;
        bool earlyHeld;
        bool lateHeld;
    } steps[] = {
        {"the early token aged, the late one not yet", kHourMs - 60 * 1000 + 1, true, false, true},
        {"the late token aged, one interval less a millisecond after the sweep", kInterval - 1, false, false, true},
        {"a whole interval after the sweep", 1, true, false, false},
    };
    for (const auto& s : steps)
    {
        SCOPED_TRACE(s.turn);
        Advance(s.advance);
        EXPECT_EQ(turns.SweepIfDue(lastSweep), s.swept);
        EXPECT_EQ(held(early), s.earlyHeld);
        EXPECT_EQ(held(late), s.lateHeld);
    }
}

TEST_F(CorvessaSession, ExpirationThreadEndsWhenAskedAndAtDestruction)
{
    EXPECT_EQ(m_app->ExitInstance(), 0);
    m_app.reset();

    CorvessaTokenExpirationThread orphan(nullptr);
    ASSERT_TRUE(orphan.Start());
    EXPECT_TRUE(orphan.WaitForExit(60 * 1000));
}

}  // namespace

TEST_F(CorvessaSession, AnEndedTokenWhoseUserIsGoneSaysSoWhetherSweptOrRefusedAtUse)
{
    constexpr char kWarning[] =
        "CCorvessaProvixaApp::DeleteAuthentication - Warning - was not able to find corresponding user for token.";
    SetTokenTimeout(1);
    m_app->Sessions().RemoveStaleAuthenticationTokens();  // reads the new lifetime
    const std::string swept = Login(kOperator, kPassword);
    const std::string used = Login(kOperator, kPassword);
    const std::string alsoSwept = Login(kOperator, kPassword);
    m_app->InvalidateUsers();
    const int warnings = support::TemporaryHome::CountProviderLogLines(kWarning);
    // Within its lifetime a sweep keeps the token and says nothing.
    m_app->Sessions().RemoveStaleAuthenticationTokens();
    EXPECT_EQ(support::TemporaryHome::CountProviderLogLines(kWarning), warnings);
    Advance(60 * 60 * 1000 + 1);
    EXPECT_EQ(Refusal(used), CCorvessaException::kInvalidSessionTokenKey);
    EXPECT_EQ(support::TemporaryHome::CountProviderLogLines(kWarning), warnings + 1);
    m_app->Sessions().RemoveStaleAuthenticationTokens();
    // Both remaining tokens were swept, each with its line.
    EXPECT_EQ(support::TemporaryHome::CountProviderLogLines(kWarning), warnings + 3);
    EXPECT_TRUE(m_app->Sessions().GetTokenApplicationIds(swept).empty());
    EXPECT_TRUE(m_app->Sessions().GetTokenApplicationIds(alsoSwept).empty());
}
