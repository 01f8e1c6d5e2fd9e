// The "__PARAMETERS" signatures that a type's definition gives its methods: WMI numbers the
// real parameters 0, 1, 2, ... without gaps (in parameters first, one ID per name across both
// signatures) and leaves the out "ReturnValue" unnumbered.
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "framework/CWMITypeInfo.h"
#include "framework/CWmipMapperRegistry.h"
#include "platform/com/CimTypes.h"
#include "tests/schema/SchemaWalk.h"
#include "tests/framework/registry/RegistryTestSupport.h"

namespace {

constexpr LONG kNoId = -1;

CWmipMapperRegistry& SignatureRegistry()
{
    return *CWmipMapperRegistry::Instance();
}

// The "ID" of every parameter of a signature by name (kNoId when it has none, -2 when it is
// not a VT_I4); empty for no signature.
std::map<std::wstring, LONG> Ids(CCorvessaClassObject* signature)
{
    std::map<std::wstring, LONG> ids;
    if (signature == nullptr)
    {
        return ids;
    }
    for (const CString& name : signature->GetPropertyNames())
    {
        LONG id = kNoId;
        IWbemQualifierSet* qualifiers = nullptr;
        if (signature->GetPropertyQualifierSet(name, &qualifiers) == WBEM_S_NO_ERROR)
        {
            _variant_t value;
            if (qualifiers->Get(L"ID", 0, &value, nullptr) == WBEM_S_NO_ERROR)
            {
                id = value.vt == VT_I4 ? value.lVal : -2;
            }
            qualifiers->Release();
        }
        ids[name.GetString()] = id;
    }
    return ids;
}

struct Signatures
{
    std::map<std::wstring, LONG> in;
    std::map<std::wstring, LONG> out;
};

Signatures SignaturesOf(CWMITypeInfo& type, const wchar_t* method)
{
    const CWMITypeInfo::ClassObjectPtr definition = type.GetTypeInformation();
    const std::unique_ptr<CCorvessaClassObject> in = definition->GetMethodParameter(method, true);
    const std::unique_ptr<CCorvessaClassObject> out = definition->GetMethodParameter(method, false);
    return {Ids(in.get()), Ids(out.get())};
}

// Empty when the signatures follow WMI's numbering, else what is wrong.
std::string NumberingFault(const Signatures& signatures)
{
    std::map<std::wstring, LONG> byName;
    for (const auto* side : {&signatures.in, &signatures.out})
    {
        for (const auto& [name, id] : *side)
        {
            const bool isOut = side == &signatures.out;
            if (isOut && CString(name.c_str()).CompareNoCase(L"ReturnValue") == 0)
            {
                if (id != kNoId)
                {
                    return "ReturnValue is numbered";
                }
                continue;
            }
            if (id < 0)
            {
                return "a parameter has no ID";
            }
            CString upper(name.c_str());
            upper.MakeUpper();
            const auto [entry, added] = byName.try_emplace(upper.GetString(), id);
            if (!added && entry->second != id)
            {
                return "one name has two IDs";
            }
        }
    }
    std::set<LONG> ids;
    for (const auto& [name, id] : byName)
    {
        ids.insert(id);
    }
    if (ids.size() != byName.size())
    {
        return "two names share an ID";
    }
    if (!ids.empty() && (*ids.begin() != 0 || *ids.rbegin() != static_cast<LONG>(ids.size()) - 1))
    {
        return "the IDs have a gap";
    }
    return "";
}

TEST(MethodSignature, NumbersOnlyTheRealParametersAndSharesTheIdOfANameInBothSignatures)
{
    SignatureRegistry().RegisterClass(L"Test_Signatures", MapperFactory());
    const struct
    {
        const wchar_t* method;
        std::vector<std::pair<const wchar_t*, bool>> parameters;  // name, is input
        std::map<std::wstring, LONG> in;
        std::map<std::wstring, LONG> out;
    } cases[] = {
        // ReturnValue before another out parameter leaves no gap.
        {L"Report",
         {{L"Mode", true}, {L"ReturnValue", false}, {L"Count", false}},
         {{L"Mode", 0}},
         {{L"ReturnValue", kNoId}, {L"Count", 1}}},
        {L"Status", {{L"ReturnValue", false}}, {}, {{L"ReturnValue", kNoId}}},
        {L"Probe", {{L"returnvalue", false}, {L"Level", false}}, {}, {{L"returnvalue", kNoId}, {L"Level", 0}}},
        // A parameter that is both in and out has one ID.
        {L"Swap",
         {{L"Value", true}, {L"Limit", true}, {L"VALUE", false}, {L"ReturnValue", false}, {L"Old", false}},
         {{L"Value", 0}, {L"Limit", 1}},
         {{L"VALUE", 0}, {L"ReturnValue", kNoId}, {L"Old", 2}}},
        // Only the out "ReturnValue" is the method's result.
        {L"Echo", {{L"ReturnValue", true}, {L"Text", true}}, {{L"ReturnValue", 0}, {L"Text", 1}}, {}},
    };
    for (const auto& c : cases)
    {
        for (const auto& [name, isInput] : c.parameters)
        {
            SignatureRegistry().RegisterMethodParameter(L"Test_Signatures", c.method, isInput, name, CIM_SINT32);
        }
    }
    CWMITypeInfo* type = SignatureRegistry().GetTypeInfo(L"Test_Signatures", true);
    ASSERT_NE(type, nullptr);
    for (const auto& c : cases)
    {
        const Signatures signatures = SignaturesOf(*type, c.method);
        EXPECT_EQ(signatures.in, c.in) << CString(c.method);
        EXPECT_EQ(signatures.out, c.out) << CString(c.method);
        EXPECT_EQ(NumberingFault(signatures), "") << CString(c.method);
    }
}

TEST(MethodSignature, NumberingRuleCatchesEveryKindOfFault)
{
    const struct
    {
        const char* name;
        Signatures signatures;
        std::string fault;
    } cases[] = {
        {"numbered", {{{L"A", 0}, {L"B", 1}}, {{L"ReturnValue", kNoId}, {L"C", 2}}}, ""},
        {"in and out", {{{L"A", 0}}, {{L"a", 0}, {L"B", 1}}}, ""},
        {"no parameters", {{}, {}}, ""},
        {"return value numbered", {{}, {{L"ReturnValue", 0}}}, "ReturnValue is numbered"},
        {"missing ID", {{{L"A", kNoId}}, {}}, "a parameter has no ID"},
        {"two IDs", {{{L"A", 0}}, {{L"A", 1}}}, "one name has two IDs"},
        {"shared ID", {{{L"A", 0}, {L"B", 0}}, {}}, "two names share an ID"},
        {"gap", {{{L"A", 0}}, {{L"ReturnValue", kNoId}, {L"C", 2}}}, "the IDs have a gap"},
        {"not from zero", {{{L"A", 1}}, {}}, "the IDs have a gap"},
    };
    for (const auto& c : cases)
    {
        EXPECT_EQ(NumberingFault(c.signatures), c.fault) << c.name;
    }
}

// Every method the library's load declared follows the numbering, so the WMI service takes
// the definitions as they are.
TEST(MethodSignature, EveryDeclaredMethodIsNumberedAsWmiNumbersIt)
{
    std::size_t checked = 0;
    for (const CString& name : SignatureRegistry().GetTypeNames())
    {
        if (name.Left(4) != L"Bnt_")
        {
            continue;
        }
        CWMITypeInfo& type = *SignatureRegistry().GetTypeInfo(name, true);
        for (const auto& [method, descriptor] : type.GetMethods())
        {
            EXPECT_EQ(NumberingFault(SignaturesOf(type, method)), "") << name << "." << method;
            ++checked;
        }
    }
    EXPECT_EQ(checked, schema_test::OfKind(SchemaDeclarationKind::Method).size());

    const Signatures launchTour = SignaturesOf(*SignatureRegistry().GetTypeInfo(L"Bnt_GuardTour", true), L"LaunchTour");
    EXPECT_EQ(launchTour.in, (std::map<std::wstring, LONG>{{L"BadgeID", 0}, {L"MonStationID", 1}}));
    EXPECT_EQ(launchTour.out, (std::map<std::wstring, LONG>{{L"ReturnValue", kNoId}}));
}

}  // namespace
