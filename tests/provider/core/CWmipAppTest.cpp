#include "provider/CWmipApp.h"

#include <gtest/gtest.h>
#include <openssl/rand.h>

#include <cstring>
#include <optional>
#include <set>
#include <thread>
#include <vector>

#include "framework/CWmipClassCache.h"
#include "inhouse/BntLogin/DBConnectionManager.h"
#include "platform/mfc/ModuleState.h"
#include "platform/registry/ProfileFile.h"
#include "tests/provider/core/ProviderTestInstallation.h"
#include "tests/provider/core/TestApp.h"
#include "tests/support/ClassCacheProbe.h"

namespace {

constexpr wchar_t kInstallationKey[] = L"SOFTWARE\\Brontel\\Ivarune";
constexpr wchar_t kFluxmereKey[] = L"SOFTWARE\\Brontel\\Ivarune\\Fluxmere";
constexpr wchar_t kVexletKey[] = L"SOFTWARE\\Brontel\\Ivarune\\Vexlet";

// Runs `body` on several threads released together.
template <typename Body>
void RunTogether(int threads, Body body)
{
    std::atomic<bool> go{false};
    std::vector<std::thread> workers;
    for (int i = 0; i < threads; ++i)
    {
        workers.emplace_back([&go, &body, i] {
            while (!go.load())
            {
                std::this_thread::yield();
            }
            body(i);
        });
    }
    go = true;
    for (auto& worker : workers)
    {
        worker.join();
    }
}

// OpenSSL's random generator replaced, while it lives, by one that hands out the scripted
// 32-bit draws in turn (an empty draw, or one past the script, fails).
class ScriptedRandom
{
public:
    explicit ScriptedRandom(std::vector<std::optional<LONG>> draws)
    {
        s_draws = std::move(draws);
        s_next = 0;
        m_previous = RandomMethod();
        SetRandomMethod(&kMethod);
    }
    ~ScriptedRandom() { SetRandomMethod(m_previous); }
    ScriptedRandom(const ScriptedRandom&) = delete;
    ScriptedRandom& operator=(const ScriptedRandom&) = delete;

private:
    // The method hook is OpenSSL's own seam for replacing its generator; it is marked deprecated.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    static const RAND_METHOD* RandomMethod()
    {
        return RAND_get_rand_method();
    }
    static void SetRandomMethod(const RAND_METHOD* method)
    {
        RAND_set_rand_method(method);
    }
#pragma GCC diagnostic pop

    static int Bytes(unsigned char* buffer, int count)
    {
        const std::size_t draw = s_next++;
        if (draw >= s_draws.size() || !s_draws[draw] || count != static_cast<int>(sizeof(LONG)))
            return 0;
        std::memcpy(buffer, &*s_draws[draw], sizeof(LONG));
        return 1;
    }
    static int Status()
    {
        return 1;
    }

    static inline std::vector<std::optional<LONG>> s_draws;
    static inline std::size_t s_next = 0;
    static constexpr RAND_METHOD kMethod{nullptr, Bytes, nullptr, nullptr, Bytes, Status};
    const RAND_METHOD* m_previous = nullptr;
};

}  // namespace

TEST(WmipAppServices, ConcurrentFirstUseCreatesEachServiceOnce)
{
    ProviderTestInstallation installation;
    TestApp app;
    constexpr int kThreads = 8;
    std::vector<CWmipUserCache*> caches(kThreads);
    std::vector<DBConnectionManager*> managers(kThreads);
    std::vector<CWimpHardwareStatusCache*> statusCaches(kThreads);
    std::vector<CWmipClassCache*> classCaches(kThreads);
    RunTogether(kThreads, [&](int i) {
        caches[i] = CWmipApp::GetUserCache();
        classCaches[i] = CWmipApp::GetClassCache();
        managers[i] = CWmipApp::GetConnectionManager();
        statusCaches[i] = CWmipApp::GetHardwareStatusCache();
    });
    EXPECT_EQ(app.CreatedCaches(), 1);
    EXPECT_EQ(std::set<CWmipUserCache*>(caches.begin(), caches.end()).size(), 1u);
    EXPECT_EQ(std::set<DBConnectionManager*>(managers.begin(), managers.end()).size(), 1u);
    EXPECT_EQ(std::set<CWimpHardwareStatusCache*>(statusCaches.begin(), statusCaches.end()).size(), 1u);
    EXPECT_EQ(std::set<CWmipClassCache*>(classCaches.begin(), classCaches.end()).size(), 1u);
    EXPECT_NE(caches[0], nullptr);
    EXPECT_NE(statusCaches[0], nullptr);
    ASSERT_NE(classCaches[0], nullptr);
    EXPECT_EQ(ClassCacheProbe::SpanSeconds(*classCaches[0]), 300) << "stored value 39 of the demo";
    EXPECT_TRUE(managers[0]->IsDatabaseAttached());
    EXPECT_EQ(ProviderTestInstallation::CountLogLines("GetHardwareStatusCache: Creating new hardware cache."), 1);
    EXPECT_EQ(ProviderTestInstallation::CountLogLines("Returning from GetHardwareStatusCache"), kThreads);
}

