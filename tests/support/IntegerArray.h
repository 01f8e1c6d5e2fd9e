// IntegerArray: a VT_ARRAY | VT_I4 value holding the numbers in order, as a method's array
// parameter takes it (the access levels of AssignAccessLevel, for one).
//
// Header-only; the value owns its array.
#pragma once

#include "platform/com/SafeArray.h"
#include "platform/com/Variant.h"
#include "platform/win32/WinTypes.h"

#include <cstddef>
#include <vector>

namespace support {
inline _variant_t IntegerArray(const std::vector<LONG>& numbers)
{
    SAFEARRAY* array = SafeArrayCreateVector(VT_I4, 0, static_cast<ULONG>(numbers.size()));
    for (LONG i = 0; i < static_cast<LONG>(numbers.size()); ++i)
    {
        LONG number = numbers[static_cast<std::size_t>(i)];
        SafeArrayPutElement(array, &i, &number);
    }
    VARIANT value;
    VariantInit(&value);
    value.vt = VT_ARRAY | VT_I4;
    value.parray = array;
    _variant_t result;
    result.Attach(value);
    return result;
}
}  // namespace support
