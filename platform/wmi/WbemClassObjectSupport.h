// The parts of WbemClassObject's implementation that its property, method and core files share:
// the system properties every object answers, and handing a text out as a new BSTR.
#pragma once

#include "platform/com/Bstr.h"
#include "platform/com/CimTypes.h"

#include <array>
#include <string>
#include <string_view>

struct WbemSystemProperty
{
    const wchar_t* name;
    CIMTYPE type;
};

// The system properties in the order WMI lists them.
inline constexpr std::array<WbemSystemProperty, 10> kWbemSystemProperties = {{
    {L"__GENUS", CIM_SINT32},
    {L"__CLASS", CIM_STRING},
    {L"__SUPERCLASS", CIM_STRING},
    {L"__DYNASTY", CIM_STRING},
    {L"__RELPATH", CIM_STRING},
    {L"__PROPERTY_COUNT", CIM_SINT32},
    {L"__DERIVATION", CIM_STRING | CIM_FLAG_ARRAY},
    {L"__SERVER", CIM_STRING},
    {L"__NAMESPACE", CIM_STRING},
    {L"__PATH", CIM_STRING},
}};

// The system property of that name (any case), or null.
const WbemSystemProperty* FindWbemSystemProperty(std::wstring_view name);

// Hands `text` out as a new BSTR in *out; WBEM_E_OUT_OF_MEMORY when it cannot be allocated.
HRESULT GiveWbemText(const std::wstring& text, BSTR* out);
