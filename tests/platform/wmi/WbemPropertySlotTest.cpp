// Puts by a property slot resolved once on the class: the same instance as puts by name, and a
// slot that does not belong to the instance's class is refused.
#include "WbemTestSupport.h"

#include "platform/com/Bstr.h"

#include <string>
#include <vector>

using namespace wmitest;

namespace {
ComPtr<IWbemClassObject> SampleClass(const wchar_t* name)
{
    ComPtr<IWbemClassObject> cls = MakeClass(name);
    PutProperty(cls.Get(), L"ID", CIM_SINT32);
    MarkKey(cls.Get(), L"ID", WBEM_FLAVOR_FLAG_PROPAGATE_TO_INSTANCE);
    PutProperty(cls.Get(), L"Name", CIM_STRING);
    PutProperty(cls.Get(), L"Flags", CIM_UINT32);
    PutProperty(cls.Get(), L"When", CIM_DATETIME);
    return cls;
}

WbemClassObject* Own(IWbemClassObject* object)
{
    return WbemClassObject::FromInterface(object);
}

WbemClassObject::PropertySlot SlotOf(IWbemClassObject* cls, const wchar_t* name)
{
    WbemClassObject::PropertySlot slot;
    EXPECT_EQ(Own(cls)->FindSlot(name, &slot), WBEM_S_NO_ERROR);
    return slot;
}

_variant_t TextValue(const wchar_t* text)
{
    _variant_t value;
    value.bstrVal = SysAllocString(text);
    value.vt = VT_BSTR;
    return value;
}

std::wstring PlainObjectText(IWbemClassObject* object)
{
    BSTR text = nullptr;
    EXPECT_EQ(object->GetObjectText(0, &text), WBEM_S_NO_ERROR);
    std::wstring result = text == nullptr ? L"" : text;
    SysFreeString(text);
    return result;
}

std::wstring RelativePath(IWbemClassObject* object)
{
    return Text(object, L"__RELPATH");
}
}  // namespace

TEST(WbemPropertySlot, PutBySlotBuildsTheSameInstanceAsPutByName)
{
    ComPtr<IWbemClassObject> cls = SampleClass(L"Bnt_SlotSample");
    ComPtr<IWbemClassObject> byName = Spawn(cls.Get());
    ComPtr<IWbemClassObject> bySlot = Spawn(cls.Get());

    // Put in another order than declared, as the columns of a query may come.
    const struct
    {
        const wchar_t* name;
        _variant_t value;
    } puts[] = {
        {L"Name", TextValue(L"Front door")},
        {L"When", TextValue(L"20240102030405.000000+000")},
        {L"ID", _variant_t(LONG{42})},
        {L"Flags", _variant_t(LONG{-1})},
    };
    for (const auto& put : puts)
    {
        _variant_t first = put.value;
        ASSERT_EQ(byName->Put(put.name, 0, &first, 0), WBEM_S_NO_ERROR);
        _variant_t second = put.value;
        ASSERT_EQ(Own(bySlot.Get())->PutBySlot(SlotOf(cls.Get(), put.name), &second, 0), WBEM_S_NO_ERROR);
    }

    EXPECT_EQ(PlainObjectText(bySlot.Get()), PlainObjectText(byName.Get()));
    EXPECT_EQ(Names(bySlot.Get(), 0), Names(byName.Get(), 0));
    EXPECT_EQ(RelativePath(bySlot.Get()), L"Bnt_SlotSample.ID=42");
    EXPECT_EQ(RelativePath(bySlot.Get()), RelativePath(byName.Get()));
    EXPECT_EQ(bySlot->CompareTo(0, byName.Get()), WBEM_S_SAME);
    for (IWbemClassObject* instance : {bySlot.Get(), byName.Get()})
    {
        ComPtr<IWbemQualifierSet> qualifiers;
        ASSERT_EQ(instance->GetPropertyQualifierSet(L"ID", &qualifiers), WBEM_S_NO_ERROR);
        _variant_t key;
        LONG flavor = 0;
        EXPECT_EQ(qualifiers->Get(L"key", 0, &key, &flavor), WBEM_S_NO_ERROR);
        EXPECT_EQ(flavor & WBEM_FLAVOR_ORIGIN_PROPAGATED, WBEM_FLAVOR_ORIGIN_PROPAGATED);
    }
}

