// Property lookup through the class's name index and the values instances keep per property.
#include "WbemTestSupport.h"

#include "platform/wmi/WbemName.h"

#include <clocale>
#include <string>

using namespace wmitest;

namespace {
// Switches the C library's character classes to C.UTF-8 for one test, so that non-ASCII
// letters form identifiers and have case mappings; the previous locale comes back afterwards.
class Utf8CharacterClasses
{
public:
    Utf8CharacterClasses() : m_previous(std::setlocale(LC_CTYPE, nullptr))
    {
        m_active = std::setlocale(LC_CTYPE, "C.UTF-8") != nullptr;
    }
    ~Utf8CharacterClasses() { std::setlocale(LC_CTYPE, m_previous.c_str()); }
    Utf8CharacterClasses(const Utf8CharacterClasses&) = delete;
    Utf8CharacterClasses& operator=(const Utf8CharacterClasses&) = delete;
    bool Active() const { return m_active; }

private:
    std::string m_previous;
    bool m_active = false;
};

ComPtr<IWbemClassObject> ClassWithTextAndNumber()
{
    ComPtr<IWbemClassObject> cls = MakeClass(L"Bnt_Sample");
    PutProperty(cls.Get(), L"Description", CIM_STRING);
    PutProperty(cls.Get(), L"ID", CIM_SINT32);
    return cls;
}

LONG Number(IWbemClassObject* object, const wchar_t* name)
{
    _variant_t value;
    EXPECT_EQ(object->Get(name, 0, &value, nullptr, nullptr), WBEM_S_NO_ERROR);
    return value.vt == VT_I4 ? value.lVal : -1;
}
}  // namespace

TEST(WbemName, EqualNamesHashAlike)
{
    const struct
    {
        const wchar_t* left;
        const wchar_t* right;
        bool equal;
    } cases[] = {
        {L"Description", L"DESCRIPTION", true},
        {L"description", L"Description", true},
        {L"ID", L"id", true},
        {L"__CLASS", L"__class", true},
        {L"a_1", L"A_1", true},
        {L"ID", L"IDX", false},
        {L"Idx", L"Id_", false},
        // Characters next to the letter ranges are no letters: '@' and '`' stay themselves.
        {L"@", L"`", false},
        {L"[", L"{", false},
        {L"", L"", true},
    };
    for (const auto& c : cases)
    {
        EXPECT_EQ(WbemName::Equal(c.left, c.right), c.equal) << c.left << L" / " << c.right;
        if (c.equal)
        {
            EXPECT_EQ(WbemName::Hash(c.left), WbemName::Hash(c.right)) << c.left;
        }
    }
}

TEST(WbemName, NonAsciiLettersFollowTheCaseMappingOfTheCharacterClasses)
{
    Utf8CharacterClasses utf8;
    if (!utf8.Active())
        GTEST_SKIP() << "C.UTF-8 is not available";
    EXPECT_TRUE(WbemName::Equal(L"Gr\u00f6\u00dfe", L"GR\u00d6\u00dfE"));
    EXPECT_EQ(WbemName::Hash(L"Gr\u00f6\u00dfe"), WbemName::Hash(L"GR\u00d6\u00dfE"));
    EXPECT_TRUE(WbemName::Equal(L"\u03b1\u03b2", L"\u0391\u0392"));
    EXPECT_FALSE(WbemName::Equal(L"\u03b1\u03b2", L"\u0391\u0393"));
    // ASCII letters fold by the ASCII rule whatever the character classes say.
    EXPECT_TRUE(WbemName::Equal(L"id", L"ID"));
}

