#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "framework/objects/CCorvessaClassObject.h"
#include "bus/CCorvessaException.h"
#include "bus/CCorvessaQpidType.h"
#include "bus/GenericException.h"
#include "framework/CWMITypeInfo.h"
#include "framework/CWmipMapperRegistry.h"
#include "inhouse/BntUtility/CWMIDebugLog.h"
#include "inhouse/BntUtility/StringConversion.h"
#include "platform/com/CimTypes.h"
#include "platform/com/Variant.h"
#include "platform/com/WbemConstants.h"
#include "tests/bus/BusTestInstallation.h"

namespace {

using qpid::types::Variant;

std::map<std::string, Variant::Map> ByName(const std::list<Variant>& items)
{
    std::map<std::string, Variant::Map> byName;
    for (const Variant& item : items)
    {
        byName[item.asMap().at("name").asString()] = item.asMap();
    }
    return byName;
}

std::string GenericMessage(const std::function<void()>& call)
{
    try
    {
        call();
    }
    catch (const GenericException& e)
    {
        return brontel::utility::ConvertCStringToUtf8(e.GetMessage());
    }
    return "no error";
}

// A class registered only here, with one property of each kind the bus names.
class TypeKinds : public ::testing::Test
{
protected:
    TypeKinds() : m_type(L"Test_Kinds", L"")
    {
        const struct
        {
            const wchar_t* name;
            LONG cimType;
            int maxLength;
        } properties[] = {
            {L"Count", CIM_UINT32, 0},
            {L"Name", CIM_STRING, 40},
            {L"Photo", CIM_UINT8 | CIM_FLAG_ARRAY, 0},
            {L"Tags", CIM_STRING | CIM_FLAG_ARRAY, 8},
            {L"Shorts", CIM_SINT16 | CIM_FLAG_ARRAY, 3},
            {L"When", CIM_DATETIME, 0},
            {L"Ratio", CIM_REAL64, 0},
            {L"Big", CIM_SINT64, 0},
            {L"Flag", CIM_BOOLEAN, 0},
            {L"Tiny", CIM_UINT8, 0},
        };
        for (const auto& property : properties)
        {
            m_type.AddProperty(property.name, property.cimType, L"", L"", 0, property.maxLength);
        }
        m_type.AddProperty(L"Id", CIM_SINT32, L"TEST_KINDS", L"ID", 1, 0);
        m_type.AddReferenceProperty(L"Owner", L"Bnt_Cardholder");
        _variant_t yes(true);
        m_type.AddPropertyAttribute(L"Name", L"noedit", yes);
        m_type.AddPropertyAttribute(L"Name", L"read", yes);
        m_type.AddPropertyAttribute(L"Count", L"read", yes);
        m_type.AddPropertyAttribute(L"Count", L"not_null", yes);
        _variant_t defaultValue(L"7");
        m_type.AddPropertyAttribute(L"Count", L"DefaultValue", defaultValue);
        m_type.AddPropertyValues(L"Flag", {{L"0", L"Off"}, {L"1", L"On"}});
        m_type.AddMethod(L"Reset");
        m_type.AddMethodParameter(L"Arm", true, L"Seconds", CIM_SINT32);
        m_type.AddMethodParameter(L"Arm", true, L"Zones", CIM_STRING | CIM_FLAG_ARRAY);
        m_type.AddMethodParameter(L"Arm", false, L"ReturnValue", CIM_BOOLEAN);
    }

