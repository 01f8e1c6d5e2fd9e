// The bus front end on a fresh demo installation for one test: a temporary PROVIXA_HOME with
// the demo database, and an application object whose clock only moves when the test
// moves it. The application object is the process's current one while it lives.
//
// Demo accounts: internal "operator"/"operator-demo" (user 1, monitoring group 3 with PTZ
// priority 50, access levels 1 and 2), "sa"/"sa-demo" (user -1); directory 1 (manual single
// sign-on) account "olive"/"olive-demo", linked to user 1.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "bus/CCorvessaBaseApp.h"
#include "bus/CCorvessaException.h"
#include "bus/CCorvessaUserCache.h"
#include "bus/CorvessaAuthenticationUtility.h"
#include "common/CBntRegistry.h"
#include "platform/mfc/COleDateTime.h"
#include "provider/CWmipUserCacheEntry.h"
#include "tests/support/InstallationDatabase.h"
#include "tests/support/ManualClock.h"
#include "tests/support/TemporaryHome.h"

// "KEY | MESSAGE" of the CCorvessaException the call throws; "no error" when it throws none.
inline std::string BusErrorOf(const std::function<void()>& call)
{
    try
    {
        call();
    }
    catch (const CCorvessaException& e)
    {
        return e.ErrorCode() + " | " + e.ErrorMessage();
    }
    return "no error";
}

// A key generator that always fails.
class FailingAuthenticationUtility : public CorvessaAuthenticationUtility
{
public:
    HRESULT GenerateEncryptionKeys() override { return E_FAIL; }
};

// The application object with its protected steps open to the tests.
class TestBusApp : public CCorvessaBaseApp
{
public:
    explicit TestBusApp(const IClock& clock) : CCorvessaBaseApp(clock) {}

    using CCorvessaBaseApp::ConvertToCorvessaException;
    using CCorvessaBaseApp::GenerateSIDForInternalAccount;
    using CCorvessaBaseApp::GetBusUserCache;
    using CCorvessaBaseApp::GetEventSubscriptionManager;
    using CCorvessaBaseApp::GetMapperForType;
    using CCorvessaBaseApp::Initialize;
    using CCorvessaBaseApp::PopulatePermissionMap;
    using CCorvessaBaseApp::Sessions;

    bool failKeyGeneration = false;

protected:
    std::shared_ptr<CorvessaAuthenticationUtility> CreateAuthenticationUtility() override
    {
        if (failKeyGeneration)
        {
            return std::make_shared<FailingAuthenticationUtility>();
        }
        return CCorvessaBaseApp::CreateAuthenticationUtility();
    }
};

class BusTestInstallation : public ::testing::Test
{
protected:
    static constexpr char kApplication[] = "test-app";
    static constexpr ULONGLONG kHourMs = 60ULL * 60 * 1000;

    BusTestInstallation()
    {
        support::InstallationDatabase::CreateDemo(Database());
        m_app = std::make_unique<TestBusApp>(m_clock);
    }
    ~BusTestInstallation() override { m_app.reset(); }

    std::filesystem::path Database() const { return m_home.Path() / "provixa.db"; }
    void Exec(const std::string& sql) const { support::InstallationDatabase::Execute(Database(), sql); }
    static void SetTokenTimeout(DWORD hours)
    {
        CBntRegistry key(false, L"SOFTWARE\\Brontel\\Ivarune\\Corvessa");
        ASSERT_TRUE(key.SetDWORDValue(L"AuthenticatedTokenTimeout", hours));
    }
    void Advance(ULONGLONG ms) { m_clock.Advance(ms); }

    // A token of the user (throws as Authenticate).
    std::string Login(const std::string& user, const std::string& password, int directory = -1)
    {
        std::string token;
        COleDateTime when;
        const HRESULT hr = m_app->Authenticate(kApplication, directory, user, password, token, when);
        EXPECT_EQ(hr, S_OK);
        return token;
    }
    // The token check without logging; gives the entry back at once.
    HRESULT Check(const std::string& token, bool report = false)
    {
        CWmipUserCacheEntry* entry = nullptr;
        const HRESULT hr = m_app->Sessions().GetUserCacheEntryForToken(token, kApplication, &entry, report);
        m_app->Sessions().ReleaseUserCacheEntry(entry);
        return hr;
    }
    CCorvessaUserCache& Cache() { return *m_app->GetBusUserCache(); }

    support::TemporaryHome m_home;
    support::ManualClock m_clock;
    std::unique_ptr<TestBusApp> m_app;
};