TEST(WbemPropertyIndex, LookupIgnoresCaseForEverySpelling)
{
    ComPtr<IWbemClassObject> cls = ClassWithTextAndNumber();
    ComPtr<IWbemClassObject> instance = Spawn(cls.Get());
    _variant_t text(L"front door");
    ASSERT_EQ(instance->Put(L"DESCRIPTION", 0, &text, 0), WBEM_S_NO_ERROR);
    for (const wchar_t* spelling : {L"Description", L"description", L"DESCRIPTION", L"dEsCrIpTiOn"})
        EXPECT_EQ(Text(instance.Get(), spelling), L"front door") << spelling;
    _variant_t ignored;
    EXPECT_EQ(instance->Get(L"Descriptio", 0, &ignored, nullptr, nullptr), WBEM_E_NOT_FOUND);
    EXPECT_EQ(instance->Get(L"Descriptions", 0, &ignored, nullptr, nullptr), WBEM_E_NOT_FOUND);
    EXPECT_EQ(Names(instance.Get(), WBEM_FLAG_NONSYSTEM_ONLY), (std::vector<std::wstring>{L"Description", L"ID"}));
}

TEST(WbemPropertyIndex, NonAsciiPropertyNamesIgnoreCase)
{
    Utf8CharacterClasses utf8;
    if (!utf8.Active())
        GTEST_SKIP() << "C.UTF-8 is not available";
    ComPtr<IWbemClassObject> cls = MakeClass(L"Bnt_Sample");
    PutProperty(cls.Get(), L"Gr\u00f6\u00dfe", CIM_SINT32);
    ComPtr<IWbemClassObject> instance = Spawn(cls.Get());
    _variant_t value(LONG{7});
    ASSERT_EQ(instance->Put(L"GR\u00d6\u00dfE", 0, &value, 0), WBEM_S_NO_ERROR);
    EXPECT_EQ(Number(instance.Get(), L"gr\u00f6\u00dfe"), 7);
    EXPECT_EQ(Names(instance.Get(), WBEM_FLAG_NONSYSTEM_ONLY), (std::vector<std::wstring>{L"Gr\u00f6\u00dfe"}));
}

TEST(WbemPropertyIndex, InstanceValueOutlivesDeletionAndRedefinitionOfItsProperty)
{
    ComPtr<IWbemClassObject> cls = ClassWithTextAndNumber();
    ComPtr<IWbemClassObject> instance = Spawn(cls.Get());
    _variant_t text(L"kept");
    ASSERT_EQ(instance->Put(L"Description", 0, &text, 0), WBEM_S_NO_ERROR);
    _variant_t id(LONG{5});
    ASSERT_EQ(instance->Put(L"ID", 0, &id, 0), WBEM_S_NO_ERROR);

    ASSERT_EQ(cls->Delete(L"Description"), WBEM_S_NO_ERROR);
    _variant_t ignored;
    EXPECT_EQ(instance->Get(L"Description", 0, &ignored, nullptr, nullptr), WBEM_E_NOT_FOUND);
    // The remaining property moved up in the class; the instance still finds its own value.
    EXPECT_EQ(Number(instance.Get(), L"ID"), 5);

    PutProperty(cls.Get(), L"DESCRIPTION", CIM_STRING);
    EXPECT_EQ(Text(instance.Get(), L"description"), L"kept");
    EXPECT_EQ(Names(cls.Get(), WBEM_FLAG_NONSYSTEM_ONLY), (std::vector<std::wstring>{L"ID", L"DESCRIPTION"}));
}

