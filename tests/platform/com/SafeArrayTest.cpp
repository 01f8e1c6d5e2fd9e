#include "platform/com/SafeArray.h"

#include "tests/platform/com/CountingObject.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>

namespace {

constexpr LONG kLongMax = std::numeric_limits<LONG>::max();
constexpr LONG kLongMin = std::numeric_limits<LONG>::min();

std::wstring ElementText(BSTR text)
{
    return std::wstring(text, SysStringLen(text));
}

// Puts a copy of `text` (made a real BSTR first, as the call requires) at `indices`.
HRESULT PutText(SAFEARRAY* array, const LONG* indices, const wchar_t* text)
{
    BSTR value = SysAllocString(text);
    const HRESULT result = SafeArrayPutElement(array, indices, value);
    SysFreeString(value);
    return result;
}

// Destroys the array at the end of a test, whatever happens in between.
struct ArrayGuard
{
    SAFEARRAY* array;
    ~ArrayGuard() { SafeArrayDestroy(array); }
};

TEST(SafeArray, VectorReportsItsBounds)
{
    ArrayGuard guard{SafeArrayCreateVector(VT_I4, 1, 3)};
    ASSERT_NE(guard.array, nullptr);
    LONG lower = 0;
    LONG upper = 0;
    EXPECT_EQ(SafeArrayGetDim(guard.array), 1u);
    ASSERT_EQ(SafeArrayGetLBound(guard.array, 1, &lower), S_OK);
    ASSERT_EQ(SafeArrayGetUBound(guard.array, 1, &upper), S_OK);
    EXPECT_EQ(lower, 1);
    EXPECT_EQ(upper, 3);
    VARTYPE type = VT_EMPTY;
    ASSERT_EQ(SafeArrayGetVartype(guard.array, &type), S_OK);
    EXPECT_EQ(type, VT_I4);
    EXPECT_EQ(SafeArrayGetLBound(guard.array, 0, &lower), DISP_E_BADINDEX);
    EXPECT_EQ(SafeArrayGetUBound(guard.array, 2, &upper), DISP_E_BADINDEX);
    EXPECT_EQ(SafeArrayGetLBound(nullptr, 1, &lower), E_INVALIDARG);
    EXPECT_EQ(SafeArrayGetUBound(guard.array, 1, nullptr), E_INVALIDARG);
    EXPECT_EQ(SafeArrayGetDim(nullptr), 0u);
}

TEST(SafeArray, EmptyVectorHasNoElements)
{
    ArrayGuard guard{SafeArrayCreateVector(VT_BSTR, 0, 0)};
    ASSERT_NE(guard.array, nullptr);
    LONG upper = 0;
    ASSERT_EQ(SafeArrayGetUBound(guard.array, 1, &upper), S_OK);
    EXPECT_EQ(upper, -1);
    LONG index = 0;
    BSTR element = nullptr;
    EXPECT_EQ(SafeArrayGetElement(guard.array, &index, &element), DISP_E_BADINDEX);
}

TEST(SafeArray, ElementsAreStoredFirstIndexFastest)
{
    const SAFEARRAYBOUND bounds[] = {{2, 10}, {3, -1}};
    ArrayGuard guard{SafeArrayCreate(VT_I2, 2, bounds)};
    ASSERT_NE(guard.array, nullptr);
    LONG lower = 0;
    ASSERT_EQ(SafeArrayGetLBound(guard.array, 2, &lower), S_OK);
    EXPECT_EQ(lower, -1);
    EXPECT_EQ(guard.array->rgsabound[0].cElements, 3u);
    for (LONG i = 10; i < 12; ++i)
    {
        for (LONG j = -1; j < 2; ++j)
        {
            const LONG indices[] = {i, j};
            SHORT value = static_cast<SHORT>(i * 10 + j);
            ASSERT_EQ(SafeArrayPutElement(guard.array, indices, &value), S_OK);
        }
    }
    void* data = nullptr;
    ASSERT_EQ(SafeArrayAccessData(guard.array, &data), S_OK);
    const auto* values = static_cast<const SHORT*>(data);
    const SHORT expected[] = {99, 109, 100, 110, 101, 111};
    for (int k = 0; k < 6; ++k)
        EXPECT_EQ(values[k], expected[k]) << k;
    ASSERT_EQ(SafeArrayUnaccessData(guard.array), S_OK);
}

TEST(SafeArray, IndicesOutsideBoundsAreRefused)
{
    const SAFEARRAYBOUND bounds[] = {{2, 0}, {2, 5}};
    ArrayGuard guard{SafeArrayCreate(VT_I4, 2, bounds)};
    LONG value = 1;
    const LONG outside[][2] = {{-1, 5}, {2, 5}, {0, 4}, {0, 7}, {kLongMin, kLongMax}};
    for (const auto& indices : outside)
    {
        EXPECT_EQ(SafeArrayPutElement(guard.array, indices, &value), DISP_E_BADINDEX);
        EXPECT_EQ(SafeArrayGetElement(guard.array, indices, &value), DISP_E_BADINDEX);
    }
    const LONG inside[] = {1, 6};
    EXPECT_EQ(SafeArrayPutElement(guard.array, inside, nullptr), E_INVALIDARG);
    EXPECT_EQ(SafeArrayGetElement(guard.array, nullptr, &value), E_INVALIDARG);
}

TEST(SafeArray, TextElementsAreCopiedInAndOut)
{
    ArrayGuard guard{SafeArrayCreateVector(VT_BSTR, 0, 2)};
    BSTR mine = SysAllocStringLen(L"a\0b", 3);
    LONG index = 0;
    ASSERT_EQ(SafeArrayPutElement(guard.array, &index, mine), S_OK);
    SysFreeString(mine);

    BSTR first = nullptr;
    BSTR second = nullptr;
    ASSERT_EQ(SafeArrayGetElement(guard.array, &index, &first), S_OK);
    ASSERT_EQ(SafeArrayGetElement(guard.array, &index, &second), S_OK);
    EXPECT_NE(first, second);
    EXPECT_EQ(ElementText(first), std::wstring(L"a\0b", 3));
    SysFreeString(first);
    SysFreeString(second);

    // Replacing frees the previous element; putting an element onto itself is safe.
    ASSERT_EQ(PutText(guard.array, &index, L"next"), S_OK);
    BSTR* data = nullptr;
    ASSERT_EQ(SafeArrayAccessData(guard.array, reinterpret_cast<void**>(&data)), S_OK);
    ASSERT_EQ(SafeArrayPutElement(guard.array, &index, data[0]), S_OK);
    EXPECT_EQ(ElementText(data[0]), L"next");
    ASSERT_EQ(SafeArrayUnaccessData(guard.array), S_OK);

    LONG unset = 1;
    BSTR missing = SysAllocString(L"stale");
    SysFreeString(missing);
    ASSERT_EQ(SafeArrayGetElement(guard.array, &unset, &missing), S_OK);
    EXPECT_EQ(missing, nullptr);
    ASSERT_EQ(SafeArrayPutElement(guard.array, &index, nullptr), S_OK);
}

TEST(SafeArray, VariantAndInterfaceElementsKeepTheirOwnReferences)
{
    CountingObject object;
    {
        ArrayGuard interfaces{SafeArrayCreateVector(VT_UNKNOWN, 0, 1)};
        LONG index = 0;
        ASSERT_EQ(SafeArrayPutElement(interfaces.array, &index, static_cast<IUnknown*>(&object)), S_OK);
        EXPECT_EQ(object.Count(), 1u);
        IUnknown* read = nullptr;
        ASSERT_EQ(SafeArrayGetElement(interfaces.array, &index, &read), S_OK);
        EXPECT_EQ(object.Count(), 2u);
        read->Release();

        ArrayGuard variants{SafeArrayCreateVector(VT_VARIANT, 0, 1)};
        VARIANT value;
        VariantInit(&value);
        value.vt = VT_UNKNOWN;
        value.punkVal = &object;
        ASSERT_EQ(SafeArrayPutElement(variants.array, &index, &value), S_OK);
        EXPECT_EQ(object.Count(), 2u);
        VARIANT out;
        ASSERT_EQ(SafeArrayGetElement(variants.array, &index, &out), S_OK);
        EXPECT_EQ(object.Count(), 3u);
        VariantClear(&out);

        CountingObject other;
        ASSERT_EQ(SafeArrayPutElement(interfaces.array, &index, static_cast<IUnknown*>(&other)), S_OK);
        EXPECT_EQ(object.Count(), 1u);
        ASSERT_EQ(SafeArrayPutElement(interfaces.array, &index, nullptr), S_OK);
        EXPECT_EQ(other.Count(), 0u);
    }
    EXPECT_EQ(object.Count(), 0u);
}

TEST(SafeArray, LockCountGuardsDestroyAndRedim)
{
    SAFEARRAY* array = SafeArrayCreateVector(VT_UI1, 0, 4);
    void* first = nullptr;
    void* second = nullptr;
    ASSERT_EQ(SafeArrayAccessData(array, &first), S_OK);
    ASSERT_EQ(SafeArrayAccessData(array, &second), S_OK);
    EXPECT_EQ(first, second);
    EXPECT_EQ(array->cLocks, 2u);
    EXPECT_EQ(SafeArrayDestroy(array), DISP_E_ARRAYISLOCKED);
    const SAFEARRAYBOUND bound{8, 0};
    EXPECT_EQ(SafeArrayRedim(array, &bound), DISP_E_ARRAYISLOCKED);
    ASSERT_EQ(SafeArrayUnaccessData(array), S_OK);
    EXPECT_EQ(SafeArrayDestroy(array), DISP_E_ARRAYISLOCKED);
    ASSERT_EQ(SafeArrayUnaccessData(array), S_OK);
    EXPECT_EQ(SafeArrayUnaccessData(array), E_UNEXPECTED);
    EXPECT_EQ(SafeArrayAccessData(array, nullptr), E_INVALIDARG);
    EXPECT_EQ(SafeArrayDestroy(array), S_OK);
    EXPECT_EQ(SafeArrayDestroy(nullptr), S_OK);
}

TEST(SafeArray, LockCountHasACeiling)
{
    ArrayGuard guard{SafeArrayCreateVector(VT_UI1, 0, 1)};
    void* data = nullptr;
    guard.array->cLocks = kMaxSafeArrayLocks;
    EXPECT_EQ(SafeArrayAccessData(guard.array, &data), E_UNEXPECTED);
    guard.array->cLocks = 0;
}

TEST(SafeArray, HostileShapesAreRefused)
{
    struct Shape
    {
        const char* name;
        VARTYPE type;
        UINT dims;
        SAFEARRAYBOUND bounds[2];
    };
    const Shape refused[] = {
        {"every element number", VT_I4, 1, {{0xFFFFFFFFu, 0}, {}}},
        {"one past the element cap", VT_UI1, 1, {{kMaxSafeArrayElements + 1, 0}, {}}},
        {"product overflows 32 bits", VT_UI1, 2, {{65536, 0}, {65536, 0}}},
        {"upper bound beyond LONG", VT_I4, 1, {{2, kLongMax}, {}}},
        {"no dimensions", VT_I4, 0, {{1, 0}, {}}},
        {"element type empty", VT_EMPTY, 1, {{1, 0}, {}}},
        {"element type null", VT_NULL, 1, {{1, 0}, {}}},
        {"element type array", VT_ARRAY | VT_I4, 1, {{1, 0}, {}}},
        {"element type unknown number", 99, 1, {{1, 0}, {}}},
    };
    for (const Shape& shape : refused)
        EXPECT_EQ(SafeArrayCreate(shape.type, shape.dims, shape.bounds), nullptr) << shape.name;
    EXPECT_EQ(SafeArrayCreate(VT_I4, 1, nullptr), nullptr);
    SAFEARRAYBOUND many[kMaxSafeArrayDims + 1];
    for (SAFEARRAYBOUND& bound : many)
        bound = {1, 0};
    EXPECT_EQ(SafeArrayCreate(VT_I4, kMaxSafeArrayDims + 1, many), nullptr);
    ArrayGuard deepest{SafeArrayCreate(VT_I4, kMaxSafeArrayDims, many)};
    EXPECT_NE(deepest.array, nullptr);

    ArrayGuard top{SafeArrayCreateVector(VT_I4, kLongMax, 1)};
    ASSERT_NE(top.array, nullptr);
    LONG upper = 0;
    ASSERT_EQ(SafeArrayGetUBound(top.array, 1, &upper), S_OK);
    EXPECT_EQ(upper, kLongMax);
    ArrayGuard largest{SafeArrayCreateVector(VT_UI1, 0, kMaxSafeArrayElements)};
    EXPECT_NE(largest.array, nullptr);
}

TEST(SafeArray, CopyIsDeepAndKeepsShape)
{
    const SAFEARRAYBOUND bounds[] = {{2, 1}, {1, 3}};
    ArrayGuard source{SafeArrayCreate(VT_BSTR, 2, bounds)};
    const LONG indices[] = {2, 3};
    ASSERT_EQ(PutText(source.array, indices, L"kept"), S_OK);
    SAFEARRAY* raw = nullptr;
    ASSERT_EQ(SafeArrayCopy(source.array, &raw), S_OK);
    ArrayGuard copy{raw};
    EXPECT_EQ(SafeArrayGetDim(copy.array), 2u);
    LONG lower = 0;
    ASSERT_EQ(SafeArrayGetLBound(copy.array, 2, &lower), S_OK);
    EXPECT_EQ(lower, 3);
    BSTR a = nullptr;
    BSTR b = nullptr;
    ASSERT_EQ(SafeArrayAccessData(source.array, reinterpret_cast<void**>(&a)), S_OK);
    ASSERT_EQ(SafeArrayAccessData(copy.array, reinterpret_cast<void**>(&b)), S_OK);
    BSTR* sourceData = reinterpret_cast<BSTR*>(source.array->pvData);
    BSTR* copyData = reinterpret_cast<BSTR*>(copy.array->pvData);
    EXPECT_NE(sourceData[1], copyData[1]);
    EXPECT_EQ(ElementText(copyData[1]), L"kept");
    SafeArrayUnaccessData(source.array);
    SafeArrayUnaccessData(copy.array);

    EXPECT_EQ(SafeArrayCopy(nullptr, &raw), S_OK);
    EXPECT_EQ(raw, nullptr);
    EXPECT_EQ(SafeArrayCopy(source.array, nullptr), E_INVALIDARG);
}

TEST(SafeArray, RedimKeepsPrefixAndFreesDroppedElements)
{
    CountingObject object;
    ArrayGuard guard{SafeArrayCreateVector(VT_UNKNOWN, 0, 3)};
    for (LONG i = 0; i < 3; ++i)
        ASSERT_EQ(SafeArrayPutElement(guard.array, &i, static_cast<IUnknown*>(&object)), S_OK);
    EXPECT_EQ(object.Count(), 3u);

    const SAFEARRAYBOUND shrink{1, 5};
    ASSERT_EQ(SafeArrayRedim(guard.array, &shrink), S_OK);
    EXPECT_EQ(object.Count(), 1u);
    LONG lower = 0;
    ASSERT_EQ(SafeArrayGetLBound(guard.array, 1, &lower), S_OK);
    EXPECT_EQ(lower, 5);

    const SAFEARRAYBOUND grow{4, 5};
    ASSERT_EQ(SafeArrayRedim(guard.array, &grow), S_OK);
    IUnknown* element = nullptr;
    LONG index = 5;
    ASSERT_EQ(SafeArrayGetElement(guard.array, &index, &element), S_OK);
    EXPECT_EQ(element, static_cast<IUnknown*>(&object));
    element->Release();
    index = 8;
    ASSERT_EQ(SafeArrayGetElement(guard.array, &index, &element), S_OK);
    EXPECT_EQ(element, nullptr);

    const SAFEARRAYBOUND hostile[] = {{kMaxSafeArrayElements + 1, 0}, {2, kLongMax}};
    EXPECT_EQ(SafeArrayRedim(guard.array, &hostile[0]), E_OUTOFMEMORY);
    EXPECT_EQ(SafeArrayRedim(guard.array, &hostile[1]), E_INVALIDARG);
    EXPECT_EQ(SafeArrayRedim(guard.array, nullptr), E_INVALIDARG);
    LONG upper = 0;
    ASSERT_EQ(SafeArrayGetUBound(guard.array, 1, &upper), S_OK);
    EXPECT_EQ(upper, 8);
}

TEST(SafeArray, RedimChangesTheLastDimension)
{
    const SAFEARRAYBOUND bounds[] = {{2, 0}, {2, 0}};
    ArrayGuard guard{SafeArrayCreate(VT_I4, 2, bounds)};
    const LONG kept[] = {1, 1};
    LONG value = 11;
    ASSERT_EQ(SafeArrayPutElement(guard.array, kept, &value), S_OK);
    const SAFEARRAYBOUND grow{3, 0};
    ASSERT_EQ(SafeArrayRedim(guard.array, &grow), S_OK);
    LONG upper = 0;
    ASSERT_EQ(SafeArrayGetUBound(guard.array, 2, &upper), S_OK);
    EXPECT_EQ(upper, 2);
    ASSERT_EQ(SafeArrayGetUBound(guard.array, 1, &upper), S_OK);
    EXPECT_EQ(upper, 1);
    LONG read = 0;
    ASSERT_EQ(SafeArrayGetElement(guard.array, kept, &read), S_OK);
    EXPECT_EQ(read, 11);
}

}  // namespace
