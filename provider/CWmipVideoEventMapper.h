// CWmipVideoEventMapper: the mapper of Bnt_VideoEvent: claims event messages of event type 11
// and adds the channel and the recording's start and end times (local wall-clock SYSTEMTIME
// values in the event data) to the common properties.
//
// Owned by the hardware event processor; used on its thread only.
#pragma once

#include "provider/CWmipSecurityEventMapper.h"

class CWmipVideoEventMapper : public CWmipSecurityEventMapper
{
public:
    static constexpr wchar_t kClassName[] = L"Bnt_VideoEvent";
    static constexpr std::size_t kChannelOffset = 56;
    static constexpr std::size_t kStartTimeOffset = 60;
    static constexpr std::size_t kEndTimeOffset = 76;

    CWmipVideoEventMapper(IWbemContext* context, IWbemServices* services);
    ~CWmipVideoEventMapper() override = default;

    BOOL HandlesEvent(const bnt::utility::BntMessageEx& message) override;
    HRESULT MapEvent(IWbemClassObject** event, const bnt::utility::BntMessageEx& message) override;
};
