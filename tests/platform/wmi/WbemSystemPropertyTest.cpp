#include "tests/platform/wmi/WbemTestSupport.h"

using namespace wmitest;

namespace {
ComPtr<IWbemClassObject> TwoKeyClass()
{
    auto base = MakeClass(L"Bnt_Element");
    auto derived = MakeClass(L"Bnt_Input", base.Get());
    PutProperty(derived.Get(), L"Panel", CIM_STRING);
    PutProperty(derived.Get(), L"Input", CIM_UINT32);
    PutProperty(derived.Get(), L"Label", CIM_STRING);
    MarkKey(derived.Get(), L"Panel");
    MarkKey(derived.Get(), L"Input");
    return derived;
}

void PutText(IWbemClassObject* object, const wchar_t* name, const wchar_t* text)
{
    _variant_t value(text);
    ASSERT_EQ(object->Put(name, 0, &value, 0), WBEM_S_NO_ERROR);
}
}  // namespace

TEST(WbemSystemProperty, ClassDescribesItsPlaceInTheHierarchy)
{
    auto base = MakeClass(L"Bnt_Element");
    auto middle = MakeClass(L"Bnt_Device", base.Get());
    auto leaf = MakeClass(L"Bnt_Reader", middle.Get());
    PutProperty(leaf.Get(), L"Name", CIM_STRING);

    _variant_t genus;
    leaf->Get(L"__GENUS", 0, &genus, nullptr, nullptr);
    EXPECT_EQ(genus.lVal, WBEM_GENUS_CLASS);
    EXPECT_EQ(Text(leaf.Get(), L"__class"), L"Bnt_Reader");
    EXPECT_EQ(Text(leaf.Get(), L"__SUPERCLASS"), L"Bnt_Device");
    EXPECT_EQ(Text(leaf.Get(), L"__DYNASTY"), L"Bnt_Element");
    EXPECT_EQ(Text(leaf.Get(), L"__RELPATH"), L"Bnt_Reader");
    EXPECT_EQ(TypeOfValue(base.Get(), L"__SUPERCLASS"), VT_NULL);
    EXPECT_EQ(Text(base.Get(), L"__DYNASTY"), L"Bnt_Element");

    _variant_t derivation;
    CIMTYPE type = 0;
    LONG flavor = 0;
    ASSERT_EQ(leaf->Get(L"__DERIVATION", 0, &derivation, &type, &flavor), WBEM_S_NO_ERROR);
    EXPECT_EQ(type, CIM_STRING | CIM_FLAG_ARRAY);
    EXPECT_EQ(flavor, WBEM_FLAVOR_ORIGIN_SYSTEM);
    VARIANT raw = derivation.Detach();
    EXPECT_EQ(Strings(raw.parray), (std::vector<std::wstring>{L"Bnt_Device", L"Bnt_Element"}));

    _variant_t count;
    leaf->Get(L"__PROPERTY_COUNT", 0, &count, nullptr, nullptr);
    EXPECT_EQ(count.lVal, 1);
    EXPECT_EQ(leaf->InheritsFrom(L"bnt_element"), WBEM_S_NO_ERROR);
    EXPECT_EQ(leaf->InheritsFrom(L"Bnt_Reader"), WBEM_S_FALSE);
}

TEST(WbemSystemProperty, SystemPropertiesAreReadOnlyExceptTheNameOfAClass)
{
    auto empty = WbemClassObject::CreateEmptyClass();
    EXPECT_EQ(TypeOfValue(empty.Get(), L"__CLASS"), VT_NULL);
    EXPECT_EQ(TypeOfValue(empty.Get(), L"__RELPATH"), VT_NULL);
    ComPtr<IWbemClassObject> instance;
    EXPECT_EQ(empty->SpawnInstance(0, &instance), WBEM_E_INCOMPLETE_CLASS);
    EXPECT_EQ(instance.Get(), nullptr);
    PutText(empty.Get(), L"__class", L"Bnt_Named");
    EXPECT_EQ(Text(empty.Get(), L"__CLASS"), L"Bnt_Named");

    _variant_t bad(L"not a name");
    EXPECT_EQ(empty->Put(L"__CLASS", 0, &bad, 0), WBEM_E_INVALID_PARAMETER);
    _variant_t text(L"x");
    EXPECT_EQ(empty->Put(L"__PATH", 0, &text, 0), WBEM_E_READ_ONLY);
    EXPECT_EQ(empty->Put(L"__Custom", 0, &text, CIM_STRING), WBEM_E_INVALID_PARAMETER);
    auto spawned = Spawn(empty.Get());
    EXPECT_EQ(spawned->Put(L"__CLASS", 0, &text, 0), WBEM_E_READ_ONLY);
}

