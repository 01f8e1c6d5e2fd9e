#include "platform/wmi/WbemForwardingSink.h"

#include "platform/com/WbemConstants.h"
#include "platform/wmi/WbemCall.h"
#include "platform/wmi/WbemClassObject.h"

ComPtr<WbemForwardingSink> WbemForwardingSink::Create(IWbemObjectSink* target, std::wstring server, std::wstring ns)
{
    return MakeComObject<WbemForwardingSink>(target, std::move(server), std::move(ns));
}

WbemForwardingSink::WbemForwardingSink(IWbemObjectSink* target, std::wstring server, std::wstring ns)
    : m_server(std::move(server)), m_namespace(std::move(ns)), m_target(target)
{
}

HRESULT WbemForwardingSink::Indicate(LONG count, IWbemClassObject** objects)
{
    if (const HRESULT checked = CheckObjects(count, objects); FAILED(checked))
        return checked;
    return WbemCall::Run([&]() -> HRESULT {
        const CheckedMutexLock guard(m_lock);
        if (!m_target)
            return WBEM_E_INVALID_OPERATION;
        for (LONG i = 0; i < count; ++i)
        {
            if (WbemClassObject* own = WbemClassObject::FromInterface(objects[i]))
                own->SetLocation(m_server, m_namespace);
        }
        return m_target->Indicate(count, objects);
    });
}

HRESULT WbemForwardingSink::SetStatus(LONG flags, HRESULT result, BSTR param, IWbemClassObject* statusObject)
{
    ComPtr<IWbemObjectSink> finished;
    const CheckedMutexLock guard(m_lock);
    if (!m_target)
        return WBEM_E_INVALID_OPERATION;
    if (flags != WBEM_STATUS_COMPLETE)
        return m_target->SetStatus(flags, result, param, statusObject);
    // The target is released after the lock: its last Release may run arbitrary code.
    finished = std::move(m_target);
    return finished->SetStatus(WBEM_STATUS_COMPLETE, result, param, statusObject);
}

bool WbemForwardingSink::Finish(HRESULT result, IWbemClassObject* statusObject)
{
    ComPtr<IWbemObjectSink> finished;
    const CheckedMutexLock guard(m_lock);
    if (!m_target)
        return false;
    finished = std::move(m_target);
    finished->SetStatus(WBEM_STATUS_COMPLETE, result, nullptr, statusObject);
    return true;
}

bool WbemForwardingSink::IsComplete() const
{
    const CheckedMutexLock guard(m_lock);
    return !m_target;
}