TEST(WbemPropertyIndex, CopiesAndDerivedClassesChangeTheirPropertiesApart)
{
    ComPtr<IWbemClassObject> cls = ClassWithTextAndNumber();
    ComPtr<IWbemClassObject> copy;
    ASSERT_EQ(cls->Clone(&copy), WBEM_S_NO_ERROR);
    ComPtr<IWbemClassObject> derived = MakeClass(L"Bnt_Derived", cls.Get());

    PutProperty(copy.Get(), L"OnlyInCopy", CIM_STRING);
    ASSERT_EQ(copy->Delete(L"ID"), WBEM_S_NO_ERROR);
    PutProperty(derived.Get(), L"OnlyInDerived", CIM_UINT8);
    PutProperty(cls.Get(), L"OnlyInOriginal", CIM_BOOLEAN);

    EXPECT_EQ(Names(cls.Get(), WBEM_FLAG_NONSYSTEM_ONLY),
              (std::vector<std::wstring>{L"Description", L"ID", L"OnlyInOriginal"}));
    EXPECT_EQ(Names(copy.Get(), WBEM_FLAG_NONSYSTEM_ONLY), (std::vector<std::wstring>{L"Description", L"OnlyInCopy"}));
    EXPECT_EQ(Names(derived.Get(), WBEM_FLAG_NONSYSTEM_ONLY),
              (std::vector<std::wstring>{L"Description", L"ID", L"OnlyInDerived"}));
    _variant_t ignored;
    EXPECT_EQ(cls->Get(L"OnlyInDerived", 0, &ignored, nullptr, nullptr), WBEM_E_NOT_FOUND);
    EXPECT_EQ(derived->Get(L"OnlyInOriginal", 0, &ignored, nullptr, nullptr), WBEM_E_NOT_FOUND);

    // Instances of each hold values for exactly their own class's properties.
    ComPtr<IWbemClassObject> fromDerived = Spawn(derived.Get());
    _variant_t small(LONG{200});
    EXPECT_EQ(fromDerived->Put(L"onlyinderived", 0, &small, 0), WBEM_S_NO_ERROR);
    EXPECT_EQ(fromDerived->Put(L"OnlyInOriginal", 0, &small, 0), WBEM_E_NOT_FOUND);
    _variant_t id(LONG{9});
    EXPECT_EQ(fromDerived->Put(L"ID", 0, &id, 0), WBEM_S_NO_ERROR);
    EXPECT_EQ(Number(fromDerived.Get(), L"id"), 9);
}

TEST(WbemPropertyIndex, ClonedInstanceKeepsItsOwnValues)
{
    ComPtr<IWbemClassObject> cls = ClassWithTextAndNumber();
    ComPtr<IWbemClassObject> instance = Spawn(cls.Get());
    _variant_t text(L"first");
    ASSERT_EQ(instance->Put(L"Description", 0, &text, 0), WBEM_S_NO_ERROR);
    ComPtr<IWbemClassObject> copy;
    ASSERT_EQ(instance->Clone(&copy), WBEM_S_NO_ERROR);
    _variant_t changed(L"second");
    ASSERT_EQ(copy->Put(L"Description", 0, &changed, 0), WBEM_S_NO_ERROR);
    EXPECT_EQ(Text(instance.Get(), L"Description"), L"first");
    EXPECT_EQ(Text(copy.Get(), L"Description"), L"second");
    EXPECT_EQ(copy->CompareTo(0, instance.Get()), WBEM_S_DIFFERENT);
    ASSERT_EQ(copy->Put(L"Description", 0, &text, 0), WBEM_S_NO_ERROR);
    EXPECT_EQ(copy->CompareTo(0, instance.Get()), WBEM_S_SAME);
}

TEST(WbemPropertyIndex, RefusedValueLeavesThePropertyAsItWas)
{
    ComPtr<IWbemClassObject> cls = ClassWithTextAndNumber();
    PutProperty(cls.Get(), L"When", CIM_DATETIME);
    ComPtr<IWbemClassObject> instance = Spawn(cls.Get());
    LONG flavor = 0;
    _variant_t unused;

    // A first value that is refused leaves the property without a value of its own.
    _variant_t notADate(L"yesterday");
    EXPECT_EQ(instance->Put(L"When", 0, &notADate, 0), WBEM_E_TYPE_MISMATCH);
    ASSERT_EQ(instance->Get(L"When", 0, &unused, nullptr, &flavor), WBEM_S_NO_ERROR);
    EXPECT_EQ(unused.vt, VT_NULL);
    EXPECT_EQ(flavor, WBEM_FLAVOR_ORIGIN_PROPAGATED);

    // A later refused value keeps the one put before.
    _variant_t id(LONG{3});
    ASSERT_EQ(instance->Put(L"ID", 0, &id, 0), WBEM_S_NO_ERROR);
    _variant_t tooBig(LONGLONG{1} << 40);
    EXPECT_EQ(instance->Put(L"ID", 0, &tooBig, 0), WBEM_E_TYPE_MISMATCH);
    EXPECT_EQ(Number(instance.Get(), L"ID"), 3);
}

