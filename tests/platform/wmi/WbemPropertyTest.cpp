#include "tests/platform/wmi/WbemTestSupport.h"

#include <cstdint>
#include <cwchar>
#include <string_view>
#include <utility>

using namespace wmitest;

namespace {
ComPtr<IWbemClassObject> BadgeClass()
{
    ComPtr<IWbemClassObject> badge = MakeClass(L"Bnt_Badge");
    PutProperty(badge.Get(), L"BadgeKey", CIM_SINT32);
    PutProperty(badge.Get(), L"Name", CIM_STRING);
    PutProperty(badge.Get(), L"Owner", CIM_REFERENCE);
    MarkKey(badge.Get(), L"BadgeKey");
    return badge;
}
}  // namespace

TEST(WbemProperty, NamesMatchWithoutRegardToCaseAndKeepTheirDeclaredSpelling)
{
    auto badge = BadgeClass();
    auto instance = Spawn(badge.Get());
    _variant_t name(L"Front door");
    ASSERT_EQ(instance->Put(L"NAME", 0, &name, 0), WBEM_S_NO_ERROR);
    EXPECT_EQ(Text(instance.Get(), L"name"), L"Front door");
    const auto names = Names(instance.Get(), WBEM_FLAG_NONSYSTEM_ONLY);
    EXPECT_EQ(names, (std::vector<std::wstring>{L"BadgeKey", L"Name", L"Owner"}));
}

TEST(WbemProperty, AbsentPropertyIsNotFoundAndLeavesTheValueAlone)
{
    auto badge = BadgeClass();
    _variant_t value(LONG(7));
    EXPECT_EQ(badge->Get(L"Missing", 0, &value, nullptr, nullptr), WBEM_E_NOT_FOUND);
    EXPECT_EQ(value.vt, VT_I4);
    EXPECT_EQ(badge->Get(nullptr, 0, &value, nullptr, nullptr), WBEM_E_INVALID_PARAMETER);
    EXPECT_EQ(badge->Get(L"__NOSUCH", 0, &value, nullptr, nullptr), WBEM_E_NOT_FOUND);
}

TEST(WbemProperty, InstancesCannotGainPropertiesOrChangeTypes)
{
    auto instance = Spawn(BadgeClass().Get());
    _variant_t value(LONG(1));
    EXPECT_EQ(instance->Put(L"NewOne", 0, &value, CIM_SINT32), WBEM_E_NOT_FOUND);
    EXPECT_EQ(instance->Put(L"BadgeKey", 0, &value, CIM_STRING), WBEM_E_TYPE_MISMATCH);
    EXPECT_EQ(instance->Put(L"BadgeKey", 0, &value, CIM_SINT32), WBEM_S_NO_ERROR);
}

TEST(WbemProperty, ClassPropertiesNeedAValidNameAndType)
{
    auto badge = BadgeClass();
    _variant_t text(L"x");
    EXPECT_EQ(badge->Put(L"9Lives", 0, &text, 0), WBEM_E_INVALID_PARAMETER);
    EXPECT_EQ(badge->Put(L"Has Space", 0, &text, 0), WBEM_E_INVALID_PARAMETER);
    EXPECT_EQ(badge->Put(L"", 0, &text, 0), WBEM_E_INVALID_PARAMETER);
    EXPECT_EQ(badge->Put(L"NoType", 0, nullptr, 0), WBEM_E_INVALID_PARAMETER);
    EXPECT_EQ(badge->Put(L"BadType", 0, nullptr, 99), WBEM_E_INVALID_PROPERTY_TYPE);
    EXPECT_EQ(badge->Put(L"Inferred", 0, &text, 0), WBEM_S_NO_ERROR);
    CIMTYPE type = 0;
    ASSERT_EQ(badge->Get(L"Inferred", 0, nullptr, &type, nullptr), WBEM_S_NO_ERROR);
    EXPECT_EQ(type, CIM_STRING);
}

struct Coercion
{
    CIMTYPE type;
    _variant_t value;
    HRESULT expected;
    VARTYPE storedAs;
};

