// The typed writes and the qualifier helpers, through the in-memory WMI class objects: what
// each write stores, that the read helpers get it back, and the codes of refused writes.
#include "framework/WMIHelper.h"
#include "tests/framework/wmihelper/WMIHelperTestSupport.h"
#include "tests/support/ArrayTexts.h"

#include "platform/com/SafeArray.h"
#include "platform/wmi/IWbemQualifierSet.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

using namespace wmihelpertest;

namespace {

constexpr HRESULT kWriteFailed = static_cast<HRESULT>(0x80041001u);

_variant_t Raw(IWbemClassObject* object, const wchar_t* name, CIMTYPE* type = nullptr)
{
    _variant_t value;
    EXPECT_EQ(object->Get(name, 0, &value, type, nullptr), WBEM_S_NO_ERROR);
    return value;
}

std::vector<BYTE> BytesOf(const VARIANT& value)
{
    std::vector<BYTE> bytes;
    if (value.vt != (VT_ARRAY | VT_UI1))
        return bytes;
    LONG lower = 0;
    LONG upper = -1;
    SafeArrayGetLBound(value.parray, 1, &lower);
    SafeArrayGetUBound(value.parray, 1, &upper);
    for (LONG i = lower; i <= upper; ++i)
    {
        BYTE element = 0;
        SafeArrayGetElement(value.parray, &i, &element);
        bytes.push_back(element);
    }
    return bytes;
}

_variant_t QualifierValue(IWbemQualifierSet* set, const wchar_t* name, LONG* flavor = nullptr)
{
    _variant_t value;
    EXPECT_EQ(set->Get(name, 0, &value, flavor), WBEM_S_NO_ERROR) << std::wstring(name).size();
    return value;
}

ComPtr<IWbemQualifierSet> QualifiersOf(IWbemClassObject* object, const wchar_t* property)
{
    ComPtr<IWbemQualifierSet> set;
    EXPECT_EQ(WMIHelper::GetPropertyQualifierSet(object, property, &set), WBEM_S_NO_ERROR);
    return set;
}

}  // namespace

TEST(WMIHelperPut, NumbersRoundTripThroughAnInstance)
{
    const SampleObjects sample = MakeSample();
    IWbemClassObject* instance = sample.instance.Get();

    const LONG numbers[] = {0, -1, 2147483647, -2147483647 - 1};
    for (const LONG number : numbers)
    {
        ASSERT_EQ(WMIHelper::PutNumber(instance, L"Number", number), WBEM_S_NO_ERROR);
        LONG read = 0;
        ASSERT_EQ(WMIHelper::GetNumber(instance, L"Number", read), WBEM_S_NO_ERROR);
        EXPECT_EQ(read, number);
    }

    // The property's own type decides: a small unsigned property takes what fits.
    EXPECT_EQ(WMIHelper::PutNumber(instance, L"Small", 65535), WBEM_S_NO_ERROR);
    EXPECT_EQ(WMIHelper::PutNumber(instance, L"Small", 65536), WBEM_E_TYPE_MISMATCH);
    LONG small = 0;
    EXPECT_EQ(WMIHelper::GetNumber(instance, L"Small", small), WBEM_S_NO_ERROR);
    EXPECT_EQ(small, 65535);
}

TEST(WMIHelperPut, UnsignedNumberTravelsAsI4WithUint32Type)
{
    const SampleObjects sample = MakeSample();
    IWbemClassObject* instance = sample.instance.Get();
    ASSERT_EQ(WMIHelper::PutUnsignedNumber(instance, L"Unsigned", 0xFFFFFFFFu), WBEM_S_NO_ERROR);
    CIMTYPE type = CIM_EMPTY;
    const _variant_t raw = Raw(instance, L"Unsigned", &type);
    EXPECT_EQ(raw.vt, VT_I4);
    EXPECT_EQ(raw.lVal, -1);
    EXPECT_EQ(type, CIM_UINT32);
    LONG read = 0;
    EXPECT_EQ(WMIHelper::GetNumber(instance, L"Unsigned", read), WBEM_S_NO_ERROR);
    EXPECT_EQ(static_cast<ULONG>(read), 0xFFFFFFFFu);

    // CIM type 19 is passed with the value, so a sint32 property refuses it.
    EXPECT_EQ(WMIHelper::PutUnsignedNumber(instance, L"Number", 5), WBEM_E_TYPE_MISMATCH);
}

