#include "tests/platform/wmi/WbemTestSupport.h"

using namespace wmitest;

namespace {
ComPtr<IWbemQualifierSet> ClassQualifiers(IWbemClassObject* object)
{
    ComPtr<IWbemQualifierSet> set;
    EXPECT_EQ(object->GetQualifierSet(&set), WBEM_S_NO_ERROR);
    return set;
}

ComPtr<IWbemQualifierSet> PropertyQualifiers(IWbemClassObject* object, const wchar_t* name)
{
    ComPtr<IWbemQualifierSet> set;
    EXPECT_EQ(object->GetPropertyQualifierSet(name, &set), WBEM_S_NO_ERROR);
    return set;
}

HRESULT Lookup(IWbemQualifierSet* set, const wchar_t* name, LONG* flavor = nullptr)
{
    _variant_t value;
    return set->Get(name, 0, &value, flavor);
}
}  // namespace

TEST(WbemQualifier, FlavoursDecideWhereAQualifierPropagates)
{
    auto base = MakeClass(L"Bnt_Element");
    auto set = ClassQualifiers(base.Get());
    PutQualifier(set.Get(), L"ToBoth", _variant_t(true),
                 WBEM_FLAVOR_FLAG_PROPAGATE_TO_INSTANCE | WBEM_FLAVOR_FLAG_PROPAGATE_TO_DERIVED_CLASS);
    PutQualifier(set.Get(), L"ToInstance", _variant_t(true), WBEM_FLAVOR_FLAG_PROPAGATE_TO_INSTANCE);
    PutQualifier(set.Get(), L"ToSubclass", _variant_t(true), WBEM_FLAVOR_FLAG_PROPAGATE_TO_DERIVED_CLASS);
    PutQualifier(set.Get(), L"Restricted", _variant_t(true), 0);

    auto derived = MakeClass(L"Bnt_Reader", base.Get());
    auto derivedSet = ClassQualifiers(derived.Get());
    LONG flavor = 0;
    EXPECT_EQ(Lookup(derivedSet.Get(), L"toboth", &flavor), WBEM_S_NO_ERROR);
    EXPECT_NE(flavor & WBEM_FLAVOR_ORIGIN_PROPAGATED, 0);
    EXPECT_EQ(Lookup(derivedSet.Get(), L"ToSubclass"), WBEM_S_NO_ERROR);
    EXPECT_EQ(Lookup(derivedSet.Get(), L"ToInstance"), WBEM_E_NOT_FOUND);
    EXPECT_EQ(Lookup(derivedSet.Get(), L"Restricted"), WBEM_E_NOT_FOUND);

    auto baseInstanceSet = ClassQualifiers(Spawn(base.Get()).Get());
    EXPECT_EQ(Lookup(baseInstanceSet.Get(), L"ToInstance"), WBEM_S_NO_ERROR);
    EXPECT_EQ(Lookup(baseInstanceSet.Get(), L"ToBoth"), WBEM_S_NO_ERROR);
    EXPECT_EQ(Lookup(baseInstanceSet.Get(), L"ToSubclass"), WBEM_E_NOT_FOUND);

    // Through a derived class only what propagates both ways reaches its instances.
    auto derivedInstanceSet = ClassQualifiers(Spawn(derived.Get()).Get());
    EXPECT_EQ(Lookup(derivedInstanceSet.Get(), L"ToBoth"), WBEM_S_NO_ERROR);
    EXPECT_EQ(Lookup(derivedInstanceSet.Get(), L"ToSubclass"), WBEM_E_NOT_FOUND);
}

TEST(WbemQualifier, InstancesSeeLaterClassQualifiersLive)
{
    auto base = MakeClass(L"Bnt_Element");
    PutProperty(base.Get(), L"Name", CIM_STRING);
    auto instance = Spawn(base.Get());
    auto instanceSet = PropertyQualifiers(instance.Get(), L"Name");
    EXPECT_EQ(Lookup(instanceSet.Get(), L"maxlen"), WBEM_E_NOT_FOUND);
    PutQualifier(PropertyQualifiers(base.Get(), L"Name").Get(), L"maxlen", _variant_t(LONG(32)),
                 WBEM_FLAVOR_FLAG_PROPAGATE_TO_INSTANCE);
    _variant_t value;
    ASSERT_EQ(instanceSet->Get(L"MAXLEN", 0, &value, nullptr), WBEM_S_NO_ERROR);
    EXPECT_EQ(value.lVal, 32);
}

TEST(WbemQualifier, OverridesAreLocalAndDeletingThemRestoresThePropagatedValue)
{
    auto base = MakeClass(L"Bnt_Element");
    auto set = ClassQualifiers(base.Get());
    PutQualifier(set.Get(), L"Description", _variant_t(L"base"), WBEM_FLAVOR_FLAG_PROPAGATE_TO_DERIVED_CLASS);
    PutQualifier(set.Get(), L"Locked", _variant_t(L"fixed"),
                 WBEM_FLAVOR_FLAG_PROPAGATE_TO_DERIVED_CLASS | WBEM_FLAVOR_NOT_OVERRIDABLE);
    auto derivedSet = ClassQualifiers(MakeClass(L"Bnt_Reader", base.Get()).Get());

    _variant_t replacement(L"mine");
    EXPECT_EQ(derivedSet->Put(L"Locked", &replacement, 0), WBEM_E_OVERRIDE_NOT_ALLOWED);
    EXPECT_EQ(derivedSet->Delete(L"Description"), WBEM_E_PROPAGATED_QUALIFIER);
    ASSERT_EQ(derivedSet->Put(L"description", &replacement, 0), WBEM_S_NO_ERROR);
    _variant_t value;
    LONG flavor = -1;
    derivedSet->Get(L"Description", 0, &value, &flavor);
    EXPECT_STREQ(value.bstrVal, L"mine");
    EXPECT_EQ(flavor, WBEM_FLAVOR_ORIGIN_LOCAL);
    EXPECT_EQ(derivedSet->Delete(L"Description"), WBEM_S_RESET_TO_DEFAULT);
    derivedSet->Get(L"Description", 0, value.GetAddress(), nullptr);
    EXPECT_STREQ(value.bstrVal, L"base");
    EXPECT_EQ(derivedSet->Delete(L"Absent"), WBEM_E_NOT_FOUND);
    EXPECT_EQ(set->Delete(L"Locked"), WBEM_S_NO_ERROR);
}

