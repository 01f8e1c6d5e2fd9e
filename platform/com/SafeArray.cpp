#include "platform/com/SafeArray.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <limits>
#include <new>
#include <utility>

namespace {

static_assert(sizeof(VARIANT) >= sizeof(BSTR) && sizeof(VARIANT) >= sizeof(double),
              "a VARIANT-sized buffer holds any element");

using BoundList = std::array<SAFEARRAYBOUND, kMaxSafeArrayDims>;

USHORT FeaturesOf(VARTYPE type)
{
    switch (type)
    {
    case VT_BSTR:
        return FADF_HAVEVARTYPE | FADF_BSTR;
    case VT_UNKNOWN:
        return FADF_HAVEVARTYPE | FADF_UNKNOWN;
    case VT_VARIANT:
        return FADF_HAVEVARTYPE | FADF_VARIANT;
    default:
        return FADF_HAVEVARTYPE;
    }
}

// False when the dimension's upper bound would not fit a LONG.
bool BoundFits(const SAFEARRAYBOUND& bound)
{
    return bound.cElements == 0 ||
           static_cast<std::int64_t>(bound.lLbound) + bound.cElements - 1 <= std::numeric_limits<LONG>::max();
}

// The element count of all dimensions; false when a bound is unusable or the count passes
// kMaxSafeArrayElements (checked per step, so hostile counts cannot overflow the product).
bool CountElements(const SAFEARRAYBOUND* bounds, UINT dims, ULONG& total)
{
    std::uint64_t count = 1;
    for (UINT i = 0; i < dims; ++i)
    {
        if (!BoundFits(bounds[i]))
            return false;
        count *= bounds[i].cElements;
        if (count > kMaxSafeArrayElements)
            return false;
    }
    total = static_cast<ULONG>(count);
    return true;
}

ULONG ElementCount(const SAFEARRAY& array)
{
    ULONG total = 0;
    CountElements(array.rgsabound.data(), array.cDims, total);
    return total;
}

std::byte* ElementAt(const SAFEARRAY& array, std::size_t index)
{
    return static_cast<std::byte*>(array.pvData) + index * array.cbElements;
}

// Zeroed storage for `count` elements, or null when memory is short.
std::unique_ptr<std::byte[]> AllocateElements(ULONG count, ULONG elementSize)
{
    try
    {
        return std::make_unique<std::byte[]>(static_cast<std::size_t>(count) * elementSize);
    }
    catch (const std::bad_alloc&)
    {
        return nullptr;
    }
}

void FreeElement(VARTYPE type, std::byte* element)
{
    switch (type)
    {
    case VT_BSTR:
        SysFreeString(*reinterpret_cast<BSTR*>(element));
        *reinterpret_cast<BSTR*>(element) = nullptr;
        break;
    case VT_UNKNOWN:
        if (IUnknown* object = std::exchange(*reinterpret_cast<IUnknown**>(element), nullptr))
            object->Release();
        break;
    case VT_VARIANT:
        VariantClear(reinterpret_cast<VARIANT*>(element));
        break;
    default:
        break;
    }
}

void FreeElements(const SAFEARRAY& array, std::size_t first, std::size_t end)
{
    for (std::size_t i = first; i < end; ++i)
        FreeElement(array.vt, ElementAt(array, i));
}

// Copies one element into fresh storage: BSTRs and VARIANTs are duplicated, interfaces gain a
// reference. S_OK or E_OUTOFMEMORY (nothing written).
HRESULT CopyElement(VARTYPE type, ULONG size, const void* source, void* target)
{
    switch (type)
    {
    case VT_BSTR: {
        const BSTR text = *static_cast<const BSTR*>(source);
        BSTR copy = nullptr;
        if (text != nullptr)
        {
            copy = SysAllocStringLen(text, SysStringLen(text));
            if (copy == nullptr)
                return E_OUTOFMEMORY;
        }
        std::memcpy(target, &copy, sizeof(copy));
        return S_OK;
    }
    case VT_UNKNOWN: {
        IUnknown* object = *static_cast<IUnknown* const*>(source);
        if (object != nullptr)
            object->AddRef();
        std::memcpy(target, &object, sizeof(object));
        return S_OK;
    }
    case VT_VARIANT: {
        VARIANT copy;
        VariantInit(&copy);
        const HRESULT result = VariantCopy(&copy, static_cast<const VARIANT*>(source));
        if (SUCCEEDED(result))
            std::memcpy(target, &copy, sizeof(copy));
        return result;
    }
    default:
        std::memcpy(target, source, size);
        return S_OK;
    }
}

// The storage index of the element at `indices` (first dimension first, varying fastest);
// false when an index is outside its bounds.
bool LinearIndex(const SAFEARRAY& array, const LONG* indices, std::size_t& index)
{
    std::size_t linear = 0;
    std::size_t stride = 1;
    for (UINT dim = 0; dim < array.cDims; ++dim)
    {
        const SAFEARRAYBOUND& bound = array.rgsabound[array.cDims - 1 - dim];
        const std::int64_t offset = static_cast<std::int64_t>(indices[dim]) - bound.lLbound;
        if (offset < 0 || offset >= static_cast<std::int64_t>(bound.cElements))
            return false;
        linear += static_cast<std::size_t>(offset) * stride;
        stride *= bound.cElements;
    }
    index = linear;
    return true;
}

HRESULT GetBound(SAFEARRAY* array, UINT dim, LONG* result, bool upper)
{
    if (array == nullptr || result == nullptr)
        return E_INVALIDARG;
    if (dim < 1 || dim > array->cDims)
        return DISP_E_BADINDEX;
    const SAFEARRAYBOUND& bound = array->rgsabound[array->cDims - dim];
    *result = upper ? static_cast<LONG>(static_cast<std::int64_t>(bound.lLbound) + bound.cElements - 1) : bound.lLbound;
    return S_OK;
}

}  // namespace