TEST(WMIHelperPut, Number64TravelsAsDecimalText)
{
    const SampleObjects sample = MakeSample();
    IWbemClassObject* instance = sample.instance.Get();
    const LONGLONG values[] = {0, -1, 9223372036854775807ll, -9223372036854775807ll - 1, 123456789012ll};
    for (const LONGLONG number : values)
    {
        ASSERT_EQ(WMIHelper::PutNumber64(instance, L"Big", number), WBEM_S_NO_ERROR);
        const _variant_t raw = Raw(instance, L"Big");
        ASSERT_EQ(raw.vt, VT_BSTR);
        EXPECT_EQ(std::wstring(raw.bstrVal), std::to_wstring(number));
        LONGLONG read = 0;
        EXPECT_EQ(WMIHelper::GetNumber64(instance, L"Big", read), WBEM_S_NO_ERROR);
        EXPECT_EQ(read, number);
    }
    // A uint64 property refuses a negative number.
    EXPECT_EQ(WMIHelper::PutNumber64(instance, L"BigUnsigned", -1), WBEM_E_TYPE_MISMATCH);
}

TEST(WMIHelperPut, BoolStoresVariantTrueAndFalse)
{
    const SampleObjects sample = MakeSample();
    IWbemClassObject* instance = sample.instance.Get();
    for (const bool flag : {true, false})
    {
        ASSERT_EQ(WMIHelper::PutBool(instance, L"Flag", flag), WBEM_S_NO_ERROR);
        const _variant_t raw = Raw(instance, L"Flag");
        EXPECT_EQ(raw.vt, VT_BOOL);
        EXPECT_EQ(raw.boolVal, flag ? VARIANT_TRUE : VARIANT_FALSE);
        int read = -7;
        EXPECT_EQ(WMIHelper::GetBool(instance, L"Flag", read), WBEM_S_NO_ERROR);
        EXPECT_EQ(read, flag ? TRUE : FALSE);
    }
}

TEST(WMIHelperPut, StringPassesItsCimType)
{
    const SampleObjects sample = MakeSample();
    IWbemClassObject* instance = sample.instance.Get();
    const CString text(L"Main entrance \u00e9\u20ac");
    ASSERT_EQ(WMIHelper::PutString(instance, L"Text", text, CIM_STRING), WBEM_S_NO_ERROR);
    CString read;
    EXPECT_EQ(WMIHelper::GetString(instance, L"Text", read), WBEM_S_NO_ERROR);
    EXPECT_EQ(read, text);

    EXPECT_EQ(WMIHelper::PutString(instance, L"Number", L"12", CIM_STRING), WBEM_E_TYPE_MISMATCH);
    EXPECT_EQ(WMIHelper::PutString(instance, L"Number", L"12", CIM_EMPTY), WBEM_S_NO_ERROR);
    EXPECT_EQ(WMIHelper::PutString(instance, L"NoSuchProperty", L"x", CIM_STRING), WBEM_E_NOT_FOUND);
}

TEST(WMIHelperPut, VariantPassesValueAndNullClears)
{
    const SampleObjects sample = MakeSample();
    IWbemClassObject* instance = sample.instance.Get();
    _variant_t real(2.5);
    ASSERT_EQ(WMIHelper::PutVariant(instance, L"Real", &real, CIM_REAL64), WBEM_S_NO_ERROR);
    EXPECT_DOUBLE_EQ(Raw(instance, L"Real").dblVal, 2.5);

    ASSERT_EQ(WMIHelper::PutVariant(instance, L"Real", nullptr, CIM_EMPTY), WBEM_S_NO_ERROR);
    EXPECT_EQ(Raw(instance, L"Real").vt, VT_NULL);
    VARIANT value;
    VariantInit(&value);
    ASSERT_EQ(WMIHelper::GetVariant(instance, L"Real", &value), WBEM_S_NO_ERROR);
    EXPECT_EQ(value.vt, VT_NULL);
}

