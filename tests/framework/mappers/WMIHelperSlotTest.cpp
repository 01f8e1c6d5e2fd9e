// The WMIHelper writes given a property slot: an instance of the slot's class takes the value by
// slot and ends up exactly as after the write by name; any other object (a bus object, an
// instance of another class) is written by name.
#include "framework/objects/CCorvessaClassObject.h"
#include "framework/WMIHelper.h"
#include "platform/com/Bstr.h"
#include "platform/com/WbemConstants.h"
#include "platform/wmi/WbemClassObject.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {
ComPtr<IWbemClassObject> SampleClass(const wchar_t* name)
{
    ComPtr<IWbemClassObject> cls;
    EXPECT_EQ(CreateWbemClass(name, nullptr, &cls), WBEM_S_NO_ERROR);
    const struct
    {
        const wchar_t* name;
        CIMTYPE type;
    } properties[] = {
        {L"ID", CIM_SINT32},
        {L"Mask", CIM_UINT32},
        {L"Big", CIM_SINT64},
        {L"Active", CIM_BOOLEAN},
        {L"Name", CIM_STRING},
        {L"Rate", CIM_REAL64},
        {L"Pin", CIM_UINT8 | CIM_FLAG_ARRAY},
        {L"When", CIM_DATETIME},
    };
    for (const auto& property : properties)
        EXPECT_EQ(cls->Put(property.name, 0, nullptr, property.type), WBEM_S_NO_ERROR);
    return cls;
}

WbemClassObject::PropertySlot SlotOf(IWbemClassObject* cls, const wchar_t* name)
{
    WbemClassObject::PropertySlot slot;
    EXPECT_EQ(WbemClassObject::FromInterface(cls)->FindSlot(name, &slot), WBEM_S_NO_ERROR);
    return slot;
}

std::wstring ObjectText(IWbemClassObject* object)
{
    BSTR text = nullptr;
    EXPECT_EQ(object->GetObjectText(0, &text), WBEM_S_NO_ERROR);
    std::wstring result = text == nullptr ? L"" : text;
    SysFreeString(text);
    return result;
}

using Write = std::function<HRESULT(IWbemClassObject*, const WbemClassObject::PropertySlot*)>;

struct NamedWrite
{
    const wchar_t* property;
    Write write;
};

// Every helper write of the enumeration, with values that reach each conversion.
std::vector<NamedWrite> Writes()
{
    static const CByteArray pin = {1, 2, 250};
    return {
        {L"ID", [](IWbemClassObject* o, auto* s) { return WMIHelper::PutNumber(o, L"ID", -17, s); }},
        {L"Mask",
         [](IWbemClassObject* o, auto* s) { return WMIHelper::PutUnsignedNumber(o, L"Mask", 0xFFFFFFF0u, s); }},
        {L"Big", [](IWbemClassObject* o, auto* s) { return WMIHelper::PutNumber64(o, L"Big", -9000000000LL, s); }},
        {L"Active", [](IWbemClassObject* o, auto* s) { return WMIHelper::PutBool(o, L"Active", true, s); }},
        {L"Name", [](IWbemClassObject* o, auto* s) { return WMIHelper::PutText(o, L"Name", L"Main gate", 0, s); }},
        {L"Rate",
         [](IWbemClassObject* o, auto* s) {
             _variant_t rate(2.5);
             return WMIHelper::PutVariant(o, L"Rate", &rate, 0, s);
         }},
        {L"Pin", [](IWbemClassObject* o, auto* s) { return WMIHelper::PutByteArray(o, L"Pin", pin, s); }},
        {L"When",
         [](IWbemClassObject* o, auto* s) {
             return WMIHelper::PutDateTime(o, L"When", COleDateTime(2024, 2, 29, 13, 45, 6), Door::kWmi, s);
         }},
    };
}
}  // namespace

TEST(WMIHelperSlot, WritesBySlotLeaveTheInstanceAsWritesByName)
{
    ComPtr<IWbemClassObject> cls = SampleClass(L"Bnt_HelperSlot");
    ComPtr<IWbemClassObject> byName;
    ComPtr<IWbemClassObject> bySlot;
    ASSERT_EQ(cls->SpawnInstance(0, &byName), WBEM_S_NO_ERROR);
    ASSERT_EQ(cls->SpawnInstance(0, &bySlot), WBEM_S_NO_ERROR);
    for (const NamedWrite& write : Writes())
    {
        const WbemClassObject::PropertySlot slot = SlotOf(cls.Get(), write.property);
        EXPECT_EQ(write.write(byName.Get(), nullptr), WBEM_S_NO_ERROR) << std::wstring(write.property);
        EXPECT_EQ(write.write(bySlot.Get(), &slot), WBEM_S_NO_ERROR) << std::wstring(write.property);
    }
    EXPECT_EQ(ObjectText(bySlot.Get()), ObjectText(byName.Get()));
    EXPECT_EQ(bySlot->CompareTo(0, byName.Get()), WBEM_S_SAME);
}

TEST(WMIHelperSlot, ObjectsThatRefuseTheSlotAreWrittenByName)
{
    ComPtr<IWbemClassObject> slotClass = SampleClass(L"Bnt_HelperSlotOwner");
    ComPtr<IWbemClassObject> otherClass = SampleClass(L"Bnt_HelperSlotOther");
    ComPtr<IWbemClassObject> expected;
    ComPtr<IWbemClassObject> other;
    ASSERT_EQ(otherClass->SpawnInstance(0, &expected), WBEM_S_NO_ERROR);
    ASSERT_EQ(otherClass->SpawnInstance(0, &other), WBEM_S_NO_ERROR);
    ComPtr<IWbemClassObject> bus;
    bus.Attach(new CCorvessaClassObject(CString(L"Bnt_HelperSlotOwner")));

    for (const NamedWrite& write : Writes())
    {
        const WbemClassObject::PropertySlot slot = SlotOf(slotClass.Get(), write.property);
        EXPECT_EQ(write.write(expected.Get(), nullptr), WBEM_S_NO_ERROR) << std::wstring(write.property);
        EXPECT_EQ(write.write(other.Get(), &slot), WBEM_S_NO_ERROR) << std::wstring(write.property);
        EXPECT_EQ(write.write(bus.Get(), &slot), WBEM_S_NO_ERROR) << std::wstring(write.property);
        _variant_t written;
        EXPECT_EQ(bus->Get(write.property, 0, &written, nullptr, nullptr), WBEM_S_NO_ERROR);
        EXPECT_NE(written.vt, VT_EMPTY) << std::wstring(write.property);
    }
    EXPECT_EQ(ObjectText(other.Get()), ObjectText(expected.Get()));
    _variant_t name;
    ASSERT_EQ(bus->Get(L"Name", 0, &name, nullptr, nullptr), WBEM_S_NO_ERROR);
    ASSERT_EQ(name.vt, VT_BSTR);
    EXPECT_EQ(std::wstring(name.bstrVal), L"Main gate");
}

TEST(WMIHelperSlot, NullObjectFailsWithOrWithoutSlot)
{
    ComPtr<IWbemClassObject> cls = SampleClass(L"Bnt_HelperSlotNull");
    const WbemClassObject::PropertySlot slot = SlotOf(cls.Get(), L"ID");
    EXPECT_EQ(WMIHelper::PutNumber(nullptr, L"ID", 1, &slot), WBEM_E_FAILED);
    EXPECT_EQ(WMIHelper::PutText(nullptr, L"Name", L"x", 0, &slot), WBEM_E_FAILED);
    EXPECT_EQ(WMIHelper::PutBool(nullptr, L"Active", false, nullptr), WBEM_E_FAILED);
}
