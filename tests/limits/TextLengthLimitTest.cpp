// Text limits at the limit itself and one character over, on every stored instance the door
// serves: a text of exactly its "maxlen" is written and read back whole; one character more is
// refused naming the property, and nothing in the database changes. The limits come from the
// served definitions (declared, user-defined and computed properties alike), so a new class or
// field is covered by declaring it.
#include "simulation/SimulatedInstallation.h"
#include "tests/e2e/DoorTest.h"

#include "framework/CWMITypeInfo.h"
#include "framework/CWmipMapperRegistry.h"
#include "inhouse/BntUserDb/CVisitEmailLink.h"
#include "platform/com/Bstr.h"
#include "platform/com/CimTypes.h"
#include "platform/wmi/IWbemQualifierSet.h"

#include <set>

using namespace e2e;

namespace {
struct TextLimit
{
    std::wstring property;
    LONG maxlen = 0;
    // A "noedit" or "read" property: any change to it is refused, so only its over-long side
    // is tried.
    bool viewOnly = false;
};

// A text of exactly the limit that no other rule of the property refuses: digits (PINs and
// hexadecimal identifiers take nothing else) led by a serial number, so that names stay
// unique; an e-mail list is addresses of at most CVisitEmailLink::kMaxAddressLength.
std::wstring WholeText(const TextLimit& limit, int serial)
{
    const std::size_t length = static_cast<std::size_t>(limit.maxlen);
    if (limit.property == L"EMAIL_LIST")
    {
        constexpr std::size_t kAddress = CVisitEmailLink::kMaxAddressLength;
        std::wstring list(std::min(kAddress, length), L'a');
        while (list.size() < length)
            list += L';' + std::wstring(std::min(kAddress, length - list.size() - 1), L'a');
        return list;
    }
    std::wstring text = std::to_wstring(serial);
    text.resize(length, L'7');
    return text.substr(0, length);
}

std::wstring Widen(const std::string& text)
{
    return std::wstring(text.begin(), text.end());
}

// The non-key text properties of the instance with a length limit: its "maxlen" qualifier, or
// the declared length of a table-backed property.
std::vector<TextLimit> TextLimits(IWbemClassObject* instance, const CWMITypeInfo& typeInfo)
{
    std::vector<TextLimit> limits;
    if (FAILED(instance->BeginEnumeration(WBEM_FLAG_NONSYSTEM_ONLY)))
        return limits;
    BSTR name = nullptr;
    CIMTYPE type = CIM_EMPTY;
    while (instance->Next(0, &name, nullptr, &type, nullptr) == WBEM_S_NO_ERROR)
    {
        const CString property(name);
        SysFreeString(name);
        if (type != CIM_STRING || typeInfo.IsPropertyAKeyProperty(property))
            continue;
        LONG maxlen = typeInfo.GetPropertyLength(property);
        ComPtr<IWbemQualifierSet> qualifiers;
        _variant_t qualifier;
        if (SUCCEEDED(instance->GetPropertyQualifierSet(property, &qualifiers)) &&
            qualifiers->Get(L"maxlen", 0, &qualifier, nullptr) == WBEM_S_NO_ERROR && qualifier.GetVARIANT().vt == VT_I4)
            maxlen = qualifier.GetVARIANT().lVal;
        _variant_t noedit;
        const bool viewOnly = typeInfo.IsPropertyViewOnly(property) || typeInfo.IsPropertyReadOnly(property) ||
                              (qualifiers && qualifiers->Get(L"noedit", 0, &noedit, nullptr) == WBEM_S_NO_ERROR &&
                               noedit.GetVARIANT().vt == VT_BOOL && noedit.GetVARIANT().boolVal != VARIANT_FALSE);
        if (maxlen > 0)
            limits.push_back({property.GetString(), maxlen, viewOnly});
    }
    instance->EndEnumeration();
    return limits;
}

// Written but not given back on a read: the PIN of a badge whose type hides it (stored
// encrypted), and the visit's e-mail list (kept as one recipient row per address).
const std::set<std::wstring> kNotReadBack = {L"Bnt_Badge.PIN", L"Bnt_Visit.EMAIL_LIST"};

class TextLengthLimits : public DoorTest
{
protected:
    // The stored instance with one property changed, put back as an update.
    Reply Change(IWbemClassObject* stored, const std::wstring& property, const std::wstring& text)
    {
        ComPtr<IWbemClassObject> copy;
        EXPECT_EQ(stored->Clone(&copy), WBEM_S_NO_ERROR);
        _variant_t value(text.c_str());
        EXPECT_EQ(copy->Put(property.c_str(), 0, &value, 0), WBEM_S_NO_ERROR) << Utf8(property);
        return Put(Form::Sync, copy.Get(), WBEM_FLAG_UPDATE_ONLY);
    }

