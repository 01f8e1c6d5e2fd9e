// WmiTypeNameTable: the names by which the message bus describes the type of a WMI property or
// parameter, in their fixed index order, and the look-up from a CIM type to its name.
//
// Constant data: usable from any static initialiser and any thread without a lock.
#pragma once

#include <array>
#include <string_view>

#include "platform/com/CimTypes.h"

inline constexpr std::array<std::string_view, 10> WmiTypeNameTable{
    "string",             // 0
    "bool",               // 1
    "int32",              // 2
    "int64",              // 3
    "int8",               // 4
    "datetime (string)",  // 5
    "binary (map)",       // 6
    "object",             // 7
    "float",              // 8
    "double",             // 9
};

// Result: the bus name of cimType, a view into WmiTypeNameTable (valid for the whole process):
// string, boolean, sint32 and uint32, sint64, uint8, datetime, object, real32, real64, and a
// uint8 array ("binary (map)"). Any other type (references, other arrays, the 8- and 16-bit
// and unsigned 64-bit types) throws UnsupportedWmiTypeError.
std::string_view LookupWmiTypeName(CIMTYPE cimType);
