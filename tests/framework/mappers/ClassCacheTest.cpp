#include "tests/framework/mappers/MapperTestFixture.h"

#include "framework/CWmipClassCache.h"
#include "inhouse/BntUtility/CWMIException.h"
#include "platform/com/WbemConstants.h"
#include "platform/wmi/IWbemQualifierSet.h"
#include "platform/wmi/WbemClassObject.h"
#include "tests/support/ClassCacheProbe.h"
#include "tests/support/ManualClock.h"

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <thread>

using brontel::utility::CWMIException;
using namespace mappertest;

namespace {

// A mapper whose class definition the provider builds: each build is counted and carries the
// qualifier "Secret" on its property, which the caller's permissions strip from the copy.
class BuiltClassMapper : public CWmipDynamicClassMapper
{
public:
    BuiltClassMapper(const CAcsUser* user, const wchar_t* className, std::atomic<int>& builds)
        : CWmipDynamicClassMapper(user, nullptr, nullptr, className), m_builds(builds)
    {
    }
    BOOL WMIStoresClassDefinition() override { return FALSE; }
    HRESULT CreateClass(IWbemClassObject** classObject, BOOL /*system*/) override
    {
        ++m_builds;
        ComPtr<WbemClassObject> created = WbemClassObject::CreateEmptyClass();
        _variant_t name(static_cast<const wchar_t*>(GetClassName()));
        created->Put(L"__CLASS", 0, &name, CIM_STRING);
        created->Put(L"Name", 0, nullptr, CIM_STRING);
        ComPtr<IWbemQualifierSet> qualifiers;
        created->GetPropertyQualifierSet(L"Name", &qualifiers);
        _variant_t flag(true);
        qualifiers->Put(L"Secret", &flag, 0);
        *classObject = created.Detach();
        return S_OK;
    }
    HRESULT ProcessClassPermissions(IWbemClassObject* classObject) override
    {
        ComPtr<IWbemQualifierSet> qualifiers;
        if (SUCCEEDED(classObject->GetPropertyQualifierSet(L"Name", &qualifiers)))
            qualifiers->Delete(L"Secret");
        return S_OK;
    }

private:
    std::atomic<int>& m_builds;
};

bool HasSecret(IWbemClassObject* classObject)
{
    ComPtr<IWbemQualifierSet> qualifiers;
    if (FAILED(classObject->GetPropertyQualifierSet(L"Name", &qualifiers)))
        return false;
    _variant_t value;
    return SUCCEEDED(qualifiers->Get(L"Secret", 0, &value, nullptr));
}

class ClassCache : public MapperTest
{
protected:
    void SetUp() override
    {
        MapperTest::SetUp();
        ASSERT_TRUE(m_alice.Login(m_db.DataSource(), L"alice", L"Secret1!", -1, 0));
        ASSERT_TRUE(m_carol.Login(m_db.DataSource(), L"carol", L"Other2?", -1, 0));
        ASSERT_NE(m_alice.GetFieldPermissionGroupID(), m_carol.GetFieldPermissionGroupID());
    }

    ComPtr<IWbemClassObject> Get(CWmipClassCache& cache, const wchar_t* className, const CAcsUser* user,
                                 BOOL system = FALSE)
    {
        BuiltClassMapper mapper(m_connection.get(), className, m_builds);
        ComPtr<IWbemClassObject> result;
        EXPECT_EQ(cache.GetClass(mapper, user, system, &result), S_OK);
        return result;
    }

