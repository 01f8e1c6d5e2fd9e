#include "provider/CWmipVideoEventMapper.h"

#include "framework/WMIHelper.h"
#include "inhouse/BntUtility/CWMIDebugLog.h"
#include "platform/mfc/CException.h"
#include "platform/mfc/CTime.h"
#include "platform/mfc/TimeStructs.h"
#include "provider/HardwareEventRules.h"

using bnt::utility::BntMessage;
using bnt::utility::BntMessageEx;
using brontel::utility::CWMIDebugLog;

namespace {
constexpr wchar_t kVideoEventMapperSource[] = L"wpVideoEventMapper";

// The SYSTEMTIME at a record offset as a time value: local wall-clock time, daylight saving
// left to the C library; a year below 1900 is the time value 0. Parts out of their ranges come
// from the record, not from a caller, so they give the time value 0 too rather than failing
// the event.
CTime TimeAt(const BntMessage& message, std::size_t offset)
{
    SYSTEMTIME time{};
    WORD* parts[] = {&time.wYear, &time.wMonth,  &time.wDayOfWeek, &time.wDay,
                     &time.wHour, &time.wMinute, &time.wSecond,    &time.wMilliseconds};
    for (std::size_t i = 0; i < std::size(parts); ++i)
    {
        *parts[i] = static_cast<WORD>(message.ReadI16(offset + 2 * i));
    }
    try
    {
        return CTime(time, -1);
    }
    catch (const CException& e)
    {
        CWMIDebugLog::LogError(kVideoEventMapperSource, __LINE__, L"Invalid video time in hardware event", E_FAIL, &e);
    }
    return CTime(0);
}
}  // namespace

CWmipVideoEventMapper::CWmipVideoEventMapper(IWbemContext* context, IWbemServices* services)
    : CWmipSecurityEventMapper(context, services, kClassName)
{
}

BOOL CWmipVideoEventMapper::HandlesEvent(const BntMessageEx& message)
{
    return IsEventMessage(message) && message.Get(BntMessage::EventType) == kEventTypeVideo ? TRUE : FALSE;
}

HRESULT CWmipVideoEventMapper::MapEvent(IWbemClassObject** event, const BntMessageEx& message)
{
    const HRESULT hr = CWmipSecurityEventMapper::MapEvent(event, message);
    if (FAILED(hr))
    {
        return hr;
    }
    WMIHelper::PutNumber(*event, L"Channel", static_cast<LONG>(message.ReadU32(kChannelOffset)));
    WMIHelper::PutDateTime(*event, L"EndTime", TimeAt(message, kEndTimeOffset), GetDoor());
    WMIHelper::PutDateTime(*event, L"StartTime", TimeAt(message, kStartTimeOffset), GetDoor());
    return hr;
}