TEST(WbemProperty, ValuesAreCarriedInTheFormOfTheirCimType)
{
    const std::vector<Coercion> table = {
        {CIM_SINT32, _variant_t(SHORT(5)), WBEM_S_NO_ERROR, VT_I4},
        {CIM_SINT32, _variant_t(L"12"), WBEM_S_NO_ERROR, VT_I4},
        {CIM_SINT32, _variant_t(L"12x"), WBEM_E_TYPE_MISMATCH, VT_EMPTY},
        {CIM_SINT32, _variant_t(LONGLONG(1) << 40), WBEM_E_TYPE_MISMATCH, VT_EMPTY},
        {CIM_UINT32, _variant_t(LONG(-1)), WBEM_S_NO_ERROR, VT_I4},
        {CIM_UINT8, _variant_t(LONG(256)), WBEM_E_TYPE_MISMATCH, VT_EMPTY},
        {CIM_UINT8, _variant_t(LONG(255)), WBEM_S_NO_ERROR, VT_UI1},
        {CIM_SINT8, _variant_t(LONG(-128)), WBEM_S_NO_ERROR, VT_I2},
        {CIM_UINT16, _variant_t(LONG(65535)), WBEM_S_NO_ERROR, VT_I4},
        {CIM_SINT64, _variant_t(LONGLONG(-9000000000)), WBEM_S_NO_ERROR, VT_BSTR},
        {CIM_UINT64, _variant_t(LONG(-1)), WBEM_E_TYPE_MISMATCH, VT_EMPTY},
        {CIM_REAL64, _variant_t(LONG(3)), WBEM_S_NO_ERROR, VT_R8},
        {CIM_BOOLEAN, _variant_t(true), WBEM_S_NO_ERROR, VT_BOOL},
        {CIM_STRING, _variant_t(LONG(4)), WBEM_E_TYPE_MISMATCH, VT_EMPTY},
        {CIM_DATETIME, _variant_t(L"20240131235959.000000+060"), WBEM_S_NO_ERROR, VT_BSTR},
        {CIM_DATETIME, _variant_t(L"00000001000000.000000:000"), WBEM_S_NO_ERROR, VT_BSTR},
        {CIM_DATETIME, _variant_t(L"2024-01-31T23:59:59"), WBEM_E_TYPE_MISMATCH, VT_EMPTY},
        {CIM_OBJECT, _variant_t(L"not an object"), WBEM_E_TYPE_MISMATCH, VT_EMPTY},
        {CIM_SINT32, _variant_t(), WBEM_S_NO_ERROR, VT_NULL},
    };
    for (std::size_t i = 0; i < table.size(); ++i)
    {
        auto holder = MakeClass(L"Holder");
        PutProperty(holder.Get(), L"P", table[i].type);
        auto instance = Spawn(holder.Get());
        _variant_t value = table[i].value;
        EXPECT_EQ(instance->Put(L"P", 0, &value, 0), table[i].expected) << "row " << i;
        if (table[i].storedAs != VT_EMPTY)
        {
            EXPECT_EQ(TypeOfValue(instance.Get(), L"P"), table[i].storedAs) << "row " << i;
        }
    }
}

namespace {
// The number a stored integer value holds, as decimal text: uint32 travels bit for bit in VT_I4,
// the 64-bit types as text.
std::wstring StoredNumber(IWbemClassObject* object, const wchar_t* name, CIMTYPE type)
{
    _variant_t value;
    EXPECT_EQ(object->Get(name, 0, &value, nullptr, nullptr), WBEM_S_NO_ERROR);
    switch (value.vt)
    {
    case VT_UI1:
        return std::to_wstring(value.bVal);
    case VT_I2:
        return std::to_wstring(value.iVal);
    case VT_I4:
        return type == CIM_UINT32 ? std::to_wstring(static_cast<std::uint32_t>(value.lVal))
                                  : std::to_wstring(value.lVal);
    case VT_BSTR:
        return value.bstrVal == nullptr ? L"" : value.bstrVal;
    default:
        return L"<vt " + std::to_wstring(value.vt) + L">";
    }
}
}  // namespace

