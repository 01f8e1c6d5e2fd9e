#include "provider/CWmipStatusChangeEventMapper.h"

#include "framework/WMIHelper.h"
#include "provider/HardwareEventRules.h"

using bnt::utility::BntMessage;
using bnt::utility::BntMessageEx;

CWmipStatusChangeEventMapper::CWmipStatusChangeEventMapper(IWbemContext* context, IWbemServices* services)
    : CWmipSecurityEventMapper(context, services, kClassName)
{
}

BOOL CWmipStatusChangeEventMapper::HandlesEvent(const BntMessageEx& message)
{
    return IsEventMessage(message) && message.Get(BntMessage::DataType) == kDataTypeStatusChange ? TRUE : FALSE;
}

HRESULT CWmipStatusChangeEventMapper::MapEvent(IWbemClassObject** event, const BntMessageEx& message)
{
    const HRESULT hr = CWmipSecurityEventMapper::MapEvent(event, message);
    if (FAILED(hr))
    {
        return hr;
    }
    WMIHelper::PutNumber(*event, L"NewStatus", message.ReadU8(56));
    WMIHelper::PutNumber(*event, L"OldStatus", message.ReadU8(57));
    WMIHelper::PutNumber(*event, L"CommunicationStatus", message.ReadI16(58));
    return hr;
}