ULONG SafeArrayElementSize(VARTYPE type)
{
    switch (type)
    {
    case VT_I1:
    case VT_UI1:
        return 1;
    case VT_I2:
    case VT_UI2:
    case VT_BOOL:
        return 2;
    case VT_I4:
    case VT_UI4:
    case VT_R4:
        return 4;
    case VT_I8:
    case VT_UI8:
    case VT_R8:
    case VT_DATE:
        return 8;
    case VT_BSTR:
        return sizeof(BSTR);
    case VT_UNKNOWN:
        return sizeof(IUnknown*);
    case VT_VARIANT:
        return sizeof(VARIANT);
    default:
        return 0;
    }
}

SAFEARRAY* SafeArrayCreate(VARTYPE type, UINT dims, const SAFEARRAYBOUND* bounds)
{
    const ULONG elementSize = SafeArrayElementSize(type);
    ULONG total = 0;
    if (elementSize == 0 || dims == 0 || dims > kMaxSafeArrayDims || bounds == nullptr ||
        !CountElements(bounds, dims, total))
        return nullptr;
    try
    {
        auto array = std::make_unique<SAFEARRAY>();
        array->cDims = static_cast<USHORT>(dims);
        array->fFeatures = FeaturesOf(type);
        array->cbElements = elementSize;
        array->vt = type;
        array->rgsabound.assign(bounds, bounds + dims);
        std::reverse(array->rgsabound.begin(), array->rgsabound.end());
        array->storage = AllocateElements(total, elementSize);
        if (array->storage == nullptr)
            return nullptr;
        array->pvData = array->storage.get();
        return array.release();
    }
    catch (const std::bad_alloc&)
    {
        return nullptr;
    }
}

SAFEARRAY* SafeArrayCreateVector(VARTYPE type, LONG lowerBound, ULONG elements)
{
    const SAFEARRAYBOUND bound{elements, lowerBound};
    return SafeArrayCreate(type, 1, &bound);
}

HRESULT SafeArrayDestroy(SAFEARRAY* array)
{
    if (array == nullptr)
        return S_OK;
    if (array->cLocks > 0)
        return DISP_E_ARRAYISLOCKED;
    std::unique_ptr<SAFEARRAY> owned(array);
    FreeElements(*owned, 0, ElementCount(*owned));
    return S_OK;
}

UINT SafeArrayGetDim(SAFEARRAY* array)
{
    return array == nullptr ? 0 : array->cDims;
}

HRESULT SafeArrayGetLBound(SAFEARRAY* array, UINT dim, LONG* lowerBound)
{
    return GetBound(array, dim, lowerBound, false);
}

HRESULT SafeArrayGetUBound(SAFEARRAY* array, UINT dim, LONG* upperBound)
{
    return GetBound(array, dim, upperBound, true);
}

HRESULT SafeArrayGetVartype(SAFEARRAY* array, VARTYPE* type)
{
    if (array == nullptr || type == nullptr)
        return E_INVALIDARG;
    *type = array->vt;
    return S_OK;
}