TEST(WmipAppServices, AccessorsFindTheCurrentApplicationObject)
{
    ProviderTestInstallation installation(false);
    TestApp first;
    TestApp second;
    EXPECT_EQ(CWmipApp::GetCurrentApp(), &second);
    CWimpHardwareStatusCache* secondCache = CWmipApp::GetHardwareStatusCache();
    {
        AFX_MANAGE_STATE(&first);
        EXPECT_EQ(CWmipApp::GetCurrentApp(), &first);
        EXPECT_NE(CWmipApp::GetHardwareStatusCache(), secondCache);
    }
    EXPECT_EQ(CWmipApp::GetHardwareStatusCache(), secondCache);
}

TEST(WmipAppServices, WithoutApplicationObjectEveryAccessorAnswersNothing)
{
    ProviderTestInstallation installation;
    TestApp app;
    AFX_MANAGE_STATE(static_cast<CWinApp*>(nullptr));
    EXPECT_EQ(CWmipApp::GetCurrentApp(), nullptr);
    EXPECT_EQ(CWmipApp::GetConnectionManager(), nullptr);
    EXPECT_EQ(CWmipApp::GetUserCache(), nullptr);
    EXPECT_EQ(CWmipApp::GetClassCache(), nullptr);
    EXPECT_EQ(CWmipApp::GetHardwareStatusCache(), nullptr);
    EXPECT_EQ(CWmipApp::GetStoredValue(33), 0);
    EXPECT_EQ(CWmipApp::IsInstallInProgress(), 0);
    CWmipApp::SetBackdoorEnabled(1);
    EXPECT_EQ(CWmipApp::IsBackdoorEnabled(), 0);
    EXPECT_EQ(CWmipApp::GetBackdoorValue(), 0);
    EXPECT_EQ(app.CreatedCaches(), 0);
}

TEST(WmipAppLifecycle, InitInstanceLogsAndExitInstanceEndsTheObservers)
{
    ProviderTestInstallation installation(false);
    // The resource libraries' observers write debug lines.
    ProviderTestInstallation::SetRegistryDword(L"SOFTWARE\\Brontel\\Ivarune\\Fluxmere", L"LogLevel", 2);
    TestApp app;
    EXPECT_TRUE(app.InitInstance());
    EXPECT_EQ(ProviderTestInstallation::CountLogLines("Fluxmere application initialized."), 1);
    EXPECT_TRUE(app.GetExceptionHandler().IsFileLoggingEnabled());
    EXPECT_EQ(app.GetExceptionHandler().GetLogFileName(), brontel::utility::CWMIDebugLog::GetLogFileName());
    EXPECT_EQ(app.ExitInstance(), 0);
    EXPECT_EQ(ProviderTestInstallation::CountLogLines("BntCaptureResources.dll"), 2);
}

namespace {

// What a user cache saw of the connection manager while its application went.
struct CacheGoing
{
    bool gone = false;
    int lentToTheManager = -1;
};

// A user cache that notes, as it goes, how many connections the application's manager has lent.
class NotingUserCache : public CWmipUserCache
{
public:
    explicit NotingUserCache(CacheGoing& going) : m_going(going) {}
    ~NotingUserCache() override
    {
        m_going.gone = true;
        DBConnectionManager* manager = CWmipApp::GetConnectionManager();
        m_going.lentToTheManager = manager != nullptr ? manager->GetLentCount() : -1;
    }

private:
    CacheGoing& m_going;
};

class NotingApp : public CWmipApp
{
public:
    explicit NotingApp(CacheGoing& going) : m_going(going) {}

protected:
    std::unique_ptr<CWmipUserCache> CreateUserCache() override { return std::make_unique<NotingUserCache>(m_going); }

private:
    CacheGoing& m_going;
};

}  // namespace

