#include "provider/CWmipTransmitterEventMapper.h"

#include "framework/WMIHelper.h"
#include "provider/HardwareEventRules.h"

using bnt::utility::BntMessage;
using bnt::utility::BntMessageEx;

CWmipTransmitterEventMapper::CWmipTransmitterEventMapper(IWbemContext* context, IWbemServices* services)
    : CWmipSecurityEventMapper(context, services, kClassName)
{
}

BOOL CWmipTransmitterEventMapper::HandlesEvent(const BntMessageEx& message)
{
    return IsEventMessage(message) && message.Get(BntMessage::EventType) == kEventTypeTransmitter ? TRUE : FALSE;
}

HRESULT CWmipTransmitterEventMapper::MapEvent(IWbemClassObject** event, const BntMessageEx& message)
{
    const HRESULT hr = CWmipSecurityEventMapper::MapEvent(event, message);
    if (FAILED(hr))
    {
        return hr;
    }
    WMIHelper::PutNumber(*event, L"TransmitterID", static_cast<LONG>(message.Get(BntMessage::TransmitterID)));
    WMIHelper::PutNumber(*event, L"TransmitterBaseID", static_cast<LONG>(message.ReadU32(56)));
    WMIHelper::PutNumber(*event, L"TransmitterInputID", static_cast<LONG>(message.Get(BntMessage::TransmitterInputID)));
    WMIHelper::PutBool(*event, L"VerifiedAlarm",
                       message.Get(BntMessage::HasParameter) != 0 && message.Get(BntMessage::ParameterValue) != 0);
    return hr;
}