    CAcsUser m_alice;
    CAcsUser m_carol;
    std::atomic<int> m_builds{0};
};

TEST_F(ClassCache, BuildsOncePerUserGroupAndHandsOutCopies)
{
    CWmipClassCache cache(3600);
    auto first = Get(cache, L"Tst_Built", &m_alice);
    auto second = Get(cache, L"Tst_Built", &m_alice);
    EXPECT_EQ(m_builds, 1);
    ASSERT_NE(first, nullptr);
    EXPECT_NE(first.Get(), second.Get());
    Get(cache, L"Tst_Built", &m_carol);
    EXPECT_EQ(m_builds, 2);
    EXPECT_EQ(ClassCacheProbe::Count(cache), 2u);
}

TEST_F(ClassCache, PermissionsShapeTheCopyNeverTheCachedDefinition)
{
    CWmipClassCache cache(3600);
    auto shaped = Get(cache, L"Tst_Built", &m_alice);
    EXPECT_FALSE(HasSecret(shaped.Get()));
    // Changing a handed-out copy leaves the cache alone too.
    shaped->Delete(L"Name");
    auto system = Get(cache, L"Tst_Built", nullptr, TRUE);
    EXPECT_TRUE(HasSecret(system.Get()));
    auto again = Get(cache, L"Tst_Built", &m_alice);
    _variant_t value;
    EXPECT_EQ(again->Get(L"Name", 0, &value, nullptr, nullptr), S_OK);
}

// A built definition's lists follow the user's field group and segments: users share one only
// when both agree, whatever the class (the cache names none).
TEST_F(ClassCache, DefinitionsAreSharedOnlyByOneFieldGroupAndSegments)
{
    CWmipClassCache cache(3600);
    const auto loginCarol = [this](const char* segments) {
        m_db.Exec(std::string("UPDATE USERS SET USER_PERM_UDFID = 4, SEGMENTID = 5 WHERE USERID = 12;"
                              "DELETE FROM USER_SEGMENT_LINK WHERE USERID = 12;"
                              "INSERT INTO USER_SEGMENT_LINK (USERID, SEGMENTID) VALUES ") +
                  segments + ";");
        auto carol = std::make_unique<CAcsUser>();
        EXPECT_TRUE(carol->Login(m_db.DataSource(), L"carol", L"Other2?", -1, 0));
        EXPECT_EQ(carol->GetFieldPermissionGroupID(), m_alice.GetFieldPermissionGroupID());
        return carol;
    };
    const auto carolAlike = loginCarol("(12, 6), (12, 7)");
    ASSERT_EQ(carolAlike->GetSegmentIDs(), m_alice.GetSegmentIDs());
    const auto carolElsewhere = loginCarol("(12, 20)");

    Get(cache, L"Tst_Built", &m_alice);
    Get(cache, L"Tst_Built", carolAlike.get());
    EXPECT_EQ(m_builds, 1);
    Get(cache, L"Tst_Built", carolElsewhere.get());
    EXPECT_EQ(m_builds, 2);
    Get(cache, L"Bnt_Badge", &m_alice);
    Get(cache, L"Bnt_Badge", carolAlike.get());
    EXPECT_EQ(m_builds, 3);
    Get(cache, L"BNT_BADGE", &m_alice);
    EXPECT_EQ(m_builds, 3);
}

TEST_F(ClassCache, RemoveClassAndRemoveUserClassesDropOnlyTheirEntries)
{
    CWmipClassCache cache(3600);
    Get(cache, L"Tst_Built", &m_alice);
    Get(cache, L"Tst_Other", &m_alice);
    Get(cache, L"Tst_Built", &m_carol);
    ASSERT_EQ(ClassCacheProbe::Count(cache), 3u);
    cache.RemoveClass(L"Tst_Built", &m_alice);
    EXPECT_EQ(ClassCacheProbe::Count(cache), 2u);
    cache.RemoveClass(L"Tst_Missing", &m_alice);
    EXPECT_EQ(ClassCacheProbe::Count(cache), 2u);
    cache.RemoveUserClasses(&m_carol);
    EXPECT_EQ(ClassCacheProbe::Count(cache), 1u);
    cache.RemoveUserClasses(nullptr);
    cache.Clear();
    EXPECT_EQ(ClassCacheProbe::Count(cache), 0u);
    Get(cache, L"Tst_Built", &m_alice);
    EXPECT_EQ(m_builds, 4);
}

TEST_F(ClassCache, EverythingIsRebuiltOnceTheSpanHasPassed)
{
    // Built without a clock: the cache follows the process clock a host or test sets.
    support::ManualClock clock;
    support::ProcessClockScope scope(clock);
    CWmipClassCache cache(1);
    Get(cache, L"Tst_Built", &m_alice);
    clock.Advance(999);
    Get(cache, L"Tst_Built", &m_alice);
    EXPECT_EQ(m_builds, 1);
    clock.Advance(1);
    Get(cache, L"Tst_Built", &m_alice);
    EXPECT_EQ(m_builds, 2);

    CWmipClassCache uncached(0);
    Get(uncached, L"Tst_Built", &m_alice);
    Get(uncached, L"Tst_Built", &m_alice);
    EXPECT_EQ(m_builds, 4);
}

TEST_F(ClassCache, RefusesMissingCallerAndPassesBuildFailuresOn)
{
    CWmipClassCache cache(3600);
    BuiltClassMapper mapper(m_connection.get(), L"Tst_Built", m_builds);
    IWbemClassObject* result = nullptr;
    EXPECT_EQ(cache.GetClass(mapper, nullptr, FALSE, &result), WBEM_E_INVALID_PARAMETER);
    EXPECT_EQ(result, nullptr);
    EXPECT_EQ(cache.GetClass(mapper, &m_alice, FALSE, nullptr), WBEM_E_INVALID_PARAMETER);

    class FailingMapper : public CWmipDynamicClassMapper
    {
    public:
        explicit FailingMapper(const CAcsUser* user) : CWmipDynamicClassMapper(user, nullptr, nullptr, L"Tst_Fail") {}
        BOOL WMIStoresClassDefinition() override { return FALSE; }
        HRESULT CreateClass(IWbemClassObject** classObject, BOOL) override
        {
            *classObject = nullptr;
            return WBEM_E_ACCESS_DENIED;
        }
    } failing(m_connection.get());
    EXPECT_EQ(cache.GetClass(failing, &m_alice, FALSE, &result), WBEM_E_ACCESS_DENIED);
    EXPECT_EQ(ClassCacheProbe::Count(cache), 0u);
}

// A shaping the mapper says reads only the caller's rights and the stamped lists is kept for the
// caller and copied again without shaping while the user's rights stamp and the list stamp stand;
// anything else shapes anew: a changed stamp, a dropped definition, a failed shaping (never kept),
// a database without the list stamp.
TEST_F(ClassCache, AKeptShapingServesOnlyWhileBothStampsStand)
{
    class KeptShapingMapper : public BuiltClassMapper
    {
    public:
        KeptShapingMapper(const CAcsUser* user, std::atomic<int>& builds, int& shapings, bool fail)
            : BuiltClassMapper(user, L"Tst_Kept", builds), m_shapings(shapings), m_fail(fail)
        {
        }
        HRESULT ProcessClassPermissions(IWbemClassObject* classObject) override
        {
            ++m_shapings;
            BuiltClassMapper::ProcessClassPermissions(classObject);
            return m_fail ? WBEM_E_FAILED : S_OK;
        }
        DefinitionReuse GetShapedClassReuse() override { return DefinitionReuse::WhileRightsAndListsSame; }

    private:
        int& m_shapings;
        const bool m_fail;
    };
    CWmipClassCache cache(3600);
    const struct
    {
        const char* step;
        std::function<void()> before;
        bool failShaping;
        bool shapedAnew;
    } steps[] = {
        {"first request", [] {}, false, true},
        {"nothing changed", [] {}, false, false},
        {"list stamp set anew", [this] { m_db.Exec("UPDATE RIGHTS_STAMP SET STAMP = STAMP + 7 WHERE STAMPID = 2;"); },
         false, true},
        {"nothing changed again", [] {}, false, false},
        {"rights read anew under a new rights stamp",
         [this] {
             m_db.Exec("UPDATE USERS SET LASTNAME = LASTNAME WHERE LOGONID = 'alice';");
             m_alice.ResetPermissions();
         },
         false, true},
        {"definition dropped", [&] { cache.RemoveClass(L"Tst_Kept", &m_alice); }, false, true},
        {"failed shaping", [&] { cache.Clear(); }, true, true},
        {"the failed shaping was not kept", [] {}, false, true},
        {"kept again", [] {}, false, false},
        {"database without the list stamp", [this] { m_db.Exec("DELETE FROM RIGHTS_STAMP WHERE STAMPID = 2;"); }, false,
         true},
        {"still without it", [] {}, false, true},
    };
    for (const auto& step : steps)
    {
        SCOPED_TRACE(step.step);
        step.before();
        int shapings = 0;
        KeptShapingMapper mapper(m_connection.get(), m_builds, shapings, step.failShaping);
        ComPtr<IWbemClassObject> first;
        const HRESULT got = cache.GetClass(mapper, &m_alice, FALSE, &first);
        EXPECT_EQ(shapings, step.shapedAnew ? 1 : 0);
        // A copy its shaping failed on is not handed out: it may carry what the caller may not use.
        if (step.failShaping)
        {
            EXPECT_EQ(got, WBEM_E_FAILED);
            EXPECT_EQ(first, nullptr);
            continue;
        }
        ASSERT_EQ(got, S_OK);
        // Every caller gets a copy of its own: the last one's change is not seen by this one.
        _variant_t name;
        EXPECT_EQ(first->Get(L"Name", 0, &name, nullptr, nullptr), S_OK);
        EXPECT_FALSE(HasSecret(first.Get()));
        first->Delete(L"Name");
    }
    EXPECT_EQ(m_builds, 3);
}

// A built definition its mapper says reads the caller's rights and stamped rows (lists, options)
// serves again only while the user's rights stamp and the list stamp stand, for the callers'
// definitions and the system's alike; a database without the list stamp keeps none, not even
// one kept before the row went; a build said to read nothing of the database stays for the span.
TEST_F(ClassCache, AKeptBuildServesOnlyWhileTheStampsItWasMadeUnderStand)
{
    class StampedMapper : public BuiltClassMapper
    {
    public:
        StampedMapper(const CAcsUser* user, std::atomic<int>& builds, DefinitionReuse reuse)
            : BuiltClassMapper(user, L"Tst_Stamped", builds), m_reuse(reuse)
        {
        }
        DefinitionReuse GetBuiltClassReuse() override { return m_reuse; }

    private:
        const DefinitionReuse m_reuse;
    };
    using Reuse = CWmipMapper::DefinitionReuse;
    CWmipClassCache cache(3600);
    const auto listsSetAnew = [this] { m_db.Exec("UPDATE RIGHTS_STAMP SET STAMP = STAMP + 7 WHERE STAMPID = 2;"); };
    const auto rightsRaised = [this] {
        m_db.Exec("UPDATE USERS SET LASTNAME = LASTNAME WHERE LOGONID = 'alice';");
        m_alice.ResetPermissions();
    };
    const struct
    {
        const char* step;
        std::function<void()> before;
        // Built anew for alice, for the system (with the stamps), and for alice by a mapper that
        // says its build reads nothing of the database.
        bool alice;
        bool system;
        bool forTheSpan;
    } steps[] = {
        {"first requests", [] {}, true, true, true},
        {"nothing changed", [] {}, false, false, false},
        {"list stamp set anew", listsSetAnew, true, true, false},
        {"nothing changed again", [] {}, false, false, false},
        {"alice's rights read anew under a new rights stamp", rightsRaised, true, false, false},
        {"database without the list stamp", [this] { m_db.Exec("DELETE FROM RIGHTS_STAMP WHERE STAMPID = 2;"); }, true,
         true, false},
        {"still without it", [] {}, true, true, false},
        {"the row back with the value of an earlier build",
         [this] { m_db.Exec("INSERT INTO RIGHTS_STAMP (STAMPID, STAMP) VALUES (2, 7);"); }, true, true, false},
        {"kept again", [] {}, false, false, false},
    };
    for (const auto& step : steps)
    {
        SCOPED_TRACE(step.step);
        step.before();
        const struct
        {
            const char* who;
            Reuse reuse;
            const CAcsUser* user;
            BOOL system;
            bool built;
        } requests[] = {
            {"alice", Reuse::WhileRightsAndListsSame, &m_alice, FALSE, step.alice},
            {"system", Reuse::WhileRightsAndListsSame, nullptr, TRUE, step.system},
            {"for the span", Reuse::ForTheSpan, &m_carol, FALSE, step.forTheSpan},
        };
        for (const auto& request : requests)
        {
            SCOPED_TRACE(request.who);
            const int builds = m_builds;
            StampedMapper mapper(m_connection.get(), m_builds, request.reuse);
            ComPtr<IWbemClassObject> copy;
            ASSERT_EQ(cache.GetClass(mapper, request.user, request.system, &copy), S_OK);
            EXPECT_EQ(m_builds - builds, request.built ? 1 : 0);
            EXPECT_EQ(HasSecret(copy.Get()), request.system != FALSE);
        }
    }
    // A mapper that says nothing of its build is built for every request and keeps nothing.
    CWmipClassCache unkept(3600);
    const int builds = m_builds;
    for (int request = 0; request < 2; ++request)
    {
        StampedMapper never(m_connection.get(), m_builds, Reuse::Never);
        ComPtr<IWbemClassObject> copy;
        ASSERT_EQ(unkept.GetClass(never, &m_alice, FALSE, &copy), S_OK);
    }
    EXPECT_EQ(m_builds - builds, 2);
}

// A query's names are checked against the caller's definition taken once per query: a class
// whose definition is shaped per caller would otherwise be built again for every name.
TEST_F(ClassCache, QueryNamesAreCheckedAgainstOneDefinition)
{
    LoginCaller();
    const struct
    {
        const wchar_t* wql;
        const char* unknown;  // the name the refusal gives; null when the query is accepted
        int builds;
    } cases[] = {
        {L"SELECT * FROM Tst_Built", nullptr, 0},
        {L"SELECT * FROM Tst_Built WHERE Nope = 1", "Nope", 1},
        {L"SELECT * FROM Tst_Built WHERE Name = 'a' OR Name <> 'b' OR Nope = 1", "Nope", 1},
        {L"SELECT Name, Nope FROM Tst_Built", "Nope", 1},
        {L"SELECT Name FROM Tst_Built WHERE Name = 'a' AND Nope = 1", "Nope", 1},
    };
    for (const auto& c : cases)
    {
        m_builds = 0;
        BuiltClassMapper mapper(m_connection.get(), L"Tst_Built", m_builds);
        mapper.SetUserEntry(m_caller.get());
        auto query = CWmipQuery::CreateFromQuery(c.wql);
        ASSERT_NE(query, nullptr) << CStringToUtf8(c.wql);
        try
        {
            mapper.SetQuery(query.get());
            EXPECT_EQ(c.unknown, nullptr) << "accepted " << CStringToUtf8(c.wql);
        }
        catch (const CWMIException& e)
        {
            ASSERT_NE(c.unknown, nullptr) << "refused " << CStringToUtf8(c.wql);
            EXPECT_EQ(e.GetHResult(), WBEM_E_INVALID_QUERY);
            EXPECT_NE(CStringToUtf8(e.GetText()).find(c.unknown), std::string::npos) << CStringToUtf8(e.GetText());
        }
        EXPECT_EQ(m_builds, c.builds) << CStringToUtf8(c.wql);
        mapper.SetQuery(nullptr);
    }
}

TEST_F(ClassCache, ConcurrentLookupsShareOneCache)
{
    CWmipClassCache cache(3600);
    std::vector<std::thread> threads;
    std::atomic<int> failures{0};
    for (int t = 0; t < 4; ++t)
    {
        threads.emplace_back([&, t] {
            CModuleStateSwitch noApplication(static_cast<CWinApp*>(nullptr));
            for (int i = 0; i < 50; ++i)
            {
                BuiltClassMapper mapper(m_connection.get(), (i % 2) == 0 ? L"Tst_A" : L"Tst_B", m_builds);
                ComPtr<IWbemClassObject> result;
                if (cache.GetClass(mapper, (t % 2) == 0 ? &m_alice : &m_carol, FALSE, &result) != S_OK ||
                    result == nullptr || HasSecret(result.Get()))
                    ++failures;
                if (i == 25)
                    cache.RemoveUserClasses(&m_alice);
            }
        });
    }
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(failures, 0);
    EXPECT_LE(ClassCacheProbe::Count(cache), 4u);
}

}  // namespace
