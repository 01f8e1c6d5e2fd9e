#include "platform/wmi/WbemInitSink.h"

#include "platform/com/WbemConstants.h"

ComPtr<WbemInitSink> WbemInitSink::Create()
{
    return MakeComObject<WbemInitSink>();
}

HRESULT WbemInitSink::QueryInterface(REFIID iid, void** object)
{
    if (object == nullptr)
        return E_POINTER;
    *object = nullptr;
    if (iid != IUnknown::kIID && iid != IWbemProviderInitSink::kIID)
        return E_NOINTERFACE;
    *object = static_cast<IWbemProviderInitSink*>(this);
    AddRef();
    return S_OK;
}

HRESULT WbemInitSink::SetStatus(LONG status, LONG)
{
    {
        const std::lock_guard<std::mutex> guard(m_lock);
        if (m_status)
            return WBEM_E_INVALID_OPERATION;
        m_status = status;
    }
    m_reported.notify_all();
    return WBEM_S_NO_ERROR;
}

std::optional<LONG> WbemInitSink::Wait(std::chrono::milliseconds timeout)
{
    std::unique_lock<std::mutex> guard(m_lock);
    m_reported.wait_for(guard, timeout, [this] { return m_status.has_value(); });
    return m_status;
}
