#include "framework/objects/CCorvessaClassObject.h"
#include "framework/objects/CCorvessaNamespace.h"
#include "bus/CCorvessaObjectSink.h"
#include "framework/objects/ICorvessaClassSource.h"
#include "framework/CWmipMapperRegistry.h"
#include "platform/com/WbemConstants.h"
#include "platform/wmi/IEnumWbemClassObject.h"
#include "platform/wmi/WbemClassObject.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace {
struct ReleaseFetchedObject
{
    void operator()(IWbemClassObject* object) const { object->Release(); }
};
using FetchedObject = std::unique_ptr<IWbemClassObject, ReleaseFetchedObject>;

FetchedObject Fetch(CCorvessaNamespace& ns, const wchar_t* path)
{
    BSTR text = path == nullptr ? nullptr : SysAllocString(path);
    IWbemClassObject* object = nullptr;
    EXPECT_EQ(ns.GetObject(text, 0, nullptr, &object, nullptr), WBEM_S_NO_ERROR);
    SysFreeString(text);
    EXPECT_NE(object, nullptr);
    return FetchedObject(object);
}

CCorvessaClassObject& AsCorvessa(const FetchedObject& object)
{
    return *dynamic_cast<CCorvessaClassObject*>(object.get());
}

void RegisterReader()
{
    auto* registry = CWmipMapperRegistry::Instance();
    registry->RegisterClass(L"Test_Reader", L"Bnt_Element");
    registry->RegisterProperty(L"Test_Reader", L"ReaderID", CIM_SINT32, L"READER", L"READERID", 1, 0);
    registry->RegisterProperty(L"Test_Reader", L"Name", CIM_STRING, L"READER", L"NAME", 0, 64);
    registry->RegisterMethodParameter(L"Test_Reader", L"GetMode", false, L"Mode", CIM_SINT32);
    registry->RegisterMethod(L"Test_Reader", L"GetMode");
    registry->RegisterMethodParameter(L"Test_Reader", L"SetMode", true, L"Mode", CIM_SINT32);
}

// A source that knows one class, Test_Fixed, keyed by Code.
class FixedClassSource final : public ICorvessaClassSource
{
public:
    std::unique_ptr<CCorvessaClassObject> NewClassDefinition(const CString& className) override
    {
        if (className.CompareNoCase(L"Test_Fixed") != 0)
            return nullptr;
        auto definition = std::make_unique<CCorvessaClassObject>(CString(L"Test_Fixed"));
        definition->Put(L"Code", 0, nullptr, CIM_SINT32);
        definition->Put(L"Label", 0, nullptr, CIM_STRING);
        return definition;
    }
    std::optional<bool> IsKeyProperty(const CString& className, const CString& property) override
    {
        if (className.CompareNoCase(L"Test_Fixed") != 0)
            return std::nullopt;
        return property == L"Code";
    }
};

// Puts back the source installed before.
struct InstalledSourceScope
{
    ICorvessaClassSource* const saved = ICorvessaClassSource::Installed();
    ~InstalledSourceScope() { ICorvessaClassSource::Install(saved); }
};

// The name of the next property of the enumeration under way; empty at its end.
std::wstring NextName(IWbemClassObject& object)
{
    BSTR name = nullptr;
    if (object.Next(0, &name, nullptr, nullptr, nullptr) != WBEM_S_NO_ERROR)
        return std::wstring();
    std::wstring text(name);
    SysFreeString(name);
    return text;
}
}  // namespace

TEST(CCorvessaNamespace, DefinitionsAndKeysComeFromTheInstalledClassSourceAlone)
{
    RegisterReader();
    // The registry installs itself as the source once it exists.
    ASSERT_NE(ICorvessaClassSource::Installed(), nullptr);
    InstalledSourceScope scope;
    FixedClassSource fixed;
    ICorvessaClassSource::Install(&fixed);
    CCorvessaNamespace& ns = CCorvessaNamespace::Instance();

    FetchedObject served = Fetch(ns, L"test_fixed");
    EXPECT_EQ(AsCorvessa(served).GetPropertyNames(), (std::vector<CString>{L"Code", L"Label"}));
    served->BeginEnumeration(WBEM_FLAG_KEYS_ONLY);
    EXPECT_EQ(NextName(*served), L"Code");
    EXPECT_EQ(NextName(*served), L"");
    served->EndEnumeration();
    // Whatever the registry holds is not asked while another source is installed.
    EXPECT_TRUE(AsCorvessa(Fetch(ns, L"Test_Reader")).GetPropertyDescriptorMap().empty());

    ICorvessaClassSource::Install(nullptr);
    EXPECT_TRUE(AsCorvessa(Fetch(ns, L"Test_Fixed")).GetPropertyDescriptorMap().empty());
    // Without a source no class is known, so a keys-only walk keeps every property.
    served->BeginEnumeration(WBEM_FLAG_KEYS_ONLY);
    EXPECT_EQ(NextName(*served), L"Code");
    EXPECT_EQ(NextName(*served), L"Label");
    served->EndEnumeration();
}

