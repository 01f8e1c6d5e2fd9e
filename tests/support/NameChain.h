// NameChain: what the sweeps say of a declared class whose mapper the WMI door's name chain does
// not build (BindOutsideChain in schema/MapperBindings.cpp), read from the bindings that decide
// it, so each sweep that cannot reach such a class gives the same reason.
//
// Reads constant tables; safe on any thread.
#pragma once

#include <string_view>

#include "schema/MapperBindings.h"

namespace support {

// The reason a sweep gives for a class it cannot reach through the WMI door.
inline constexpr char kNotInTheNameChain[] = "the WMI door's name chain does not build its mapper";

// The binding among the bound mappers that serves className; null when none does.
inline const MapperBinding* BindingServing(std::wstring_view className)
{
    for (const MapperBinding& binding : MapperBindings::GetBound())
        if (className == binding.wmiClass)
            return &binding;
    return nullptr;
}

}  // namespace support
