// WbemStatusName: the symbolic name of an HRESULT that WMI calls answer ("WBEM_E_NOT_FOUND"),
// for messages a person reads.
//
// Stateless; safe on any thread.
#pragma once

#include "platform/win32/WinTypes.h"

class WbemStatusName
{
public:
    WbemStatusName() = delete;

    // The WBEM_E_*, WBEM_S_* or common E_* name of the status; null when it has none. The text
    // is static.
    static const char* Of(HRESULT status);
};
