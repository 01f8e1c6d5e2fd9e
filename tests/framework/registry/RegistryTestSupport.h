// Helpers of the registry tests: reading qualifiers back from a class definition, and factories
// that record how they were called instead of building a mapper.
#pragma once

#include <atomic>
#include <optional>
#include <string>
#include <vector>

#include "framework/CWMITypeInfo.h"
#include "framework/CWmipClassMapper.h"
#include "framework/CWmipMapperRegistry.h"
#include "platform/com/Variant.h"
#include "platform/com/WbemConstants.h"
#include "tests/support/ArrayTexts.h"

namespace registry_test {

// The qualifier of a property of the type's current definition; VT_EMPTY when absent.
inline _variant_t PropertyQualifier(CWMITypeInfo& type, const wchar_t* property, const wchar_t* name)
{
    _variant_t value;
    IWbemQualifierSet* qualifiers = nullptr;
    if (type.GetTypeInformation()->GetPropertyQualifierSet(property, &qualifiers) != WBEM_S_NO_ERROR)
    {
        return value;
    }
    qualifiers->Get(name, 0, &value, nullptr);
    qualifiers->Release();
    return value;
}

inline bool HasPropertyQualifier(CWMITypeInfo& type, const wchar_t* property, const wchar_t* name)
{
    return PropertyQualifier(type, property, name).vt != VT_EMPTY;
}

// The texts of a BSTR array value ({"<not an array>"} otherwise).
inline std::vector<std::wstring> Strings(const _variant_t& value)
{
    if (value.vt != (VT_ARRAY | VT_BSTR))
    {
        return {L"<not an array>"};
    }
    return support::ArrayTexts(value);
}

// A factory that builds no mapper but counts its calls and keeps the last arguments.
struct RecordingFactory
{
    std::atomic<int> calls{0};
    const CAcsUser* user = nullptr;
    IWbemContext* context = nullptr;
    IWbemServices* services = nullptr;
    std::optional<Door> door;

    MapperFactory Get()
    {
        return [this](const CAcsUser* u, IWbemContext* c, IWbemServices* s, Door d) -> CWmipClassMapper* {
            ++calls;
            user = u;
            context = c;
            services = s;
            door = d;
            return nullptr;
        };
    }
};

}  // namespace registry_test
