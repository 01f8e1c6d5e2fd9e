// The totals of the declared schema, counted from the declaration tables.
#include <map>
#include <set>
#include <string>

#include <gtest/gtest.h>

#include "tests/schema/SchemaWalk.h"

using schema_test::AllDeclarations;
using schema_test::FindProperty;
using schema_test::OfKind;
using K = SchemaDeclarationKind;

namespace {

std::size_t Count(K kind)
{
    return OfKind(kind).size();
}

std::set<std::wstring> KeysOf(const std::map<std::wstring, std::size_t>& counts)
{
    std::set<std::wstring> keys;
    for (const auto& [key, count] : counts)
    {
        keys.insert(key);
    }
    return keys;
}

}  // namespace

TEST(SchemaTotals, DeclaresOnlyKnownKindsAndUsesEachOfThem)
{
    const K kinds[] = {
        K::ClassWithFactory,
        K::ClassWithSuperclass,
        K::DynamicClass,
        K::AbstractClass,
        K::RootClass,
        K::Property,
        K::ReferenceProperty,
        K::DynamicProperty,
        K::Method,
        K::MethodParameter,
        K::PropertyAttributeInteger,
        K::PropertyAttributeText,
        K::ClassWidePropertyAttribute,
        K::ClassAttribute,
        K::PropertyValues,
        K::NamedRecord,
        K::NoRecord,
        K::SegmentSource,
        K::UnfollowedEnd,
        K::HiddenFromBus,
        K::SoftwareEvent,
    };
    std::size_t total = 0;
    for (const K kind : kinds)
    {
        EXPECT_GT(Count(kind), 0u) << "kind " << static_cast<int>(kind);
        total += Count(kind);
    }
    EXPECT_EQ(AllDeclarations().size(), total) << "a declaration of a kind no sweep knows";
}

TEST(SchemaTotals, MarksEveryKeyAsZeroOrOneAndGivesEveryStoredClassAKey)
{
    std::map<std::wstring, std::size_t> keys;
    for (const SchemaDeclaration* d : OfKind(K::Property))
    {
        EXPECT_TRUE(d->key == 0 || d->key == 1) << schema_test::Narrow(d->name);
        keys[d->className] += d->key == 1 ? 1 : 0;
    }
    for (const SchemaDeclaration* d : OfKind(K::ClassWithFactory))
    {
        if (keys.contains(d->className))
        {
            EXPECT_GT(keys[d->className], 0u) << schema_test::Narrow(d->className);
        }
    }
}

TEST(SchemaTotals, UsesTheDeclaredIdTypes)
{
    std::map<int, std::size_t> idTypes;
    for (const SchemaDeclaration* d : OfKind(K::Property))
    {
        if (d->idType != kNoIdType)
        {
            ++idTypes[d->idType];
        }
    }
    // Besides the counters listed for the schema as a whole, the badge number Bnt_Badge.ID is
    // drawn from counter 1.
    const std::set<int> expected = {1,  2,  3,  4,  11, 15,  23,    25,    36,    40,    41,   53,
                                    54, 55, 83, 84, 85, 318, 32768, 32775, 32780, 32781, 32803};
    std::set<int> actual;
    for (const auto& [idType, count] : idTypes)
    {
        actual.insert(idType);
    }
    EXPECT_EQ(actual, expected);
    EXPECT_EQ(idTypes[1], 1u);
    EXPECT_EQ(FindProperty(L"Bnt_Badge", L"ID")->idType, 1);
    for (const auto& [idType, count] : idTypes)
    {
        EXPECT_LE(count, idTypes[32775]) << "32775 is the most frequent ID type, not " << idType;
    }
}

TEST(SchemaTotals, UsesSegmentOptionOneAndFourOnlyOnTheBadgeTypeSegment)
{
    std::map<int, std::size_t> options;
    for (const SchemaDeclaration* d : OfKind(K::Property))
    {
        if (d->segmentOption != kNoSegmentOption)
        {
            ++options[d->segmentOption];
        }
    }
    ASSERT_EQ(options.size(), 2u);
    EXPECT_GT(options[1], 0u);
    EXPECT_EQ(options[4], 1u);
    EXPECT_EQ(FindProperty(L"Bnt_BadgeType", L"SegmentID")->segmentOption, 4);
}

TEST(SchemaTotals, DeclaresMaximumLengthsByType)
{
    std::set<int> stringLengths;
    std::size_t unlimited = 0;
    std::size_t sizedArrays = 0;
    for (const SchemaDeclaration* d : OfKind(K::Property))
    {
        if (d->cimType == CIM_STRING)
        {
            stringLengths.insert(d->maxLength);
            unlimited += d->maxLength == -1 ? 1 : 0;
        }
        else if ((d->cimType & CIM_FLAG_ARRAY) != 0)
        {
            sizedArrays += d->maxLength >= 1 ? 1 : 0;
        }
        else
        {
            EXPECT_EQ(d->maxLength, 0) << schema_test::Narrow(d->className) << "." << schema_test::Narrow(d->name);
        }
    }
    EXPECT_EQ(stringLengths, (std::set<int>{-1, 32, 50, 64, 96, 128, 255, 512, 2000, 2048}));
    EXPECT_EQ(unlimited, 1u);
    EXPECT_EQ(FindProperty(L"Bnt_AlarmDefinition", L"TextInstructionData")->maxLength, -1);
    EXPECT_EQ(sizedArrays, 1u);
    EXPECT_EQ(FindProperty(L"Bnt_BadgeFIPS201", L"TWICPrivacyKey")->maxLength, 32);
}

