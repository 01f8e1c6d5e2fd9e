#include "provider/CWmipIntercomEventMapper.h"

#include "framework/WMIHelper.h"
#include "provider/HardwareEventRules.h"

using bnt::utility::BntMessage;
using bnt::utility::BntMessageEx;

CWmipIntercomEventMapper::CWmipIntercomEventMapper(IWbemContext* context, IWbemServices* services)
    : CWmipSecurityEventMapper(context, services, kClassName)
{
}

BOOL CWmipIntercomEventMapper::HandlesEvent(const BntMessageEx& message)
{
    return IsEventMessage(message) && message.Get(BntMessage::EventType) == kEventTypeIntercom ? TRUE : FALSE;
}

HRESULT CWmipIntercomEventMapper::MapEvent(IWbemClassObject** event, const BntMessageEx& message)
{
    const HRESULT hr = CWmipSecurityEventMapper::MapEvent(event, message);
    if (FAILED(hr))
    {
        return hr;
    }
    WMIHelper::PutNumber(*event, L"IntercomData", static_cast<LONG>(message.ReadU32(56)));
    WMIHelper::PutNumber(*event, L"LineNumber", static_cast<LONG>(message.ReadU32(60)));
    return hr;
}
