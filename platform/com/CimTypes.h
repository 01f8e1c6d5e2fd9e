// CIMTYPE: the property types of the management object model, with their Windows numbers.
//
// An array property carries CIM_FLAG_ARRAY on top of its element type. Header only; no state.
#pragma once

#include "platform/win32/WinTypes.h"

using CIMTYPE = LONG;

constexpr CIMTYPE CIM_ILLEGAL = 0xFFF;
constexpr CIMTYPE CIM_EMPTY = 0;
constexpr CIMTYPE CIM_SINT8 = 16;
constexpr CIMTYPE CIM_UINT8 = 17;
constexpr CIMTYPE CIM_SINT16 = 2;
constexpr CIMTYPE CIM_UINT16 = 18;
constexpr CIMTYPE CIM_SINT32 = 3;
constexpr CIMTYPE CIM_UINT32 = 19;
constexpr CIMTYPE CIM_SINT64 = 20;
constexpr CIMTYPE CIM_UINT64 = 21;
constexpr CIMTYPE CIM_REAL32 = 4;
constexpr CIMTYPE CIM_REAL64 = 5;
constexpr CIMTYPE CIM_BOOLEAN = 11;
constexpr CIMTYPE CIM_STRING = 8;
constexpr CIMTYPE CIM_DATETIME = 101;
constexpr CIMTYPE CIM_REFERENCE = 102;
constexpr CIMTYPE CIM_CHAR16 = 103;
constexpr CIMTYPE CIM_OBJECT = 13;
constexpr CIMTYPE CIM_FLAG_ARRAY = 0x2000;

// True for the eight integer types, sint8 to uint64; false for any other value, an array of
// integers included (clear CIM_FLAG_ARRAY first to ask about its elements).
constexpr bool IsIntegerCimType(CIMTYPE type)
{
    switch (type)
    {
    case CIM_SINT8:
    case CIM_UINT8:
    case CIM_SINT16:
    case CIM_UINT16:
    case CIM_SINT32:
    case CIM_UINT32:
    case CIM_SINT64:
    case CIM_UINT64:
        return true;
    default:
        return false;
    }
}