// Every integer type takes its lowest and highest number, as a property and as a method's
// parameter alike, and refuses the number one past either end.
TEST(WbemProperty, IntegersTakeEveryNumberOfTheirTypeAndNoneBeyond)
{
    const struct
    {
        CIMTYPE type;
        const wchar_t* lowest;
        const wchar_t* highest;
        const wchar_t* belowLowest;
        const wchar_t* aboveHighest;
    } types[] = {
        {CIM_SINT8, L"-128", L"127", L"-129", L"128"},
        {CIM_UINT8, L"0", L"255", L"-1", L"256"},
        {CIM_SINT16, L"-32768", L"32767", L"-32769", L"32768"},
        {CIM_UINT16, L"0", L"65535", L"-1", L"65536"},
        {CIM_SINT32, L"-2147483648", L"2147483647", L"-2147483649", L"2147483648"},
        {CIM_UINT32, L"0", L"4294967295", L"-1", L"4294967296"},
        {CIM_SINT64, L"-9223372036854775808", L"9223372036854775807", L"-9223372036854775809", L"9223372036854775808"},
        {CIM_UINT64, L"0", L"18446744073709551615", L"-1", L"18446744073709551616"},
    };
    for (const auto& t : types)
    {
        // The same value as a property of a class and as an in-parameter of a method.
        auto holder = MakeClass(L"Holder");
        PutProperty(holder.Get(), L"P", t.type);
        auto signature = MakeClass(L"__PARAMETERS");
        PutProperty(signature.Get(), L"P", t.type);
        ComPtr<IWbemQualifierSet> qualifiers;
        ASSERT_EQ(signature->GetPropertyQualifierSet(L"P", &qualifiers), WBEM_S_NO_ERROR);
        PutQualifier(qualifiers.Get(), L"ID", _variant_t(LONG(0)), 0);
        auto owner = MakeClass(L"Owner");
        ASSERT_EQ(owner->PutMethod(L"Take", 0, signature.Get(), nullptr), WBEM_S_NO_ERROR);
        ComPtr<IWbemClassObject> in;
        ASSERT_EQ(owner->GetMethod(L"Take", 0, &in, nullptr), WBEM_S_NO_ERROR);
        const std::pair<const char*, ComPtr<IWbemClassObject>> targets[] = {{"property", Spawn(holder.Get())},
                                                                            {"parameter", Spawn(in.Get())}};
        for (const auto& [where, target] : targets)
        {
            const std::string row = std::string(where) + " of type " + std::to_string(t.type) + ": ";
            for (const wchar_t* fits : {t.lowest, t.highest, L"3000000000"})
            {
                // 3 000 000 000 fits the unsigned 32- and 64-bit types and sint64 only.
                const bool expected = fits != std::wstring_view(L"3000000000") || t.type == CIM_UINT32 ||
                                      t.type == CIM_SINT64 || t.type == CIM_UINT64;
                _variant_t value(fits);
                EXPECT_EQ(target->Put(L"P", 0, &value, 0), expected ? WBEM_S_NO_ERROR : WBEM_E_TYPE_MISMATCH)
                    << row << std::string(fits, fits + std::wcslen(fits));
                if (expected)
                {
                    EXPECT_EQ(StoredNumber(target.Get(), L"P", t.type), fits) << row;
                }
            }
            for (const wchar_t* beyond : {t.belowLowest, t.aboveHighest})
            {
                _variant_t value(beyond);
                EXPECT_EQ(target->Put(L"P", 0, &value, 0), WBEM_E_TYPE_MISMATCH)
                    << row << std::string(beyond, beyond + std::wcslen(beyond));
                EXPECT_NE(StoredNumber(target.Get(), L"P", t.type), beyond) << row << "the refused value is not kept";
            }
        }
    }
}

TEST(WbemProperty, SixtyFourBitValuesTravelAsDecimalText)
{
    auto holder = MakeClass(L"Holder");
    PutProperty(holder.Get(), L"Big", CIM_UINT64);
    auto instance = Spawn(holder.Get());
    _variant_t value(ULONGLONG(18446744073709551615ull));
    ASSERT_EQ(instance->Put(L"Big", 0, &value, 0), WBEM_S_NO_ERROR);
    EXPECT_EQ(Text(instance.Get(), L"Big"), L"18446744073709551615");
}

