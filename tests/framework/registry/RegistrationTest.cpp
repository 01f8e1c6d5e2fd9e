// The effects of the registration operations on a class's type description, and their order.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "framework/CWMITypeInfo.h"
#include "framework/CWmipMapperRegistry.h"
#include "platform/com/CimTypes.h"
#include "schema/PropertyValueMap.h"
#include "tests/framework/registry/RegistryTestSupport.h"
#include "tests/support/ManualClock.h"
#include "tests/support/TemporaryHome.h"

using registry_test::HasPropertyQualifier;
using registry_test::PropertyQualifier;
using registry_test::Strings;

namespace {

CWmipMapperRegistry& MapperRegistry()
{
    return *CWmipMapperRegistry::Instance();
}

CWMITypeInfo& Type(const wchar_t* className)
{
    CWMITypeInfo* type = MapperRegistry().GetTypeInfo(className, true);
    EXPECT_NE(type, nullptr);
    return *type;
}

}  // namespace

TEST(RegisterProperty, PutsMaxlenForEveryStringButOnlyForArraysOfAtLeastOne)
{
    MapperRegistry().RegisterClass(L"Test_Lengths", MapperFactory());
    struct Case
    {
        const wchar_t* property;
        LONG cimType;
        int maxLength;
        bool expectMaxlen;
    };
    const Case cases[] = {
        {L"StringZero", CIM_STRING, 0, true},
        {L"StringUnlimited", CIM_STRING, -1, true},
        {L"String64", CIM_STRING, 64, true},
        {L"BytesZero", CIM_UINT8 | CIM_FLAG_ARRAY, 0, false},
        {L"Bytes32", CIM_UINT8 | CIM_FLAG_ARRAY, 32, true},
        {L"NumberWithLength", CIM_SINT32, 5, false},
        {L"DateWithLength", CIM_DATETIME, 20, false},
    };
    for (const Case& c : cases)
    {
        MapperRegistry().RegisterProperty(L"Test_Lengths", c.property, c.cimType, L"T", c.property, 0, c.maxLength);
    }
    CWMITypeInfo& type = Type(L"Test_Lengths");
    for (const Case& c : cases)
    {
        const _variant_t maxlen = PropertyQualifier(type, c.property, L"maxlen");
        EXPECT_EQ(maxlen.vt != VT_EMPTY, c.expectMaxlen)
            << CString(c.property).GetLength() << " chars: " << c.maxLength;
        if (c.expectMaxlen)
        {
            EXPECT_EQ(maxlen.vt, VT_I4);
            EXPECT_EQ(maxlen.lVal, c.maxLength);
            EXPECT_EQ(type.GetPropertyLength(c.property), c.maxLength);
        }
        else
        {
            EXPECT_EQ(type.GetPropertyLength(c.property), 0);
        }
    }
}

TEST(RegisterProperty, RecordsColumnsBothWaysInRegistrationOrder)
{
    MapperRegistry().RegisterClass(L"Test_Columns", MapperFactory());
    MapperRegistry().RegisterProperty(L"Test_Columns", L"Zeta", CIM_SINT32, L"READER", L"READERID", 1, 0, 32775);
    MapperRegistry().RegisterProperty(L"Test_Columns", L"Alpha", CIM_STRING, L"READER", L"NAME", 0, 32);
    MapperRegistry().RegisterProperty(L"Test_Columns", L"NoTable", CIM_STRING, L"", L"COLUMN", 0, 32);
    MapperRegistry().RegisterProperty(L"Test_Columns", L"NoColumn", CIM_STRING, L"READER", L"", 0, 32);

    CWMITypeInfo& type = Type(L"Test_Columns");
    const std::vector<std::pair<CString, CString>> expected = {{L"Zeta", L"READER.READERID"},
                                                               {L"Alpha", L"READER.NAME"}};
    EXPECT_EQ(type.GetPropertyColumns(), expected);
    CString column;
    EXPECT_TRUE(type.GetColumnForProperty(L"alpha", column));
    EXPECT_EQ(column, CString(L"READER.NAME"));
    CString property = L"untouched";
    EXPECT_TRUE(type.GetPropertyForColumn(L"reader.readerid", property));
    EXPECT_EQ(property, CString(L"Zeta"));
    column = L"untouched";
    EXPECT_FALSE(type.GetColumnForProperty(L"NoTable", column));
    EXPECT_FALSE(type.GetColumnForProperty(L"NoColumn", column));
    EXPECT_EQ(column, CString(L"untouched"));
    // Both are still properties of the class, only without a column.
    EXPECT_TRUE(type.HasProperty(L"NoTable"));
    EXPECT_EQ(type.GetPropertyType(L"NoColumn"), CIM_STRING);
    EXPECT_EQ(type.GetPropertyIDType(L"Zeta"), 32775);
    EXPECT_EQ(type.GetPropertyIDType(L"Alpha"), kNoIdType);
    EXPECT_EQ(type.GetPropertyType(L"Unknown"), 0);
}

