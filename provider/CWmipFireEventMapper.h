// CWmipFireEventMapper: the mapper of Bnt_FireEvent: claims event messages of event type 7 and adds
// "TroubleCode": the parameter value, -1 without one to the common properties.
//
// Owned by the hardware event processor; used on its thread only.
#pragma once

#include "provider/CWmipSecurityEventMapper.h"

class CWmipFireEventMapper : public CWmipSecurityEventMapper
{
public:
    static constexpr wchar_t kClassName[] = L"Bnt_FireEvent";

    CWmipFireEventMapper(IWbemContext* context, IWbemServices* services);
    ~CWmipFireEventMapper() override = default;

    BOOL HandlesEvent(const bnt::utility::BntMessageEx& message) override;
    HRESULT MapEvent(IWbemClassObject** event, const bnt::utility::BntMessageEx& message) override;
};
