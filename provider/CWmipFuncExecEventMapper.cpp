#include "provider/CWmipFuncExecEventMapper.h"

#include "framework/WMIHelper.h"
#include "provider/HardwareEventRules.h"

using bnt::utility::BntMessage;
using bnt::utility::BntMessageEx;

CWmipFuncExecEventMapper::CWmipFuncExecEventMapper(IWbemContext* context, IWbemServices* services)
    : CWmipSecurityEventMapper(context, services, kClassName)
{
}

BOOL CWmipFuncExecEventMapper::HandlesEvent(const BntMessageEx& message)
{
    return IsEventMessage(message) && message.Get(BntMessage::EventSubtype) == kSubtypeFunctionExecution ? TRUE : FALSE;
}

HRESULT CWmipFuncExecEventMapper::MapEvent(IWbemClassObject** event, const BntMessageEx& message)
{
    const HRESULT hr = CWmipSecurityEventMapper::MapEvent(event, message);
    if (FAILED(hr))
    {
        return hr;
    }
    WMIHelper::PutNumber(*event, L"FunctionID", static_cast<LONG>(message.Get(BntMessage::Detail1)));
    WMIHelper::PutNumber(*event, L"FunctionInputArguments", static_cast<LONG>(message.Get(BntMessage::Detail2)));
    WMIHelper::PutNumber(*event, L"InitiatingEventID", static_cast<LONG>(message.Get(BntMessage::InitiatingEventID)));
    return hr;
}