TEST(RegisterProperty, PutsTheKeyQualifierOnlyOutsideDynamicClassesButAlwaysFillsTheKeyMap)
{
    MapperRegistry().RegisterClass(L"Test_StaticKeys", MapperFactory());
    MapperRegistry().RegisterClass(L"Test_DynamicKeys", L"", true, MapperFactory());
    for (const wchar_t* className : {L"Test_StaticKeys", L"Test_DynamicKeys"})
    {
        MapperRegistry().RegisterProperty(className, L"ID", CIM_SINT32, L"EMP", L"ID", 1, 0);
        MapperRegistry().RegisterProperty(className, L"Loose", CIM_SINT32, L"", L"", 1, 0);
        MapperRegistry().RegisterProperty(className, L"Plain", CIM_SINT32, L"EMP", L"PLAIN", 0, 0);
    }
    CWMITypeInfo& fixed = Type(L"Test_StaticKeys");
    CWMITypeInfo& dynamic = Type(L"Test_DynamicKeys");
    const std::vector<std::pair<CString, CString>> keys = {{L"ID", L"EMP.ID"}, {L"Loose", L""}};
    EXPECT_EQ(fixed.GetKeyProperties(), keys);
    EXPECT_EQ(dynamic.GetKeyProperties(), keys);

    const _variant_t key = PropertyQualifier(fixed, L"ID", L"key");
    EXPECT_EQ(key.vt, VT_BOOL);
    EXPECT_NE(key.boolVal, 0);
    EXPECT_FALSE(HasPropertyQualifier(fixed, L"Plain", L"key"));
    EXPECT_FALSE(HasPropertyQualifier(dynamic, L"ID", L"key"));
    EXPECT_TRUE(dynamic.IsPropertyAKeyProperty(L"id"));
    EXPECT_TRUE(fixed.IsPropertyAKeyProperty(L"Loose"));
    EXPECT_FALSE(fixed.IsPropertyAKeyProperty(L"Plain"));
    EXPECT_TRUE(dynamic.IsDynamic());
    EXPECT_FALSE(fixed.IsDynamic());
}