TEST(CCorvessaNamespace, NullPathAndRootClassGiveEmptyObjects)
{
    CCorvessaNamespace ns;
    FetchedObject unnamed = Fetch(ns, nullptr);
    EXPECT_EQ(AsCorvessa(unnamed).GetClassNameW(), CString());
    EXPECT_TRUE(AsCorvessa(unnamed).GetPropertyDescriptorMap().empty());
    FetchedObject root = Fetch(ns, L"Bnt_Element");
    EXPECT_EQ(AsCorvessa(root).GetClassNameW(), CString(L"Bnt_Element"));
    EXPECT_TRUE(AsCorvessa(root).GetPropertyDescriptorMap().empty());
}

TEST(CCorvessaNamespace, RegisteredClassesAreCopiedWithPropertiesAndMethods)
{
    RegisterReader();
    CCorvessaNamespace ns;
    FetchedObject reader = Fetch(ns, L"test_reader");
    CCorvessaClassObject& object = AsCorvessa(reader);
    EXPECT_EQ(object.GetClassNameW(), CString(L"Test_Reader"));
    EXPECT_EQ(object.GetPropertyNames(), (std::vector<CString>{L"Name", L"ReaderID"}));
    EXPECT_EQ(object.MethodNames(), (std::vector<CString>{L"GetMode", L"SetMode"}));

    IWbemQualifierSet* qualifiers = nullptr;
    ASSERT_EQ(object.GetPropertyQualifierSet(L"Name", &qualifiers), WBEM_S_NO_ERROR);
    _variant_t maxlen;
    ASSERT_EQ(qualifiers->Get(L"maxlen", 0, &maxlen, nullptr), WBEM_S_NO_ERROR);
    EXPECT_EQ(maxlen.lVal, 64);
    qualifiers->Release();
    ASSERT_EQ(object.GetMethodQualifierSet(L"GetMode", &qualifiers), WBEM_S_NO_ERROR);
    EXPECT_EQ(qualifiers->Get(L"implemented", 0, nullptr, nullptr), WBEM_S_NO_ERROR);
    qualifiers->Release();
    auto out = object.GetMethodParameter(L"GetMode", false);
    ASSERT_NE(out, nullptr);
    EXPECT_EQ(out->GetClassNameW(), CString(L"__PARAMETERS"));
    ASSERT_EQ(out->GetPropertyQualifierSet(L"Mode", &qualifiers), WBEM_S_NO_ERROR);
    _variant_t id;
    ASSERT_EQ(qualifiers->Get(L"ID", 0, &id, nullptr), WBEM_S_NO_ERROR);
    EXPECT_EQ(id.lVal, 0);
    qualifiers->Release();

    // Changing the copy leaves the registered definition alone.
    object.Delete(L"Name");
    FetchedObject again = Fetch(ns, L"Test_Reader");
    EXPECT_NE(AsCorvessa(again).GetPropertyDescriptor(L"Name"), nullptr);
    EXPECT_EQ(AsCorvessa(again).MethodNames().size(), 2u);
}

TEST(CCorvessaNamespace, UnknownNamesAndInstancePathsGiveEmptyObjectsNamedByThePath)
{
    CCorvessaNamespace ns;
    FetchedObject unknown = Fetch(ns, L"Test_Nowhere");
    EXPECT_EQ(AsCorvessa(unknown).GetClassNameW(), CString(L"Test_Nowhere"));
    FetchedObject instancePath = Fetch(ns, L"Test_Reader.ReaderID=5");
    EXPECT_EQ(AsCorvessa(instancePath).GetClassNameW(), CString(L"Test_Reader.ReaderID=5"));
    EXPECT_TRUE(AsCorvessa(instancePath).GetPropertyDescriptorMap().empty());
}

