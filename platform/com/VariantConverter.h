// VariantConverter: the type rules and value conversions behind VariantClear, VariantCopy and
// VariantChangeType(Ex).
//
// Used only inside the COM layer. Stateless; every function is safe on any thread for values
// that are not shared.
#pragma once

#include "platform/com/Variant.h"

class VariantConverter
{
public:
    // True when a VARIANT may carry `type`: a plain value type, VT_ARRAY with a SAFEARRAY element
    // type, or VT_BYREF over either (VT_BYREF | VT_VARIANT included).
    static bool IsValidVariantType(VARTYPE type);

    // Converts `source` to `type` into `result`, which is fresh storage the caller clears. S_OK or
    // the failure VariantChangeType documents; on failure `result` holds nothing to free.
    static HRESULT Convert(const VARIANT& source, VARTYPE type, USHORT flags, VARIANT& result);
};