TEST(RegisterProperty, RecordsSegmentOptionsAndQualifiesThemOnlyOnDynamicClasses)
{
    MapperRegistry().RegisterClass(L"Test_StaticSegments", MapperFactory());
    MapperRegistry().RegisterClass(L"Test_DynamicSegments", L"", true, MapperFactory());
    for (const wchar_t* className : {L"Test_StaticSegments", L"Test_DynamicSegments"})
    {
        MapperRegistry().RegisterProperty(className, L"SegmentID", CIM_SINT32, L"EMP", L"SEGMENTID", 0, 0, kNoIdType,
                                          SegmentOptionSegments);
        MapperRegistry().RegisterProperty(className, L"Other", CIM_SINT32, L"EMP", L"OTHER", 0, 0);
    }
    CWMITypeInfo& fixed = Type(L"Test_StaticSegments");
    CWMITypeInfo& dynamic = Type(L"Test_DynamicSegments");
    EXPECT_EQ(fixed.GetSegmentationOption(L"SegmentID"), 1);
    EXPECT_EQ(dynamic.GetSegmentationOption(L"segmentid"), 1);
    EXPECT_EQ(fixed.GetSegmentationOption(L"Other"), 0);
    EXPECT_FALSE(HasPropertyQualifier(fixed, L"SegmentID", L"SegmentOption"));
    const _variant_t option = PropertyQualifier(dynamic, L"SegmentID", L"SegmentOption");
    EXPECT_EQ(option.vt, VT_I4);
    EXPECT_EQ(option.lVal, 1);
    EXPECT_FALSE(HasPropertyQualifier(dynamic, L"Other", L"SegmentOption"));
}

TEST(RegisterClassWidePropertyAttribute, ReachesOnlyPropertiesRegisteredAfterIt)
{
    MapperRegistry().RegisterClass(L"Test_ClassWide", MapperFactory());
    MapperRegistry().RegisterProperty(L"Test_ClassWide", L"Before", CIM_STRING, L"T", L"BEFORE", 0, 32);
    MapperRegistry().RegisterClassWidePropertyAttribute(L"Test_ClassWide", L"noedit", 1);
    MapperRegistry().RegisterProperty(L"Test_ClassWide", L"After", CIM_STRING, L"T", L"AFTER", 0, 32);
    MapperRegistry().RegisterReferenceProperty(L"Test_ClassWide", L"Owner", L"Bnt_Person");
    MapperRegistry().RegisterDynamicProperty(L"Test_ClassWide", L"Computed", CIM_BOOLEAN, 0);
    MapperRegistry().RegisterClassWidePropertyAttribute(L"Test_ClassWide", L"read", 0x10001);
    MapperRegistry().RegisterProperty(L"Test_ClassWide", L"Last", CIM_STRING, L"T", L"LAST", 0, 32);

    CWMITypeInfo& type = Type(L"Test_ClassWide");
    EXPECT_FALSE(type.IsPropertyViewOnly(L"Before"));
    for (const wchar_t* property : {L"After", L"Owner", L"Computed", L"Last"})
    {
        EXPECT_TRUE(type.IsPropertyViewOnly(property));
    }
    EXPECT_FALSE(type.IsPropertyReadOnly(L"After"));
    // The boolean keeps the low 16 bits of the declared integer.
    const _variant_t read = PropertyQualifier(type, L"Last", L"read");
    EXPECT_EQ(read.vt, VT_BOOL);
    EXPECT_EQ(read.boolVal, 1);
    EXPECT_TRUE(type.IsPropertyReadOnly(L"Last"));
}

TEST(RegisterReferenceProperty, DefinesAReferenceWithItsCimtypeQualifierAndNoColumn)
{
    MapperRegistry().RegisterClass(L"Test_Association", MapperFactory());
    MapperRegistry().RegisterReferenceProperty(L"Test_Association", L"Badge", L"Bnt_Badge");
    CWMITypeInfo& type = Type(L"Test_Association");
    const _variant_t cimtype = PropertyQualifier(type, L"Badge", L"CIMTYPE");
    ASSERT_EQ(cimtype.vt, VT_BSTR);
    EXPECT_EQ(std::wstring(cimtype.bstrVal), L"ref:Bnt_Badge");
    EXPECT_EQ(type.GetPropertyType(L"Badge"), CIM_REFERENCE);
    ASSERT_EQ(type.GetReferenceProperties().size(), 1u);
    EXPECT_EQ(type.GetReferenceProperties().at(L"badge"), CString(L"Bnt_Badge"));
    EXPECT_TRUE(type.GetPropertyColumns().empty());
    EXPECT_FALSE(type.IsPropertyAKeyProperty(L"Badge"));
}

