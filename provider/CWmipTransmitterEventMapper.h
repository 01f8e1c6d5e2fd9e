// CWmipTransmitterEventMapper: the mapper of Bnt_TransmitterEvent: claims event messages of event type 12 and adds
// the transmitter identifiers and "VerifiedAlarm" to the common properties.
//
// Owned by the hardware event processor; used on its thread only.
#pragma once

#include "provider/CWmipSecurityEventMapper.h"

class CWmipTransmitterEventMapper : public CWmipSecurityEventMapper
{
public:
    static constexpr wchar_t kClassName[] = L"Bnt_TransmitterEvent";

    CWmipTransmitterEventMapper(IWbemContext* context, IWbemServices* services);
    ~CWmipTransmitterEventMapper() override = default;

    BOOL HandlesEvent(const bnt::utility::BntMessageEx& message) override;
    HRESULT MapEvent(IWbemClassObject** event, const bnt::utility::BntMessageEx& message) override;
};
