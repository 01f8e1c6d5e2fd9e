#include "tests/platform/wmi-service/ServiceTestSupport.h"

#include "platform/wmi/WbemContext.h"

#include <chrono>

using namespace servicetest;

namespace {
struct Loaded
{
    std::shared_ptr<WbemRepository> repository = MakeRepository();
    ComPtr<WbemServiceNamespace> services = WbemServiceNamespace::Create(repository);
    ComPtr<RecordingProvider> provider = MakeComObject<RecordingProvider>();

    ~Loaded()
    {
        provider->Shutdown();
        services->ReleaseProviders();
    }
    HRESULT Register(const wchar_t* name = kProviderName)
    {
        return services->RegisterProvider(name, static_cast<IWbemServices*>(provider.Get()), L"NT AUTHORITY\\SYSTEM",
                                          L"MS_409", nullptr);
    }
};
}  // namespace

TEST(WbemProviderLoad, InitializesTheProviderWithThisNamespace)
{
    Loaded loaded;
    auto context = WbemContext::Create();
    ASSERT_EQ(loaded.services->RegisterProvider(L"bntprovider", static_cast<IWbemServices*>(loaded.provider.Get()),
                                                L"NT AUTHORITY\\SYSTEM", L"MS_409", context.Get()),
              WBEM_S_NO_ERROR);
    EXPECT_EQ(loaded.provider->initNamespace, L"root\\Brontel");
    EXPECT_EQ(loaded.provider->initUser, L"NT AUTHORITY\\SYSTEM");
    EXPECT_EQ(loaded.provider->initLocale, L"MS_409");
    EXPECT_EQ(loaded.provider->initServices, static_cast<IWbemServices*>(loaded.services.Get()));
    EXPECT_EQ(loaded.provider->initContext, context.Get());
    // Provider names compare without regard to case, as the qualifier's text does.
    ComPtr<IEnumWbemClassObject> enumerator;
    EXPECT_EQ(loaded.services->CreateInstanceEnum(Text(L"Bnt_Badge"), 0, nullptr, &enumerator), WBEM_S_NO_ERROR);
    EXPECT_EQ(loaded.Register(), WBEM_E_ALREADY_EXISTS);
}

TEST(WbemProviderLoad, AFailedInitialisationLeavesTheProviderOut)
{
    struct Case
    {
        const char* what;
        bool reports;
        LONG status;
        HRESULT returned;
        HRESULT expected;
    };
    const Case cases[] = {
        {"reports failure", true, WBEM_E_FAILED, WBEM_S_NO_ERROR, WBEM_E_FAILED},
        {"returns failure", false, WBEM_S_INITIALIZED, WBEM_E_INITIALIZATION_FAILURE, WBEM_E_INITIALIZATION_FAILURE},
        {"reports nothing", false, WBEM_S_INITIALIZED, WBEM_S_NO_ERROR, WBEM_E_PROVIDER_TIMED_OUT},
        {"reports an odd success", true, WBEM_S_FALSE, WBEM_S_NO_ERROR, WBEM_E_PROVIDER_LOAD_FAILURE},
    };
    for (const Case& one : cases)
    {
        Loaded loaded;
        loaded.services->SetProviderTimeout(std::chrono::milliseconds(20));
        loaded.provider->initReports = one.reports;
        loaded.provider->initStatus = one.status;
        loaded.provider->initResult = one.returned;
        EXPECT_EQ(loaded.Register(), one.expected) << one.what;
        ComPtr<IEnumWbemClassObject> enumerator;
        EXPECT_EQ(loaded.services->CreateInstanceEnum(Text(L"Bnt_Badge"), 0, nullptr, &enumerator),
                  WBEM_E_PROVIDER_NOT_FOUND)
            << one.what;
    }
}

TEST(WbemProviderLoad, RefusesWhatCannotBeAProvider)
{
    Loaded loaded;
    EXPECT_EQ(loaded.services->RegisterProvider(L"", static_cast<IWbemServices*>(loaded.provider.Get()), nullptr,
                                                nullptr, nullptr),
              WBEM_E_INVALID_PARAMETER);
    EXPECT_EQ(loaded.services->RegisterProvider(kProviderName, nullptr, nullptr, nullptr, nullptr),
              WBEM_E_INVALID_PARAMETER);
    auto sink = MakeComObject<RecordingSink>();
    EXPECT_EQ(loaded.services->RegisterProvider(kProviderName, sink.Get(), nullptr, nullptr, nullptr),
              WBEM_E_INVALID_PARAMETER);
    // Null user and locale reach the provider as null.
    EXPECT_EQ(loaded.services->RegisterProvider(kProviderName, static_cast<IWbemServices*>(loaded.provider.Get()),
                                                nullptr, nullptr, nullptr),
              WBEM_S_NO_ERROR);
    EXPECT_EQ(loaded.provider->initUser, L"<null>");
    EXPECT_EQ(loaded.provider->initLocale, L"<null>");
}