TEST(RegisterPropertyAttribute, StoresBooleansTextsAndLosesAttributesOfUndefinedProperties)
{
    support::TemporaryHome home;
    MapperRegistry().RegisterClass(L"Test_Attributes", MapperFactory());
    MapperRegistry().RegisterProperty(L"Test_Attributes", L"Count", CIM_SINT32, L"T", L"COUNT", 0, 0);
    MapperRegistry().RegisterPropertyAttribute(L"Test_Attributes", L"Count", L"not_null", 1);
    MapperRegistry().RegisterPropertyAttribute(L"Test_Attributes", L"Count", L"DefaultValue", CString(L"-1"));
    MapperRegistry().RegisterPropertyAttribute(L"Test_Attributes", L"Count", L"Ignored", 0x10000);
    MapperRegistry().RegisterPropertyAttribute(L"Test_Attributes", L"Missing", L"noedit", 1);

    CWMITypeInfo& type = Type(L"Test_Attributes");
    EXPECT_TRUE(type.IsPropertyRequired(L"Count"));
    EXPECT_EQ(type.GetDefaultValue(L"Count"), CString(L"-1"));
    const _variant_t ignored = PropertyQualifier(type, L"Count", L"Ignored");
    EXPECT_EQ(ignored.vt, VT_BOOL);
    EXPECT_EQ(ignored.boolVal, 0);
    EXPECT_FALSE(type.HasProperty(L"Missing"));
    EXPECT_EQ(type.GetDefaultValue(L"Missing"), CString());

    bool logged = false;
    for (const std::string& line : support::TemporaryHome::ReadLines(home.Path() / "Logs" / "Fluxmere.log"))
    {
        logged = logged || line.find("CWMITypeInfo::GetPropertyQualifierSet failed for Missing.") != std::string::npos;
    }
    EXPECT_TRUE(logged);
}

TEST(RegisterPropertyValues, OrdersValueListsByTheValueTextAndEmptiesMismatchedLists)
{
    MapperRegistry().RegisterClass(L"Test_Values", MapperFactory());
    MapperRegistry().RegisterProperty(L"Test_Values", L"Mode", CIM_SINT32, L"T", L"MODE", 0, 0);
    MapperRegistry().RegisterProperty(L"Test_Values", L"Broken", CIM_SINT32, L"T", L"BROKEN", 0, 0);
    MapperRegistry().RegisterPropertyValues(L"Test_Values", L"Mode", L"POSSIBLE_VALUES",
                                            BuildPropertyValueMap(L"10, 2", L"Ten, Two"));
    MapperRegistry().RegisterPropertyValues(L"Test_Values", L"Broken", L"POSSIBLE_VALUES",
                                            BuildPropertyValueMap(L"1,2", L"Single"));

    CWMITypeInfo& type = Type(L"Test_Values");
    EXPECT_EQ(Strings(PropertyQualifier(type, L"Mode", L"ValueMap")), (std::vector<std::wstring>{L"10", L"2"}));
    EXPECT_EQ(Strings(PropertyQualifier(type, L"Mode", L"Values")), (std::vector<std::wstring>{L"Ten", L"Two"}));
    EXPECT_TRUE(Strings(PropertyQualifier(type, L"Broken", L"ValueMap")).empty());
    EXPECT_TRUE(Strings(PropertyQualifier(type, L"Broken", L"Values")).empty());

    const std::map<CString, CString> expected = {{L"10", L"Ten"}, {L"2", L"Two"}};
    const std::shared_ptr<CCorvessaClassObject> served = type.GetUserDefinition(nullptr);
    EXPECT_EQ(CWMITypeInfo::GetPossibleValues(*served, L"Mode"), expected);
    EXPECT_TRUE(CWMITypeInfo::GetPossibleValues(*served, L"Broken").empty());
    EXPECT_TRUE(CWMITypeInfo::GetPossibleValues(*served, L"NoSuchProperty").empty());
}

