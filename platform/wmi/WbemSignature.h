// WbemSignature: checks and prepares the "__PARAMETERS" in and out signature objects that a
// method is put with.
//
// Every parameter carries an "ID" qualifier (a non-negative sint32); a parameter that is both
// in and out has one ID in both; the IDs run 0, 1, 2, ... without gaps; the out parameter
// "ReturnValue" has none. Stateless; safe on any thread for objects no other thread changes.
#pragma once

#include "platform/com/Unknown.h"

class IWbemClassObject;
class WbemClassObject;

class WbemSignature
{
public:
    WbemSignature() = delete;

    // Checks both signatures (either may be null) and gives independent copies in which every
    // in parameter carries the qualifier "in" and every out parameter "out". WBEM_S_NO_ERROR;
    // WBEM_E_INVALID_PARAMETER for a signature that is not a class object of this
    // implementation; WBEM_E_MISSING_PARAMETER_ID, WBEM_E_INVALID_PARAMETER_ID,
    // WBEM_E_NONCONSECUTIVE_PARAMETER_IDS, WBEM_E_PARAMETER_ID_ON_RETVAL for bad IDs. The
    // copies stay empty on failure. Throws std::bad_alloc or _com_error on short memory.
    static HRESULT Prepare(IWbemClassObject* inSignature, IWbemClassObject* outSignature,
                           ComPtr<WbemClassObject>* inCopy, ComPtr<WbemClassObject>* outCopy);
};