TEST(WbemPropertyIndex, PutTakingTakesOverTextOnlyWhenItFits)
{
    ComPtr<IWbemClassObject> cls = ClassWithTextAndNumber();
    PutProperty(cls.Get(), L"When", CIM_DATETIME);
    ComPtr<IWbemClassObject> instance = Spawn(cls.Get());
    WbemClassObject* own = WbemClassObject::FromInterface(instance.Get());
    ASSERT_NE(own, nullptr);

    _variant_t text(L"taken");
    const BSTR original = text.bstrVal;
    ASSERT_EQ(own->PutTaking(L"description", &text, 0), WBEM_S_NO_ERROR);
    EXPECT_EQ(text.vt, VT_EMPTY);
    EXPECT_EQ(Text(instance.Get(), L"Description"), L"taken");
    _variant_t read;
    ASSERT_EQ(instance->Get(L"Description", 0, &read, nullptr, nullptr), WBEM_S_NO_ERROR);
    EXPECT_NE(read.bstrVal, original) << "Get hands out a copy, never the stored text";

    // Refused: the caller keeps its value.
    _variant_t notADate(L"soon");
    EXPECT_EQ(own->PutTaking(L"When", &notADate, 0), WBEM_E_TYPE_MISMATCH);
    ASSERT_EQ(notADate.vt, VT_BSTR);
    EXPECT_STREQ(notADate.bstrVal, L"soon");
    _variant_t date(L"20240102030405.000000+000");
    EXPECT_EQ(own->PutTaking(L"When", &date, 0), WBEM_S_NO_ERROR);
    EXPECT_EQ(Text(instance.Get(), L"When"), L"20240102030405.000000+000");

    // A number for a number property is converted as Put converts it; a text for it is refused.
    _variant_t id(LONG{12});
    EXPECT_EQ(own->PutTaking(L"ID", &id, 0), WBEM_S_NO_ERROR);
    EXPECT_EQ(Number(instance.Get(), L"ID"), 12);
    _variant_t word(L"twelve");
    EXPECT_EQ(own->PutTaking(L"ID", &word, 0), WBEM_E_TYPE_MISMATCH);
    EXPECT_EQ(word.vt, VT_BSTR);
    EXPECT_EQ(own->PutTaking(L"Missing", &word, 0), WBEM_E_NOT_FOUND);
}

TEST(WbemPropertyIndex, InstanceQualifiersSeeTheClassWhenFirstAskedFor)
{
    ComPtr<IWbemClassObject> cls = ClassWithTextAndNumber();
    ComPtr<IWbemClassObject> instance = Spawn(cls.Get());
    ComPtr<IWbemQualifierSet> classQualifiers;
    ASSERT_EQ(cls->GetQualifierSet(&classQualifiers), WBEM_S_NO_ERROR);
    // Put after the instance was spawned, before anyone asked for its qualifiers.
    PutQualifier(classQualifiers.Get(), L"Provider", _variant_t(L"Fluxmere"), WBEM_FLAVOR_FLAG_PROPAGATE_TO_INSTANCE);
    PutQualifier(classQualifiers.Get(), L"Local", _variant_t(true), 0);
    ComPtr<IWbemQualifierSet> seen;
    ASSERT_EQ(instance->GetQualifierSet(&seen), WBEM_S_NO_ERROR);
    _variant_t value;
    LONG flavor = 0;
    ASSERT_EQ(seen->Get(L"Provider", 0, &value, &flavor), WBEM_S_NO_ERROR);
    EXPECT_STREQ(value.bstrVal, L"Fluxmere");
    EXPECT_EQ(flavor & WBEM_FLAVOR_ORIGIN_PROPAGATED, WBEM_FLAVOR_ORIGIN_PROPAGATED);
    EXPECT_EQ(seen->Get(L"Local", 0, &value, nullptr), WBEM_E_NOT_FOUND);
    // The same view is handed out again.
    ComPtr<IWbemQualifierSet> again;
    ASSERT_EQ(instance->GetQualifierSet(&again), WBEM_S_NO_ERROR);
    EXPECT_EQ(again.Get(), seen.Get());
}