TEST(RegisterClassAttribute, GivesTheUserDefinedFieldTableAsAnInteger)
{
    MapperRegistry().RegisterClass(L"Test_UdfTable", MapperFactory());
    MapperRegistry().RegisterClass(L"Test_NoUdfTable", MapperFactory());
    MapperRegistry().RegisterClassAttribute(L"Test_UdfTable", L"UDFTableId", 100101);
    EXPECT_EQ(Type(L"Test_UdfTable").GetUDFTableId(), 100101);
    EXPECT_EQ(Type(L"Test_NoUdfTable").GetUDFTableId(), 0);
    IWbemQualifierSet* qualifiers = nullptr;
    ASSERT_EQ(Type(L"Test_UdfTable").GetTypeInformation()->GetQualifierSet(&qualifiers), WBEM_S_NO_ERROR);
    _variant_t value;
    EXPECT_EQ(qualifiers->Get(L"UDFTableId", 0, &value, nullptr), WBEM_S_NO_ERROR);
    EXPECT_EQ(value.vt, VT_INT);
    qualifiers->Release();
}

TEST(Registration, IgnoresMembersOfClassesThatAreNotRegistered)
{
    MapperRegistry().RegisterProperty(L"Test_Late", L"Early", CIM_STRING, L"T", L"EARLY", 1, 32);
    MapperRegistry().RegisterReferenceProperty(L"Test_Late", L"Ref", L"Bnt_Badge");
    MapperRegistry().RegisterDynamicProperty(L"Test_Late", L"Computed", CIM_SINT32, 0);
    MapperRegistry().RegisterMethod(L"Test_Late", L"Arm");
    MapperRegistry().RegisterMethodParameter(L"Test_Late", L"Arm", true, L"State", CIM_SINT32);
    MapperRegistry().RegisterPropertyAttribute(L"Test_Late", L"Early", L"noedit", 1);
    MapperRegistry().RegisterClassAttribute(L"Test_Late", L"UDFTableId", 3);
    MapperRegistry().RegisterClassWidePropertyAttribute(L"Test_Late", L"read", 1);
    MapperRegistry().RegisterPropertyValues(L"Test_Late", L"Early", L"POSSIBLE_VALUES", {{L"1", L"One"}});
    MapperRegistry().SetClassDeclaredConcrete(L"Test_Late");
    EXPECT_EQ(MapperRegistry().GetTypeInfo(L"Test_Late", true), nullptr);

    MapperRegistry().RegisterClass(L"Test_Late", MapperFactory());
    MapperRegistry().RegisterProperty(L"Test_Late", L"Now", CIM_STRING, L"T", L"NOW", 0, 32);
    CWMITypeInfo& type = Type(L"test_late");
    EXPECT_FALSE(type.HasProperty(L"Early"));
    EXPECT_TRUE(type.HasProperty(L"Now"));
    EXPECT_TRUE(type.GetMethods().empty());
    EXPECT_EQ(type.GetUDFTableId(), 0);
    EXPECT_FALSE(type.IsPropertyReadOnly(L"Now"));
    EXPECT_TRUE(MapperRegistry().IsClassAbstract(L"Test_Late"));
}

TEST(Registration, ASecondRegistrationReplacesTheClassWithAllItsMembers)
{
    registry_test::RecordingFactory factory;
    MapperRegistry().RegisterClass(L"Test_Twice", factory.Get());
    MapperRegistry().RegisterProperty(L"Test_Twice", L"Old", CIM_STRING, L"T", L"OLD", 1, 32);
    MapperRegistry().RegisterMethod(L"Test_Twice", L"Old");
    MapperRegistry().RegisterClass(L"TEST_TWICE", L"Test_Parent", MapperFactory());
    CWMITypeInfo& type = Type(L"Test_Twice");
    EXPECT_EQ(type.GetClassName(), CString(L"TEST_TWICE"));
    EXPECT_EQ(type.GetParentTypeName(), CString(L"Test_Parent"));
    EXPECT_FALSE(type.HasProperty(L"Old"));
    EXPECT_TRUE(type.GetKeyProperties().empty());
    EXPECT_FALSE(type.HasMethod(L"Old"));
    EXPECT_TRUE(MapperRegistry().IsClassAbstract(L"Test_Twice"));
}

