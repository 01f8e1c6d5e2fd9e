// CWmipOtherSecurityEventMapper: the mapper of Bnt_OtherSecurityEvent: claims event messages of event types 4, 5 and 19
// to 30; the event carries the common properties only.
//
// Owned by the hardware event processor; used on its thread only.
#pragma once

#include "provider/CWmipSecurityEventMapper.h"

class CWmipOtherSecurityEventMapper : public CWmipSecurityEventMapper
{
public:
    static constexpr wchar_t kClassName[] = L"Bnt_OtherSecurityEvent";

    CWmipOtherSecurityEventMapper(IWbemContext* context, IWbemServices* services);
    ~CWmipOtherSecurityEventMapper() override = default;

    BOOL HandlesEvent(const bnt::utility::BntMessageEx& message) override;
};
