// CWmipIntercomEventMapper: the mapper of Bnt_IntercomEvent: claims event messages of event type 10 and adds
// "IntercomData" and "LineNumber" from the event data to the common properties.
//
// Owned by the hardware event processor; used on its thread only.
#pragma once

#include "provider/CWmipSecurityEventMapper.h"

class CWmipIntercomEventMapper : public CWmipSecurityEventMapper
{
public:
    static constexpr wchar_t kClassName[] = L"Bnt_IntercomEvent";

    CWmipIntercomEventMapper(IWbemContext* context, IWbemServices* services);
    ~CWmipIntercomEventMapper() override = default;

    BOOL HandlesEvent(const bnt::utility::BntMessageEx& message) override;
    HRESULT MapEvent(IWbemClassObject** event, const bnt::utility::BntMessageEx& message) override;
};
