#include "framework/CWmipClassCache.h"

#include <gtest/gtest.h>

#include <functional>

#include "platform/com/CimTypes.h"
#include "platform/com/Variant.h"
#include "platform/com/WbemConstants.h"
#include "platform/mfc/ModuleState.h"
#include "platform/wmi/WbemClassObject.h"
#include "framework/objects/CCorvessaNamespace.h"
#include "tests/support/ClassCacheProbe.h"
#include "tests/support/ManualClock.h"

namespace {

// Definitions that WMI keeps are fetched as the system, so the class cache keeps one for every
// caller; each fetch here is counted and builds a class with one property "Name".
class StoredClassCache : public ::testing::Test
{
protected:
    StoredClassCache() : m_noApplication(static_cast<CWinApp*>(nullptr)) {}

    std::function<HRESULT(ComPtr<IWbemClassObject>&)> Fetch()
    {
        return [this](ComPtr<IWbemClassObject>& fetched) -> HRESULT {
            ++m_fetches;
            if (FAILED(m_fetchResult))
                return m_fetchResult;
            ComPtr<WbemClassObject> created = WbemClassObject::CreateEmptyClass();
            _variant_t name(L"Tst_Stored");
            created->Put(L"__CLASS", 0, &name, CIM_STRING);
            created->Put(L"Name", 0, nullptr, CIM_STRING);
            fetched = ComPtr<IWbemClassObject>(created);
            return S_OK;
        };
    }

    ComPtr<IWbemClassObject> Get(CWmipClassCache& cache, IWbemServices* services, const wchar_t* className,
                                 HRESULT expected = S_OK)
    {
        IWbemClassObject* raw = reinterpret_cast<IWbemClassObject*>(0x1);
        EXPECT_EQ(cache.GetStoredClass(className, services, Fetch(), &raw), expected);
        ComPtr<IWbemClassObject> result;
        result.Attach(raw);
        EXPECT_EQ(result != nullptr, SUCCEEDED(expected));
        return result;
    }

    CModuleStateSwitch m_noApplication;
    int m_fetches = 0;
    HRESULT m_fetchResult = S_OK;
    // Two namespaces; the cache tells them apart by identity.
    CCorvessaNamespace m_namespace;
    CCorvessaNamespace m_otherNamespace;
    IWbemServices* const m_services = &m_namespace;
    IWbemServices* const m_otherServices = &m_otherNamespace;
};

TEST_F(StoredClassCache, FetchesOncePerClassAndHandsOutCopies)
{
    CWmipClassCache cache(3600);
    auto first = Get(cache, m_services, L"Tst_Stored");
    auto second = Get(cache, m_services, L"TST_STORED");
    EXPECT_EQ(m_fetches, 1);
    ASSERT_NE(first, nullptr);
    EXPECT_NE(first.Get(), second.Get());
    // A copy changed by its holder leaves the cached definition alone.
    first->Delete(L"Name");
    auto third = Get(cache, m_services, L"Tst_Stored");
    _variant_t value;
    EXPECT_EQ(third->Get(L"Name", 0, &value, nullptr, nullptr), S_OK);
    EXPECT_EQ(ClassCacheProbe::Count(cache), 1u);

    Get(cache, m_services, L"Tst_Other");
    EXPECT_EQ(m_fetches, 2);
}

TEST_F(StoredClassCache, AnotherNamespaceIsAskedItself)
{
    CWmipClassCache cache(3600);
    Get(cache, m_services, L"Tst_Stored");
    Get(cache, m_otherServices, L"Tst_Stored");
    EXPECT_EQ(m_fetches, 2);
    Get(cache, m_otherServices, L"Tst_Stored");
    EXPECT_EQ(m_fetches, 2);
}

TEST_F(StoredClassCache, FailuresAreNotKeptAndClearOrTheSpanDropsDefinitions)
{
    CWmipClassCache cache(3600);
    m_fetchResult = WBEM_E_NOT_FOUND;
    Get(cache, m_services, L"Tst_Stored", WBEM_E_NOT_FOUND);
    EXPECT_EQ(ClassCacheProbe::Count(cache), 0u);
    m_fetchResult = S_OK;
    Get(cache, m_services, L"Tst_Stored");
    EXPECT_EQ(m_fetches, 2);

    cache.Clear();
    EXPECT_EQ(ClassCacheProbe::Count(cache), 0u);
    Get(cache, m_services, L"Tst_Stored");
    EXPECT_EQ(m_fetches, 3);

    support::ManualClock clock;
    CWmipClassCache shortLived(1, clock);
    Get(shortLived, m_services, L"Tst_Stored");
    clock.Advance(999);
    Get(shortLived, m_services, L"Tst_Stored");
    EXPECT_EQ(m_fetches, 4);
    clock.Advance(1);
    Get(shortLived, m_services, L"Tst_Stored");
    EXPECT_EQ(m_fetches, 5);

    EXPECT_EQ(cache.GetStoredClass(L"Tst_Stored", m_services, Fetch(), nullptr), WBEM_E_INVALID_PARAMETER);
}

}  // namespace
