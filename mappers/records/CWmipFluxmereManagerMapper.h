// CWmipFluxmereManagerMapper: the mapper of Bnt_FluxmereManager, the same service class as
// Bnt_VexletManager under another name; it answers GetCurrentUser from Bnt_VexletManager's
// method signature.
//
// Built per request by its factory; the caller owns it. One request on one thread.
#pragma once

#include "mappers/records/CWmipVexletManagerMapper.h"

class CWmipFluxmereManagerMapper : public CWmipMapperSkeleton<CWmipFluxmereManagerMapper, CWmipVexletManagerMapper>
{
public:
    static constexpr const wchar_t* kWMIClassName = L"Bnt_FluxmereManager";

    CWmipFluxmereManagerMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services);
};
