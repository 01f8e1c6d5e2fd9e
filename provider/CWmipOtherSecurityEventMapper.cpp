#include "provider/CWmipOtherSecurityEventMapper.h"

#include "provider/HardwareEventRules.h"

using bnt::utility::BntMessage;
using bnt::utility::BntMessageEx;

CWmipOtherSecurityEventMapper::CWmipOtherSecurityEventMapper(IWbemContext* context, IWbemServices* services)
    : CWmipSecurityEventMapper(context, services, kClassName)
{
}

BOOL CWmipOtherSecurityEventMapper::HandlesEvent(const BntMessageEx& message)
{
    return IsEventMessage(message) && IsOtherSecurityType(message.Get(BntMessage::EventType)) ? TRUE : FALSE;
}
