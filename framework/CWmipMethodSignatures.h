// CWmipMethodSignatures: puts the registered methods of a class into a class definition, with
// "__PARAMETERS" in and out signatures of the definition's own implementation (the WMI-service
// stand-in's objects, or the bus front end's): parameters numbered by an "ID" qualifier, in
// parameters first, one ID per name, none on the out "ReturnValue", "key" on the in parameters
// of a method whose descriptor marks them so, and the method qualifier "implemented". Used for the registered
// definitions and for the definitions a mapper builds.
//
// Static functions; the caller owns the definition and uses it on one thread.
#pragma once

#include <map>

#include "framework/objects/CCorvessaMethodDescriptor.h"
#include "platform/mfc/CString.h"
#include "platform/win32/WinTypes.h"

class IWbemClassObject;

class CWmipMethodSignatures
{
public:
    CWmipMethodSignatures() = delete;

    // Adds every method of the list that the definition does not hold yet. S_OK; the first
    // failing HRESULT of a put; WBEM_E_INVALID_PARAMETER for a null definition.
    static HRESULT AddTo(const std::map<CString, CCorvessaMethodDescriptor>& methods, IWbemClassObject* definition);
};
