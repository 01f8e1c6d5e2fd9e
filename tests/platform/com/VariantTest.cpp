#include "platform/com/ComError.h"
#include "platform/com/SafeArray.h"
#include "platform/com/Variant.h"

#include "tests/platform/com/CountingObject.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::wstring WholeText(BSTR text)
{
    return std::wstring(text, SysStringLen(text));
}

// Puts a copy of `text` (made a real BSTR first, as the call requires) at `indices`.
HRESULT PutElementText(SAFEARRAY* array, const LONG* indices, const wchar_t* text)
{
    BSTR value = SysAllocString(text);
    const HRESULT result = SafeArrayPutElement(array, indices, value);
    SysFreeString(value);
    return result;
}

VARIANT TextVariant(const wchar_t* text)
{
    VARIANT value;
    VariantInit(&value);
    value.vt = VT_BSTR;
    value.bstrVal = SysAllocString(text);
    return value;
}

VARIANT UnknownVariant(IUnknown* object)
{
    VARIANT value;
    VariantInit(&value);
    value.vt = VT_UNKNOWN;
    value.punkVal = object;
    object->AddRef();
    return value;
}

HRESULT ErrorOf(void (*action)())
{
    try
    {
        action();
    }
    catch (const _com_error& error)
    {
        return error.Error();
    }
    return S_OK;
}

TEST(VariantOwnership, CopyDuplicatesTextAndClearFreesIt)
{
    VARIANT source = TextVariant(L"value");
    VARIANT copy;
    VariantInit(&copy);
    ASSERT_EQ(VariantCopy(&copy, &source), S_OK);
    EXPECT_NE(copy.bstrVal, source.bstrVal);
    EXPECT_EQ(WholeText(copy.bstrVal), L"value");
    EXPECT_EQ(VariantClear(&source), S_OK);
    EXPECT_EQ(source.vt, VT_EMPTY);
    EXPECT_EQ(WholeText(copy.bstrVal), L"value");
    EXPECT_EQ(VariantClear(&copy), S_OK);
}

TEST(VariantOwnership, CopyAndClearBalanceInterfaceReferences)
{
    CountingObject object;
    VARIANT first = UnknownVariant(&object);
    VARIANT second;
    VariantInit(&second);
    ASSERT_EQ(VariantCopy(&second, &first), S_OK);
    EXPECT_EQ(object.Count(), 2u);

    CountingObject replaced;
    VARIANT target = UnknownVariant(&replaced);
    ASSERT_EQ(VariantCopy(&target, &first), S_OK);
    EXPECT_EQ(replaced.Count(), 0u);
    EXPECT_EQ(object.Count(), 3u);

    EXPECT_EQ(VariantCopy(&target, &target), S_OK);
    EXPECT_EQ(object.Count(), 3u);
    VariantClear(&first);
    VariantClear(&second);
    VariantClear(&target);
    EXPECT_EQ(object.Count(), 0u);
}

TEST(VariantOwnership, DispatchBecomesUnknownThroughQueryInterface)
{
    CountingObject object;
    VARIANT dispatch = UnknownVariant(&object);
    dispatch.vt = VT_DISPATCH;
    VARIANT unknown;
    VariantInit(&unknown);
    ASSERT_EQ(VariantChangeType(&unknown, &dispatch, 0, VT_UNKNOWN), S_OK);
    EXPECT_EQ(unknown.punkVal, static_cast<IUnknown*>(&object));
    EXPECT_EQ(object.Count(), 2u);
    VariantClear(&dispatch);
    VariantClear(&unknown);
    EXPECT_EQ(object.Count(), 0u);
}

TEST(VariantOwnership, ArrayCopyIsDeep)
{
    VARIANT source;
    VariantInit(&source);
    source.vt = VT_ARRAY | VT_BSTR;
    source.parray = SafeArrayCreateVector(VT_BSTR, 0, 1);
    LONG index = 0;
    ASSERT_EQ(PutElementText(source.parray, &index, L"one"), S_OK);

    VARIANT copy;
    VariantInit(&copy);
    ASSERT_EQ(VariantCopy(&copy, &source), S_OK);
    ASSERT_NE(copy.parray, source.parray);
    ASSERT_EQ(PutElementText(copy.parray, &index, L"two"), S_OK);
    BSTR element = nullptr;
    ASSERT_EQ(SafeArrayGetElement(source.parray, &index, &element), S_OK);
    EXPECT_EQ(WholeText(element), L"one");
    SysFreeString(element);
    VariantClear(&source);
    VariantClear(&copy);
}

