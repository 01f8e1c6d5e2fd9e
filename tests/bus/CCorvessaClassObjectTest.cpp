#include "framework/objects/CCorvessaClassObject.h"
#include "framework/CWmipMapperRegistry.h"
#include "platform/com/WbemConstants.h"
#include "platform/wmi/WbemClassObject.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {
// Heap objects are handed around with their one reference, as the mappers do.
struct ReleaseObject
{
    void operator()(IWbemClassObject* object) const { object->Release(); }
};
using Owned = std::unique_ptr<IWbemClassObject, ReleaseObject>;

void PutValue(CCorvessaClassObject& object, const wchar_t* name, _variant_t value, CIMTYPE type)
{
    ASSERT_EQ(object.Put(name, 0, &value, type), WBEM_S_NO_ERROR);
}

std::vector<std::wstring> Walk(IWbemClassObject& object, LONG flags)
{
    std::vector<std::wstring> names;
    object.BeginEnumeration(flags);
    BSTR name = nullptr;
    while (object.Next(0, &name, nullptr, nullptr, nullptr) == WBEM_S_NO_ERROR)
    {
        names.emplace_back(name);
        SysFreeString(name);
    }
    object.EndEnumeration();
    return names;
}

CCorvessaClassObject BadgeObject()
{
    CCorvessaClassObject badge(L"Bnt_Badge");
    PutValue(badge, L"__class", _variant_t(L"Bnt_Badge"), CIM_STRING);
    PutValue(badge, L"Name", _variant_t(L"Front"), CIM_STRING);
    PutValue(badge, L"BadgeKey", _variant_t(LONG(7)), CIM_SINT32);
    return badge;
}

Owned Signature(const wchar_t* parameter, CIMTYPE type)
{
    auto signature = std::make_unique<CCorvessaClassObject>(L"__PARAMETERS");
    signature->Put(parameter, 0, nullptr, type);
    return Owned(signature.release());
}
}  // namespace

TEST(CCorvessaClassObject, PropertiesMatchWithoutRegardToCaseAndKeepNameAndType)
{
    CCorvessaClassObject object(L"Bnt_Badge");
    PutValue(object, L"Name", _variant_t(L"a"), CIM_STRING);
    _variant_t value;
    CIMTYPE type = 0;
    ASSERT_EQ(object.Get(L"NAME", 0, value.GetAddress(), &type, nullptr), WBEM_S_NO_ERROR);
    EXPECT_STREQ(value.bstrVal, L"a");
    PutValue(object, L"NAME", _variant_t(LONG(4)), CIM_SINT32);
    EXPECT_EQ(Walk(object, 0), std::vector<std::wstring>{L"Name"});
    ASSERT_EQ(object.Get(L"name", 0, value.GetAddress(), &type, nullptr), WBEM_S_NO_ERROR);
    EXPECT_EQ(type, CIM_STRING);
    EXPECT_EQ(value.vt, VT_I4);
}

TEST(CCorvessaClassObject, AbsentAndSystemPropertiesAreNotFound)
{
    CCorvessaClassObject object(L"Bnt_Badge");
    ASSERT_EQ(object.Put(L"Empty", 0, nullptr, CIM_STRING), WBEM_S_NO_ERROR);
    _variant_t value(LONG(3));
    ASSERT_EQ(object.Get(L"Empty", 0, &value, nullptr, nullptr), WBEM_S_NO_ERROR);
    EXPECT_EQ(value.vt, VT_EMPTY);
    value = _variant_t(LONG(3));
    EXPECT_EQ(object.Get(L"Missing", 0, &value, nullptr, nullptr), WBEM_E_NOT_FOUND);
    EXPECT_EQ(object.Get(L"__RELPATH", 0, &value, nullptr, nullptr), WBEM_E_NOT_FOUND);
    EXPECT_EQ(value.lVal, 3);
}

TEST(CCorvessaClassObject, NamesFollowUpperCasedOrderAndSystemNamesCanBeSkipped)
{
    CCorvessaClassObject badge = BadgeObject();
    SAFEARRAY* names = nullptr;
    ASSERT_EQ(badge.GetNames(nullptr, 0, nullptr, &names), WBEM_S_NO_ERROR);
    LONG upper = 0;
    SafeArrayGetUBound(names, 1, &upper);
    std::vector<std::wstring> listed;
    for (LONG i = 0; i <= upper; ++i)
    {
        BSTR name = nullptr;
        SafeArrayGetElement(names, &i, &name);
        listed.emplace_back(name);
        SysFreeString(name);
    }
    SafeArrayDestroy(names);
    EXPECT_EQ(listed, (std::vector<std::wstring>{L"BadgeKey", L"Name", L"__class"}));
    EXPECT_EQ(Walk(badge, WBEM_FLAG_NONSYSTEM_ONLY), (std::vector<std::wstring>{L"BadgeKey", L"Name"}));
    EXPECT_EQ(badge.GetPropertyNames(), (std::vector<CString>{L"BadgeKey", L"Name"}));
    EXPECT_EQ(badge.NumberOfProperties(), 2);
}

