#include "tests/platform/wmi/WbemTestSupport.h"

using namespace wmitest;

namespace {
ComPtr<IWbemClassObject> CardholderClass()
{
    auto cls = MakeClass(L"Bnt_Cardholder");
    _variant_t unknownName(L"(unknown)");
    PutProperty(cls.Get(), L"Name", CIM_STRING, &unknownName);
    PutProperty(cls.Get(), L"Photo", CIM_OBJECT);
    PutProperty(cls.Get(), L"Key", CIM_SINT32);
    MarkKey(cls.Get(), L"Key", WBEM_FLAVOR_FLAG_PROPAGATE_TO_INSTANCE);
    return cls;
}

ComPtr<IWbemClassObject> PhotoObject(const wchar_t* mime)
{
    auto photoClass = MakeClass(L"Bnt_Photo");
    PutProperty(photoClass.Get(), L"Mime", CIM_STRING);
    auto photo = Spawn(photoClass.Get());
    _variant_t value(mime);
    EXPECT_EQ(photo->Put(L"Mime", 0, &value, 0), WBEM_S_NO_ERROR);
    return photo;
}
}  // namespace

TEST(WbemLifetime, SpawnedInstancesShareTheClassButNotValues)
{
    auto cls = CardholderClass();
    const ULONG before = References(cls.Get());
    {
        auto a = Spawn(cls.Get());
        auto b = Spawn(cls.Get());
        EXPECT_EQ(References(cls.Get()), before + 2);
        EXPECT_EQ(References(a.Get()), 1u);
        EXPECT_EQ(Text(a.Get(), L"Name"), L"(unknown)");
        _variant_t name(L"Ann");
        a->Put(L"Name", 0, &name, 0);
        EXPECT_EQ(Text(b.Get(), L"Name"), L"(unknown)");
        EXPECT_EQ(Text(cls.Get(), L"Name"), L"(unknown)");
    }
    EXPECT_EQ(References(cls.Get()), before);
}

TEST(WbemLifetime, AnInstanceKeepsItsClassAlive)
{
    ComPtr<IWbemClassObject> instance;
    {
        auto cls = CardholderClass();
        instance = Spawn(cls.Get());
    }
    EXPECT_EQ(Text(instance.Get(), L"__CLASS"), L"Bnt_Cardholder");
    EXPECT_EQ(Text(instance.Get(), L"Name"), L"(unknown)");
}

TEST(WbemLifetime, ClonesAreIndependentOfTheirSource)
{
    auto cls = CardholderClass();
    auto original = Spawn(cls.Get());
    _variant_t name(L"Ann");
    original->Put(L"Name", 0, &name, 0);
    ComPtr<IWbemQualifierSet> originalQualifiers;
    original->GetPropertyQualifierSet(L"Name", &originalQualifiers);
    PutQualifier(originalQualifiers.Get(), L"Note", _variant_t(L"first"), 0);

    ComPtr<IWbemClassObject> copy;
    ASSERT_EQ(original->Clone(&copy), WBEM_S_NO_ERROR);
    EXPECT_EQ(copy->CompareTo(0, original.Get()), WBEM_S_SAME);
    _variant_t other(L"Bob");
    copy->Put(L"Name", 0, &other, 0);
    ComPtr<IWbemQualifierSet> copyQualifiers;
    copy->GetPropertyQualifierSet(L"Name", &copyQualifiers);
    PutQualifier(copyQualifiers.Get(), L"Note", _variant_t(L"second"), 0);

    EXPECT_EQ(Text(original.Get(), L"Name"), L"Ann");
    _variant_t note;
    originalQualifiers->Get(L"Note", 0, &note, nullptr);
    EXPECT_STREQ(note.bstrVal, L"first");
    EXPECT_EQ(copy->CompareTo(0, original.Get()), WBEM_S_DIFFERENT);

    ComPtr<IWbemClassObject> classCopy;
    ASSERT_EQ(cls->Clone(&classCopy), WBEM_S_NO_ERROR);
    PutProperty(classCopy.Get(), L"Extra", CIM_STRING);
    EXPECT_EQ(cls->Get(L"Extra", 0, nullptr, nullptr, nullptr), WBEM_E_NOT_FOUND);
}

