// Class listings through the WMI door: the repository the host fills from the registered
// declarations holds every declared class below its superclass, shallow listings give the
// direct subclasses only, and both forms give the same answer to every caller.
#include "tests/e2e/DoorTest.h"

#include "framework/CWMITypeInfo.h"
#include "framework/CWmipMapperRegistry.h"
#include "platform/wmi/IWbemQualifierSet.h"
#include "tools/provixa/ProvixaText.h"

#include <map>
#include <set>

using namespace e2e;

namespace {
// The declared classes by name, each with its superclass (empty for a root class), and the two
// manager classes whose stored definitions the repository holds.
std::map<std::string, std::string> DeclaredClasses()
{
    std::map<std::string, std::string> classes;
    CWmipMapperRegistry* registry = CWmipMapperRegistry::Instance();
    for (const CString& name : registry->GetTypeNames())
    {
        const CWMITypeInfo* typeInfo = registry->GetTypeInfo(name, true);
        const CString parent = typeInfo != nullptr ? typeInfo->GetParentTypeName() : CString();
        classes[DoorTest::Utf8(static_cast<LPCWSTR>(name))] = DoorTest::Utf8(static_cast<LPCWSTR>(parent));
    }
    // The declarations leave these classes' superclass to their mappers, which the provider's
    // definitions follow.
    for (const auto& [name, parent] : {std::pair{"Bnt_Badge", "Bnt_Element"}, std::pair{"Bnt_Person", "Bnt_Element"},
                                       std::pair{"Bnt_Visit", "Bnt_Element"}, std::pair{"Bnt_Cardholder", "Bnt_Person"},
                                       std::pair{"Bnt_Visitor", "Bnt_Person"}})
        classes[name] = parent;
    // The manager classes are not declared; the repository keeps their definitions, as it keeps
    // the hardware event classes.
    classes["Bnt_FluxmereManager"] = "";
    classes["Bnt_VexletManager"] = "";
    classes["Bnt_Alarm"] = "";
    classes["Bnt_SecurityEvent"] = "__ExtrinsicEvent";
    for (const char* event :
         {"Bnt_AccessEvent", "Bnt_IntercomEvent", "Bnt_FireEvent", "Bnt_VideoEvent", "Bnt_TransmitterEvent",
          "Bnt_StatusChangeEvent", "Bnt_FunctionExecEvent", "Bnt_OtherSecurityEvent"})
        classes[event] = "Bnt_SecurityEvent";
    return classes;
}

// The declared classes below `superclass`: its children, or every descendant when deep.
std::set<std::string> DeclaredBelow(const std::map<std::string, std::string>& classes, const std::string& superclass,
                                    bool deep)
{
    std::set<std::string> below;
    for (const auto& [name, parent] : classes)
    {
        if (deep && superclass.empty())
        {
            below.insert(name);
            continue;
        }
        std::string ancestor = parent;
        bool reached = ancestor == superclass;
        while (deep && !reached && !ancestor.empty())
        {
            const auto up = classes.find(ancestor);
            ancestor = up == classes.end() ? std::string() : up->second;
            reached = !ancestor.empty() && ancestor == superclass;
        }
        if (reached)
            below.insert(name);
    }
    return below;
}

std::set<std::string> BntNames(const Reply& reply)
{
    std::set<std::string> names;
    for (const ComPtr<IWbemClassObject>& object : reply.objects)
    {
        const std::string name = support::PropertyText(object.Get(), L"__CLASS");
        if (name.rfind("Bnt_", 0) == 0)
            names.insert(name);
    }
    return names;
}

bool IsAbstract(IWbemClassObject* definition)
{
    ComPtr<IWbemQualifierSet> qualifiers;
    _variant_t value;
    return SUCCEEDED(definition->GetQualifierSet(&qualifiers)) &&
           SUCCEEDED(qualifiers->Get(L"abstract", 0, &value, nullptr)) &&
           static_cast<const VARIANT&>(value).vt == VT_BOOL &&
           static_cast<const VARIANT&>(value).boolVal != VARIANT_FALSE;
}

class DoorClassListing : public DoorTest
{
};
}  // namespace