TEST(WMIHelperPut, ByteArrayRoundTripsAsUint8ArrayAndAnEmptyOneIsNone)
{
    const SampleObjects sample = MakeSample();
    IWbemClassObject* instance = sample.instance.Get();
    // Each after a value, so that the empty one is seen to clear it: an empty binary value is
    // none, as the installation stores an empty text.
    const CByteArray cases[] = {{0x00}, {}, {0xDE, 0xAD, 0xBE, 0xEF, 0x00, 0xFF}, {}};
    for (const CByteArray& bytes : cases)
    {
        ASSERT_EQ(WMIHelper::PutByteArray(instance, L"Bytes", bytes), WBEM_S_NO_ERROR);
        CIMTYPE type = CIM_EMPTY;
        const _variant_t raw = Raw(instance, L"Bytes", &type);
        EXPECT_EQ(type, CIM_UINT8 | CIM_FLAG_ARRAY);
        if (bytes.empty())
        {
            EXPECT_EQ(raw.vt, VT_NULL);
            continue;
        }
        EXPECT_EQ(raw.vt, VT_ARRAY | VT_UI1);
        EXPECT_EQ(BytesOf(raw), bytes);
    }
    // The uint8-array type goes with the value: a text property refuses it.
    EXPECT_EQ(WMIHelper::PutByteArray(instance, L"Text", CByteArray{1}), WBEM_E_TYPE_MISMATCH);
}

TEST(WMIHelperPut, ByteArrayDefinesAUint8ArrayPropertyOnAClass)
{
    ComPtr<IWbemClassObject> classObject;
    ASSERT_EQ(CreateWbemClass(L"Blob", nullptr, &classObject), WBEM_S_NO_ERROR);
    ASSERT_EQ(WMIHelper::PutByteArray(classObject.Get(), L"Data", CByteArray{1, 2}), WBEM_S_NO_ERROR);
    CIMTYPE type = CIM_EMPTY;
    Raw(classObject.Get(), L"Data", &type);
    EXPECT_EQ(type, CIM_UINT8 | CIM_FLAG_ARRAY);
}

TEST(WMIHelperPut, ObjectEmbedsAndNullClears)
{
    const SampleObjects sample = MakeSample();
    const SampleObjects alarm = MakeSample();
    ASSERT_EQ(WMIHelper::PutNumber(alarm.instance.Get(), L"Number", 17), WBEM_S_NO_ERROR);
    IWbemClassObject* instance = sample.instance.Get();

    ASSERT_EQ(WMIHelper::PutObject(instance, L"Embedded", alarm.instance.Get()), WBEM_S_NO_ERROR);
    const _variant_t raw = Raw(instance, L"Embedded");
    ASSERT_EQ(raw.vt, VT_UNKNOWN);
    ComPtr<IUnknown> held(raw.punkVal);
    const ComPtr<IWbemClassObject> embedded = held.As<IWbemClassObject>();
    ASSERT_NE(embedded.Get(), nullptr);
    LONG number = 0;
    EXPECT_EQ(WMIHelper::GetNumber(embedded.Get(), L"Number", number), WBEM_S_NO_ERROR);
    EXPECT_EQ(number, 17);

    ASSERT_EQ(WMIHelper::PutObject(instance, L"Embedded", nullptr), WBEM_S_NO_ERROR);
    EXPECT_EQ(Raw(instance, L"Embedded").vt, VT_NULL);
    // An object cannot hold itself.
    EXPECT_EQ(WMIHelper::PutObject(instance, L"Embedded", instance), WBEM_E_INVALID_PARAMETER);
}

