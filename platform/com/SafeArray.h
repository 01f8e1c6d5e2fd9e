// SAFEARRAY: the bounded, typed, multi-dimensional array of OLE automation.
//
// Created by SafeArrayCreate(Vector) and owned by the caller (or by the VARIANT it is put in)
// until SafeArrayDestroy, which also frees its BSTR, VARIANT and interface elements. Elements
// are stored column-major (the first index varies fastest) and zero-initialised. Sizes from
// outside are checked: at most kMaxSafeArrayDims dimensions and kMaxSafeArrayElements elements,
// and every upper bound must fit a LONG. A SAFEARRAY is not thread-safe.
#pragma once

#include "platform/com/Variant.h"
#include "platform/win32/WinTypes.h"

#include <cstddef>
#include <memory>
#include <vector>

constexpr USHORT kMaxSafeArrayDims = 32;
constexpr ULONG kMaxSafeArrayElements = 1u << 24;
// AccessData beyond this many outstanding locks fails, as on Windows.
constexpr ULONG kMaxSafeArrayLocks = 0xFFFF;

constexpr USHORT FADF_HAVEVARTYPE = 0x0080;
constexpr USHORT FADF_BSTR = 0x0100;
constexpr USHORT FADF_UNKNOWN = 0x0200;
constexpr USHORT FADF_VARIANT = 0x0800;

struct SAFEARRAYBOUND
{
    ULONG cElements;
    LONG lLbound;
};

struct SAFEARRAY
{
    USHORT cDims = 0;
    USHORT fFeatures = 0;
    ULONG cbElements = 0;
    ULONG cLocks = 0;
    // Valid while the array lives and, by contract, read or written only between
    // SafeArrayAccessData and SafeArrayUnaccessData.
    PVOID pvData = nullptr;
    // As on Windows, rgsabound[0] is the last (rightmost) dimension.
    std::vector<SAFEARRAYBOUND> rgsabound;
    // The element type (FADF_HAVEVARTYPE).
    VARTYPE vt = VT_EMPTY;
    // The element storage pvData points into.
    std::unique_ptr<std::byte[]> storage;
};
using LPSAFEARRAY = SAFEARRAY*;

// The byte size of one element of `type`; 0 when a SAFEARRAY cannot hold that type (the element
// types are VT_I1, VT_UI1, VT_I2, VT_UI2, VT_BOOL, VT_I4, VT_UI4, VT_R4, VT_I8, VT_UI8, VT_R8,
// VT_DATE, VT_BSTR, VT_VARIANT and VT_UNKNOWN).
ULONG SafeArrayElementSize(VARTYPE type);

// A new zeroed array of `dims` dimensions with bounds given first dimension first; null for an
// unsupported element type, zero or too many dimensions, a null bound list, an upper bound
// beyond LONG, more than kMaxSafeArrayElements elements, or short memory.
SAFEARRAY* SafeArrayCreate(VARTYPE type, UINT dims, const SAFEARRAYBOUND* bounds);

// A new one-dimensional array; null as for SafeArrayCreate.
SAFEARRAY* SafeArrayCreateVector(VARTYPE type, LONG lowerBound, ULONG elements);

// Frees the array and its elements. S_OK (also for null); DISP_E_ARRAYISLOCKED while
// AccessData is outstanding (the array stays intact).
HRESULT SafeArrayDestroy(SAFEARRAY* array);

// The number of dimensions; 0 for null.
UINT SafeArrayGetDim(SAFEARRAY* array);

// The bounds of dimension `dim` (1 is the first). S_OK; E_INVALIDARG for null arguments;
// DISP_E_BADINDEX for a dimension the array does not have.
HRESULT SafeArrayGetLBound(SAFEARRAY* array, UINT dim, LONG* lowerBound);
HRESULT SafeArrayGetUBound(SAFEARRAY* array, UINT dim, LONG* upperBound);

// The element type. S_OK; E_INVALIDARG for null arguments.
HRESULT SafeArrayGetVartype(SAFEARRAY* array, VARTYPE* type);

// Copies the element at `indices` (one per dimension, first dimension first) into *value, which
// is treated as fresh storage: a BSTR or VARIANT element arrives as a new copy and an interface
// with a reference added, all owned by the caller. S_OK; E_INVALIDARG for null arguments;
// DISP_E_BADINDEX for an index outside the bounds; E_OUTOFMEMORY.
HRESULT SafeArrayGetElement(SAFEARRAY* array, const LONG* indices, void* value);

// Stores a copy of *value at `indices`, freeing the element it replaces. `value` points at the
// element value, except for BSTR and interface arrays, where it is the BSTR or IUnknown* itself.
// Results as for SafeArrayGetElement; on failure the element is unchanged.
HRESULT SafeArrayPutElement(SAFEARRAY* array, const LONG* indices, void* value);

// Locks the array and gives its element storage. S_OK; E_INVALIDARG for null arguments;
// E_UNEXPECTED past kMaxSafeArrayLocks locks. Each success needs one SafeArrayUnaccessData.
HRESULT SafeArrayAccessData(SAFEARRAY* array, void** data);
// Gives back one lock. S_OK; E_INVALIDARG for null; E_UNEXPECTED when it is not locked.
HRESULT SafeArrayUnaccessData(SAFEARRAY* array);

// A deep copy (elements copied as SafeArrayGetElement does) in *copy; null source gives null.
// S_OK; E_INVALIDARG for a null out-pointer; E_OUTOFMEMORY (*copy null).
HRESULT SafeArrayCopy(SAFEARRAY* array, SAFEARRAY** copy);

// Changes the bounds of the last (rightmost) dimension, keeping the elements that remain in range
// and freeing the ones dropped; new elements are zero. S_OK; E_INVALIDARG for null arguments or
// an upper bound beyond LONG; E_OUTOFMEMORY beyond kMaxSafeArrayElements or for short memory;
// DISP_E_ARRAYISLOCKED while locked. On failure the array is unchanged.
HRESULT SafeArrayRedim(SAFEARRAY* array, const SAFEARRAYBOUND* newBound);
