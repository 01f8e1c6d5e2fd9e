#include "provider/CWmipEventMapper.h"

#include "common/KvrTime.h"
#include "framework/WMIHelper.h"
#include "inhouse/BntUtility/CWMIDebugLog.h"
#include "platform/com/WbemConstants.h"
#include "platform/wmi/IWbemClassObject.h"

using brontel::utility::CWMIDebugLog;

namespace {
constexpr wchar_t kEventMapperSource[] = L"wpEventMapper";
}

CWmipEventMapper::CWmipEventMapper(IWbemContext* context, IWbemServices* services, const wchar_t* className)
    : CWmipMapper(context, services, className)
{
}

BOOL CWmipEventMapper::WMIStoresClassDefinition()
{
    return TRUE;
}

BOOL CWmipEventMapper::HandlesEvent(const bnt::utility::BntMessageEx& /*message*/)
{
    return FALSE;
}

HRESULT CWmipEventMapper::EventClass(IWbemClassObject** classObject)
{
    *classObject = nullptr;
    if (m_eventClass == nullptr)
    {
        ComPtr<IWbemClassObject> fetched;
        const HRESULT hr = CreateClass(&fetched, TRUE);
        if (FAILED(hr))
        {
            return hr;
        }
        if (fetched == nullptr)
        {
            return WBEM_E_FAILED;
        }
        m_eventClass = std::move(fetched);
    }
    *classObject = m_eventClass.Get();
    return S_OK;
}

HRESULT CWmipEventMapper::MapEvent(IWbemClassObject** event, const bnt::utility::BntMessageEx& message)
{
    if (event == nullptr)
    {
        return WBEM_E_INVALID_PARAMETER;
    }
    *event = nullptr;
    IWbemClassObject* eventClass = nullptr;
    HRESULT hr = EventClass(&eventClass);
    if (FAILED(hr))
    {
        return hr;
    }
    hr = eventClass->SpawnInstance(0, event);
    if (FAILED(hr))
    {
        CWMIDebugLog::LogError(kEventMapperSource, __LINE__, L"Error spawning instance of hardware event", hr);
        *event = nullptr;
        return hr;
    }
    const auto time = static_cast<__time32_t>(message.Get(bnt::utility::BntMessage::Time));
    WMIHelper::PutDateTime(*event, L"Time", Time32ToUTCOleDateTime(time), GetDoor());
    return hr;
}
