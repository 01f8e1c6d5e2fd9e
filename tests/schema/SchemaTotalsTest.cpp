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

}  // namespace

TEST(SchemaTotals, DeclaresEveryKindOfRegistrationTheRightNumberOfTimes)
{
    struct Expected
    {
        K kind;
        std::size_t count;
    };
    const Expected expected[] = {
        {K::ClassWithFactory, 80},
        {K::ClassWithSuperclass, 18},
        {K::DynamicClass, 5},
        {K::AbstractClass, 8},
        {K::RootClass, 1},
        {K::Property, 529},
        {K::ReferenceProperty, 30},
        {K::DynamicProperty, 11},
        {K::Method, 84},
        {K::MethodParameter, 89},
        {K::PropertyAttributeInteger, 130},
        {K::PropertyAttributeText, 14},
        {K::ClassWidePropertyAttribute, 92},
        {K::ClassAttribute, 10},
        {K::PropertyValues, 13},
        {K::NamedRecord, 114},
        {K::NoRecord, 90},
        {K::SegmentSource, 129},
        {K::UnfollowedEnd, 2},
    };
    std::size_t total = 0;
    for (const Expected& e : expected)
    {
        EXPECT_EQ(Count(e.kind), e.count) << "kind " << static_cast<int>(e.kind);
        total += e.count;
    }
    EXPECT_EQ(AllDeclarations().size(), total);
}

TEST(SchemaTotals, HasOneHundredTwelveClassesAndFiveHundredSeventyProperties)
{
    std::size_t classes = 0;
    for (const SchemaDeclaration* d : AllDeclarations())
    {
        classes += d->IsClass() ? 1 : 0;
    }
    EXPECT_EQ(classes, 112u);
    EXPECT_EQ(Count(K::Property) + Count(K::ReferenceProperty) + Count(K::DynamicProperty), 570u);
    EXPECT_EQ(Count(K::PropertyAttributeInteger) + Count(K::PropertyAttributeText), 144u);
}

TEST(SchemaTotals, MarksOneHundredSixtyFiveKeys)
{
    std::size_t keys = 0;
    for (const SchemaDeclaration* d : OfKind(K::Property))
    {
        EXPECT_TRUE(d->key == 0 || d->key == 1) << schema_test::Narrow(d->name);
        keys += d->key == 1 ? 1 : 0;
    }
    EXPECT_EQ(keys, 165u);
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
    EXPECT_EQ(idTypes[32775], 19u);
    EXPECT_EQ(idTypes[1], 1u);
    EXPECT_EQ(FindProperty(L"Bnt_Badge", L"ID")->idType, 1);
    for (const auto& [idType, count] : idTypes)
    {
        EXPECT_LE(count, idTypes[32775]) << "32775 is the most frequent ID type, not " << idType;
    }
}

TEST(SchemaTotals, UsesSegmentOptionOneNineteenTimesAndFourOnce)
{
    std::map<int, std::size_t> options;
    for (const SchemaDeclaration* d : OfKind(K::Property))
    {
        if (d->segmentOption != kNoSegmentOption)
        {
            ++options[d->segmentOption];
        }
    }
    EXPECT_EQ(options, (std::map<int, std::size_t>{{1, 19}, {4, 1}}));
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
    EXPECT_EQ(classWide, (std::map<std::wstring, std::size_t>{{L"noedit", 83}, {L"read", 9}}));

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
    EXPECT_EQ(defaults, (std::map<std::wstring, std::size_t>{{L"0", 10}, {L"-1", 4}}));
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
