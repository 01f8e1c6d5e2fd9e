#include "provider/CWmipFireEventMapper.h"

#include "framework/WMIHelper.h"
#include "provider/HardwareEventRules.h"

using bnt::utility::BntMessage;
using bnt::utility::BntMessageEx;

CWmipFireEventMapper::CWmipFireEventMapper(IWbemContext* context, IWbemServices* services)
    : CWmipSecurityEventMapper(context, services, kClassName)
{
}

BOOL CWmipFireEventMapper::HandlesEvent(const BntMessageEx& message)
{
    return IsEventMessage(message) && message.Get(BntMessage::EventType) == kEventTypeFire ? TRUE : FALSE;
}

HRESULT CWmipFireEventMapper::MapEvent(IWbemClassObject** event, const BntMessageEx& message)
{
    const HRESULT hr = CWmipSecurityEventMapper::MapEvent(event, message);
    if (FAILED(hr))
    {
        return hr;
    }
    const bool hasParameter = message.Get(BntMessage::HasParameter) != 0;
    WMIHelper::PutNumber(*event, L"TroubleCode",
                         hasParameter ? static_cast<LONG>(message.Get(BntMessage::ParameterValue)) : -1);
    return hr;
}