HRESULT SafeArrayGetElement(SAFEARRAY* array, const LONG* indices, void* value)
{
    if (array == nullptr || indices == nullptr || value == nullptr)
        return E_INVALIDARG;
    std::size_t index = 0;
    if (!LinearIndex(*array, indices, index))
        return DISP_E_BADINDEX;
    return CopyElement(array->vt, array->cbElements, ElementAt(*array, index), value);
}

HRESULT SafeArrayPutElement(SAFEARRAY* array, const LONG* indices, void* value)
{
    if (array == nullptr || indices == nullptr)
        return E_INVALIDARG;
    // A null BSTR or interface is a value of its own; every other type needs storage to read.
    if (value == nullptr && array->vt != VT_BSTR && array->vt != VT_UNKNOWN)
        return E_INVALIDARG;
    std::size_t index = 0;
    if (!LinearIndex(*array, indices, index))
        return DISP_E_BADINDEX;
    // BSTR and interface arrays are handed the value itself, every other type a pointer to it.
    BSTR text = static_cast<BSTR>(value);
    IUnknown* object = static_cast<IUnknown*>(value);
    const void* source = value;
    if (array->vt == VT_BSTR)
        source = &text;
    else if (array->vt == VT_UNKNOWN)
        source = &object;
    // Build the copy first so a failure leaves the old element in place.
    alignas(VARIANT) std::byte copy[sizeof(VARIANT)];
    const HRESULT result = CopyElement(array->vt, array->cbElements, source, copy);
    if (FAILED(result))
        return result;
    std::byte* element = ElementAt(*array, index);
    FreeElement(array->vt, element);
    std::memcpy(element, copy, array->cbElements);
    return S_OK;
}

HRESULT SafeArrayAccessData(SAFEARRAY* array, void** data)
{
    if (array == nullptr || data == nullptr)
        return E_INVALIDARG;
    if (array->cLocks >= kMaxSafeArrayLocks)
        return E_UNEXPECTED;
    ++array->cLocks;
    *data = array->pvData;
    return S_OK;
}

HRESULT SafeArrayUnaccessData(SAFEARRAY* array)
{
    if (array == nullptr)
        return E_INVALIDARG;
    if (array->cLocks == 0)
        return E_UNEXPECTED;
    --array->cLocks;
    return S_OK;
}

HRESULT SafeArrayCopy(SAFEARRAY* array, SAFEARRAY** copy)
{
    if (copy == nullptr)
        return E_INVALIDARG;
    *copy = nullptr;
    if (array == nullptr)
        return S_OK;
    BoundList bounds{};
    std::reverse_copy(array->rgsabound.begin(), array->rgsabound.end(), bounds.begin());
    SAFEARRAY* result = SafeArrayCreate(array->vt, array->cDims, bounds.data());
    if (result == nullptr)
        return E_OUTOFMEMORY;
    const ULONG total = ElementCount(*array);
    for (ULONG i = 0; i < total; ++i)
    {
        const HRESULT hr = CopyElement(array->vt, array->cbElements, ElementAt(*array, i), ElementAt(*result, i));
        if (FAILED(hr))
        {
            // Elements not yet copied are still zero, so destroying frees exactly the copies.
            SafeArrayDestroy(result);
            return hr;
        }
    }
    *copy = result;
    return S_OK;
}

HRESULT SafeArrayRedim(SAFEARRAY* array, const SAFEARRAYBOUND* newBound)
{
    if (array == nullptr || newBound == nullptr || !BoundFits(*newBound))
        return E_INVALIDARG;
    if (array->cLocks > 0)
        return DISP_E_ARRAYISLOCKED;
    BoundList bounds{};
    std::copy(array->rgsabound.begin(), array->rgsabound.end(), bounds.begin());
    bounds[0] = *newBound;
    ULONG newTotal = 0;
    if (!CountElements(bounds.data(), array->cDims, newTotal))
        return E_OUTOFMEMORY;
    std::unique_ptr<std::byte[]> storage = AllocateElements(newTotal, array->cbElements);
    if (storage == nullptr)
        return E_OUTOFMEMORY;
    // The last dimension varies slowest, so the kept elements are a prefix of the storage.
    const ULONG oldTotal = ElementCount(*array);
    const ULONG kept = std::min(oldTotal, newTotal);
    std::memcpy(storage.get(), array->pvData, static_cast<std::size_t>(kept) * array->cbElements);
    FreeElements(*array, kept, oldTotal);
    array->storage = std::move(storage);
    array->pvData = array->storage.get();
    array->rgsabound[0] = *newBound;
    return S_OK;
}
