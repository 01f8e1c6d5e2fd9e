// Pairing of declared values and labels into the map that becomes "ValueMap" and "Values".
#include <map>
#include <vector>

#include <gtest/gtest.h>

#include "schema/PropertyValueMap.h"
#include "tests/schema/SchemaWalk.h"

namespace {

std::vector<CString> Keys(const std::map<CString, CString>& map)
{
    std::vector<CString> keys;
    for (const auto& [value, label] : map)
    {
        keys.push_back(value);
    }
    return keys;
}

std::vector<CString> Labels(const std::map<CString, CString>& map)
{
    std::vector<CString> labels;
    for (const auto& [value, label] : map)
    {
        labels.push_back(label);
    }
    return labels;
}

}  // namespace

TEST(PropertyValueMap, OrdersValuesAsTextSoTenComesBeforeTwo)
{
    const auto map = BuildPropertyValueMap(L"10,2", L"Ten,Two");
    EXPECT_EQ(Keys(map), (std::vector<CString>{L"10", L"2"}));
    EXPECT_EQ(Labels(map), (std::vector<CString>{L"Ten", L"Two"}));
}

TEST(PropertyValueMap, PairsGoodInputsAndEmptiesMismatchedOnes)
{
    struct Case
    {
        const wchar_t* values;
        const wchar_t* labels;
        std::map<CString, CString> expected;
    };
    const Case cases[] = {
        {L"0,1,2,3",
         L"Submitted,Approved,OnHold,Denied",
         {{L"0", L"Submitted"}, {L"1", L"Approved"}, {L"2", L"OnHold"}, {L"3", L"Denied"}}},
        {L"1", L"AccessLevel", {{L"1", L"AccessLevel"}}},
        {L" 0 , 1 ", L" LDAP ,Microsoft Active Directory", {{L"0", L"LDAP"}, {L"1", L"Microsoft Active Directory"}}},
        {L"0,,1,", L",Reader,,AccessLevel", {{L"0", L"Reader"}, {L"1", L"AccessLevel"}}},
        {L"4,5", L"CAC,PIV-I/CIV", {{L"4", L"CAC"}, {L"5", L"PIV-I/CIV"}}},
        {L"1,1", L"First,Last", {{L"1", L"Last"}}},
        // Mismatched counts give an empty list.
        {L"0,1", L"Only", {}},
        {L"0", L"Zero,One", {}},
        {L"0,1", L"", {}},
        {L"", L"Label", {}},
        {L"", L"", {}},
        {L",,,", L",", {}},
    };
    for (const Case& c : cases)
    {
        EXPECT_EQ(BuildPropertyValueMap(c.values, c.labels), c.expected)
            << schema_test::Narrow(c.values) << " / " << schema_test::Narrow(c.labels);
    }
}

TEST(PropertyValueMap, OrdersTheMultimediaObjectTypesByValueText)
{
    const SchemaDeclaration* objectType = nullptr;
    for (const SchemaDeclaration* d : schema_test::OfKind(SchemaDeclarationKind::PropertyValues))
    {
        if (std::wstring(d->className) == L"Bnt_MultimediaObject" && std::wstring(d->name) == L"ObjectType")
        {
            objectType = d;
        }
    }
    ASSERT_NE(objectType, nullptr);
    const auto map = BuildPropertyValueMap(objectType->values, objectType->labels);
    EXPECT_EQ(Keys(map), (std::vector<CString>{L"1", L"16", L"32", L"513", L"64", L"8"}));
    EXPECT_EQ(Labels(map), (std::vector<CString>{L"Photo", L"Hand Geometry", L"Fingerprint (Bioscrypt)",
                                                 L"Visitor Document", L"Iris (Iridian)", L"Signature"}));
}

TEST(PropertyValueMap, PairsEveryDeclaredValueList)
{
    const auto lists = schema_test::OfKind(SchemaDeclarationKind::PropertyValues);
    ASSERT_FALSE(lists.empty());
    for (const SchemaDeclaration* d : lists)
    {
        EXPECT_FALSE(BuildPropertyValueMap(d->values, d->labels).empty())
            << schema_test::Narrow(d->className) << "." << schema_test::Narrow(d->name);
    }
}
