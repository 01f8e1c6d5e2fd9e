// GetObject through the WMI door: class paths answered from the repository the host fills,
// keyed paths answered by the instance provider from the demo rows, and the paths that find
// nothing or cannot name an instance.
#include "tests/e2e/DoorTest.h"
#include "tests/e2e/ServedClass.h"

#include "framework/CWMITypeInfo.h"
#include "framework/CWmipMessages.h"
#include "framework/CWmipMapperRegistry.h"
#include "framework/CWmipObjectPath.h"
#include "platform/wmi/IWbemQualifierSet.h"
#include "tools/provixa/ProvixaText.h"

#include <algorithm>

using namespace e2e;

namespace {
std::string QualifierText(IWbemClassObject* object, const wchar_t* qualifier)
{
    ComPtr<IWbemQualifierSet> qualifiers;
    _variant_t value;
    if (object == nullptr || FAILED(object->GetQualifierSet(&qualifiers)) ||
        FAILED(qualifiers->Get(qualifier, 0, &value, nullptr)))
        return "<missing>";
    const VARIANT& raw = value;
    if (raw.vt == VT_BOOL)
        return raw.boolVal != VARIANT_FALSE ? "1" : "0";
    return raw.vt == VT_BSTR && raw.bstrVal != nullptr ? DoorTest::Utf8(raw.bstrVal) : "<other>";
}

class DoorGetObject : public DoorTest
{
};
}  // namespace

TEST_F(DoorGetObject, ClassPathAnswersTheDeclaredDefinitionServedByTheProvider)
{
    // Class definitions come from the repository, whoever asks.
    for (const wchar_t* caller : {Callers::kViewer, Callers::kStranger})
    {
        CallAs(caller);
        for (const ServedClass& served : ServedClass::All())
            for (const Form form : kBothForms)
            {
                SCOPED_TRACE(Utf8(served.name) + " " + NameOf(form));
                const Reply reply = Get(form, served.name);
                ASSERT_EQ(reply.result, WBEM_S_NO_ERROR) << Hex(reply.result);
                ASSERT_EQ(reply.objects.size(), 1u);
                IWbemClassObject* definition = reply.objects.front().Get();
                EXPECT_EQ(support::PropertyText(definition, L"__GENUS"), "1");
                EXPECT_EQ(support::PropertyText(definition, L"__CLASS"), Utf8(served.name));
                EXPECT_EQ(QualifierText(definition, L"Dynamic"), "1");
                EXPECT_EQ(QualifierText(definition, L"Provider"), "BntProvider");
                for (const wchar_t* property : served.properties)
                    EXPECT_EQ(definition->Get(property, 0, nullptr, nullptr, nullptr), WBEM_S_NO_ERROR)
                        << Utf8(property);
            }
    }
    // Class names are not case-sensitive.
    const Reply other = Get(Form::Sync, L"bnt_worldtimezone");
    ASSERT_EQ(other.result, WBEM_S_NO_ERROR);
    EXPECT_EQ(support::PropertyText(other.objects.front().Get(), L"__CLASS"), "Bnt_WorldTimezone");
}

// A property a class declares without "key" keys none of its instances, though its superclass
// declares it a key: the alarm inputs and outputs are keyed by ID alone, the reader inputs keep
// both keys, and the superclasses keep theirs.
TEST_F(DoorGetObject, AnInheritedKeyTheClassDeclaresPlainKeysNothing)
{
    const auto keyOf = [this](const wchar_t* className, const wchar_t* property) -> std::string {
        const Reply reply = Get(Form::Sync, className);
        ComPtr<IWbemQualifierSet> qualifiers;
        _variant_t key;
        if (reply.objects.size() != 1 ||
            FAILED(reply.objects.front()->GetPropertyQualifierSet(property, &qualifiers)) ||
            FAILED(qualifiers->Get(L"key", 0, &key, nullptr)))
            return "<missing>";
        return key.vt == VT_BOOL ? (key.boolVal != VARIANT_FALSE ? "1" : "0") : "<other>";
    };
    const struct
    {
        const wchar_t* className;
        const wchar_t* property;
        const char* key;
    } keys[] = {
        {L"Bnt_AlarmInput", L"ID", "1"}, {L"Bnt_AlarmInput", L"PanelID", "0"}, {L"Bnt_AlarmOutput", L"PanelID", "0"},
        {L"Bnt_Input", L"PanelID", "1"}, {L"Bnt_Output", L"PanelID", "1"},     {L"Bnt_ReaderInput1", L"PanelID", "1"},
    };
    for (const auto& k : keys)
        EXPECT_EQ(keyOf(k.className, k.property), k.key) << Utf8(k.className) << "." << Utf8(k.property);
    CallAs(Callers::kAdministrator);
    const ComPtr<IWbemClassObject> input = Instance(L"Bnt_AlarmInput.ID=1");
    ASSERT_TRUE(input);
    EXPECT_EQ(support::PropertyText(input.Get(), L"__RELPATH"), "Bnt_AlarmInput.ID=1");
}

