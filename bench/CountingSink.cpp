#include "bench/CountingSink.h"

#include "platform/com/WbemConstants.h"

HRESULT CountingSink::QueryInterface(REFIID iid, void** object)
{
    if (object == nullptr)
        return E_POINTER;
    *object = nullptr;
    if (!IsEqualGUID(iid, IUnknown::kIID) && !IsEqualGUID(iid, IWbemObjectSink::kIID))
        return E_NOINTERFACE;
    AddRef();
    *object = static_cast<IWbemObjectSink*>(this);
    return S_OK;
}

HRESULT CountingSink::Indicate(LONG count, IWbemClassObject** objects)
{
    if (count < 0 || (count > 0 && objects == nullptr))
        return WBEM_E_INVALID_PARAMETER;
    m_objects += count;
    if (count > 0)
        m_lastObject = ComPtr<IWbemClassObject>(objects[count - 1]);
    return S_OK;
}

HRESULT CountingSink::SetStatus(LONG flags, HRESULT result, BSTR, IWbemClassObject*)
{
    if (flags == WBEM_STATUS_COMPLETE)
    {
        m_lastResult = result;
        ++m_finalStatuses;
    }
    return S_OK;
}

void CountingSink::Reset()
{
    m_objects = 0;
    m_finalStatuses = 0;
    m_lastResult = S_OK;
    m_lastObject.Reset();
}
