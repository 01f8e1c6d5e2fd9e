// CWmipVideoLayoutSourceMapper: the mapper of Bnt_VideoLayoutSource, the video sources of the layouts' cells; viewing
// needs no right. Served by the framework from the schema registrations; the class cannot be written and has no
// methods.
//
// Built per request by its factory; the caller owns it. One request on one thread: no lock.
#pragma once

#include "framework/CWmipMapperSkeleton.h"

class CWmipVideoLayoutSourceMapper : public CWmipMapperSkeleton<CWmipVideoLayoutSourceMapper>
{
public:
    static constexpr const wchar_t* kWMIClassName = L"Bnt_VideoLayoutSource";

    CWmipVideoLayoutSourceMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services);
};