// The caches give their pooled connections back to the manager as they go (the user cache's
// entries, the list-object cache its own), so the manager goes after them: the user cache still
// finds the manager that lent the list-object cache its connection.
TEST(WmipAppLifecycle, TheCachesGoWhileTheConnectionManagerTheyGiveConnectionsBackToStands)
{
    ProviderTestInstallation installation;
    CacheGoing going;
    {
        NotingApp app(going);
        ASSERT_NE(CWmipApp::GetUserCache(), nullptr);
        ASSERT_NE(CWmipApp::GetListObjectCache(), nullptr);
        ASSERT_EQ(CWmipApp::GetConnectionManager()->GetLentCount(), 1) << "the list-object cache keeps one";
    }
    EXPECT_TRUE(going.gone);
    EXPECT_EQ(going.lentToTheManager, 1) << "the user cache went after the manager that lent the connection";
}

// --- Stored configuration values ---------------------------------------------------------

TEST(WmipAppStoredValue, ReadsTheDatabaseRowOrTheDefault)
{
    ProviderTestInstallation installation;
    installation.Exec("UPDATE CONFIG_VALUE SET NUMBERVALUE = 45 WHERE CONFIGID = 37;"
                      "DELETE FROM CONFIG_VALUE WHERE CONFIGID = 39;"
                      "INSERT INTO CONFIG_VALUE (CONFIGID, NUMBERVALUE) VALUES (5000, 17);");
    TestApp app;
    const struct
    {
        LONG id;
        LONG expected;
    } cases[] = {
        {33, 300},   // demo row
        {37, 45},    // changed row
        {39, 600},   // no row: the installation's default
        {5000, 17},  // a row without a default
        {5001, 0},   // neither row nor default
    };
    for (const auto& c : cases)
    {
        EXPECT_EQ(CWmipApp::GetStoredValue(c.id), c.expected) << "id " << c.id;
    }
    EXPECT_EQ(CWmipApp::GetConnectionManager()->GetLentCount(), 0);
}

TEST(WmipAppStoredValue, InstallationInProgressAnswersDefaultsWithoutDatabase)
{
    ProviderTestInstallation installation;
    installation.Exec("UPDATE CONFIG_VALUE SET NUMBERVALUE = 5 WHERE CONFIGID = 33;");
    ProviderTestInstallation::SetRegistryDword(kInstallationKey, L"InstallInProgress", 1);
    TestApp app;
    EXPECT_EQ(CWmipApp::GetStoredValue(33), 600);
    EXPECT_FALSE(CWmipApp::GetConnectionManager()->IsDatabaseAttached());
    EXPECT_EQ(ProviderTestInstallation::CountLogLines("Installation is in progess"), 1);
    EXPECT_EQ(ProviderTestInstallation::CountLogLines("Retrying to connect to database..."), 0);
}

TEST(WmipAppStoredValue, UnreachableDatabaseAnswersDefaultAndRetriesTheAttachment)
{
    ProviderTestInstallation installation(false);
    ASSERT_TRUE(WritePrivateProfileStringW(L"Database", L"DataSource", L"sqlite:missing-folder/none.db", L"ACS.INI"));
    TestApp app;
    EXPECT_EQ(CWmipApp::GetStoredValue(37), 60);
    EXPECT_EQ(ProviderTestInstallation::CountLogLines("Unable to connect to database."), 1);
    EXPECT_EQ(ProviderTestInstallation::CountLogLines(
                  "Unspecified error while retrieving configuration parameter from database."),
              1);
    EXPECT_EQ(CWmipApp::GetStoredValue(33), 600);
    EXPECT_EQ(ProviderTestInstallation::CountLogLines("Retrying to connect to database..."), 1);
    EXPECT_EQ(ProviderTestInstallation::CountLogLines("Unable to connect to database."), 2);
}

