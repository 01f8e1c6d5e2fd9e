#include "platform/wmi/WbemInitSink.h"

#include "platform/com/WbemConstants.h"
#include "platform/wmi/IWbemProviderInit.h"

ComPtr<WbemInitSink> WbemInitSink::Create()
{
    return MakeComObject<WbemInitSink>();
}

HRESULT WbemInitSink::QueryInterface(REFIID iid, void** object)
{
    return QueryOnlyInterface<IWbemProviderInitSink>(this, iid, object);
}

HRESULT WbemInitSink::SetStatus(LONG status, LONG)
{
    {
        const CheckedMutexLock guard(m_lock);
        if (m_status)
            return WBEM_E_INVALID_OPERATION;
        m_status = status;
    }
    m_reported.notify_all();
    return WBEM_S_NO_ERROR;
}

std::optional<LONG> WbemInitSink::Wait(std::chrono::milliseconds timeout)
{
    CheckedMutexLock guard(m_lock);
    guard.WaitFor(m_reported, timeout, [this]() REQUIRES(m_lock) { return m_status.has_value(); });
    return m_status;
}

HRESULT WbemInitSink::InitializeProvider(IWbemProviderInit* init, LPCWSTR user, const std::wstring& ns, LPCWSTR locale,
                                         IWbemServices* services, IWbemContext* context,
                                         std::chrono::milliseconds timeout)
{
    // Initialize takes writable texts; it gets copies of its own.
    std::wstring userText = user == nullptr ? std::wstring() : std::wstring(user);
    std::wstring localeText = locale == nullptr ? std::wstring() : std::wstring(locale);
    std::wstring nsText = ns;
    const ComPtr<WbemInitSink> initSink = Create();
    const HRESULT hr =
        init->Initialize(user == nullptr ? nullptr : userText.data(), 0, nsText.data(),
                         locale == nullptr ? nullptr : localeText.data(), services, context, initSink.Get());
    if (FAILED(hr))
        return hr;
    const std::optional<LONG> status = initSink->Wait(timeout);
    if (!status)
        return WBEM_E_PROVIDER_TIMED_OUT;
    if (*status != WBEM_S_INITIALIZED)
        return FAILED(*status) ? static_cast<HRESULT>(*status) : WBEM_E_PROVIDER_LOAD_FAILURE;
    return WBEM_S_NO_ERROR;
}