TEST_F(DoorClassListing, DeepListingOfTheRootHoldsEveryDeclaredClassAfterItsSuperclass)
{
    const std::map<std::string, std::string> declared = DeclaredClasses();
    ASSERT_GT(declared.size(), 90u);
    CallAs(Callers::kStranger);
    for (const Form form : kBothForms)
    {
        SCOPED_TRACE(NameOf(form));
        const Reply reply = ClassEnum(form, L"", 0);
        ASSERT_EQ(reply.result, WBEM_S_NO_ERROR) << Hex(reply.result);
        std::set<std::string> seen;
        std::set<std::string> systemClasses;
        for (const ComPtr<IWbemClassObject>& definition : reply.objects)
        {
            const std::string name = support::PropertyText(definition.Get(), L"__CLASS");
            const std::string superclass = support::PropertyText(definition.Get(), L"__SUPERCLASS");
            EXPECT_EQ(support::PropertyText(definition.Get(), L"__GENUS"), "1") << name;
            EXPECT_TRUE(superclass == "<null>" || superclass.empty() || seen.count(superclass) == 1)
                << name << " listed before its superclass " << superclass;
            seen.insert(name);
            if (name.rfind("__", 0) == 0)
            {
                systemClasses.insert(name);
                continue;
            }
            const auto entry = declared.find(name);
            ASSERT_NE(entry, declared.end()) << name << " is not declared";
            EXPECT_EQ(superclass == "<null>" ? std::string() : superclass, entry->second) << name;
            EXPECT_EQ(IsAbstract(definition.Get()),
                      CWmipMapperRegistry::Instance()->IsClassAbstract(CString(ProvixaText::FromUtf8(name).c_str())))
                << name;
        }
        EXPECT_EQ(BntNames(reply).size(), declared.size());
        EXPECT_EQ(seen.size(), reply.objects.size()) << "a class listed twice";
        for (const char* system : {"__SystemClass", "__NotifyStatus", "__ExtendedStatus", "__Event"})
            EXPECT_EQ(systemClasses.count(system), 1u) << system;
    }
}

TEST_F(DoorClassListing, ShallowListingsHoldTheDirectSubclassesOnly)
{
    const std::map<std::string, std::string> declared = DeclaredClasses();
    CallAs(Callers::kViewer);
    // The root and every declared class that has subclasses, shallow and deep.
    std::set<std::string> superclasses = {""};
    for (const auto& [name, parent] : declared)
        if (!parent.empty())
            superclasses.insert(parent);
    ASSERT_GT(superclasses.size(), 2u);
    bool sawGrandchildren = false;
    for (const std::string& superclass : superclasses)
        for (const bool deep : {false, true})
            for (const Form form : kBothForms)
            {
                SCOPED_TRACE(superclass + (deep ? " deep " : " shallow ") + NameOf(form));
                const Reply reply = ClassEnum(form, ProvixaText::FromUtf8(superclass), deep ? 0 : WBEM_FLAG_SHALLOW);
                ASSERT_EQ(reply.result, WBEM_S_NO_ERROR) << Hex(reply.result);
                std::set<std::string> expected = DeclaredBelow(declared, superclass, deep);
                // The demo's user-defined lists are classes below Bnt_Element built at run time.
                if (superclass == "Bnt_Element" || (superclass.empty() && deep))
                    expected.insert({"Bnt_DEPARTMENT", "Bnt_JOBTITLE"});
                EXPECT_EQ(BntNames(reply), expected);
                if (!deep && !superclass.empty())
                    sawGrandchildren |= DeclaredBelow(declared, superclass, true).size() > expected.size();
                for (const ComPtr<IWbemClassObject>& definition : reply.objects)
                {
                    if (deep)
                        continue;
                    EXPECT_EQ(support::PropertyText(definition.Get(), L"__SUPERCLASS"),
                              superclass.empty() ? "<null>" : superclass);
                }
            }
    EXPECT_TRUE(sawGrandchildren) << "no listing told shallow from deep below a class";
}

TEST_F(DoorClassListing, ListingBelowAnUnknownClassIsInvalidClass)
{
    CallAs(Callers::kViewer);
    for (const Form form : kBothForms)
        for (const LONG flags : {0, static_cast<LONG>(WBEM_FLAG_SHALLOW)})
        {
            SCOPED_TRACE(NameOf(form));
            const Reply reply = ClassEnum(form, L"Bnt_Nothing", flags);
            EXPECT_EQ(reply.result, WBEM_E_INVALID_CLASS) << Hex(reply.result);
            EXPECT_TRUE(reply.objects.empty());
        }
    // Superclass names are not case-sensitive.
    const Reply lower = ClassEnum(Form::Sync, L"bnt_input", WBEM_FLAG_SHALLOW);
    const Reply exact = ClassEnum(Form::Sync, L"Bnt_Input", WBEM_FLAG_SHALLOW);
    EXPECT_EQ(lower.result, WBEM_S_NO_ERROR);
    EXPECT_FALSE(exact.objects.empty());
    EXPECT_EQ(BntNames(lower), BntNames(exact));
}