TEST(WmipAppStoredValue, LaterCallAttachesTheDatabaseOnceItIsReachable)
{
    ProviderTestInstallation installation(false);
    TestApp app;
    ASSERT_TRUE(WritePrivateProfileStringW(L"Database", L"DataSource", L"sqlite:missing-folder/none.db", L"ACS.INI"));
    DBConnectionManager* manager = CWmipApp::GetConnectionManager();
    ASSERT_NE(manager, nullptr);
    EXPECT_FALSE(manager->IsDatabaseAttached());
    ASSERT_TRUE(WritePrivateProfileStringW(L"Database", L"DataSource", L"sqlite:provixa.db", L"ACS.INI"));
    installation.CreateDatabase();
    installation.Exec("UPDATE CONFIG_VALUE SET NUMBERVALUE = 12 WHERE CONFIGID = 37;");
    EXPECT_EQ(CWmipApp::GetConnectionManager(), manager);
    EXPECT_TRUE(manager->IsDatabaseAttached());
    EXPECT_EQ(CWmipApp::GetStoredValue(37), 12);
    EXPECT_EQ(ProviderTestInstallation::CountLogLines("Retrying to connect to database..."), 1);
}

// --- Registry switches -------------------------------------------------------------------

TEST(WmipAppRegistry, OnlyTheValueOneTurnsASwitchOn)
{
    const struct
    {
        const wchar_t* name;
        int (*read)();
    } switches[] = {
        {L"InstallInProgress", &CWmipApp::IsInstallInProgress},
        {L"SkipLocalSystemAuthentication", &CWmipApp::SkipLocalSystemAuthentication},
        {L"DisableConnectionPooling", &CWmipApp::DisableConnectionPooling},
    };
    const struct
    {
        std::optional<DWORD> stored;
        int expected;
    } values[] = {{std::nullopt, 0}, {0, 0}, {1, 1}, {2, 0}, {0xFFFFFFFF, 0}};
    for (const auto& s : switches)
    {
        for (const auto& v : values)
        {
            ProviderTestInstallation installation(false);
            if (v.stored)
            {
                ProviderTestInstallation::SetRegistryDword(kInstallationKey, s.name, *v.stored);
            }
            TestApp app;
            EXPECT_EQ(s.read(), 0) << "read before the service that reads it";
            ASSERT_NE(CWmipApp::GetUserCache(), nullptr);
            EXPECT_EQ(s.read(), v.expected) << "value " << (v.stored ? static_cast<long>(*v.stored) : -1);
        }
    }
}

TEST(WmipAppRegistry, InstallationInProgressIsAnnouncedWhenTheUserCacheIsCreated)
{
    ProviderTestInstallation installation;
    ProviderTestInstallation::SetRegistryDword(kInstallationKey, L"InstallInProgress", 1);
    TestApp app;
    EXPECT_NE(CWmipApp::GetUserCache(), nullptr);
    EXPECT_EQ(ProviderTestInstallation::CountLogLines("The system detected an installation in progress."), 1);
}

TEST(WmipAppRegistry, DatabaseTimeoutComesFromFluxmereThenVexletElseDefault)
{
    const struct
    {
        std::optional<DWORD> fluxmere;  // nullopt: key absent
        bool fluxmereKeyWithoutValue;
        std::optional<DWORD> vexlet;
        int expected;
    } cases[] = {
        {45, false, 90, 45},           {std::nullopt, false, 90, 90}, {std::nullopt, false, std::nullopt, 300},
        {std::nullopt, true, 90, 300},  // the Fluxmere key opens, so Vexlet is not asked
        {0, false, std::nullopt, 0},
    };
    for (const auto& c : cases)
    {
        ProviderTestInstallation installation;
        if (c.fluxmere)
        {
            ProviderTestInstallation::SetRegistryDword(kFluxmereKey, L"DatabaseTimeout", *c.fluxmere);
        }
        else if (c.fluxmereKeyWithoutValue)
        {
            ProviderTestInstallation::SetRegistryDword(kFluxmereKey, L"Other", 1);
        }
        if (c.vexlet)
        {
            ProviderTestInstallation::SetRegistryDword(kVexletKey, L"DatabaseTimeout", *c.vexlet);
        }
        TestApp app;
        DBConnectionManager* manager = CWmipApp::GetConnectionManager();
        ASSERT_NE(manager, nullptr);
        EXPECT_EQ(manager->GetConnectionTimeout(), c.expected);
    }
}

// --- Trust counter -----------------------------------------------------------------------

