#include "schema/WmiTypeNameTable.h"

#include "schema/UnsupportedWmiTypeError.h"

std::string_view LookupWmiTypeName(CIMTYPE cimType)
{
    switch (cimType)
    {
    case CIM_STRING:
        return WmiTypeNameTable[0];
    case CIM_BOOLEAN:
        return WmiTypeNameTable[1];
    case CIM_SINT32:
    case CIM_UINT32:
        return WmiTypeNameTable[2];
    case CIM_SINT64:
        return WmiTypeNameTable[3];
    case CIM_UINT8:
        return WmiTypeNameTable[4];
    case CIM_DATETIME:
        return WmiTypeNameTable[5];
    case CIM_UINT8 | CIM_FLAG_ARRAY:
        return WmiTypeNameTable[6];
    case CIM_OBJECT:
        return WmiTypeNameTable[7];
    case CIM_REAL32:
        return WmiTypeNameTable[8];
    case CIM_REAL64:
        return WmiTypeNameTable[9];
    default:
        throw UnsupportedWmiTypeError(cimType);
    }
}
