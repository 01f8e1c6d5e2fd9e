// ArrayTexts: the texts of a VT_ARRAY | VT_BSTR value in order (a NULL element as ""), so that
// tests compare a qualifier's or a property's string array with plain strings; empty for any
// other value. Header-only; the value keeps its array.
#pragma once

#include "platform/com/SafeArray.h"
#include "platform/com/Variant.h"

#include <string>
#include <vector>

namespace support {
inline std::vector<std::wstring> ArrayTexts(const VARIANT& value)
{
    std::vector<std::wstring> texts;
    if (value.vt != (VT_ARRAY | VT_BSTR))
        return texts;
    LONG lower = 0;
    LONG upper = -1;
    SafeArrayGetLBound(value.parray, 1, &lower);
    SafeArrayGetUBound(value.parray, 1, &upper);
    for (LONG i = lower; i <= upper; ++i)
    {
        BSTR text = nullptr;
        SafeArrayGetElement(value.parray, &i, &text);
        texts.emplace_back(text == nullptr ? L"" : text);
        SysFreeString(text);
    }
    return texts;
}
}  // namespace support