TEST(WmipAppTrust, NestedRaisesKeepTheValueAndTheFirstRiseDrawsANewOne)
{
    TestApp app;
    EXPECT_EQ(CWmipApp::IsBackdoorEnabled(), 0);
    CWmipApp::SetBackdoorEnabled(1);
    const LONG first = CWmipApp::GetBackdoorValue();
    EXPECT_EQ(CWmipApp::IsBackdoorEnabled(), 1);
    EXPECT_NE(first, 0);
    CWmipApp::SetBackdoorEnabled(1);
    CWmipApp::SetBackdoorEnabled(0);
    EXPECT_EQ(CWmipApp::IsBackdoorEnabled(), 1);
    EXPECT_EQ(CWmipApp::GetBackdoorValue(), first);
    CWmipApp::SetBackdoorEnabled(0);
    EXPECT_EQ(CWmipApp::IsBackdoorEnabled(), 0);
    CWmipApp::SetBackdoorEnabled(1);
    EXPECT_NE(CWmipApp::GetBackdoorValue(), first);
    EXPECT_NE(CWmipApp::GetBackdoorValue(), 0);
}

TEST(WmipAppTrust, ValuesAreRandomNonZeroAndChangeOnEveryFirstRise)
{
    TestApp app;
    std::set<LONG> seen;
    LONG previous = 0;
    for (int i = 0; i < 500; ++i)
    {
        CWmipApp::SetBackdoorEnabled(1);
        const LONG value = CWmipApp::GetBackdoorValue();
        EXPECT_NE(value, 0);
        EXPECT_NE(value, previous);
        seen.insert(value);
        previous = value;
        CWmipApp::SetBackdoorEnabled(0);
    }
    // 500 draws of 32 random bits collide with a chance of about 3e-5.
    EXPECT_GE(seen.size(), 499u);
}

TEST(WmipAppTrust, TheValueIsDrawnFromTheRandomGeneratorAndNoCallIsTrustedWithoutAFreshOne)
{
    ProviderTestInstallation installation(false);
    TestApp app;
    {
        const ScriptedRandom random({0x13572468, 0, 0x13572468, 0x24681357, std::nullopt});
        CWmipApp::SetBackdoorEnabled(1);
        EXPECT_EQ(CWmipApp::GetBackdoorValue(), 0x13572468);
        CWmipApp::SetBackdoorEnabled(0);
        // A draw of 0 and a draw of the value before are passed over.
        CWmipApp::SetBackdoorEnabled(1);
        EXPECT_EQ(CWmipApp::GetBackdoorValue(), 0x24681357);
        EXPECT_EQ(CWmipApp::IsBackdoorEnabled(), 1);
        CWmipApp::SetBackdoorEnabled(0);
        // The generator fails: raised, yet no call passes as trusted.
        CWmipApp::SetBackdoorEnabled(1);
        EXPECT_EQ(CWmipApp::IsBackdoorEnabled(), 0);
        EXPECT_EQ(ProviderTestInstallation::CountLogLines("Unable to draw a trust value."), 1);
        CWmipApp::SetBackdoorEnabled(0);
    }
    CWmipApp::SetBackdoorEnabled(1);
    EXPECT_EQ(CWmipApp::IsBackdoorEnabled(), 1) << "the next rise draws again";
    EXPECT_NE(CWmipApp::GetBackdoorValue(), 0);
}

TEST(WmipAppTrust, UnbalancedLoweringNeverLeavesTheCounterBelowZero)
{
    ProviderTestInstallation installation(false);
    TestApp app;
    CWmipApp::SetBackdoorEnabled(0);
    EXPECT_EQ(ProviderTestInstallation::CountLogLines("The trust counter was lowered more often than raised."), 1);
    CWmipApp::SetBackdoorEnabled(1);
    EXPECT_EQ(CWmipApp::IsBackdoorEnabled(), 1);
    EXPECT_NE(CWmipApp::GetBackdoorValue(), 0);
}

TEST(WmipAppTrust, ConcurrentBalancedUseEndsLowered)
{
    TestApp app;
    RunTogether(8, [](int) {
        for (int i = 0; i < 200; ++i)
        {
            CWmipApp::SetBackdoorEnabled(1);
            EXPECT_EQ(CWmipApp::IsBackdoorEnabled(), 1);
            EXPECT_NE(CWmipApp::GetBackdoorValue(), 0);
            CWmipApp::SetBackdoorEnabled(0);
        }
    });
    EXPECT_EQ(CWmipApp::IsBackdoorEnabled(), 0);
}

TEST(WmipAppTrust, EachApplicationObjectKeepsItsOwnCounter)
{
    TestApp first;
    TestApp second;
    CWmipApp::SetBackdoorEnabled(1);
    AFX_MANAGE_STATE(&first);
    EXPECT_EQ(CWmipApp::IsBackdoorEnabled(), 0);
}