TEST(RegisterMethodParameter, CreatesItsMethodAndKeepsParametersInSignatureOrder)
{
    MapperRegistry().RegisterClass(L"Test_Methods", MapperFactory());
    MapperRegistry().RegisterMethodParameter(L"Test_Methods", L"SetMode", true, L"Mode", CIM_SINT32);
    MapperRegistry().RegisterMethodParameter(L"Test_Methods", L"SetMode", false, L"Result", CIM_UINT32);
    MapperRegistry().RegisterMethodParameter(L"Test_Methods", L"SetMode", true, L"Duration", CIM_SINT32);
    MapperRegistry().RegisterMethod(L"Test_Methods", L"SetMode");
    MapperRegistry().RegisterMethod(L"Test_Methods", L"Pulse");

    CWMITypeInfo& type = Type(L"Test_Methods");
    EXPECT_TRUE(type.HasMethod(L"SetMode"));
    EXPECT_FALSE(type.HasMethod(L"setmode"));
    ASSERT_EQ(type.GetMethods().size(), 2u);
    const CCorvessaMethodDescriptor& setMode = type.GetMethods().at(L"SetMode");
    const CCorvessaMethodDescriptor::ParameterList in = {{L"Mode", CIM_SINT32}, {L"Duration", CIM_SINT32}};
    const CCorvessaMethodDescriptor::ParameterList out = {{L"Result", CIM_UINT32}};
    EXPECT_EQ(setMode.InParameters(), in);
    EXPECT_EQ(setMode.OutParameters(), out);

    // The definition carries the methods with numbered "__PARAMETERS" signatures.
    const CWMITypeInfo::ClassObjectPtr definition = type.GetTypeInformation();
    IWbemClassObject* inSignature = nullptr;
    IWbemClassObject* outSignature = nullptr;
    ASSERT_EQ(definition->GetMethod(L"SetMode", 0, &inSignature, &outSignature), WBEM_S_NO_ERROR);
    ASSERT_NE(inSignature, nullptr);
    ASSERT_NE(outSignature, nullptr);
    const auto id = [](IWbemClassObject* signature, const wchar_t* name) {
        IWbemQualifierSet* qualifiers = nullptr;
        _variant_t value;
        if (signature->GetPropertyQualifierSet(name, &qualifiers) == WBEM_S_NO_ERROR)
        {
            qualifiers->Get(L"ID", 0, &value, nullptr);
            qualifiers->Release();
        }
        return value.vt == VT_I4 ? value.lVal : -1;
    };
    EXPECT_EQ(id(inSignature, L"Mode"), 0);
    EXPECT_EQ(id(inSignature, L"Duration"), 1);
    EXPECT_EQ(id(outSignature, L"Result"), 2);
    EXPECT_EQ(dynamic_cast<CCorvessaClassObject*>(inSignature)->GetClassNameW(), CString(L"__PARAMETERS"));
    inSignature->Release();
    outSignature->Release();
    IWbemQualifierSet* methodQualifiers = nullptr;
    ASSERT_EQ(definition->GetMethodQualifierSet(L"Pulse", &methodQualifiers), WBEM_S_NO_ERROR);
    _variant_t implemented;
    EXPECT_EQ(methodQualifiers->Get(L"implemented", 0, &implemented, nullptr), WBEM_S_NO_ERROR);
    EXPECT_EQ(implemented.vt, VT_BOOL);
    methodQualifiers->Release();
    // Asking again adds nothing twice and hands out the same definition.
    EXPECT_EQ(type.GetTypeInformation(), definition);
    EXPECT_EQ(definition->MethodNames().size(), 2u);
}