TEST(CCorvessaClassObject, KeysOnlyAsksTheRegisteredTypeDescription)
{
    CCorvessaClassObject unregistered = BadgeObject();
    unregistered.SetClassName(L"Test_Unregistered");
    PutValue(unregistered, L"__class", _variant_t(), CIM_STRING);
    EXPECT_EQ(Walk(unregistered, WBEM_FLAG_KEYS_ONLY).size(), 3u);

    CWmipMapperRegistry::Instance()->RegisterClass(L"Test_KeyedBadge", L"");
    CWmipMapperRegistry::Instance()->RegisterProperty(L"Test_KeyedBadge", L"BadgeKey", CIM_SINT32, L"BADGE", L"ID", 1,
                                                      0);
    CCorvessaClassObject registered = BadgeObject();
    PutValue(registered, L"__class", _variant_t(L"test_keyedbadge"), CIM_STRING);
    EXPECT_EQ(Walk(registered, WBEM_FLAG_KEYS_ONLY), std::vector<std::wstring>{L"BadgeKey"});
}

TEST(CCorvessaClassObject, NextWithoutBeginningAnswersNoMoreData)
{
    CCorvessaClassObject object = BadgeObject();
    BSTR name = nullptr;
    EXPECT_EQ(object.Next(0, &name, nullptr, nullptr, nullptr), WBEM_S_NO_MORE_DATA);
    CCorvessaClassObject empty;
    empty.BeginEnumeration(0);
    EXPECT_EQ(empty.Next(0, &name, nullptr, nullptr, nullptr), WBEM_S_NO_MORE_DATA);
    object.BeginEnumeration(0);
    object.BeginEnumeration(0);
    EXPECT_EQ(Walk(object, 0).size(), 3u);
}

TEST(CCorvessaClassObject, ClassNamePrefersAValuedClassProperty)
{
    CCorvessaClassObject object(L"Member");
    EXPECT_EQ(object.GetClassNameW(), CString(L"Member"));
    PutValue(object, L"__CLASS", _variant_t(L"FromProperty"), CIM_STRING);
    EXPECT_EQ(object.GetClassNameW(), CString(L"FromProperty"));
    _variant_t null;
    null.vt = VT_NULL;
    PutValue(object, L"__class", null, CIM_STRING);
    EXPECT_EQ(object.GetClassNameW(), CString(L"Member"));
}

TEST(CCorvessaClassObject, SpawnedInstancesAreIndependentCopies)
{
    CCorvessaClassObject definition = BadgeObject();
    IWbemQualifierSet* qualifiers = nullptr;
    definition.GetPropertyQualifierSet(L"Name", &qualifiers);
    _variant_t maxlen(LONG(40));
    qualifiers->Put(L"maxlen", &maxlen, 0);
    qualifiers->Release();

    IWbemClassObject* raw = nullptr;
    ASSERT_EQ(definition.SpawnInstance(0, &raw), WBEM_S_NO_ERROR);
    Owned instance(raw);
    EXPECT_NE(dynamic_cast<CCorvessaClassObject*>(instance.get()), nullptr);
    _variant_t changed(L"Back");
    instance->Put(L"Name", 0, &changed, 0);
    _variant_t original;
    definition.Get(L"Name", 0, &original, nullptr, nullptr);
    EXPECT_STREQ(original.bstrVal, L"Front");
    ASSERT_EQ(instance->GetPropertyQualifierSet(L"Name", &qualifiers), WBEM_S_NO_ERROR);
    EXPECT_EQ(qualifiers->Get(L"maxlen", 0, nullptr, nullptr), WBEM_S_NO_ERROR);
    qualifiers->Release();

    ASSERT_EQ(definition.SpawnDerivedClass(0, &raw), WBEM_S_NO_ERROR);
    Owned derived(raw);
    auto* derivedObject = dynamic_cast<CCorvessaClassObject*>(derived.get());
    ASSERT_NE(derivedObject, nullptr);
    EXPECT_EQ(derivedObject->GetClassNameW(), CString(L"Bnt_Badge"));
    EXPECT_TRUE(derivedObject->GetPropertyDescriptorMap().empty());
    EXPECT_TRUE(derivedObject->MethodNames().empty());
}

