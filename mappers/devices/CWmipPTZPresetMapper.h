// CWmipPTZPresetMapper: the mapper of Bnt_PTZPreset, the preset positions of the PTZ cameras; viewing needs 0x30000026.
// Served by the framework from the schema registrations; the class cannot be written and has no methods.
//
// Built per request by its factory; the caller owns it. One request on one thread: no lock.
#pragma once

#include "framework/CWmipMapperSkeleton.h"

class CWmipPTZPresetMapper : public CWmipMapperSkeleton<CWmipPTZPresetMapper>
{
public:
    static constexpr const wchar_t* kWMIClassName = L"Bnt_PTZPreset";

    CWmipPTZPresetMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services);
};