TEST_F(DoorGetObject, KeyedPathAnswersTheDemoRowWithEveryProperty)
{
    CallAs(Callers::kViewer);
    for (const ServedClass& served : ServedClass::All())
    {
        const Table expected = DoorInstallation::Rows("SELECT " + served.columns + " FROM " + served.table + " WHERE " +
                                                      served.foundCondition);
        ASSERT_EQ(expected.size(), 1u) << served.foundCondition;
        for (const Form form : kBothForms)
        {
            SCOPED_TRACE(Utf8(served.foundPath) + " " + NameOf(form));
            const Reply reply = Get(form, served.foundPath);
            ASSERT_EQ(reply.result, WBEM_S_NO_ERROR) << Hex(reply.result) << " " << Description(reply.statusObject);
            ASSERT_EQ(reply.objects.size(), 1u);
            EXPECT_EQ(Values(reply.objects, served.properties), expected);
            EXPECT_EQ(support::PropertyText(reply.objects.front().Get(), L"__GENUS"), "2");
            EXPECT_EQ(support::PropertyText(reply.objects.front().Get(), L"__CLASS"), Utf8(served.name));
            EXPECT_EQ(support::PropertyText(reply.objects.front().Get(), L"__NAMESPACE"), "root\\Brontel");
            EXPECT_EQ(support::PropertyText(reply.objects.front().Get(), L"__SERVER"), "E2EHOST");
        }
    }
}

TEST_F(DoorGetObject, EveryEnumeratedInstanceIsFoundAgainByItsPath)
{
    // The paths the door hands out (quoted names with blanks and apostrophes, several keys,
    // negative numbers) name the same instance when they come back.
    CallAs(Callers::kViewer);
    for (const ServedClass& served : ServedClass::All())
    {
        const Reply all = Enum(Form::Sync, served.name);
        ASSERT_EQ(all.result, WBEM_S_NO_ERROR) << Utf8(served.name);
        ASSERT_FALSE(all.objects.empty()) << Utf8(served.name);
        for (const ComPtr<IWbemClassObject>& instance : all.objects)
        {
            const std::string path = support::PropertyText(instance.Get(), L"__PATH");
            const std::string relative = support::PropertyText(instance.Get(), L"__RELPATH");
            SCOPED_TRACE(path);
            EXPECT_EQ(path, "\\\\E2EHOST\\root\\Brontel:" + relative);
            const Reply again = Get(Form::Sync, ProvixaText::FromUtf8(path));
            ASSERT_EQ(again.result, WBEM_S_NO_ERROR) << Hex(again.result);
            ASSERT_EQ(again.objects.size(), 1u);
            EXPECT_EQ(Values(again.objects, served.properties), Values({instance}, served.properties));
            EXPECT_EQ(support::PropertyText(again.objects.front().Get(), L"__RELPATH"), relative);
        }
    }
}

TEST_F(DoorGetObject, KeyedPathOfNoRowIsNotFound)
{
    CallAs(Callers::kViewer);
    for (const ServedClass& served : ServedClass::All())
        for (const Form form : kBothForms)
        {
            SCOPED_TRACE(Utf8(served.missingPath) + " " + NameOf(form));
            const Reply reply = Get(form, served.missingPath);
            EXPECT_EQ(reply.result, WBEM_E_NOT_FOUND) << Hex(reply.result);
            EXPECT_TRUE(reply.objects.empty());
        }
}

TEST_F(DoorGetObject, MalformedPathsAreInvalidObjectPaths)
{
    CallAs(Callers::kViewer);
    const wchar_t* const malformed[] = {
        L"Bnt_EventType.ID=",
        L"Bnt_EventType.ID",
        L"Bnt_EventType.=7",
        L"Bnt_EventType.ID=7,",
        L"Bnt_EventType.ID=7,,ID=8",
        L"Bnt_EventType..ID=7",
        L"Bnt_EventType.ID=\"7",
        L"Bnt_EventType.ID=7\"",
        L"Bnt_EventType.ID=7 OR 1=1",
        L"Bnt_EventType.ID='7'",
        L".ID=7",
        L"=7",
        L"Bnt Event.ID=7",
        L"Bnt_EventType.ID=7;DROP TABLE EVENTYPE",
        L"Bnt_Timezone.ID=3,SegmentID=2,Name=\"Warehouse night shift",
        L"\\\\E2EHOST\\root\\Brontel",
        L"\\\\E2EHOST\\root\\Brontel:",
        // Escapes other than \" and \\, and bare values other than numbers and TRUE/FALSE.
        L"Bnt_EventType.ID=\"7\\x\"",
        L"Bnt_EventType.ID=7 8",
        L"Bnt_EventType.ID=seven",
    };
    for (const wchar_t* path : malformed)
        for (const Form form : kBothForms)
        {
            SCOPED_TRACE(Utf8(path) + " " + NameOf(form));
            const Reply reply = Get(form, path);
            EXPECT_EQ(reply.result, WBEM_E_INVALID_OBJECT_PATH) << Hex(reply.result);
            EXPECT_TRUE(reply.objects.empty());
            // The refusal says what is wrong, and where.
            EXPECT_NE(Description(reply.statusObject.Get()).find(" at offset "), std::string::npos)
                << Description(reply.statusObject.Get());
        }
    EXPECT_EQ(DoorInstallation::Rows("SELECT COUNT(*) FROM EVENTYPE"), (Table{{"6"}}));
}