TEST(WbemProperty, ArraysConvertEveryElementAndRefuseGaps)
{
    auto holder = MakeClass(L"Holder");
    PutProperty(holder.Get(), L"Numbers", CIM_SINT32 | CIM_FLAG_ARRAY);
    auto instance = Spawn(holder.Get());
    SAFEARRAY* shorts = SafeArrayCreateVector(VT_I2, 1, 2);
    for (LONG i = 1; i <= 2; ++i)
    {
        SHORT number = static_cast<SHORT>(i * 10);
        SafeArrayPutElement(shorts, &i, &number);
    }
    _variant_t value;
    value.vt = VT_ARRAY | VT_I2;
    value.parray = shorts;
    ASSERT_EQ(instance->Put(L"Numbers", 0, &value, 0), WBEM_S_NO_ERROR);
    _variant_t stored;
    ASSERT_EQ(instance->Get(L"Numbers", 0, &stored, nullptr, nullptr), WBEM_S_NO_ERROR);
    ASSERT_EQ(stored.vt, VT_ARRAY | VT_I4);
    LONG index = 1;
    LONG second = 0;
    ASSERT_EQ(SafeArrayGetElement(stored.parray, &index, &second), S_OK);
    EXPECT_EQ(second, 20);

    _variant_t scalar(LONG(3));
    EXPECT_EQ(instance->Put(L"Numbers", 0, &scalar, 0), WBEM_E_TYPE_MISMATCH);
    SAFEARRAY* variants = SafeArrayCreateVector(VT_VARIANT, 0, 1);
    _variant_t withGap;
    withGap.vt = VT_ARRAY | VT_VARIANT;
    withGap.parray = variants;
    EXPECT_EQ(instance->Put(L"Numbers", 0, &withGap, 0), WBEM_E_TYPE_MISMATCH);
}

TEST(WbemProperty, EnumerationFollowsDeclarationOrderWithInheritedPropertiesFirst)
{
    auto base = MakeClass(L"Bnt_Element");
    PutProperty(base.Get(), L"Id", CIM_SINT32);
    MarkKey(base.Get(), L"Id");
    auto derived = MakeClass(L"Bnt_Reader", base.Get());
    PutProperty(derived.Get(), L"Name", CIM_STRING);
    PutProperty(derived.Get(), L"Panel", CIM_REFERENCE);

    EXPECT_EQ(Names(derived.Get(), WBEM_FLAG_NONSYSTEM_ONLY), (std::vector<std::wstring>{L"Id", L"Name", L"Panel"}));
    EXPECT_EQ(Names(derived.Get(), WBEM_FLAG_LOCAL_ONLY), (std::vector<std::wstring>{L"Name", L"Panel"}));
    EXPECT_EQ(Names(derived.Get(), WBEM_FLAG_PROPAGATED_ONLY), (std::vector<std::wstring>{L"Id"}));
    EXPECT_EQ(Names(derived.Get(), WBEM_FLAG_KEYS_ONLY), (std::vector<std::wstring>{L"Id"}));
    EXPECT_EQ(Names(derived.Get(), WBEM_FLAG_REFS_ONLY), (std::vector<std::wstring>{L"Panel"}));
    EXPECT_EQ(
        Names(derived.Get(), WBEM_FLAG_SYSTEM_ONLY),
        (std::vector<std::wstring>{L"__GENUS", L"__CLASS", L"__SUPERCLASS", L"__DYNASTY", L"__RELPATH",
                                   L"__PROPERTY_COUNT", L"__DERIVATION", L"__SERVER", L"__NAMESPACE", L"__PATH"}));
    EXPECT_EQ(Names(derived.Get(), 0).size(), 13u);

    SAFEARRAY* names = nullptr;
    EXPECT_EQ(derived->GetNames(nullptr, 0x50, nullptr, &names), WBEM_E_INVALID_PARAMETER);
    EXPECT_EQ(derived->GetNames(nullptr, 0x1000, nullptr, &names), WBEM_E_INVALID_PARAMETER);
}

