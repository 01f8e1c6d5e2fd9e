#include "tests/support/PropertyText.h"

#include "inhouse/BntUtility/StringConversion.h"
#include "platform/com/Variant.h"

namespace support {
std::string PropertyText(IWbemClassObject* object, const wchar_t* property)
{
    if (object == nullptr)
        return "<no object>";
    _variant_t value;
    if (FAILED(object->Get(property, 0, &value, nullptr, nullptr)))
        return "<missing>";
    const VARIANT& raw = value;
    if (raw.vt == VT_NULL || raw.vt == VT_EMPTY)
        return "<null>";
    if (raw.vt == VT_BOOL)
        return raw.boolVal != VARIANT_FALSE ? "1" : "0";
    if (raw.vt == (VT_ARRAY | VT_UI1) && raw.parray != nullptr)
        return "bytes:" + std::to_string(raw.parray->rgsabound[0].cElements);
    _variant_t text;
    if (FAILED(VariantChangeType(&text, &value, 0, VT_BSTR)))
        return "<unconvertible>";
    const BSTR chars = static_cast<const VARIANT&>(text).bstrVal;
    return brontel::utility::WideToUtf8(std::wstring_view(chars == nullptr ? L"" : chars, SysStringLen(chars)));
}

CString PropertyCString(IWbemClassObject* object, const wchar_t* property)
{
    return brontel::utility::ConvertUtf8ToCString(PropertyText(object, property));
}
}  // namespace support