TEST(WbemPropertySlot, PutBySlotAnswersWhatPutByNameAnswers)
{
    ComPtr<IWbemClassObject> cls = SampleClass(L"Bnt_SlotAnswers");
    PutProperty(cls.Get(), L"Flag", CIM_BOOLEAN);
    const auto flag = [](VARIANT_BOOL bits) {
        _variant_t value;
        value.vt = VT_BOOL;
        value.boolVal = bits;
        return value;
    };
    const struct
    {
        const wchar_t* property;
        _variant_t value;
        CIMTYPE type;
    } cases[] = {
        {L"ID", TextValue(L"not a number"), 0},
        {L"ID", _variant_t(LONG{7}), CIM_STRING},
        {L"When", TextValue(L"yesterday"), 0},
        {L"Name", _variant_t(LONG{5}), 0},
        {L"Name", _variant_t(), 0},
        {L"Flag", flag(VARIANT_TRUE), 0},
        {L"Flag", flag(VARIANT_FALSE), 0},
        {L"Flag", flag(1), 0},
        {L"Flag", _variant_t(LONG{2}), 0},
        {L"Flag", TextValue(L"true"), 0},
    };
    for (const auto& c : cases)
    {
        ComPtr<IWbemClassObject> byName = Spawn(cls.Get());
        ComPtr<IWbemClassObject> bySlot = Spawn(cls.Get());
        _variant_t first = c.value;
        _variant_t second = c.value;
        const HRESULT named = byName->Put(c.property, 0, &first, c.type);
        EXPECT_EQ(Own(bySlot.Get())->PutBySlot(SlotOf(cls.Get(), c.property), &second, c.type), named)
            << std::wstring(c.property);
        EXPECT_EQ(PlainObjectText(bySlot.Get()), PlainObjectText(byName.Get())) << std::wstring(c.property);
        // The value itself, bit for bit (a boolean is held as VARIANT_TRUE or VARIANT_FALSE).
        _variant_t slotValue;
        _variant_t nameValue;
        ASSERT_EQ(bySlot->Get(c.property, 0, &slotValue, nullptr, nullptr), WBEM_S_NO_ERROR);
        ASSERT_EQ(byName->Get(c.property, 0, &nameValue, nullptr, nullptr), WBEM_S_NO_ERROR);
        EXPECT_EQ(slotValue.vt, nameValue.vt) << std::wstring(c.property);
        if (slotValue.vt == VT_BOOL)
        {
            EXPECT_EQ(slotValue.boolVal, nameValue.boolVal);
        }
    }
}

TEST(WbemPropertySlot, SlotOfAnotherClassIsRefused)
{
    ComPtr<IWbemClassObject> mine = SampleClass(L"Bnt_SlotMine");
    ComPtr<IWbemClassObject> other = SampleClass(L"Bnt_SlotOther");
    ComPtr<IWbemClassObject> instance = Spawn(mine.Get());
    const WbemClassObject::PropertySlot foreign = SlotOf(other.Get(), L"ID");

    EXPECT_FALSE(Own(instance.Get())->AcceptsSlot(foreign));
    _variant_t value(LONG{9});
    EXPECT_EQ(Own(instance.Get())->PutBySlot(foreign, &value, 0), WBEM_E_INVALID_PARAMETER);
    _variant_t read;
    ASSERT_EQ(instance->Get(L"ID", 0, &read, nullptr, nullptr), WBEM_S_NO_ERROR);
    EXPECT_EQ(read.vt, VT_NULL);

    // A derived class shares its parent's name index, yet its instances take only its own slots.
    ComPtr<IWbemClassObject> derived;
    ASSERT_EQ(mine->SpawnDerivedClass(0, &derived), WBEM_S_NO_ERROR);
    _variant_t derivedName = TextValue(L"Bnt_SlotDerived");
    ASSERT_EQ(derived->Put(L"__CLASS", 0, &derivedName, 0), WBEM_S_NO_ERROR);
    ComPtr<IWbemClassObject> derivedInstance = Spawn(derived.Get());
    EXPECT_FALSE(Own(derivedInstance.Get())->AcceptsSlot(SlotOf(mine.Get(), L"ID")));
    EXPECT_TRUE(Own(derivedInstance.Get())->AcceptsSlot(SlotOf(derived.Get(), L"ID")));
}