TEST(VariantOwnership, LockedArrayIsNeitherClearedNorOverwritten)
{
    VARIANT value;
    VariantInit(&value);
    value.vt = VT_ARRAY | VT_I4;
    value.parray = SafeArrayCreateVector(VT_I4, 0, 2);
    void* data = nullptr;
    ASSERT_EQ(SafeArrayAccessData(value.parray, &data), S_OK);
    EXPECT_EQ(VariantClear(&value), DISP_E_ARRAYISLOCKED);
    EXPECT_EQ(value.vt, VT_ARRAY | VT_I4);

    VARIANT other = TextVariant(L"x");
    EXPECT_EQ(VariantCopy(&value, &other), DISP_E_ARRAYISLOCKED);
    EXPECT_EQ(value.vt, VT_ARRAY | VT_I4);
    EXPECT_EQ(VariantChangeType(&value, &other, 0, VT_BSTR), DISP_E_ARRAYISLOCKED);
    EXPECT_EQ(value.vt, VT_ARRAY | VT_I4);

    ASSERT_EQ(SafeArrayUnaccessData(value.parray), S_OK);
    EXPECT_EQ(VariantClear(&value), S_OK);
    VariantClear(&other);
}

TEST(VariantOwnership, InvalidTypesAreRefusedWithoutTouchingTheTarget)
{
    VARIANT bad;
    VariantInit(&bad);
    bad.vt = 99;
    EXPECT_EQ(VariantClear(&bad), DISP_E_BADVARTYPE);
    EXPECT_EQ(bad.vt, 99);

    VARIANT target = TextVariant(L"kept");
    EXPECT_EQ(VariantCopy(&target, &bad), DISP_E_BADVARTYPE);
    EXPECT_EQ(WholeText(target.bstrVal), L"kept");
    EXPECT_EQ(VariantCopy(nullptr, &target), E_INVALIDARG);
    EXPECT_EQ(VariantClear(nullptr), E_INVALIDARG);
    VariantClear(&target);
}

TEST(VariantOwnership, ByReferenceValuesAreNotOwned)
{
    BSTR owned = SysAllocString(L"owned");
    VARIANT reference;
    VariantInit(&reference);
    reference.vt = VT_BYREF | VT_BSTR;
    reference.pbstrVal = &owned;
    VARIANT copy;
    VariantInit(&copy);
    ASSERT_EQ(VariantCopy(&copy, &reference), S_OK);
    EXPECT_EQ(copy.pbstrVal, &owned);
    EXPECT_EQ(VariantClear(&copy), S_OK);
    EXPECT_EQ(VariantClear(&reference), S_OK);
    EXPECT_EQ(WholeText(owned), L"owned");
    SysFreeString(owned);
}

TEST(VariantT, ConstructorsPickTheirTypes)
{
    CountingObject object;
    struct Expectation
    {
        _variant_t value;
        VARTYPE type;
    };
    const Expectation expectations[] = {
        {_variant_t(), VT_EMPTY},
        {_variant_t(SHORT(-2)), VT_I2},
        {_variant_t(SHORT(5), VT_BOOL), VT_BOOL},
        {_variant_t(LONG(7)), VT_I4},
        {_variant_t(7), VT_I4},
        {_variant_t(LONG(7), VT_INT), VT_INT},
        {_variant_t(LONG(7), VT_ERROR), VT_ERROR},
        {_variant_t(1.5f), VT_R4},
        {_variant_t(1.5), VT_R8},
        {_variant_t(43831.5, VT_DATE), VT_DATE},
        {_variant_t(L"wide"), VT_BSTR},
        {_variant_t("narrow"), VT_BSTR},
        {_variant_t(true), VT_BOOL},
        {_variant_t(BYTE(200)), VT_UI1},
        {_variant_t(CHAR(-3)), VT_I1},
        {_variant_t(USHORT(60000)), VT_UI2},
        {_variant_t(ULONG(4000000000u)), VT_UI4},
        {_variant_t(LONGLONG(-1)), VT_I8},
        {_variant_t(ULONGLONG(1)), VT_UI8},
        {_variant_t(static_cast<IUnknown*>(&object)), VT_UNKNOWN},
    };
    for (const Expectation& expectation : expectations)
        EXPECT_EQ(expectation.value.vt, expectation.type);
    EXPECT_EQ(expectations[2].value.boolVal, VARIANT_TRUE);
    EXPECT_EQ(expectations[9].value.date, 43831.5);
    EXPECT_EQ(object.Count(), 1u);
}

TEST(VariantT, RefusesTypeItCannotBuild)
{
    EXPECT_EQ(ErrorOf([] { _variant_t value(LONG(1), VT_BSTR); }), E_INVALIDARG);
    EXPECT_EQ(ErrorOf([] { _variant_t value(1.0, VT_I4); }), E_INVALIDARG);
    EXPECT_EQ(ErrorOf([] { _variant_t value(SHORT(1), VT_I4); }), E_INVALIDARG);
}