TEST(WMIHelperPut, EveryWriteRefusesANullObject)
{
    _variant_t value(LONG{1});
    EXPECT_EQ(WMIHelper::PutNumber(nullptr, L"P", 1), kWriteFailed);
    EXPECT_EQ(WMIHelper::PutUnsignedNumber(nullptr, L"P", 1), kWriteFailed);
    EXPECT_EQ(WMIHelper::PutNumber64(nullptr, L"P", 1), kWriteFailed);
    EXPECT_EQ(WMIHelper::PutBool(nullptr, L"P", true), kWriteFailed);
    EXPECT_EQ(WMIHelper::PutString(nullptr, L"P", L"x", CIM_STRING), kWriteFailed);
    EXPECT_EQ(WMIHelper::PutVariant(nullptr, L"P", &value, CIM_EMPTY), kWriteFailed);
    EXPECT_EQ(WMIHelper::PutByteArray(nullptr, L"P", CByteArray{1}), kWriteFailed);
    EXPECT_EQ(WMIHelper::PutObject(nullptr, L"P", nullptr), kWriteFailed);
    EXPECT_EQ(WMIHelper::PutDateTime(nullptr, L"P", COleDateTime(2024, 1, 1, 0, 0, 0), Door::kWmi), kWriteFailed);
    EXPECT_EQ(WMIHelper::PutDateTime(nullptr, L"P", TIMESTAMP_STRUCT{2024, 1, 1, 0, 0, 0, 0}, Door::kWmi),
              kWriteFailed);
    EXPECT_EQ(WMIHelper::PutDateTime(nullptr, L"P", CTime(0), Door::kWmi), kWriteFailed);
}

TEST(WMIHelperPutDateTime, WritesDmtfOfTheFieldsAsTheyStand)
{
    const SampleObjects sample = MakeSample();
    IWbemClassObject* instance = sample.instance.Get();

    ASSERT_EQ(WMIHelper::PutDateTime(instance, L"When", COleDateTime(2024, 2, 29, 23, 59, 58), Door::kWmi),
              WBEM_S_NO_ERROR);
    CString text;
    ASSERT_EQ(WMIHelper::GetString(instance, L"When", text), WBEM_S_NO_ERROR);
    EXPECT_EQ(text, L"20240229235958.000000+000");

    const TIMESTAMP_STRUCT timestamp{2023, 7, 4, 9, 8, 7, 123456789};
    ASSERT_EQ(WMIHelper::PutDateTime(instance, L"When", timestamp, Door::kWmi), WBEM_S_NO_ERROR);
    ASSERT_EQ(WMIHelper::GetString(instance, L"When", text), WBEM_S_NO_ERROR);
    EXPECT_EQ(text, L"20230704090807.123456+000");
    COleDateTime read;
    ASSERT_EQ(WMIHelper::GetDateTime(instance, L"When", &read, Door::kWmi), WBEM_S_NO_ERROR);
    EXPECT_EQ(read, COleDateTime(2023, 7, 4, 9, 8, 7));
}

TEST(WMIHelperPutDateTime, WritesACTimeAsItsUtcFields)
{
    const SampleObjects sample = MakeSample();
    IWbemClassObject* instance = sample.instance.Get();
    const struct
    {
        __time64_t seconds;
        const wchar_t* text;
    } cases[] = {
        {0, L"19700101000000.000000+000"},
        {951782400, L"20000229000000.000000+000"},
        {4102444799, L"20991231235959.000000+000"},
    };
    for (const auto& item : cases)
    {
        ASSERT_EQ(WMIHelper::PutDateTime(instance, L"When", CTime(item.seconds), Door::kWmi), WBEM_S_NO_ERROR);
        CString text;
        ASSERT_EQ(WMIHelper::GetString(instance, L"When", text), WBEM_S_NO_ERROR);
        EXPECT_EQ(text, item.text);
    }
}

TEST(WMIHelperPutDateTime, RefusesFieldsThatFormNoDateAndWritesNothing)
{
    const SampleObjects sample = MakeSample();
    IWbemClassObject* instance = sample.instance.Get();
    ASSERT_EQ(WMIHelper::PutDateTime(instance, L"When", COleDateTime(2020, 1, 2, 3, 4, 5), Door::kWmi),
              WBEM_S_NO_ERROR);

    COleDateTime invalid;
    invalid.SetStatus(COleDateTime::invalid);
    COleDateTime null;
    null.SetStatus(COleDateTime::null);
    EXPECT_EQ(WMIHelper::PutDateTime(instance, L"When", invalid, Door::kWmi), WBEM_E_INVALID_PARAMETER);
    EXPECT_EQ(WMIHelper::PutDateTime(instance, L"When", null, Door::kWmi), WBEM_E_INVALID_PARAMETER);

    const TIMESTAMP_STRUCT badTimestamps[] = {
        {2023, 2, 29, 0, 0, 0, 0},          // not a leap year
        {2023, 13, 1, 0, 0, 0, 0},          // month
        {2023, 1, 1, 24, 0, 0, 0},          // hour
        {2023, 1, 1, 0, 60, 0, 0},          // minute
        {2023, 1, 1, 0, 0, 60, 0},          // second
        {99, 1, 1, 0, 0, 0, 0},             // year before 100
        {-1, 1, 1, 0, 0, 0, 0},             // negative year
        {2023, 1, 1, 0, 0, 0, 1000000000},  // a whole second of fraction
    };
    for (const TIMESTAMP_STRUCT& timestamp : badTimestamps)
        EXPECT_EQ(WMIHelper::PutDateTime(instance, L"When", timestamp, Door::kWmi), WBEM_E_INVALID_PARAMETER);

    // Beyond the year 9999 as UTC fields.
    EXPECT_EQ(WMIHelper::PutDateTime(instance, L"When", CTime(253402300800ll), Door::kWmi), WBEM_E_INVALID_PARAMETER);

    CString text;
    ASSERT_EQ(WMIHelper::GetString(instance, L"When", text), WBEM_S_NO_ERROR);
    EXPECT_EQ(text, L"20200102030405.000000+000");
}