TEST(CCorvessaClassObject, OutPointersAreAlwaysWrittenOnSuccessOrRefused)
{
    CCorvessaClassObject object = BadgeObject();
    void* raw = reinterpret_cast<void*>(0x1);
    EXPECT_EQ(object.QueryInterface(IWbemQualifierSet::kIID, &raw), E_NOINTERFACE);
    EXPECT_EQ(raw, nullptr);
    ASSERT_EQ(object.QueryInterface(IWbemClassObject::kIID, &raw), S_OK);
    EXPECT_EQ(raw, static_cast<void*>(static_cast<IWbemClassObject*>(&object)));
    object.Release();
    EXPECT_EQ(object.Clone(nullptr), WBEM_E_INVALID_PARAMETER);
    BSTR text = reinterpret_cast<BSTR>(0x1);
    EXPECT_EQ(object.GetObjectText(0, &text), WBEM_E_NOT_SUPPORTED);
    EXPECT_EQ(text, nullptr);
    text = reinterpret_cast<BSTR>(0x1);
    EXPECT_EQ(object.GetPropertyOrigin(L"Name", &text), WBEM_E_NOT_SUPPORTED);
    EXPECT_EQ(text, nullptr);
    EXPECT_EQ(object.CompareTo(0, nullptr), WBEM_S_NO_ERROR);
    EXPECT_EQ(object.InheritsFrom(L"Anything"), WBEM_S_NO_ERROR);
}

TEST(CCorvessaClassObject, MethodsKeepCopiesOfTheirSignatures)
{
    CCorvessaClassObject reader(L"Bnt_Reader");
    Owned in = Signature(L"Mode", CIM_SINT32);
    Owned out = Signature(L"Status", CIM_UINT32);
    ASSERT_EQ(reader.PutMethod(L"SetMode", 0, in.get(), out.get()), WBEM_S_NO_ERROR);
    ASSERT_EQ(reader.PutMethod(L"Reset", 0, nullptr, nullptr), WBEM_S_NO_ERROR);
    in->Delete(L"Mode");

    IWbemClassObject* gotIn = reinterpret_cast<IWbemClassObject*>(0x1);
    IWbemClassObject* gotOut = nullptr;
    EXPECT_EQ(reader.GetMethod(L"setmode", 0, &gotIn, &gotOut), WBEM_E_NOT_FOUND);
    EXPECT_EQ(gotIn, nullptr);
    ASSERT_EQ(reader.GetMethod(L"SetMode", 0, &gotIn, &gotOut), WBEM_S_NO_ERROR);
    Owned ownedIn(gotIn);
    Owned ownedOut(gotOut);
    EXPECT_EQ(gotIn->Get(L"Mode", 0, nullptr, nullptr, nullptr), WBEM_S_NO_ERROR);
    gotIn = reinterpret_cast<IWbemClassObject*>(0x1);
    ASSERT_EQ(reader.GetMethod(L"Reset", 0, &gotIn, nullptr), WBEM_S_NO_ERROR);
    EXPECT_EQ(gotIn, nullptr);

    auto outCopy = reader.GetMethodParameter(L"SETMODE", false);
    ASSERT_NE(outCopy, nullptr);
    EXPECT_NE(outCopy->GetPropertyDescriptor(L"status"), nullptr);
    EXPECT_EQ(reader.GetMethodParameter(L"Reset", true), nullptr);

    EXPECT_EQ(reader.DeleteMethod(L"SETMODE"), WBEM_S_NO_ERROR);
    EXPECT_EQ(reader.MethodNames(), std::vector<CString>{L"Reset"});
    EXPECT_EQ(reader.GetMethodParameter(L"SetMode", false), nullptr);
}

TEST(CCorvessaClassObject, ForeignSignaturesAreRefusedButTheNameStaysListed)
{
    CCorvessaClassObject reader(L"Bnt_Reader");
    ComPtr<IWbemClassObject> foreign;
    ASSERT_EQ(CreateWbemClass(L"__PARAMETERS", nullptr, &foreign), WBEM_S_NO_ERROR);
    Owned out = Signature(L"Status", CIM_UINT32);
    EXPECT_EQ(reader.PutMethod(L"Pulse", 0, foreign.Get(), out.get()), WBEM_E_INVALID_PARAMETER);
    EXPECT_EQ(reader.MethodNames(), std::vector<CString>{L"Pulse"});
    EXPECT_EQ(reader.GetMethodParameter(L"Pulse", false), nullptr);
}

