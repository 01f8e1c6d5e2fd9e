#include "platform/wmi/WbemCollectingSink.h"

#include "platform/com/WbemConstants.h"
#include "platform/wmi/WbemCall.h"

ComPtr<WbemCollectingSink> WbemCollectingSink::Create()
{
    return MakeComObject<WbemCollectingSink>();
}

ComPtr<WbemCollectingSink> WbemCollectingSink::Create(Consumer consumer)
{
    return MakeComObject<WbemCollectingSink>(std::move(consumer));
}

HRESULT WbemCollectingSink::Indicate(LONG count, IWbemClassObject** objects)
{
    if (const HRESULT checked = CheckObjects(count, objects); FAILED(checked))
        return checked;
    return WbemCall::Run([&]() -> HRESULT {
        const CheckedMutexLock guard(m_lock);
        if (m_complete)
            return WBEM_E_INVALID_OPERATION;
        for (LONG i = 0; i < count; ++i)
        {
            if (!m_consumer)
                m_objects.emplace_back(objects[i]);
            else if (const HRESULT taken = m_consumer(objects[i]); FAILED(taken))
                return taken;
        }
        return WBEM_S_NO_ERROR;
    });
}

HRESULT WbemCollectingSink::SetStatus(LONG flags, HRESULT result, BSTR param, IWbemClassObject* statusObject)
{
    if (flags != WBEM_STATUS_COMPLETE)
        return WBEM_S_NO_ERROR;
    return WbemCall::Run([&]() -> HRESULT {
        {
            const CheckedMutexLock guard(m_lock);
            if (m_complete)
                return WBEM_E_INVALID_OPERATION;
            m_resultText = param == nullptr ? std::wstring() : std::wstring(param, SysStringLen(param));
            m_statusObject = statusObject;
            m_result = result;
            m_complete = true;
        }
        m_completed.notify_all();
        return WBEM_S_NO_ERROR;
    });
}

bool WbemCollectingSink::Wait(std::chrono::milliseconds timeout)
{
    CheckedMutexLock guard(m_lock);
    return guard.WaitFor(m_completed, timeout, [this]() REQUIRES(m_lock) { return m_complete; });
}

bool WbemCollectingSink::IsComplete() const
{
    const CheckedMutexLock guard(m_lock);
    return m_complete;
}

HRESULT WbemCollectingSink::Result() const
{
    const CheckedMutexLock guard(m_lock);
    return m_result;
}

std::wstring WbemCollectingSink::ResultText() const
{
    const CheckedMutexLock guard(m_lock);
    return m_resultText;
}

ComPtr<IWbemClassObject> WbemCollectingSink::StatusObject() const
{
    const CheckedMutexLock guard(m_lock);
    return m_statusObject;
}

std::vector<ComPtr<IWbemClassObject>> WbemCollectingSink::Objects() const
{
    const CheckedMutexLock guard(m_lock);
    return m_objects;
}