TEST(VariantT, NarrowTextIsUtf8)
{
    struct Sample
    {
        const char* utf8;
        std::wstring expected;
    };
    const Sample samples[] = {
        {"Gr\xC3\xBC\xC3\x9F"
         "e \xE2\x82\xAC",
         L"Grüße €"},
        {"\xF0\x9F\x98\x80", std::wstring(1, static_cast<wchar_t>(0x1F600))},
        {"a\xFF"
         "b",
         L"a\xFFFD"
         L"b"},
        {"\xE2\x82", L"\xFFFD"},
        {"\xE2\x82x", L"\xFFFDx"},
        // One replacement per maximal ill-formed run, as everywhere else in the system.
        {"\xC0\xAF", L"\xFFFD\xFFFD"},
        {"\xED\xA0\x80", L"\xFFFD\xFFFD\xFFFD"},
        {"\xF4\x90\x80\x80", L"\xFFFD\xFFFD\xFFFD\xFFFD"},
        {"\x80", L"\xFFFD"},
    };
    for (const Sample& sample : samples)
        EXPECT_EQ(static_cast<std::wstring>(_variant_t(sample.utf8)), sample.expected) << sample.utf8;
    EXPECT_EQ(_variant_t(static_cast<const char*>(nullptr)).bstrVal, nullptr);
}

TEST(VariantT, CopyIsDeepAndMoveLeavesSourceEmpty)
{
    _variant_t original(L"text");
    _variant_t copy(original);
    EXPECT_NE(copy.bstrVal, original.bstrVal);
    _variant_t assigned;
    assigned = original;
    EXPECT_NE(assigned.bstrVal, original.bstrVal);
    const _variant_t& self = assigned;
    assigned = self;
    EXPECT_EQ(static_cast<std::wstring>(assigned), L"text");

    _variant_t moved(std::move(copy));
    EXPECT_EQ(copy.vt, VT_EMPTY);
    EXPECT_EQ(static_cast<std::wstring>(moved), L"text");

    CountingObject object;
    _variant_t holder(static_cast<IUnknown*>(&object));
    holder = std::move(moved);
    EXPECT_EQ(object.Count(), 0u);
    EXPECT_EQ(moved.vt, VT_EMPTY);
    holder = 5;
    EXPECT_EQ(holder.vt, VT_I4);
}

TEST(VariantT, FailedCopyThrowsComError)
{
    EXPECT_EQ(ErrorOf([] {
                  VARIANT bad;
                  VariantInit(&bad);
                  bad.vt = 0x0FFF;
                  _variant_t copy(bad);
              }),
              DISP_E_BADVARTYPE);
}

TEST(VariantT, ConversionsReadOrThrow)
{
    EXPECT_EQ(static_cast<LONG>(_variant_t(L"12")), 12);
    EXPECT_EQ(static_cast<double>(_variant_t(LONG(3))), 3.0);
    EXPECT_TRUE(static_cast<bool>(_variant_t(L"True")));
    EXPECT_FALSE(static_cast<bool>(_variant_t(LONG(0))));
    EXPECT_EQ(static_cast<std::wstring>(_variant_t(43831.5, VT_DATE)), L"2020-01-01 12:00:00");
    EXPECT_EQ(static_cast<std::wstring>(_variant_t()), L"");
    EXPECT_EQ(ErrorOf([] { static_cast<void>(static_cast<LONG>(_variant_t(L"12abc"))); }), DISP_E_TYPEMISMATCH);
    EXPECT_EQ(ErrorOf([] { static_cast<void>(static_cast<LONG>(_variant_t(4e9))); }), DISP_E_OVERFLOW);
    EXPECT_EQ(ErrorOf([] {
                  _variant_t null;
                  null.vt = VT_NULL;
                  static_cast<void>(static_cast<std::wstring>(null));
              }),
              DISP_E_TYPEMISMATCH);
}

TEST(VariantT, ChangeTypeConvertsOrKeepsValue)
{
    _variant_t value(L"42");
    value.ChangeType(VT_UI1);
    EXPECT_EQ(value.vt, VT_UI1);
    EXPECT_EQ(value.bVal, 42);

    _variant_t text(L"x");
    try
    {
        text.ChangeType(VT_I4);
        ADD_FAILURE() << "no exception";
    }
    catch (const _com_error& error)
    {
        EXPECT_EQ(error.Error(), DISP_E_TYPEMISMATCH);
    }
    EXPECT_EQ(static_cast<std::wstring>(text), L"x");

    _variant_t source(LONG(9));
    text.ChangeType(VT_BSTR, &source);
    EXPECT_EQ(static_cast<std::wstring>(text), L"9");
}

TEST(VariantT, AttachDetachAndGetAddressHandOverOwnership)
{
    VARIANT raw = TextVariant(L"raw");
    BSTR text = raw.bstrVal;
    _variant_t holder(LONG(1));
    holder.Attach(raw);
    EXPECT_EQ(raw.vt, VT_EMPTY);
    EXPECT_EQ(holder.bstrVal, text);

    VARIANT detached = holder.Detach();
    EXPECT_EQ(holder.vt, VT_EMPTY);
    EXPECT_EQ(detached.bstrVal, text);
    VariantClear(&detached);

    _variant_t filled(L"old");
    VARIANT* address = filled.GetAddress();
    EXPECT_EQ(address->vt, VT_EMPTY);
    *address = TextVariant(L"new");
    EXPECT_EQ(static_cast<std::wstring>(filled), L"new");
    EXPECT_EQ(&filled.GetVARIANT(), static_cast<VARIANT*>(&filled));
    filled.Clear();
    EXPECT_EQ(filled.vt, VT_EMPTY);
}

}  // namespace
