// CWmipWorkStationMapper: the mapper of Bnt_WorkStation, the workstations; viewing needs no right. Served by the
// framework from the schema registrations; the class cannot be written and has no methods.
//
// Built per request by its factory; the caller owns it. One request on one thread: no lock.
#pragma once

#include "framework/CWmipMapperSkeleton.h"

class CWmipWorkStationMapper : public CWmipMapperSkeleton<CWmipWorkStationMapper>
{
public:
    static constexpr const wchar_t* kWMIClassName = L"Bnt_WorkStation";

    CWmipWorkStationMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services);
};