TEST(WMIHelperPutDateTime, WritesIsoForTheBusDoor)
{
    const SampleObjects sample = MakeSample();
    IWbemClassObject* instance = sample.instance.Get();
    ASSERT_EQ(WMIHelper::PutDateTime(instance, L"Text", COleDateTime(2024, 1, 31, 8, 5, 9), Door::kBus),
              WBEM_S_NO_ERROR);
    CString text;
    ASSERT_EQ(WMIHelper::GetString(instance, L"Text", text), WBEM_S_NO_ERROR);
    EXPECT_EQ(text, L"2024-01-31T08:05:09+00:00");
    COleDateTime read;
    ASSERT_EQ(WMIHelper::GetDateTime(instance, L"Text", &read, Door::kBus), WBEM_S_NO_ERROR);
    EXPECT_EQ(read, COleDateTime(2024, 1, 31, 8, 5, 9));
}

TEST(WMIHelperQualifiers, FlavourThreePropagatesToInstancesAndDerivedClasses)
{
    ComPtr<IWbemClassObject> base;
    ASSERT_EQ(CreateWbemClass(L"Base", nullptr, &base), WBEM_S_NO_ERROR);
    ASSERT_EQ(base->Put(L"Name", 0, nullptr, CIM_STRING), WBEM_S_NO_ERROR);

    CString maxLength(L"64");
    ASSERT_EQ(WMIHelper::PutQualString(base.Get(), L"Name", L"maxlen", maxLength, 3), WBEM_S_NO_ERROR);
    ASSERT_EQ(WMIHelper::PutQualString(base.Get(), L"Name", L"local", CString(L"here"), 0), WBEM_S_NO_ERROR);
    {
        const ComPtr<IWbemQualifierSet> set = QualifiersOf(base.Get(), L"Name");
        ASSERT_NE(set.Get(), nullptr);
        EXPECT_EQ(WMIHelper::PutQualInt(set.Get(), L"ID", 7, 3), WBEM_S_NO_ERROR);
        EXPECT_EQ(WMIHelper::PutQualBool(set.Get(), L"key", true, 3), WBEM_S_NO_ERROR);
        EXPECT_EQ(WMIHelper::PutQualStringArray(set.Get(), L"Values", CStringList{L"Off", L"On", L""}, 3),
                  WBEM_S_NO_ERROR);
    }

    ComPtr<IWbemClassObject> derived;
    ASSERT_EQ(CreateWbemClass(L"Derived", base.Get(), &derived), WBEM_S_NO_ERROR);
    ComPtr<IWbemClassObject> instance;
    ASSERT_EQ(base->SpawnInstance(0, &instance), WBEM_S_NO_ERROR);

    for (IWbemClassObject* object : {base.Get(), derived.Get(), instance.Get()})
    {
        const ComPtr<IWbemQualifierSet> set = QualifiersOf(object, L"Name");
        ASSERT_NE(set.Get(), nullptr);
        LONG flavor = 0;
        const _variant_t maxlen = QualifierValue(set.Get(), L"maxlen", &flavor);
        EXPECT_EQ(maxlen.vt, VT_BSTR);
        EXPECT_EQ(std::wstring(maxlen.bstrVal), L"64");
        EXPECT_EQ(flavor & WBEM_FLAVOR_MASK_PROPAGATION, 3);

        const _variant_t id = QualifierValue(set.Get(), L"ID");
        EXPECT_EQ(id.vt, VT_I4);
        EXPECT_EQ(id.lVal, 7);
        const _variant_t key = QualifierValue(set.Get(), L"key");
        EXPECT_EQ(key.vt, VT_BOOL);
        EXPECT_EQ(key.boolVal, VARIANT_TRUE);
        EXPECT_EQ(support::ArrayTexts(QualifierValue(set.Get(), L"Values")),
                  (std::vector<std::wstring>{L"Off", L"On", L""}));

        const HRESULT local = set->Get(L"local", 0, nullptr, nullptr);
        EXPECT_EQ(local, object == base.Get() ? WBEM_S_NO_ERROR : WBEM_E_NOT_FOUND);
    }
}