TEST(WbemProperty, NextWalksTheSelectionAndReportsOrigins)
{
    auto base = MakeClass(L"Bnt_Element");
    PutProperty(base.Get(), L"Id", CIM_SINT32);
    auto derived = MakeClass(L"Bnt_Reader", base.Get());
    PutProperty(derived.Get(), L"Name", CIM_STRING);
    auto instance = Spawn(derived.Get());
    _variant_t name(L"r1");
    instance->Put(L"Name", 0, &name, 0);

    BSTR current = nullptr;
    EXPECT_EQ(instance->Next(0, &current, nullptr, nullptr, nullptr), WBEM_E_UNEXPECTED);
    ASSERT_EQ(instance->BeginEnumeration(WBEM_FLAG_NONSYSTEM_ONLY), WBEM_S_NO_ERROR);
    std::vector<std::pair<std::wstring, LONG>> seen;
    LONG flavor = -1;
    while (instance->Next(0, &current, nullptr, nullptr, &flavor) == WBEM_S_NO_ERROR)
    {
        seen.emplace_back(current, flavor);
        SysFreeString(current);
    }
    EXPECT_EQ(instance->Next(0, &current, nullptr, nullptr, nullptr), WBEM_S_NO_MORE_DATA);
    instance->EndEnumeration();
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0], std::make_pair(std::wstring(L"Id"), WBEM_FLAVOR_ORIGIN_PROPAGATED));
    EXPECT_EQ(seen[1], std::make_pair(std::wstring(L"Name"), WBEM_FLAVOR_ORIGIN_LOCAL));
    EXPECT_EQ(instance->BeginEnumeration(WBEM_FLAG_ONLY_IF_TRUE), WBEM_E_INVALID_PARAMETER);
}

TEST(WbemProperty, GetNamesFiltersByQualifier)
{
    auto badge = BadgeClass();
    _variant_t keyValue(true);
    SAFEARRAY* names = nullptr;
    ASSERT_EQ(badge->GetNames(L"key", WBEM_FLAG_ONLY_IF_TRUE | WBEM_FLAG_NONSYSTEM_ONLY, nullptr, &names),
              WBEM_S_NO_ERROR);
    EXPECT_EQ(Strings(names), (std::vector<std::wstring>{L"BadgeKey"}));
    ASSERT_EQ(badge->GetNames(L"KEY", WBEM_FLAG_ONLY_IF_FALSE | WBEM_FLAG_NONSYSTEM_ONLY, nullptr, &names),
              WBEM_S_NO_ERROR);
    EXPECT_EQ(Strings(names), (std::vector<std::wstring>{L"Name", L"Owner"}));
    ASSERT_EQ(badge->GetNames(L"key", WBEM_FLAG_ONLY_IF_IDENTICAL | WBEM_FLAG_NONSYSTEM_ONLY, &keyValue, &names),
              WBEM_S_NO_ERROR);
    EXPECT_EQ(Strings(names), (std::vector<std::wstring>{L"BadgeKey"}));
    EXPECT_EQ(badge->GetNames(nullptr, WBEM_FLAG_ONLY_IF_TRUE, nullptr, &names), WBEM_E_INVALID_PARAMETER);
    EXPECT_EQ(badge->GetNames(L"key", WBEM_FLAG_ONLY_IF_IDENTICAL, nullptr, &names), WBEM_E_INVALID_PARAMETER);
}

TEST(WbemProperty, DeleteFollowsOriginRules)
{
    auto base = MakeClass(L"Bnt_Element");
    _variant_t seven(LONG(7));
    PutProperty(base.Get(), L"Level", CIM_SINT32, &seven);
    auto derived = MakeClass(L"Bnt_Reader", base.Get());
    PutProperty(derived.Get(), L"Name", CIM_STRING);

    EXPECT_EQ(derived->Delete(L"Level"), WBEM_E_PROPAGATED_PROPERTY);
    _variant_t nine(LONG(9));
    ASSERT_EQ(derived->Put(L"level", 0, &nine, 0), WBEM_S_NO_ERROR);
    EXPECT_EQ(derived->Put(L"Level", 0, &nine, CIM_STRING), WBEM_E_TYPE_MISMATCH);
    EXPECT_EQ(derived->Delete(L"Level"), WBEM_S_RESET_TO_DEFAULT);
    _variant_t level;
    derived->Get(L"Level", 0, &level, nullptr, nullptr);
    EXPECT_EQ(level.lVal, 7);

    auto instance = Spawn(derived.Get());
    instance->Put(L"Level", 0, &nine, 0);
    EXPECT_EQ(instance->Delete(L"LEVEL"), WBEM_S_RESET_TO_DEFAULT);
    instance->Get(L"Level", 0, &level, nullptr, nullptr);
    EXPECT_EQ(level.lVal, 7);

    EXPECT_EQ(derived->Delete(L"Name"), WBEM_S_NO_ERROR);
    EXPECT_EQ(derived->Delete(L"Name"), WBEM_E_NOT_FOUND);
    EXPECT_EQ(derived->Delete(L"__CLASS"), WBEM_E_SYSTEM_PROPERTY);
}