TEST(CCorvessaClassObject, MethodEnumerationWalksTheListOnce)
{
    CCorvessaClassObject reader(L"Bnt_Reader");
    Owned in = Signature(L"Mode", CIM_SINT32);
    reader.PutMethod(L"A", 0, in.get(), nullptr);
    reader.PutMethod(L"B", 0, nullptr, nullptr);
    BSTR name = nullptr;
    IWbemClassObject* gotIn = nullptr;
    IWbemClassObject* gotOut = nullptr;
    EXPECT_EQ(reader.NextMethod(0, &name, &gotIn, &gotOut), WBEM_S_NO_MORE_DATA);
    reader.BeginMethodEnumeration(0);
    ASSERT_EQ(reader.NextMethod(0, &name, &gotIn, &gotOut), WBEM_S_NO_ERROR);
    EXPECT_STREQ(name, L"A");
    EXPECT_NE(gotIn, nullptr);
    EXPECT_EQ(gotOut, nullptr);
    SysFreeString(name);
    gotIn->Release();
    reader.EndMethodEnumeration();
    EXPECT_EQ(reader.NextMethod(0, &name, &gotIn, &gotOut), WBEM_S_NO_MORE_DATA);
}

TEST(CCorvessaClassObject, MethodQualifierSetsAreMadeOnDemand)
{
    CCorvessaClassObject reader(L"Bnt_Reader");
    IWbemQualifierSet* qualifiers = nullptr;
    ASSERT_EQ(reader.GetMethodQualifierSet(L"NoSuchMethod", &qualifiers), WBEM_S_NO_ERROR);
    ASSERT_NE(qualifiers, nullptr);
    BSTR name = nullptr;
    qualifiers->BeginEnumeration(0);
    EXPECT_EQ(qualifiers->Next(0, &name, nullptr, nullptr), WBEM_S_NO_MORE_DATA);
    qualifiers->Release();
}

TEST(CCorvessaClassObject, TypeDumpUsesTheFixedTexts)
{
    CCorvessaClassObject empty(L"Bnt_Empty");
    EXPECT_EQ(empty.FormatTypeInformation(), CString(L"\r\nType:\tBnt_Empty\r\nProperties:\nN/A"));

    CCorvessaClassObject reader(L"Bnt_Reader");
    reader.Put(L"Name", 0, nullptr, CIM_STRING);
    reader.Put(L"__class", 0, nullptr, CIM_STRING);
    Owned in = Signature(L"Mode", CIM_SINT32);
    Owned out = Signature(L"Status", CIM_UINT32);
    reader.PutMethod(L"SetMode", 0, in.get(), nullptr);
    reader.PutMethod(L"Read", 0, nullptr, out.get());
    IWbemQualifierSet* qualifiers = nullptr;
    reader.GetMethodQualifierSet(L"SetMode", &qualifiers);
    qualifiers->Release();
    EXPECT_EQ(reader.FormatTypeInformation(),
              CString(L"\r\nType:\tBnt_Reader\r\nProperties:\nName: NAME (type: string)\r\n"
                      L"\nMethods:\nvoid SetMode([in]sint32 MODE)\r\nvoid Read([out]uint32 STATUS)\r\n"));
}

TEST(CCorvessaClassObject, RecordsetFieldTypesMapToCimTypes)
{
    const struct
    {
        int field;
        CIMTYPE type;
    } rows[] = {{1, 11}, {2, 17},  {9, 17}, {11, 17},  {3, 3}, {4, 3}, {6, 4},
                {7, 4},  {8, 101}, {20, 8}, {111, 20}, {5, 0}, {-1, 0}};
    for (const auto& row : rows)
    {
        CCorvessaClassObject object;
        object.AddPropertyType(L"Field", row.field);
        EXPECT_EQ(object.GetPropertyDescriptor(L"FIELD")->GetCIMType(), row.type) << row.field;
    }
    CCorvessaClassObject object;
    object.Put(L"field", 0, nullptr, CIM_STRING);
    IWbemQualifierSet* qualifiers = nullptr;
    object.GetPropertyQualifierSet(L"field", &qualifiers);
    _variant_t flag(true);
    qualifiers->Put(L"key", &flag, 0);
    qualifiers->Release();
    object.AddPropertyType(L"Field", 3);
    EXPECT_EQ(object.GetPropertyDescriptor(L"field")->GetPropertyName(), CString(L"Field"));
    ASSERT_EQ(object.GetPropertyQualifierSet(L"Field", &qualifiers), WBEM_S_NO_ERROR);
    EXPECT_EQ(qualifiers->Get(L"key", 0, nullptr, nullptr), WBEM_S_NO_ERROR);
    qualifiers->Release();
}