TEST(WbemPropertySlot, UnresolvedAndStaleSlotsAreRefused)
{
    ComPtr<IWbemClassObject> cls = SampleClass(L"Bnt_SlotStale");
    ComPtr<IWbemClassObject> instance = Spawn(cls.Get());
    _variant_t value(LONG{3});
    EXPECT_EQ(Own(instance.Get())->PutBySlot(WbemClassObject::PropertySlot(), &value, 0), WBEM_E_INVALID_PARAMETER);

    // Once the class changes its properties, a slot resolved before no longer speaks for it.
    const WbemClassObject::PropertySlot before = SlotOf(cls.Get(), L"ID");
    PutProperty(cls.Get(), L"Added", CIM_SINT32);
    EXPECT_FALSE(Own(instance.Get())->AcceptsSlot(before));
    EXPECT_EQ(Own(instance.Get())->PutBySlot(before, &value, 0), WBEM_E_INVALID_PARAMETER);
    EXPECT_TRUE(Own(instance.Get())->AcceptsSlot(SlotOf(cls.Get(), L"ID")));

    // A class definition takes no puts by slot.
    EXPECT_FALSE(Own(cls.Get())->AcceptsSlot(SlotOf(cls.Get(), L"ID")));
    EXPECT_EQ(Own(cls.Get())->PutBySlot(SlotOf(cls.Get(), L"ID"), &value, 0), WBEM_E_INVALID_PARAMETER);
}

TEST(WbemPropertySlot, FindSlotRefusesWhatNamesNoPropertyOfAClass)
{
    ComPtr<IWbemClassObject> cls = SampleClass(L"Bnt_SlotFind");
    ComPtr<IWbemClassObject> instance = Spawn(cls.Get());
    const std::wstring tooLong(WbemName::kMaxNameLength + 1, L'A');
    const struct
    {
        IWbemClassObject* object;
        const wchar_t* name;
        HRESULT expected;
    } cases[] = {
        {cls.Get(), L"id", WBEM_S_NO_ERROR},
        {cls.Get(), L"Missing", WBEM_E_NOT_FOUND},
        {cls.Get(), L"__RELPATH", WBEM_E_NOT_FOUND},
        {cls.Get(), L"", WBEM_E_INVALID_PARAMETER},
        {cls.Get(), nullptr, WBEM_E_INVALID_PARAMETER},
        {cls.Get(), tooLong.c_str(), WBEM_E_INVALID_PARAMETER},
        {instance.Get(), L"ID", WBEM_E_INVALID_OPERATION},
    };
    for (const auto& c : cases)
    {
        WbemClassObject::PropertySlot slot;
        CIMTYPE type = CIM_ILLEGAL;
        EXPECT_EQ(Own(c.object)->FindSlot(c.name, &slot, &type), c.expected)
            << (c.name == nullptr ? L"(null)" : c.name);
        EXPECT_EQ(slot.IsResolved(), c.expected == WBEM_S_NO_ERROR);
        EXPECT_EQ(type, c.expected == WBEM_S_NO_ERROR ? CIM_SINT32 : CIM_ILLEGAL);
    }
    // Each property answers its own type.
    for (const auto& [name, expected] :
         {std::pair{L"Name", CIM_STRING}, std::pair{L"Flags", CIM_UINT32}, std::pair{L"When", CIM_DATETIME}})
    {
        WbemClassObject::PropertySlot slot;
        CIMTYPE type = CIM_ILLEGAL;
        EXPECT_EQ(Own(cls.Get())->FindSlot(name, &slot, &type), WBEM_S_NO_ERROR);
        EXPECT_EQ(type, expected) << name;
    }
    EXPECT_EQ(Own(cls.Get())->FindSlot(L"ID", nullptr), WBEM_E_INVALID_PARAMETER);
}

