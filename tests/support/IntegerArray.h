// IntegerArray: a VT_ARRAY | VT_I4 value holding the numbers in order, as a method's array
// parameter takes it (the access levels of AssignAccessLevel, for one).
//
// ArrayValue builds the same for any element type (bytes for a binary property).
// Header-only; the value owns its array.
#pragma once

#include "platform/com/SafeArray.h"
#include "platform/com/Variant.h"
#include "platform/win32/WinTypes.h"

#include <cstddef>
#include <cstring>
#include <vector>

namespace support {
// A VT_ARRAY | `type` value holding `items` in order; `type` is the element type T stands for.
template <typename T>
_variant_t ArrayValue(VARTYPE type, const std::vector<T>& items)
{
    SAFEARRAY* array = SafeArrayCreateVector(type, 0, static_cast<ULONG>(items.size()));
    void* data = nullptr;
    if (array != nullptr && !items.empty() && SUCCEEDED(SafeArrayAccessData(array, &data)))
    {
        std::memcpy(data, items.data(), items.size() * sizeof(T));
        SafeArrayUnaccessData(array);
    }
    VARIANT value;
    VariantInit(&value);
    value.vt = static_cast<VARTYPE>(VT_ARRAY | type);
    value.parray = array;
    _variant_t result;
    result.Attach(value);
    return result;
}

inline _variant_t IntegerArray(const std::vector<LONG>& numbers)
{
    return ArrayValue(VT_I4, numbers);
}
}  // namespace support
