#include "tests/platform/wmi/WbemTestSupport.h"

using namespace wmitest;

namespace {
std::wstring ObjectText(IWbemClassObject* object, LONG flags = 0)
{
    BSTR text = nullptr;
    EXPECT_EQ(object->GetObjectText(flags, &text), WBEM_S_NO_ERROR);
    std::wstring result = text == nullptr ? L"" : text;
    SysFreeString(text);
    return result;
}
}  // namespace

TEST(WbemObjectText, ClassTextShowsQualifiersPropertiesAndMethods)
{
    auto base = MakeClass(L"Bnt_Element");
    PutProperty(base.Get(), L"Id", CIM_SINT32);
    auto cls = MakeClass(L"Bnt_Reader", base.Get());
    ComPtr<IWbemQualifierSet> classQualifiers;
    cls->GetQualifierSet(&classQualifiers);
    PutQualifier(classQualifiers.Get(), L"dynamic", _variant_t(true), WBEM_FLAVOR_FLAG_PROPAGATE_TO_INSTANCE);
    PutQualifier(classQualifiers.Get(), L"provider", _variant_t(L"BntProvider"), 0);
    _variant_t name(L"Reader \"1\"");
    PutProperty(cls.Get(), L"Name", CIM_STRING, &name);
    PutProperty(cls.Get(), L"Panel", CIM_REFERENCE);
    ComPtr<IWbemQualifierSet> panelQualifiers;
    cls->GetPropertyQualifierSet(L"Panel", &panelQualifiers);
    PutQualifier(panelQualifiers.Get(), L"CIMTYPE", _variant_t(L"ref:Bnt_Panel"), 0);
    PutProperty(cls.Get(), L"Codes", CIM_UINT8 | CIM_FLAG_ARRAY);
    MarkKey(cls.Get(), L"Name");

    ComPtr<IWbemClassObject> in;
    CreateWbemClass(L"__PARAMETERS", nullptr, &in);
    PutProperty(in.Get(), L"Mode", CIM_SINT32);
    ComPtr<IWbemQualifierSet> modeQualifiers;
    in->GetPropertyQualifierSet(L"Mode", &modeQualifiers);
    PutQualifier(modeQualifiers.Get(), L"ID", _variant_t(LONG(0)), 0);
    ComPtr<IWbemClassObject> out;
    CreateWbemClass(L"__PARAMETERS", nullptr, &out);
    PutProperty(out.Get(), L"ReturnValue", CIM_UINT32);
    ASSERT_EQ(cls->PutMethod(L"SetMode", 0, in.Get(), out.Get()), WBEM_S_NO_ERROR);

    EXPECT_EQ(ObjectText(cls.Get()), L"\n[dynamic : ToInstance, provider(\"BntProvider\")]\n"
                                     L"class Bnt_Reader : Bnt_Element\n{\n"
                                     L"\t[key] string Name = \"Reader \\\"1\\\"\";\n"
                                     L"\t[CIMTYPE(\"ref:Bnt_Panel\")] Bnt_Panel ref Panel;\n"
                                     L"\tuint8 Codes[];\n"
                                     L"\tuint32 SetMode([ID(0), in] sint32 Mode);\n"
                                     L"};\n");
    EXPECT_EQ(ObjectText(cls.Get(), WBEM_FLAG_NO_FLAVORS).find(L"ToInstance"), std::wstring::npos);
}

TEST(WbemObjectText, InstanceTextShowsEveryValue)
{
    auto cls = MakeClass(L"Bnt_Badge");
    PutProperty(cls.Get(), L"Key", CIM_SINT32);
    PutProperty(cls.Get(), L"Active", CIM_BOOLEAN);
    PutProperty(cls.Get(), L"Number", CIM_SINT64);
    PutProperty(cls.Get(), L"Unset", CIM_STRING);
    PutProperty(cls.Get(), L"Path", CIM_STRING);
    auto instance = Spawn(cls.Get());
    _variant_t key(LONG(-4));
    _variant_t active(false);
    _variant_t number(LONGLONG(12345678901));
    _variant_t path(L"C:\\x");
    instance->Put(L"Key", 0, &key, 0);
    instance->Put(L"Active", 0, &active, 0);
    instance->Put(L"Number", 0, &number, 0);
    instance->Put(L"Path", 0, &path, 0);
    EXPECT_EQ(ObjectText(instance.Get()),
              L"\ninstance of Bnt_Badge\n{\n\tKey = -4;\n\tActive = FALSE;\n\tNumber = 12345678901;\n"
              L"\tPath = \"C:\\\\x\";\n};\n");
}