TEST(WbemPropertySlot, TextsPutAfterRespawnAreTheNewRowsWhateverTheirLength)
{
    // Each row writes into the text storage of the row before: a shorter, a longer and an empty
    // text must each read back whole, and a row that puts no text shows none.
    ComPtr<IWbemClassObject> cls = SampleClass(L"Bnt_SlotTexts");
    const WbemClassObject::PropertySlot name = SlotOf(cls.Get(), L"Name");
    const WbemClassObject::PropertySlot when = SlotOf(cls.Get(), L"When");
    ComPtr<IWbemClassObject> row = Spawn(cls.Get());
    const std::vector<std::wstring> texts = {L"a fairly long first description", L"short", std::wstring(300, L'y'),
                                             L""};
    for (const std::wstring& text : texts)
    {
        ASSERT_EQ(Own(row.Get())->Respawn(cls.Get()), WBEM_S_NO_ERROR);
        ASSERT_EQ(Own(row.Get())->PutTextBySlot(name, text, 0), WBEM_S_NO_ERROR);
        EXPECT_EQ(Text(row.Get(), L"Name"), text);
    }
    ASSERT_EQ(Own(row.Get())->Respawn(cls.Get()), WBEM_S_NO_ERROR);
    _variant_t value;
    ASSERT_EQ(row->Get(L"Name", 0, &value, nullptr, nullptr), WBEM_S_NO_ERROR);
    EXPECT_EQ(value.vt, VT_NULL);

    // A text for a property of another type meets the same checks as any other put.
    EXPECT_EQ(Own(row.Get())->PutTextBySlot(when, L"not a date", 0), WBEM_E_TYPE_MISMATCH);
    EXPECT_EQ(Own(row.Get())->PutTextBySlot(when, L"20240101120000.000000+000", 0), WBEM_S_NO_ERROR);
    EXPECT_EQ(Own(row.Get())->PutTextBySlot(name, L"text", CIM_SINT32), WBEM_E_TYPE_MISMATCH);
}

TEST(WbemPropertySlot, TextsTakenIntoTheRowBeforesStorageHoldWhatAPutByNameHolds)
{
    // A reader's row writes each text into the storage the row before left (a date, a 64-bit
    // number in decimal, a string), and the text is taken as it stands only where a put by name
    // would hold that very text: the same answer and the same value, row after row.
    ComPtr<IWbemClassObject> cls = SampleClass(L"Bnt_SlotTaken");
    PutProperty(cls.Get(), L"Big", CIM_SINT64);
    PutProperty(cls.Get(), L"BigUnsigned", CIM_UINT64);
    const struct
    {
        const wchar_t* property;
        const wchar_t* text;
    } cases[] = {
        {L"Big", L"0"},
        {L"Big", L"-0"},
        {L"Big", L"007"},
        {L"Big", L"-007"},
        {L"Big", L"-123"},
        {L"Big", L"9223372036854775807"},
        {L"Big", L"-9223372036854775808"},
        {L"Big", L"9223372036854775808"},
        {L"Big", L"+5"},
        {L"Big", L"5 "},
        {L"Big", L""},
        {L"Big", L"-"},
        {L"BigUnsigned", L"18446744073709551615"},
        {L"BigUnsigned", L"18446744073709551616"},
        {L"BigUnsigned", L"-1"},
        {L"BigUnsigned", L"0"},
        {L"BigUnsigned", L"00"},
        {L"When", L"20240102030405.000000+000"},
        {L"When", L"99991231235959.999999-720"},
        {L"When", L"2024010203040.000000+000"},
        {L"When", L"yesterday"},
        {L"Name", L"-007"},
    };
    ComPtr<IWbemClassObject> row = Spawn(cls.Get());
    // Every text is written over each of the others, so storage of every kind is reused.
    for (const auto& before : cases)
    {
        for (const auto& c : cases)
        {
            ASSERT_EQ(Own(row.Get())->Respawn(cls.Get()), WBEM_S_NO_ERROR);
            Own(row.Get())->PutTextBySlot(SlotOf(cls.Get(), before.property), before.text, 0);
            ASSERT_EQ(Own(row.Get())->Respawn(cls.Get()), WBEM_S_NO_ERROR);
            ComPtr<IWbemClassObject> byName = Spawn(cls.Get());
            _variant_t named = TextValue(c.text);
            const HRESULT expected = byName->Put(c.property, 0, &named, 0);
            EXPECT_EQ(Own(row.Get())->PutTextBySlot(SlotOf(cls.Get(), c.property), c.text, 0), expected)
                << c.property << L" " << c.text;
            EXPECT_EQ(PlainObjectText(row.Get()), PlainObjectText(byName.Get())) << c.property << L" " << c.text;
        }
    }
    // The forms a put by name converts to.
    ComPtr<IWbemClassObject> byName = Spawn(cls.Get());
    _variant_t padded = TextValue(L"-007");
    ASSERT_EQ(byName->Put(L"Big", 0, &padded, 0), WBEM_S_NO_ERROR);
    EXPECT_EQ(Text(byName.Get(), L"Big"), L"-7");
    _variant_t zero = TextValue(L"-0");
    ASSERT_EQ(byName->Put(L"Big", 0, &zero, 0), WBEM_S_NO_ERROR);
    EXPECT_EQ(Text(byName.Get(), L"Big"), L"0");
}