TEST(SchemaTotals, UsesOnlyTheCimTypesOfTheDeclarationVocabulary)
{
    const std::set<CIMTYPE> propertyTypes = {
        CIM_SINT32, CIM_REAL32, CIM_STRING, CIM_BOOLEAN, CIM_SINT64, CIM_DATETIME, CIM_UINT8 | CIM_FLAG_ARRAY};
    const std::set<CIMTYPE> computedTypes = {CIM_SINT32, CIM_BOOLEAN};
    const std::set<CIMTYPE> parameterTypes = {CIM_SINT32, CIM_STRING, CIM_BOOLEAN,  CIM_OBJECT,
                                              CIM_UINT32, CIM_SINT64, CIM_DATETIME, CIM_SINT32 | CIM_FLAG_ARRAY};
    for (const SchemaDeclaration* d : OfKind(K::Property))
    {
        EXPECT_TRUE(propertyTypes.contains(d->cimType)) << schema_test::Narrow(d->name);
    }
    for (const SchemaDeclaration* d : OfKind(K::DynamicProperty))
    {
        EXPECT_TRUE(computedTypes.contains(d->cimType)) << schema_test::Narrow(d->name);
    }
    for (const SchemaDeclaration* d : OfKind(K::MethodParameter))
    {
        EXPECT_TRUE(parameterTypes.contains(d->cimType)) << schema_test::Narrow(d->name);
    }
    for (const SchemaDeclaration* d : OfKind(K::ReferenceProperty))
    {
        EXPECT_EQ(d->cimType, CIM_REFERENCE);
    }
}

TEST(SchemaTotals, LeavesOnlyTheAbstractInputOutputAndRequestPropertiesWithoutColumn)
{
    std::multiset<std::wstring> unmapped;
    for (const SchemaDeclaration* d : OfKind(K::Property))
    {
        const bool noTable = std::wstring(d->table).empty();
        EXPECT_EQ(noTable, std::wstring(d->column).empty()) << schema_test::Narrow(d->name);
        if (noTable)
        {
            unmapped.insert(std::wstring(d->className) + L"." + d->name);
        }
    }
    const std::multiset<std::wstring> expected = {L"Bnt_Input.PanelID",     L"Bnt_Input.Name",  L"Bnt_Input.HostName",
                                                  L"Bnt_Output.PanelID",    L"Bnt_Output.Name", L"Bnt_Output.HostName",
                                                  L"Bnt_AccessRequest.Name"};
    EXPECT_EQ(unmapped, expected);
}

TEST(SchemaTotals, UsesTheAttributeVocabulary)
{
    std::map<std::wstring, std::size_t> classWide;
    for (const SchemaDeclaration* d : OfKind(K::ClassWidePropertyAttribute))
    {
        EXPECT_EQ(d->integerValue, 1);
        ++classWide[d->attribute];
    }
    EXPECT_EQ(KeysOf(classWide), (std::set<std::wstring>{L"noedit", L"read"}));

    const std::set<std::wstring> booleanAttributes = {L"noedit", L"not_null", L"read"};
    for (const SchemaDeclaration* d : OfKind(K::PropertyAttributeInteger))
    {
        EXPECT_TRUE(booleanAttributes.contains(d->attribute)) << schema_test::Narrow(d->attribute);
        EXPECT_EQ(d->integerValue, 1);
    }
    std::map<std::wstring, std::size_t> defaults;
    for (const SchemaDeclaration* d : OfKind(K::PropertyAttributeText))
    {
        EXPECT_EQ(std::wstring(d->attribute), L"DefaultValue");
        ++defaults[d->text];
    }
    EXPECT_EQ(KeysOf(defaults), (std::set<std::wstring>{L"0", L"-1"}));
    for (const SchemaDeclaration* d : OfKind(K::PropertyValues))
    {
        EXPECT_EQ(std::wstring(d->attribute), L"POSSIBLE_VALUES");
    }
}

TEST(SchemaTotals, GivesTenClassesTheirUserDefinedFieldTable)
{
    std::map<std::wstring, int> tables;
    for (const SchemaDeclaration* d : OfKind(K::ClassAttribute))
    {
        EXPECT_EQ(std::wstring(d->attribute), L"UDFTableId");
        tables[d->className] = d->integerValue;
    }
    const std::map<std::wstring, int> expected = {
        {L"Bnt_Person", 1},           {L"Bnt_Cardholder", 2},     {L"Bnt_Badge", 3},       {L"Bnt_AccessLevel", 5},
        {L"Bnt_MultimediaObject", 6}, {L"Bnt_BadgeType", 7},      {L"Bnt_BadgeStatus", 8}, {L"Bnt_Visitor", 100100},
        {L"Bnt_Visit", 100101},       {L"Bnt_VisitEvent", 100105}};
    EXPECT_EQ(tables, expected);
}