    support::SimulatedInstallation m_servers{std::vector<std::wstring>{L"localhost"}};
};
}  // namespace

TEST_F(TextLengthLimits, EveryStoredTextTakesExactlyItsMaxlenAndRefusesOneMoreWritingNothing)
{
    CallAs(Callers::kAdministrator);
    int atLimit = 0;
    int over = 0;
    std::set<std::wstring> classes;
    CWmipMapperRegistry* registry = CWmipMapperRegistry::Instance();
    for (const CString& name : registry->GetTypeNames())
    {
        const std::wstring className = name.GetString();
        const CWMITypeInfo* typeInfo = registry->GetTypeInfo(name, true);
        if (registry->IsClassAbstract(name) || typeInfo == nullptr)
            continue;
        // The first stored instance that can be put back unchanged; a class with none takes no
        // updates at all (its refusal of an over-long text is the value-form sweep's).
        std::wstring path;
        for (const ComPtr<IWbemClassObject>& stored : Enum(Form::Sync, className).objects)
            if (path.empty() && Put(Form::Sync, stored.Get(), WBEM_FLAG_UPDATE_ONLY).result == WBEM_S_NO_ERROR)
                path = Widen(support::PropertyText(stored.Get(), L"__RELPATH"));
        if (path.empty())
            continue;
        const ComPtr<IWbemClassObject> first = Instance(path);
        ASSERT_TRUE(first);
        for (const TextLimit& limit : TextLimits(first.Get(), *typeInfo))
        {
            SCOPED_TRACE(Utf8(className + L"." + limit.property) + " maxlen " + std::to_string(limit.maxlen));
            const ComPtr<IWbemClassObject> current = Instance(path);
            ASSERT_TRUE(current);
            const std::vector<Table> before = DoorInstallation::WholeDatabase();
            const Reply refused = Change(current.Get(), limit.property, std::wstring(limit.maxlen + 1, L'7'));
            EXPECT_EQ(refused.result, WBEM_E_INVALID_PARAMETER) << Hex(refused.result);
            EXPECT_TRUE(
                EndsWith(Description(refused.statusObject.Get()),
                         "The property " + Utf8(limit.property) + " did not exist or contained an invalid value."))
                << Description(refused.statusObject.Get());
            EXPECT_EQ(DoorInstallation::WholeDatabase(), before);
            ++over;
            if (limit.viewOnly)
                continue;

            const std::wstring whole = WholeText(limit, atLimit);
            ASSERT_EQ(whole.size(), static_cast<std::size_t>(limit.maxlen));
            const Reply taken = Change(current.Get(), limit.property, whole);
            EXPECT_EQ(taken.result, WBEM_S_NO_ERROR)
                << Hex(taken.result) << " " << Description(taken.statusObject.Get());
            const ComPtr<IWbemClassObject> written = Instance(path);
            ASSERT_TRUE(written);
            if (kNotReadBack.contains(className + L"." + limit.property))
                EXPECT_NE(DoorInstallation::WholeDatabase(), before);
            else
                EXPECT_EQ(support::PropertyText(written.Get(), limit.property.c_str()), Utf8(whole));
            ++atLimit;
            classes.insert(className);
        }
    }
    EXPECT_GE(classes.size(), 10U);
    EXPECT_GE(atLimit, 15);
    EXPECT_GE(over, 30);
}