    CWMITypeInfo m_type;
};

TEST_F(TypeKinds, PropertyFactsAgainstTheirDeclaration)
{
    CCorvessaQpidType type;
    // A sint16 array is named list(): everything declared here has a bus name.
    type.PopulateTypeDetails(nullptr, &m_type);
    EXPECT_EQ(type.GetClassNameW(), "Test_Kinds");
    const auto properties = ByName(type.GetProperties());
    const std::map<std::string, std::string> types = {
        {"Count", "int32"},       {"Name", "string"},   {"Photo", "binary (map)"},
        {"Tags", "list(string)"}, {"Shorts", "list()"}, {"When", "datetime (string)"},
        {"Ratio", "double"},      {"Big", "int64"},     {"Flag", "bool"},
        {"Tiny", "int8"},         {"Id", "int32"},      {"Owner", "ref:Bnt_Cardholder"},
    };
    ASSERT_EQ(properties.size(), types.size());
    for (const auto& [name, expected] : types)
    {
        const Variant::Map& property = properties.at(name);
        EXPECT_EQ(property.at("type").asString(), expected) << name;
        // A length for strings and every array only.
        const bool hasLength = expected == "string" || expected.starts_with("list(") || expected == "binary (map)";
        EXPECT_EQ(property.count("max_length"), hasLength ? 1u : 0u) << name;
        EXPECT_EQ(property.at("is_key").asBool(), name == "Id") << name;
    }
    EXPECT_EQ(properties.at("Name").at("max_length").asInt32(), 40);
    EXPECT_EQ(properties.at("Photo").at("max_length").asInt32(), 0);
    EXPECT_EQ(properties.at("Name").at("access").asString(), "view");  // view-only and read-only
    EXPECT_EQ(properties.at("Count").at("access").asString(), "read");
    EXPECT_EQ(properties.at("Tags").at("access").asString(), "edit");
    EXPECT_TRUE(properties.at("Count").at("is_required").asBool());
    EXPECT_EQ(properties.at("Count").at("default_value").asString(), "7");
    EXPECT_EQ(properties.at("Name").count("default_value"), 0u);
    EXPECT_EQ(properties.at("Flag").at("possible_values").asMap(),
              (Variant::Map{{"0", Variant("Off")}, {"1", Variant("On")}}));
    EXPECT_EQ(properties.at("Name").count("possible_values"), 0u);

    const auto methods = ByName(type.GetMethods());
    ASSERT_EQ(methods.size(), 2u);
    EXPECT_TRUE(methods.at("Reset").at("in_parameters").asList().empty());
    EXPECT_TRUE(methods.at("Reset").at("out_parameters").asList().empty());
    const Variant::List& in = methods.at("Arm").at("in_parameters").asList();
    ASSERT_EQ(in.size(), 2u);
    EXPECT_EQ(ByName({in.begin(), in.end()}).at("Zones").at("type").asString(), "list(string)");
    EXPECT_EQ(methods.at("Arm").at("out_parameters").asList().front().asMap().at("type").asString(), "bool");
}

TEST_F(TypeKinds, AReusedResultHoldsOneDescriptionWithoutRepeats)
{
    CCorvessaQpidType type;
    type.PopulateTypeDetails(nullptr, &m_type);
    const std::size_t properties = type.GetProperties().size();
    type.PopulateTypeDetails(nullptr, &m_type);
    EXPECT_EQ(type.GetProperties().size(), properties);
    EXPECT_EQ(type.GetMethods().size(), 2u);
    type.Clear();
    EXPECT_TRUE(type.GetMethods().empty());
    EXPECT_TRUE(type.GetProperties().empty());
    EXPECT_EQ(type.GetClassNameW(), "");
}

TEST_F(TypeKinds, UnnamedTypesAbortTheDescription)
{
    CCorvessaQpidType type;
    EXPECT_EQ(GenericMessage([&] { type.PopulateTypeDetails(nullptr, nullptr); }),
              "CCorvessaQpidType::PopulateTypeDetails - Expected valid parameter: typeInfo");
    m_type.AddProperty(L"Small", CIM_SINT16, L"", L"", 0, 0);
    EXPECT_EQ(GenericMessage([&] { type.PopulateTypeDetails(nullptr, &m_type); }),
              "CCorvessaQpidType::GetPropertyTypeStr failed to determine property type for Test_Kinds.Small");
}

TEST_F(TypeKinds, XmlTextsAreEscaped)
{
    CWMITypeInfo hostile(L"Test_<x>&\"y\"", L"");
    hostile.AddProperty(L"A<b>&'c'", CIM_STRING, L"", L"", 0, 4);
    CCorvessaQpidType type;
    type.PopulateTypeDetails(nullptr, &hostile);
    EXPECT_EQ(brontel::utility::ConvertCStringToUtf8(type.ToXml()),
              "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\r\n"
              "<Object ClassName=\"Test_&lt;x&gt;&amp;&quot;y&quot;\">\r\n"
              "\t<Property name=\"A&lt;b&gt;&amp;&apos;c&apos;\" type=\"string\"></Property>\r\n"
              "</Object>");
}

// --- Through the application object ------------------------------------------------------

class CorvessaTypes : public BusTestInstallation
{
};

TEST_F(CorvessaTypes, TheListHoldsExposedTypesWithTheirParents)
{
    const std::string token = Login("operator", "operator-demo");
    std::map<std::string, Variant> types;
    ASSERT_EQ(m_app->GetTypes(token, kApplication, types), S_OK);
    EXPECT_EQ(types.count("Bnt_BadgeTWICPrivacyKey"), 0u);
    EXPECT_EQ(types.at("Bnt_Directory").asString(), "");
    EXPECT_EQ(types.at("Bnt_AccessLevelRequest").asString(), "Bnt_AccessRequest");
    CWmipMapperRegistry* registry = CWmipMapperRegistry::Instance();
    EXPECT_EQ(types.size() + 1, registry->GetTypeNames().size());
    EXPECT_THROW(m_app->GetTypes("bad", kApplication, types), CCorvessaException);
}

TEST_F(CorvessaTypes, EveryTypesDescriptionMatchesItsDeclaration)
{
    const std::string token = Login("sa", "sa-demo");
    std::map<std::string, Variant> types;
    ASSERT_EQ(m_app->GetTypes(token, kApplication, types), S_OK);
    CCorvessaQpidType type;  // reused for every type
    int described = 0;
    for (const auto& [name, parent] : types)
    {
        try
        {
            ASSERT_EQ(m_app->GetType(token, kApplication, name, type), S_OK);
        }
        catch (const CCorvessaException& e)
        {
            // A type with a property the bus cannot name is refused whole.
            EXPECT_NE(e.ErrorMessage().find("failed to determine property type"), std::string::npos) << name;
            continue;
        }
        ++described;
        CWMITypeInfo* typeInfo =
            CWmipMapperRegistry::Instance()->GetTypeInfo(brontel::utility::ConvertUtf8ToCString(name));
        EXPECT_EQ(type.GetClassNameW(), name);
        std::set<std::string> declared;
        for (const CString& property : typeInfo->GetTypeInformation()->GetPropertyNames())
        {
            if (CWMITypeInfo::ShouldCorvessaExposeProperty(property))
            {
                declared.insert(brontel::utility::ConvertCStringToUtf8(property));
            }
        }
        std::set<std::string> shown;
        for (const auto& [propertyName, property] : ByName(type.GetProperties()))
        {
            shown.insert(propertyName);
            const CString wide = brontel::utility::ConvertUtf8ToCString(propertyName);
            EXPECT_EQ(property.at("is_key").asBool(), typeInfo->IsPropertyAKeyProperty(wide))
                << name << "." << propertyName;
            EXPECT_EQ(property.at("is_required").asBool(), typeInfo->IsPropertyRequired(wide))
                << name << "." << propertyName;
            const long cimType = typeInfo->GetPropertyType(wide);
            const bool hasLength = cimType == CIM_STRING || (cimType & CIM_FLAG_ARRAY) != 0;
            EXPECT_EQ(property.count("max_length"), hasLength ? 1u : 0u) << name << "." << propertyName;
        }
        EXPECT_EQ(shown, declared) << name;
        std::set<std::string> methods;
        for (const auto& [methodName, method] : ByName(type.GetMethods()))
        {
            methods.insert(methodName);
        }
        std::set<std::string> declaredMethods;
        for (const auto& [methodName, descriptor] : typeInfo->GetMethods())
        {
            declaredMethods.insert(brontel::utility::ConvertCStringToUtf8(methodName));
        }
        // The visit's methods are not declared: its mapper adds them to the definition it builds.
        if (name == "Bnt_Visit")
            declaredMethods.insert({"SignVisitIn", "SignVisitOut"});
        EXPECT_EQ(methods, declaredMethods) << name;
    }
    EXPECT_GT(described, 50);
}

TEST_F(CorvessaTypes, TheBadgeDefinitionIsTheOneItsMapperBuilds)
{
    // Read again here, so that the build through the mapper runs on this installation.
    CWMITypeInfo::HandleInvalidDBConnection();
    const std::string token = Login("sa", "sa-demo");
    CCorvessaQpidType type;
    ASSERT_EQ(m_app->GetType(token, kApplication, "Bnt_Badge", type), S_OK);
    const auto properties = ByName(type.GetProperties());
    // The registered declaration holds neither PERSONID nor the defaults: only the mapper puts them.
    ASSERT_EQ(properties.count("PERSONID"), 1u);
    EXPECT_TRUE(properties.at("PERSONID").at("is_required").asBool());
    EXPECT_EQ(properties.at("PERSONID").at("access").asString(), "read");
    EXPECT_EQ(properties.at("BADGEKEY").at("access").asString(), "view");
    EXPECT_EQ(properties.at("STATUS").at("default_value").asString(), "1");
    EXPECT_EQ(properties.at("PRINTS").at("default_value").asString(), "0");

    const CWMITypeInfo::ClassObjectPtr definition =
        CWmipMapperRegistry::Instance()->GetTypeInfo(L"Bnt_Badge")->GetTypeInformation();
    EXPECT_EQ(definition->MethodNames(), (std::vector<CString>{L"AddBadge", L"AssignAccessLevel"}));
    const std::unique_ptr<CCorvessaClassObject> out = definition->GetMethodParameter(L"AddBadge", false);
    ASSERT_NE(out, nullptr);
    CIMTYPE cimType = 0;
    _variant_t value;
    EXPECT_EQ(out->Get(L"BadgeOut", 0, &value, &cimType, nullptr), WBEM_S_NO_ERROR);
    EXPECT_EQ(cimType, CIM_OBJECT);
    IWbemQualifierSet* qualifiers = nullptr;
    ASSERT_EQ(definition->GetMethodQualifierSet(L"AddBadge", &qualifiers), WBEM_S_NO_ERROR);
    EXPECT_EQ(qualifiers->Get(L"static", 0, &value, nullptr), WBEM_S_NO_ERROR);
    qualifiers->Release();

    const auto lines = support::TemporaryHome::ReadLines(
        brontel::utility::ConvertCStringToUtf8(brontel::utility::CWMIDebugLog::GetLogFileName()));
    for (const std::string& line : lines)
        EXPECT_EQ(line.find("could not build the class definition"), std::string::npos) << line;
}

TEST_F(CorvessaTypes, HiddenAndUnknownTypesFailAlike)
{
    const std::string token = Login("operator", "operator-demo");
    CCorvessaQpidType type;
    for (const char* name : {"Bnt_BadgeTWICPrivacyKey", "Bnt_NoSuchType"})
    {
        try
        {
            m_app->GetType(token, kApplication, name, type);
            ADD_FAILURE() << name;
        }
        catch (const CCorvessaException& e)
        {
            EXPECT_EQ(e.ErrorCode(), "corvessa.general.invalidtypename");
            EXPECT_EQ(e.ErrorMessage(), std::string("Failed to get details for type ") + name);
        }
    }
    EXPECT_EQ(Cache().FindUserEntry(L"INTERNAL_SID_FOR_OPERATOR")->GetUseCount(), 0);
}

}  // namespace