TEST_F(DoorGetObject, PathsNamingANonKeyAreInvalidAndPathsNamingSomeKeysReadTheFirstMatch)
{
    CallAs(Callers::kViewer);
    // Each served class's path of wrong keys names a property that is no key, or part of the keys.
    // Each invalid path with what its refusal ends with.
    std::vector<std::pair<std::wstring, std::wstring>> invalid;
    std::vector<std::wstring> someKeys;
    for (const ServedClass& served : ServedClass::All())
    {
        const auto path = CWmipObjectPath::CreateFromPath(served.wrongKeysPath);
        ASSERT_NE(path, nullptr) << Utf8(served.wrongKeysPath);
        const auto& keys = CWmipMapperRegistry::Instance()->GetTypeInfo(path->GetClassName(), true)->GetKeyProperties();
        bool onlyKeys = true;
        for (const CString& name : path->GetKeyNames())
            onlyKeys = onlyKeys && std::any_of(keys.begin(), keys.end(),
                                               [&name](const auto& key) { return key.first.CompareNoCase(name) == 0; });
        if (onlyKeys)
            someKeys.emplace_back(served.wrongKeysPath);
        else
            invalid.emplace_back(served.wrongKeysPath, CWmipMessages::kInvalidObjectPath);
    }
    ASSERT_FALSE(someKeys.empty());
    ASSERT_FALSE(invalid.empty());
    // An extra key, a key named twice, a key of another class, an unknown property.
    invalid.emplace_back(L"Bnt_EventType.ID=7,Description=\"Fire\"", CWmipMessages::kInvalidObjectPath);
    invalid.emplace_back(L"Bnt_EventType.ID=7,ID=7", L"key ID repeated at offset 19.");
    invalid.emplace_back(L"Bnt_EventType.PanelID=7", CWmipMessages::kInvalidObjectPath);
    invalid.emplace_back(L"Bnt_WorldTimezone.Nothing=1", CWmipMessages::kInvalidObjectPath);
    // Five of the six keys of an alarm link.
    someKeys.emplace_back(L"Bnt_EventAlarmDefinitionLink.PanelID=2,DeviceID=0,SecondaryDeviceID=1,EventTypeID=7,"
                          L"EventSubtypeDefinitionID=1");
    for (const Form form : kBothForms)
    {
        for (const auto& [path, reason] : invalid)
        {
            SCOPED_TRACE(Utf8(path) + " " + NameOf(form));
            const Reply reply = Get(form, path);
            EXPECT_TRUE(Refused(reply, WBEM_E_INVALID_OBJECT_PATH, reason));
            EXPECT_TRUE(reply.objects.empty());
        }
        for (const std::wstring& path : someKeys)
        {
            SCOPED_TRACE(Utf8(path) + " " + NameOf(form));
            const Reply reply = Get(form, path);
            ASSERT_TRUE(reply.result == WBEM_S_NO_ERROR || reply.result == WBEM_E_NOT_FOUND) << Hex(reply.result);
            EXPECT_EQ(reply.objects.size(), reply.result == WBEM_S_NO_ERROR ? 1u : 0u);
        }
        EXPECT_EQ(Get(form, someKeys.back()).objects.size(), 1u) << "the demo's alarm link";
    }
}

TEST_F(DoorGetObject, UnknownClassIsNotFoundAsAClassAndInvalidAsAnInstance)
{
    CallAs(Callers::kViewer);
    for (const Form form : kBothForms)
    {
        SCOPED_TRACE(NameOf(form));
        // The service answers an unknown class itself, without a status object.
        for (const auto& [path, code] :
             {std::pair{L"Bnt_Nothing", WBEM_E_NOT_FOUND}, std::pair{L"Bnt_Nothing.ID=1", WBEM_E_INVALID_CLASS}})
        {
            const Reply reply = Get(form, path);
            EXPECT_EQ(reply.result, code) << Utf8(path);
            EXPECT_FALSE(reply.statusObject) << Utf8(path);
        }
        // A path of another namespace is not this door's.
        EXPECT_TRUE(Refused(Get(form, L"\\\\E2EHOST\\root\\Other:Bnt_EventType.ID=7"), WBEM_E_INVALID_NAMESPACE,
                            L"The path names namespace root\\Other, not root\\Brontel."));
    }
}