TEST(WbemLifetime, CompareToHonoursItsFlags)
{
    auto cls = CardholderClass();
    auto a = Spawn(cls.Get());
    auto b = Spawn(cls.Get());
    _variant_t lower(L"ann");
    _variant_t upper(L"ANN");
    a->Put(L"Name", 0, &lower, 0);
    b->Put(L"Name", 0, &upper, 0);
    EXPECT_EQ(a->CompareTo(0, b.Get()), WBEM_S_DIFFERENT);
    EXPECT_EQ(a->CompareTo(WBEM_FLAG_IGNORE_CASE, b.Get()), WBEM_S_SAME);
    EXPECT_EQ(a->CompareTo(0, nullptr), WBEM_E_INVALID_PARAMETER);
    EXPECT_EQ(a->CompareTo(0, cls.Get()), WBEM_S_DIFFERENT);
}

TEST(WbemLifetime, EmbeddedObjectsAreHeldByReferenceAndClonedWithTheirHolder)
{
    auto holder = Spawn(CardholderClass().Get());
    auto photo = PhotoObject(L"image/png");
    ASSERT_EQ(References(photo.Get()), 1u);
    _variant_t embedded(static_cast<IUnknown*>(photo.Get()));
    ASSERT_EQ(holder->Put(L"Photo", 0, &embedded, 0), WBEM_S_NO_ERROR);
    embedded.Clear();
    EXPECT_EQ(References(photo.Get()), 2u);

    _variant_t read;
    ASSERT_EQ(holder->Get(L"Photo", 0, &read, nullptr, nullptr), WBEM_S_NO_ERROR);
    ASSERT_EQ(read.vt, VT_UNKNOWN);
    ComPtr<IUnknown> unknown(read.punkVal);
    ComPtr<IWbemClassObject> readBack = unknown.As<IWbemClassObject>();
    EXPECT_EQ(readBack.Get(), photo.Get());
    readBack = nullptr;
    unknown = nullptr;
    read.Clear();

    ComPtr<IWbemClassObject> copy;
    ASSERT_EQ(holder->Clone(&copy), WBEM_S_NO_ERROR);
    EXPECT_EQ(References(photo.Get()), 2u);
    _variant_t copied;
    copy->Get(L"Photo", 0, &copied, nullptr, nullptr);
    ComPtr<IUnknown> copiedUnknown(copied.punkVal);
    ComPtr<IWbemClassObject> copiedPhoto = copiedUnknown.As<IWbemClassObject>();
    EXPECT_NE(copiedPhoto.Get(), photo.Get());
    _variant_t otherMime(L"image/jpeg");
    copiedPhoto->Put(L"Mime", 0, &otherMime, 0);
    EXPECT_EQ(Text(photo.Get(), L"Mime"), L"image/png");

    holder = nullptr;
    EXPECT_EQ(References(photo.Get()), 1u);
}

TEST(WbemLifetime, AnObjectCannotBeEmbeddedInItself)
{
    auto cls = CardholderClass();
    auto outer = Spawn(cls.Get());
    auto inner = Spawn(cls.Get());
    _variant_t self(static_cast<IUnknown*>(outer.Get()));
    EXPECT_EQ(outer->Put(L"Photo", 0, &self, 0), WBEM_E_INVALID_PARAMETER);
    _variant_t innerValue(static_cast<IUnknown*>(inner.Get()));
    ASSERT_EQ(outer->Put(L"Photo", 0, &innerValue, 0), WBEM_S_NO_ERROR);
    EXPECT_EQ(inner->Put(L"Photo", 0, &self, 0), WBEM_E_INVALID_PARAMETER);
    _variant_t instanceAsDefault(static_cast<IUnknown*>(outer.Get()));
    EXPECT_EQ(cls->Put(L"Photo", 0, &instanceAsDefault, 0), WBEM_E_INVALID_PARAMETER);
}

