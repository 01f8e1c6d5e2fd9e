#include "tools/provixa/ProvixaProviderShell.h"

#include "platform/com/WbemConstants.h"
#include "platform/wmi/IWbemClassObject.h"

#include <gtest/gtest.h>

namespace {
template <class T>
T* Stale()
{
    return reinterpret_cast<T*>(0x1);
}
}  // namespace

TEST(ProvixaProviderShell, OffersServicesAndProviderInitialisationOnly)
{
    const ComPtr<ProvixaProviderShell> shell = ProvixaProviderShell::Create();
    const ComPtr<IUnknown> unknown(static_cast<IWbemServices*>(shell.Get()));
    EXPECT_EQ(unknown.As<IWbemServices>().Get(), static_cast<IWbemServices*>(shell.Get()));
    EXPECT_EQ(unknown.As<IWbemProviderInit>().Get(), static_cast<IWbemProviderInit*>(shell.Get()));
    void* object = Stale<void>();
    EXPECT_EQ(shell->QueryInterface(IWbemClassObject::kIID, &object), E_NOINTERFACE);
    EXPECT_EQ(object, nullptr);
}

TEST(ProvixaProviderShell, SynchronousAndClassWritingMethodsAreRefusedWithClearedOutputs)
{
    const ComPtr<ProvixaProviderShell> shell = ProvixaProviderShell::Create();
    IWbemClassObject* object = Stale<IWbemClassObject>();
    IWbemCallResult* result = Stale<IWbemCallResult>();
    EXPECT_EQ(shell->GetObject(nullptr, 0, nullptr, &object, &result), WBEM_E_NOT_SUPPORTED);
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(result, nullptr);
    IEnumWbemClassObject* enumerator = Stale<IEnumWbemClassObject>();
    EXPECT_EQ(shell->ExecQuery(nullptr, nullptr, 0, nullptr, &enumerator), WBEM_E_NOT_SUPPORTED);
    EXPECT_EQ(enumerator, nullptr);
    result = Stale<IWbemCallResult>();
    EXPECT_EQ(shell->PutClass(nullptr, 0, nullptr, &result), WBEM_E_NOT_SUPPORTED);
    EXPECT_EQ(result, nullptr);
    EXPECT_EQ(shell->DeleteClassAsync(nullptr, 0, nullptr, nullptr), WBEM_E_NOT_SUPPORTED);
    EXPECT_EQ(shell->ExecNotificationQueryAsync(nullptr, nullptr, 0, nullptr, nullptr), WBEM_E_NOT_SUPPORTED);
}

TEST(ProvixaProviderShell, AsynchronousMethodsAnswerWhatTheInstanceProviderAnswers)
{
    // Before Initialize the instance provider refuses every request as a bad argument; the
    // shell must pass that on rather than answer for it.
    const ComPtr<ProvixaProviderShell> shell = ProvixaProviderShell::Create();
    EXPECT_EQ(shell->GetObjectAsync(nullptr, 0, nullptr, nullptr), WBEM_E_INVALID_PARAMETER);
    EXPECT_EQ(shell->CreateInstanceEnumAsync(nullptr, 0, nullptr, nullptr), WBEM_E_INVALID_PARAMETER);
    EXPECT_EQ(shell->ExecQueryAsync(nullptr, nullptr, 0, nullptr, nullptr), WBEM_E_INVALID_PARAMETER);
    EXPECT_EQ(shell->DeleteInstanceAsync(nullptr, 0, nullptr, nullptr), WBEM_E_INVALID_PARAMETER);
}