TEST_F(DoorGetObject, ErrorPathIsNotFoundForEveryCallerWithoutAStatusObject)
{
    // A caller linked to nobody: the answer does not depend on the caller.
    CallAs(Callers::kStranger);
    for (const Form form : kBothForms)
    {
        SCOPED_TRACE(NameOf(form));
        const Reply reply = Get(form, L"Bnt_Error");
        EXPECT_EQ(reply.result, WBEM_E_NOT_FOUND) << Hex(reply.result);
        EXPECT_TRUE(reply.objects.empty());
        EXPECT_EQ(reply.statusObject, nullptr);
    }
    // The provider answers the exact text at once, before it looks at the caller.
    const int earlyLeftBefore = LogLines(L"Leaving GetObjectAsync(Bnt_Error)");
    const Reply early = ProviderGet(L"Bnt_Error");
    EXPECT_EQ(early.result, WBEM_E_NOT_FOUND) << Hex(early.result);
    EXPECT_TRUE(early.objects.empty());
    EXPECT_EQ(early.statusObject, nullptr);
    // Another spelling takes the ordinary road (no such class) and is logged as it leaves;
    // the early answer leaves no such line.
    const int leftBefore = LogLines(L"Leaving GetObjectAsync(bnt_error)");
    const Reply ordinary = ProviderGet(L"bnt_error");
    EXPECT_EQ(ordinary.result, WBEM_E_NOT_FOUND) << Hex(ordinary.result);
    EXPECT_TRUE(ordinary.objects.empty());
    // Thrown like every failure of the class road, so it carries a status object.
    EXPECT_EQ(StatusCode(ordinary.statusObject.Get()), WBEM_E_NOT_FOUND);
    EXPECT_TRUE(Refused(ordinary, WBEM_E_NOT_FOUND, CWmipMessages::kNotFound));
    EXPECT_EQ(LogLines(L"Leaving GetObjectAsync(bnt_error)"), leftBefore + 1);
    EXPECT_GT(LogLines(L"GetObjectAsync(Bnt_Error)"), 0);
    EXPECT_EQ(LogLines(L"Leaving GetObjectAsync(Bnt_Error)"), earlyLeftBefore);
}

TEST_F(DoorGetObject, StringKeysMatchWithoutRegardToCase)
{
    CallAs(Callers::kViewer);
    for (const Form form : kBothForms)
    {
        SCOPED_TRACE(NameOf(form));
        const Reply reply = Get(form, L"Bnt_Timezone.ID=3,SegmentID=2,Name=\"WAREHOUSE NIGHT SHIFT\"");
        EXPECT_EQ(reply.result, WBEM_S_NO_ERROR) << Hex(reply.result) << " " << Description(reply.statusObject);
        ASSERT_EQ(reply.objects.size(), 1u);
        EXPECT_EQ(support::PropertyText(reply.objects[0].Get(), L"Name"), "Warehouse night shift");
    }
}

TEST_F(DoorGetObject, PathCutByANulIsAMalformedPath)
{
    using namespace std::string_literals;
    CallAs(Callers::kAdministrator);
    const std::vector<Table> before = DoorInstallation::WholeDatabase();
    for (const Form form : kBothForms)
    {
        SCOPED_TRACE(NameOf(form));
        const Reply get = Get(form, L"Bnt_EventType.ID=2\0,ID=7"s);
        EXPECT_TRUE(Refused(get, WBEM_E_INVALID_OBJECT_PATH, CWmipMessages::kInvalidObjectPath));
        EXPECT_TRUE(get.objects.empty());
        const Reply deletion = Delete(form, L"Bnt_Holiday.ID=4\0"s);
        EXPECT_TRUE(Refused(deletion, WBEM_E_INVALID_OBJECT_PATH, CWmipMessages::kInvalidObjectPath));
    }
    // Not the whole text "Bnt_Error": the ordinary road refuses it, with a status object.
    const Reply error = ProviderGet(L"Bnt_Error\0"s);
    EXPECT_EQ(error.result, WBEM_E_INVALID_OBJECT_PATH) << Hex(error.result);
    EXPECT_EQ(StatusCode(error.statusObject.Get()), WBEM_E_INVALID_OBJECT_PATH);
    EXPECT_TRUE(Refused(error, WBEM_E_INVALID_OBJECT_PATH, CWmipMessages::kInvalidObjectPath));
    EXPECT_EQ(DoorInstallation::WholeDatabase(), before);
}