TEST(WMIHelperQualifiers, EmptyStringListGivesAnEmptyArray)
{
    ComPtr<IWbemClassObject> classObject;
    ASSERT_EQ(CreateWbemClass(L"Lists", nullptr, &classObject), WBEM_S_NO_ERROR);
    ASSERT_EQ(classObject->Put(L"P", 0, nullptr, CIM_SINT32), WBEM_S_NO_ERROR);
    const ComPtr<IWbemQualifierSet> set = QualifiersOf(classObject.Get(), L"P");
    ASSERT_EQ(WMIHelper::PutQualStringArray(set.Get(), L"ValueMap", CStringList{}, 3), WBEM_S_NO_ERROR);
    const _variant_t value = QualifierValue(set.Get(), L"ValueMap");
    EXPECT_EQ(value.vt, VT_ARRAY | VT_BSTR);
    EXPECT_TRUE(support::ArrayTexts(value).empty());
}

TEST(WMIHelperQualifiers, ReportsTheCodesOfRefusedRequests)
{
    ComPtr<IWbemClassObject> classObject;
    ASSERT_EQ(CreateWbemClass(L"Codes", nullptr, &classObject), WBEM_S_NO_ERROR);
    ASSERT_EQ(classObject->Put(L"P", 0, nullptr, CIM_SINT32), WBEM_S_NO_ERROR);

    int placeholder = 0;
    IWbemQualifierSet* const stale = reinterpret_cast<IWbemQualifierSet*>(&placeholder);
    IWbemQualifierSet* set = stale;
    EXPECT_EQ(WMIHelper::GetPropertyQualifierSet(classObject.Get(), L"Missing", &set), WBEM_E_NOT_FOUND);
    EXPECT_EQ(set, nullptr);
    set = stale;
    EXPECT_EQ(WMIHelper::GetPropertyQualifierSet(nullptr, L"P", &set), kWriteFailed);
    EXPECT_EQ(set, nullptr);
    EXPECT_EQ(WMIHelper::GetPropertyQualifierSet(classObject.Get(), L"P", nullptr), WBEM_E_INVALID_PARAMETER);

    EXPECT_EQ(WMIHelper::PutQualString(classObject.Get(), L"Missing", L"q", CString(L"v"), 3), WBEM_E_NOT_FOUND);
    EXPECT_EQ(WMIHelper::PutQualString(nullptr, L"P", L"q", CString(L"v"), 3), kWriteFailed);
    EXPECT_EQ(WMIHelper::PutQualInt(nullptr, L"q", 1, 3), kWriteFailed);
    EXPECT_EQ(WMIHelper::PutQualBool(nullptr, L"q", true, 3), kWriteFailed);
    EXPECT_EQ(WMIHelper::PutQualStringArray(nullptr, L"q", CStringList{L"a"}, 3), kWriteFailed);

    const ComPtr<IWbemQualifierSet> qualifiers = QualifiersOf(classObject.Get(), L"P");
    EXPECT_EQ(WMIHelper::PutQualInt(qualifiers.Get(), L"q", 1, 0x1000), WBEM_E_INVALID_FLAVOR);
    EXPECT_EQ(WMIHelper::PutQualBool(qualifiers.Get(), nullptr, true, 3), WBEM_E_INVALID_PARAMETER);
}