// A class whose key names records of two or more segmented classes is a link: it is loaded only
// when it follows each end (it belongs to it, or to the end's own owner by the same names) or
// declares why not. One left undeclared is refused at load, logged, and served by no one.
TEST(RefuseLinksWithUnfollowedEnds, RefusesALinkWithAnEndItNeitherFollowsNorExplains)
{
    support::TemporaryHome home;
    using Source = CWMITypeInfo::SegmentSource;
    const auto belongsTo = [](const wchar_t* className, std::vector<CString> names, const wchar_t* owner,
                              std::vector<CString> keys) {
        Source source;
        source.kind = Source::Kind::Owner;
        source.names = std::move(names);
        source.ownerClass = owner;
        source.ownerKeys = std::move(keys);
        MapperRegistry().RegisterSegmentSource(className, source);
    };
    const auto named = [](const wchar_t* className, std::vector<CString> names, const wchar_t* referenced,
                          std::vector<CString> keys) {
        MapperRegistry().RegisterNamedRecord(
            className, {CString(), std::move(names), referenced, std::move(keys), NamedRecordRoad::kFramework});
    };
    registry_test::RecordingFactory factory;
    // Person and alarm definition ends, both keys: undeclared, followed, explained.
    for (const wchar_t* name :
         {L"Test_UnfollowedLink", L"Test_FollowedLink", L"Test_ExplainedLink", L"Test_UnexplainedLink"})
    {
        MapperRegistry().RegisterClass(name, factory.Get());
        MapperRegistry().RegisterProperty(name, L"PersonID", CIM_SINT32, L"T", L"EMPID", 1, 0);
        MapperRegistry().RegisterProperty(name, L"AlarmDefinitionID", CIM_SINT32, L"T", L"ALID", 1, 0);
        named(name, {L"PersonID"}, L"Bnt_Person", {L"ID"});
        named(name, {L"AlarmDefinitionID"}, L"Bnt_AlarmDefinition", {L"ID"});
        belongsTo(name, {L"PersonID"}, L"Bnt_Person", {L"ID"});
    }
    belongsTo(L"Test_FollowedLink", {L"AlarmDefinitionID"}, L"Bnt_AlarmDefinition", {L"ID"});
    MapperRegistry().RegisterUnfollowedEnd(
        L"Test_ExplainedLink",
        {{L"AlarmDefinitionID"}, L"Bnt_AlarmDefinition", L"a probe of the registry's load check"});
    // An end declared not followed without a reason explains nothing.
    MapperRegistry().RegisterUnfollowedEnd(L"Test_UnexplainedLink",
                                           {{L"AlarmDefinitionID"}, L"Bnt_AlarmDefinition", L""});
    // A reader's segments are its panel's: a link that belongs to the panel follows the reader.
    MapperRegistry().RegisterClass(L"Test_ReaderLink", factory.Get());
    MapperRegistry().RegisterProperty(L"Test_ReaderLink", L"PanelID", CIM_SINT32, L"T", L"PANELID", 1, 0);
    MapperRegistry().RegisterProperty(L"Test_ReaderLink", L"ReaderID", CIM_SINT32, L"T", L"READERID", 1, 0);
    named(L"Test_ReaderLink", {L"PanelID"}, L"Bnt_Panel", {L"ID"});
    named(L"Test_ReaderLink", {L"PanelID", L"ReaderID"}, L"Bnt_Reader", {L"PanelID", L"ReaderID"});
    belongsTo(L"Test_ReaderLink", {L"PanelID"}, L"Bnt_Panel", {L"ID"});
    // A record of a segmented class in the row's values, not its key, is a plain reference.
    MapperRegistry().RegisterClass(L"Test_ValueReference", factory.Get());
    MapperRegistry().RegisterProperty(L"Test_ValueReference", L"PersonID", CIM_SINT32, L"T", L"EMPID", 1, 0);
    MapperRegistry().RegisterProperty(L"Test_ValueReference", L"DelegateID", CIM_SINT32, L"T", L"DELEGATE", 0, 0);
    named(L"Test_ValueReference", {L"PersonID"}, L"Bnt_Person", {L"ID"});
    named(L"Test_ValueReference", {L"DelegateID"}, L"Bnt_Person", {L"ID"});
    belongsTo(L"Test_ValueReference", {L"PersonID"}, L"Bnt_Person", {L"ID"});

    const std::vector<CString> refused = MapperRegistry().RefuseLinksWithUnfollowedEnds();

    std::vector<std::wstring> names;
    for (const CString& name : refused)
        names.push_back(name.GetString());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::wstring>{L"Test_UnexplainedLink", L"Test_UnfollowedLink"}));
    EXPECT_EQ(MapperRegistry().GetTypeInfo(L"Test_UnexplainedLink", true), nullptr);
    EXPECT_EQ(MapperRegistry().GetTypeInfo(L"Test_UnfollowedLink", true), nullptr);
    EXPECT_TRUE(MapperRegistry().IsClassRefused(L"test_unfollowedlink"));
    EXPECT_EQ(MapperRegistry().GetMapperUsingRegistry(L"Test_UnfollowedLink", nullptr, nullptr, nullptr, Door::kWmi),
              nullptr);
    for (const wchar_t* kept :
         {L"Test_FollowedLink", L"Test_ExplainedLink", L"Test_ReaderLink", L"Test_ValueReference"})
    {
        EXPECT_NE(MapperRegistry().GetTypeInfo(kept, true), nullptr) << kept;
        EXPECT_FALSE(MapperRegistry().IsClassRefused(kept));
    }
    EXPECT_EQ(factory.calls, 0);
    bool logged = false;
    for (const std::string& line : support::TemporaryHome::ReadLines(home.Path() / "Logs" / "Fluxmere.log"))
    {
        logged = logged || line.find("class Test_UnfollowedLink is not loaded: it neither belongs to the "
                                     "Bnt_AlarmDefinition its AlarmDefinitionID names nor declares why not.") !=
                               std::string::npos;
    }
    EXPECT_TRUE(logged);
}

