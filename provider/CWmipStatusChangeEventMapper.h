// CWmipStatusChangeEventMapper: the mapper of Bnt_StatusChangeEvent: claims event messages with data type 3 (any event
// type) and adds the new, old and communication status to the common properties.
//
// Owned by the hardware event processor; used on its thread only.
#pragma once

#include "provider/CWmipSecurityEventMapper.h"

class CWmipStatusChangeEventMapper : public CWmipSecurityEventMapper
{
public:
    static constexpr wchar_t kClassName[] = L"Bnt_StatusChangeEvent";

    CWmipStatusChangeEventMapper(IWbemContext* context, IWbemServices* services);
    ~CWmipStatusChangeEventMapper() override = default;

    BOOL HandlesEvent(const bnt::utility::BntMessageEx& message) override;
    HRESULT MapEvent(IWbemClassObject** event, const bnt::utility::BntMessageEx& message) override;
};
