// CWmipFuncExecEventMapper: the mapper of Bnt_FunctionExecEvent: claims event messages of subtype 78 (any event type)
// and adds the function, its input arguments and the initiating event to the common properties.
//
// Owned by the hardware event processor; used on its thread only.
#pragma once

#include "provider/CWmipSecurityEventMapper.h"

class CWmipFuncExecEventMapper : public CWmipSecurityEventMapper
{
public:
    static constexpr wchar_t kClassName[] = L"Bnt_FunctionExecEvent";

    CWmipFuncExecEventMapper(IWbemContext* context, IWbemServices* services);
    ~CWmipFuncExecEventMapper() override = default;

    BOOL HandlesEvent(const bnt::utility::BntMessageEx& message) override;
    HRESULT MapEvent(IWbemClassObject** event, const bnt::utility::BntMessageEx& message) override;
};
