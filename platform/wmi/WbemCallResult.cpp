#include "platform/wmi/WbemCallResult.h"

#include "platform/com/WbemConstants.h"

ComPtr<WbemCallResult> WbemCallResult::Create(HRESULT status, IWbemClassObject* resultObject, std::wstring resultText)
{
    return MakeComObject<WbemCallResult>(status, resultObject, std::move(resultText));
}

WbemCallResult::WbemCallResult(HRESULT status, IWbemClassObject* resultObject, std::wstring resultText)
    : m_status(status), m_resultObject(resultObject), m_resultText(std::move(resultText))
{
}

HRESULT WbemCallResult::QueryInterface(REFIID iid, void** object)
{
    return QueryOnlyInterface<IWbemCallResult>(this, iid, object);
}

HRESULT WbemCallResult::GetResultObject(LONG, IWbemClassObject** resultObject)
{
    if (resultObject == nullptr)
        return WBEM_E_INVALID_PARAMETER;
    *resultObject = nullptr;
    if (FAILED(m_status))
        return m_status;
    if (!m_resultObject)
        return WBEM_E_NOT_FOUND;
    *resultObject = ComPtr<IWbemClassObject>(m_resultObject).Detach();
    return WBEM_S_NO_ERROR;
}

HRESULT WbemCallResult::GetResultString(LONG, BSTR* resultString)
{
    if (resultString == nullptr)
        return WBEM_E_INVALID_PARAMETER;
    *resultString = nullptr;
    if (FAILED(m_status))
        return m_status;
    if (m_resultText.empty())
        return WBEM_E_NOT_FOUND;
    *resultString = SysAllocString(m_resultText.c_str());
    return *resultString == nullptr ? WBEM_E_OUT_OF_MEMORY : WBEM_S_NO_ERROR;
}

HRESULT WbemCallResult::GetResultServices(LONG, IWbemServices** services)
{
    if (services != nullptr)
        *services = nullptr;
    return WBEM_E_NOT_SUPPORTED;
}

HRESULT WbemCallResult::GetCallStatus(LONG, LONG* status)
{
    if (status == nullptr)
        return WBEM_E_INVALID_PARAMETER;
    *status = m_status;
    return WBEM_S_NO_ERROR;
}