TEST(GetTypeInformation, AHeldDefinitionOutlivesTwoRepublicationsHoursApart)
{
    support::ManualClock clock;
    const support::ProcessClockScope processClock(clock);
    MapperRegistry().RegisterClass(L"Test_HeldDefinition", MapperFactory());
    MapperRegistry().RegisterProperty(L"Test_HeldDefinition", L"Name", CIM_STRING, L"HOLIDAYS", L"DESCRIPT", 0, 64);
    CWMITypeInfo& type = Type(L"Test_HeldDefinition");
    const CWMITypeInfo::ClassObjectPtr held = type.GetTypeInformation();
    ASSERT_NE(held, nullptr);

    // Each republication replaces the definition; a reader that kept the first one, for longer
    // than any grace a timer could give, still reads the whole object it was handed.
    for (const wchar_t* added : {L"Second", L"Third"})
    {
        clock.AdvanceSeconds(3 * 3600);
        type.UpdateTypeInformation(
            [added](CCorvessaClassObject& definition) { definition.Put(added, 0, nullptr, CIM_STRING); });
    }
    EXPECT_EQ(held->GetClassNameW(), CString(L"Test_HeldDefinition"));
    EXPECT_EQ(held->GetPropertyNames(), std::vector<CString>{L"Name"});
    const CWMITypeInfo::ClassObjectPtr current = type.GetTypeInformation();
    EXPECT_NE(current, held);
    EXPECT_EQ(current->GetPropertyNames(), (std::vector<CString>{L"Name", L"Second", L"Third"}));
}