TEST(CCorvessaNamespace, OperationsItDoesNotOfferFailAndClearTheirOutPointers)
{
    CCorvessaNamespace ns;
    EXPECT_EQ(ns.GetObject(nullptr, 0, nullptr, nullptr, nullptr), WBEM_E_INVALID_PARAMETER);
    IEnumWbemClassObject* enumerator = reinterpret_cast<IEnumWbemClassObject*>(0x1);
    EXPECT_EQ(ns.ExecQuery(nullptr, nullptr, 0, nullptr, &enumerator), WBEM_E_NOT_SUPPORTED);
    EXPECT_EQ(enumerator, nullptr);
    IWbemCallResult* result = reinterpret_cast<IWbemCallResult*>(0x1);
    EXPECT_EQ(ns.PutInstance(nullptr, 0, nullptr, &result), WBEM_E_NOT_SUPPORTED);
    EXPECT_EQ(result, nullptr);
    IWbemClassObject* outParams = reinterpret_cast<IWbemClassObject*>(0x1);
    EXPECT_EQ(ns.ExecMethod(nullptr, nullptr, 0, nullptr, nullptr, &outParams, nullptr), WBEM_E_NOT_SUPPORTED);
    EXPECT_EQ(outParams, nullptr);
    EXPECT_EQ(ns.ExecQueryAsync(nullptr, nullptr, 0, nullptr, nullptr), WBEM_E_NOT_SUPPORTED);
    void* raw = reinterpret_cast<void*>(0x1);
    EXPECT_EQ(ns.QueryInterface(IWbemClassObject::kIID, &raw), E_NOINTERFACE);
    EXPECT_EQ(raw, nullptr);
    EXPECT_EQ(ns.QueryInterface(IWbemServices::kIID, &raw), S_OK);
    EXPECT_EQ(raw, static_cast<void*>(static_cast<IWbemServices*>(&ns)));
    ns.Release();
    ns.Release();
}

TEST(CCorvessaObjectSink, KeepsACopyOfTheOneObjectIndicated)
{
    CCorvessaObjectSink sink;
    EXPECT_EQ(sink.GetObject(), nullptr);
    CCorvessaClassObject first(L"First");
    CCorvessaClassObject second(L"Second");
    IWbemClassObject* objects[2] = {&first, &second};
    ASSERT_EQ(sink.Indicate(1, &objects[0]), WBEM_S_NO_ERROR);
    ASSERT_EQ(sink.Indicate(1, &objects[1]), WBEM_S_NO_ERROR);
    ASSERT_NE(sink.GetObject(), nullptr);
    EXPECT_EQ(sink.GetObject()->GetClassNameW(), CString(L"Second"));
    EXPECT_NE(sink.GetObject(), &second);

    EXPECT_EQ(sink.Indicate(2, objects), WBEM_E_INVALID_PARAMETER);
    EXPECT_EQ(sink.Indicate(0, objects), WBEM_E_INVALID_PARAMETER);
    EXPECT_EQ(sink.Indicate(1, nullptr), WBEM_E_INVALID_PARAMETER);
    ComPtr<IWbemClassObject> foreign;
    ASSERT_EQ(CreateWbemClass(L"Foreign", nullptr, &foreign), WBEM_S_NO_ERROR);
    IWbemClassObject* foreignObjects[1] = {foreign.Get()};
    EXPECT_EQ(sink.Indicate(1, foreignObjects), WBEM_E_INVALID_PARAMETER);
    EXPECT_EQ(sink.SetStatus(0, WBEM_E_FAILED, nullptr, &first), WBEM_S_NO_ERROR);
    EXPECT_EQ(sink.GetObject()->GetClassNameW(), CString(L"Second"));
}

TEST(CCorvessaObjectSink, ReferencesTakenByAMapperAreGivenBack)
{
    auto sink = std::make_unique<CCorvessaObjectSink>();
    void* raw = nullptr;
    ASSERT_EQ(sink->QueryInterface(IWbemObjectSink::kIID, &raw), S_OK);
    static_cast<IWbemObjectSink*>(raw)->Release();
    sink->AddRef();
    sink->Release();
    // The creator's last reference destroys the sink and its kept object.
    CCorvessaClassObject object(L"Out");
    IWbemClassObject* objects[1] = {&object};
    sink->Indicate(1, objects);
    sink.release()->Release();
}