TEST(WbemLifetime, QueryInterfaceAnswersOnlyItsInterfaces)
{
    auto cls = CardholderClass();
    void* raw = reinterpret_cast<void*>(0x1);
    EXPECT_EQ(cls->QueryInterface(IWbemQualifierSet::kIID, &raw), E_NOINTERFACE);
    EXPECT_EQ(raw, nullptr);
    EXPECT_EQ(cls->QueryInterface(IUnknown::kIID, nullptr), E_POINTER);
    ASSERT_EQ(cls->QueryInterface(IWbemClassObject::kIID, &raw), S_OK);
    EXPECT_EQ(raw, static_cast<void*>(static_cast<IWbemClassObject*>(cls.Get())));
    EXPECT_EQ(References(cls.Get()), 2u);
    static_cast<IWbemClassObject*>(raw)->Release();
}

TEST(WbemLifetime, QualifierSetsOutliveNothingTheyDoNotHold)
{
    ComPtr<IWbemQualifierSet> qualifiers;
    {
        auto cls = CardholderClass();
        auto instance = Spawn(cls.Get());
        instance->GetPropertyQualifierSet(L"Key", &qualifiers);
    }
    // The instance's view keeps the class's set it reads through.
    EXPECT_EQ(qualifiers->Get(L"key", 0, nullptr, nullptr), WBEM_S_NO_ERROR);
}

TEST(WbemLifetime, SpawningNeedsANamedClass)
{
    auto cls = CardholderClass();
    auto instance = Spawn(cls.Get());
    ComPtr<IWbemClassObject> result;
    EXPECT_EQ(instance->SpawnInstance(0, &result), WBEM_E_INVALID_OPERATION);
    EXPECT_EQ(instance->SpawnDerivedClass(0, &result), WBEM_E_INVALID_OPERATION);
    EXPECT_EQ(cls->SpawnInstance(0, nullptr), WBEM_E_INVALID_PARAMETER);
    ComPtr<IWbemClassObject> derived;
    EXPECT_EQ(CreateWbemClass(L"Bnt_Sub", instance.Get(), &derived), WBEM_E_INVALID_SUPERCLASS);
    EXPECT_EQ(CreateWbemClass(L"Bad Name", nullptr, &derived), WBEM_E_INVALID_PARAMETER);
    EXPECT_EQ(derived.Get(), nullptr);
}

TEST(WbemLifetime, AnObjectCannotBeEmbeddedInItselfThroughAnArray)
{
    auto cls = MakeClass(L"Bnt_Group");
    PutProperty(cls.Get(), L"Members", CIM_OBJECT | CIM_FLAG_ARRAY);
    auto group = Spawn(cls.Get());
    auto member = Spawn(cls.Get());
    const auto arrayOf = [](IWbemClassObject* object) {
        SAFEARRAY* array = SafeArrayCreateVector(VT_UNKNOWN, 0, 1);
        LONG index = 0;
        SafeArrayPutElement(array, &index, static_cast<IUnknown*>(object));
        _variant_t value;
        value.vt = VT_ARRAY | VT_UNKNOWN;
        value.parray = array;
        return value;
    };
    _variant_t members = arrayOf(member.Get());
    ASSERT_EQ(group->Put(L"Members", 0, &members, 0), WBEM_S_NO_ERROR);
    _variant_t back = arrayOf(group.Get());
    EXPECT_EQ(member->Put(L"Members", 0, &back, 0), WBEM_E_INVALID_PARAMETER);
    members.Clear();
    EXPECT_EQ(References(member.Get()), 2u);
}