TEST(WbemSystemProperty, RelativePathListsKeysAlphabeticallyWithEscapedText)
{
    struct Row
    {
        const wchar_t* panel;
        LONG input;
        const wchar_t* expected;
    };
    const Row rows[] = {
        {L"North", 5, L"Bnt_Input.Input=5,Panel=\"North\""},
        {L"Say \"hi\"", 1, L"Bnt_Input.Input=1,Panel=\"Say \\\"hi\\\"\""},
        {L"C:\\doors\\", 2, L"Bnt_Input.Input=2,Panel=\"C:\\\\doors\\\\\""},
        {L"", -1, L"Bnt_Input.Input=4294967295,Panel=\"\""},
    };
    auto inputClass = TwoKeyClass();
    for (const auto& row : rows)
    {
        auto instance = Spawn(inputClass.Get());
        PutText(instance.Get(), L"Panel", row.panel);
        _variant_t input(row.input);
        ASSERT_EQ(instance->Put(L"Input", 0, &input, 0), WBEM_S_NO_ERROR);
        EXPECT_EQ(Text(instance.Get(), L"__RELPATH"), row.expected);
    }
}

TEST(WbemSystemProperty, InstanceWithoutAllKeysHasNoPath)
{
    auto instance = Spawn(TwoKeyClass().Get());
    PutText(instance.Get(), L"Panel", L"North");
    EXPECT_EQ(TypeOfValue(instance.Get(), L"__RELPATH"), VT_NULL);
    EXPECT_EQ(TypeOfValue(instance.Get(), L"__PATH"), VT_NULL);
    _variant_t genus;
    instance->Get(L"__GENUS", 0, &genus, nullptr, nullptr);
    EXPECT_EQ(genus.lVal, WBEM_GENUS_INSTANCE);
}

TEST(WbemSystemProperty, SingletonAndKeylessInstances)
{
    auto settings = MakeClass(L"Bnt_Settings");
    ComPtr<IWbemQualifierSet> qualifiers;
    settings->GetQualifierSet(&qualifiers);
    auto keyless = Spawn(settings.Get());
    EXPECT_EQ(TypeOfValue(keyless.Get(), L"__RELPATH"), VT_NULL);
    PutQualifier(qualifiers.Get(), L"singleton", _variant_t(true), 0);
    EXPECT_EQ(Text(keyless.Get(), L"__RELPATH"), L"Bnt_Settings=@");
}

TEST(WbemSystemProperty, FullPathNeedsServerAndNamespace)
{
    auto instance = Spawn(TwoKeyClass().Get());
    PutText(instance.Get(), L"Panel", L"P");
    _variant_t input(LONG(3));
    instance->Put(L"Input", 0, &input, 0);
    WbemClassObject* object = WbemClassObject::FromInterface(instance.Get());
    ASSERT_NE(object, nullptr);
    object->SetLocation(L"HOST1", L"root\\Brontel");
    EXPECT_EQ(Text(instance.Get(), L"__PATH"), L"\\\\HOST1\\root\\Brontel:Bnt_Input.Input=3,Panel=\"P\"");
    EXPECT_EQ(Text(instance.Get(), L"__SERVER"), L"HOST1");
    EXPECT_EQ(Text(instance.Get(), L"__NAMESPACE"), L"root\\Brontel");
}

TEST(WbemSystemProperty, OriginsNameTheDefiningClass)
{
    auto base = MakeClass(L"Bnt_Element");
    PutProperty(base.Get(), L"Id", CIM_SINT32);
    auto derived = MakeClass(L"Bnt_Reader", base.Get());
    PutProperty(derived.Get(), L"Name", CIM_STRING);
    BSTR origin = nullptr;
    ASSERT_EQ(derived->GetPropertyOrigin(L"id", &origin), WBEM_S_NO_ERROR);
    EXPECT_STREQ(origin, L"Bnt_Element");
    SysFreeString(origin);
    ASSERT_EQ(Spawn(derived.Get())->GetPropertyOrigin(L"Name", &origin), WBEM_S_NO_ERROR);
    EXPECT_STREQ(origin, L"Bnt_Reader");
    SysFreeString(origin);
    EXPECT_EQ(derived->GetPropertyOrigin(L"__CLASS", &origin), WBEM_E_SYSTEM_PROPERTY);
    EXPECT_EQ(origin, nullptr);
    EXPECT_EQ(derived->GetPropertyOrigin(L"Nope", &origin), WBEM_E_NOT_FOUND);
}