TEST(WbemQualifier, KeysStayKeysInDerivedClasses)
{
    auto base = MakeClass(L"Bnt_Element");
    PutProperty(base.Get(), L"Id", CIM_SINT32);
    MarkKey(base.Get(), L"Id");
    auto derived = MakeClass(L"Bnt_Reader", base.Get());
    EXPECT_EQ(Names(derived.Get(), WBEM_FLAG_KEYS_ONLY), (std::vector<std::wstring>{L"Id"}));
}

TEST(WbemQualifier, PutChecksNamesValuesAndFlavours)
{
    auto set = ClassQualifiers(MakeClass(L"Bnt_Element").Get());
    _variant_t text(L"x");
    EXPECT_EQ(set->Put(nullptr, &text, 0), WBEM_E_INVALID_PARAMETER);
    EXPECT_EQ(set->Put(L"", &text, 0), WBEM_E_INVALID_PARAMETER);
    EXPECT_EQ(set->Put(L"q", nullptr, 0), WBEM_E_INVALID_PARAMETER);
    EXPECT_EQ(set->Put(L"q", &text, 0x4), WBEM_E_INVALID_FLAVOR);
    _variant_t date(1.0, VT_DATE);
    EXPECT_EQ(set->Put(L"q", &date, 0), WBEM_E_INVALID_QUALIFIER_TYPE);
    _variant_t small(SHORT(3));
    ASSERT_EQ(set->Put(L"q", &small, WBEM_FLAVOR_ORIGIN_PROPAGATED), WBEM_S_NO_ERROR);
    _variant_t value;
    LONG flavor = -1;
    set->Get(L"Q", 0, &value, &flavor);
    EXPECT_EQ(value.vt, VT_I4);
    EXPECT_EQ(flavor, 0);
}

TEST(WbemQualifier, NamesAndEnumerationSelectByOrigin)
{
    auto base = MakeClass(L"Bnt_Element");
    PutQualifier(ClassQualifiers(base.Get()).Get(), L"Inherited", _variant_t(true),
                 WBEM_FLAVOR_FLAG_PROPAGATE_TO_DERIVED_CLASS);
    auto derivedSet = ClassQualifiers(MakeClass(L"Bnt_Reader", base.Get()).Get());
    PutQualifier(derivedSet.Get(), L"Own", _variant_t(LONG(1)), 0);

    SAFEARRAY* names = nullptr;
    ASSERT_EQ(derivedSet->GetNames(0, &names), WBEM_S_NO_ERROR);
    EXPECT_EQ(Strings(names), (std::vector<std::wstring>{L"Inherited", L"Own"}));
    ASSERT_EQ(derivedSet->GetNames(WBEM_FLAG_LOCAL_ONLY, &names), WBEM_S_NO_ERROR);
    EXPECT_EQ(Strings(names), (std::vector<std::wstring>{L"Own"}));
    ASSERT_EQ(derivedSet->GetNames(WBEM_FLAG_PROPAGATED_ONLY, &names), WBEM_S_NO_ERROR);
    EXPECT_EQ(Strings(names), (std::vector<std::wstring>{L"Inherited"}));
    EXPECT_EQ(derivedSet->GetNames(0x40, &names), WBEM_E_INVALID_PARAMETER);

    BSTR name = nullptr;
    EXPECT_EQ(derivedSet->Next(0, &name, nullptr, nullptr), WBEM_E_UNEXPECTED);
    ASSERT_EQ(derivedSet->BeginEnumeration(0), WBEM_S_NO_ERROR);
    ASSERT_EQ(derivedSet->Next(0, &name, nullptr, nullptr), WBEM_S_NO_ERROR);
    EXPECT_STREQ(name, L"Inherited");
    SysFreeString(name);
    derivedSet->Delete(L"Own");
    EXPECT_EQ(derivedSet->Next(0, &name, nullptr, nullptr), WBEM_S_NO_MORE_DATA);
    derivedSet->EndEnumeration();
}

TEST(WbemQualifier, SystemPropertiesHaveNoQualifierSet)
{
    auto base = MakeClass(L"Bnt_Element");
    IWbemQualifierSet* set = reinterpret_cast<IWbemQualifierSet*>(0x1);
    EXPECT_EQ(base->GetPropertyQualifierSet(L"__CLASS", &set), WBEM_E_SYSTEM_PROPERTY);
    EXPECT_EQ(set, nullptr);
    EXPECT_EQ(base->GetPropertyQualifierSet(L"Nope", &set), WBEM_E_NOT_FOUND);
}
