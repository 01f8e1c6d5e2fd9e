#include "platform/wmi/WbemForwardingSink.h"

#include "platform/com/WbemConstants.h"
#include "platform/wmi/WbemCall.h"
#include "platform/wmi/WbemClassObject.h"

#include <algorithm>

ComPtr<WbemForwardingSink> WbemForwardingSink::Create(IWbemObjectSink* target, std::wstring server, std::wstring ns)
{
    return MakeComObject<WbemForwardingSink>(target, std::move(server), std::move(ns));
}

WbemForwardingSink::WbemForwardingSink(IWbemObjectSink* target, std::wstring server, std::wstring ns)
    : m_server(std::move(server)), m_namespace(std::move(ns)), m_target(target)
{
}

HRESULT WbemForwardingSink::QueryInterface(REFIID iid, void** object)
{
    if (object == nullptr)
        return E_POINTER;
    *object = nullptr;
    if (iid != IUnknown::kIID && iid != IWbemObjectSink::kIID)
        return E_NOINTERFACE;
    *object = static_cast<IWbemObjectSink*>(this);
    AddRef();
    return S_OK;
}

HRESULT WbemForwardingSink::Indicate(LONG count, IWbemClassObject** objects)
{
    if (count < 0 || (count > 0 && objects == nullptr))
        return WBEM_E_INVALID_PARAMETER;
    if (count > 0 && std::any_of(objects, objects + count, [](IWbemClassObject* one) { return one == nullptr; }))
        return WBEM_E_INVALID_PARAMETER;
    return WbemCall::Run([&]() -> HRESULT {
        const std::lock_guard<std::mutex> guard(m_lock);
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
    const std::lock_guard<std::mutex> guard(m_lock);
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
    const std::lock_guard<std::mutex> guard(m_lock);
    if (!m_target)
        return false;
    finished = std::move(m_target);
    finished->SetStatus(WBEM_STATUS_COMPLETE, result, nullptr, statusObject);
    return true;
}

bool WbemForwardingSink::IsComplete() const
{
    const std::lock_guard<std::mutex> guard(m_lock);
    return !m_target;
}