TEST(WbemPropertySlot, RespawnGivesWhatSpawnGivesAndOnlyForItsOwnClass)
{
    // An instance built again for the next row shows nothing of the row before: no value, no
    // location, no qualifier view, no enumeration under way. A class, or an instance of
    // another class object, is refused and left as it was.
    ComPtr<IWbemClassObject> cls = SampleClass(L"Bnt_SlotRespawn");
    ComPtr<IWbemClassObject> fresh = Spawn(cls.Get());
    ComPtr<IWbemClassObject> reused = Spawn(cls.Get());
    _variant_t name = TextValue(L"Front door");
    ASSERT_EQ(Own(reused.Get())->PutBySlot(SlotOf(cls.Get(), L"Name"), &name, 0), WBEM_S_NO_ERROR);
    _variant_t id(LONG{7});
    ASSERT_EQ(reused->Put(L"ID", 0, &id, 0), WBEM_S_NO_ERROR);
    Own(reused.Get())->SetLocation(L"HOST", L"root\\Brontel");
    IWbemQualifierSet* qualifiers = nullptr;
    ASSERT_EQ(reused->GetPropertyQualifierSet(L"Name", &qualifiers), WBEM_S_NO_ERROR);
    qualifiers->Release();
    ASSERT_EQ(reused->BeginEnumeration(0), WBEM_S_NO_ERROR);

    ComPtr<IWbemClassObject> other = SampleClass(L"Bnt_SlotRespawn");
    EXPECT_EQ(Own(reused.Get())->Respawn(other.Get()), WBEM_E_INVALID_OPERATION);
    EXPECT_EQ(Text(reused.Get(), L"Name"), L"Front door");
    EXPECT_EQ(Own(cls.Get())->Respawn(cls.Get()), WBEM_E_INVALID_OPERATION);

    ASSERT_EQ(Own(reused.Get())->Respawn(cls.Get()), WBEM_S_NO_ERROR);
    EXPECT_EQ(PlainObjectText(reused.Get()), PlainObjectText(fresh.Get()));
    EXPECT_EQ(Text(reused.Get(), L"__PATH"), Text(fresh.Get(), L"__PATH"));
    EXPECT_EQ(reused->Next(0, nullptr, nullptr, nullptr, nullptr), WBEM_E_UNEXPECTED);
    _variant_t value;
    ASSERT_EQ(reused->Get(L"Name", 0, &value, nullptr, nullptr), WBEM_S_NO_ERROR);
    EXPECT_EQ(value.vt, VT_NULL);
}
