// The type-name table, the command tag tables and the capability reader they feed.
#include <map>
#include <string>

#include <gtest/gtest.h>

#include "schema/CommandCapabilities.h"
#include "schema/CommandTagTables.h"
#include "schema/UnsupportedWmiTypeError.h"
#include "schema/WmiTypeNameTable.h"

TEST(WmiTypeNameTable, HoldsTheTenNamesInIndexOrder)
{
    const char* expected[] = {"string",       "bool",   "int32", "int64", "int8", "datetime (string)",
                              "binary (map)", "object", "float", "double"};
    ASSERT_EQ(WmiTypeNameTable.size(), std::size(expected));
    for (std::size_t i = 0; i < WmiTypeNameTable.size(); ++i)
    {
        EXPECT_EQ(WmiTypeNameTable[i], expected[i]) << i;
    }
}

TEST(WmiTypeNameTable, NamesEverySupportedCimType)
{
    const std::map<CIMTYPE, std::string> expected = {{CIM_STRING, "string"},
                                                     {CIM_BOOLEAN, "bool"},
                                                     {CIM_SINT32, "int32"},
                                                     {CIM_UINT32, "int32"},
                                                     {CIM_SINT64, "int64"},
                                                     {CIM_UINT8, "int8"},
                                                     {CIM_DATETIME, "datetime (string)"},
                                                     {CIM_OBJECT, "object"},
                                                     {CIM_REAL32, "float"},
                                                     {CIM_REAL64, "double"},
                                                     {CIM_UINT8 | CIM_FLAG_ARRAY, "binary (map)"}};
    for (const auto& [cimType, name] : expected)
    {
        EXPECT_EQ(LookupWmiTypeName(cimType), name) << cimType;
    }
}

TEST(WmiTypeNameTable, RefusesOtherTypesWithTheBusMessage)
{
    const CIMTYPE refused[] = {CIM_UINT64,
                               CIM_SINT8,
                               CIM_SINT16,
                               CIM_UINT16,
                               CIM_CHAR16,
                               CIM_REFERENCE,
                               CIM_EMPTY,
                               CIM_ILLEGAL,
                               CIM_STRING | CIM_FLAG_ARRAY,
                               CIM_SINT32 | CIM_FLAG_ARRAY,
                               -1,
                               0x7FFFFFFF};
    for (CIMTYPE cimType : refused)
    {
        try
        {
            (void)LookupWmiTypeName(cimType);
            ADD_FAILURE() << "type " << cimType << " was named";
        }
        catch (const UnsupportedWmiTypeError& error)
        {
            EXPECT_EQ(std::string(error.what()),
                      "CCorvessaQpidType::GetQpidTypeString doesn't support type " + std::to_string(cimType));
            EXPECT_EQ(error.GetCimType(), cimType);
        }
    }
}

TEST(CommandTagTables, HoldTheIntrusionAndIntercomTagsInOrder)
{
    ASSERT_EQ(kIntrusionCommandTagCount, 11u);
    ASSERT_EQ(kIntercomCommandTagCount, 6u);
    EXPECT_STREQ(IntrusionCommandTagTable[0], L"<Disarm>");
    EXPECT_STREQ(IntrusionCommandTagTable[2], L"<EntirePartitionArm>");
    EXPECT_STREQ(IntrusionCommandTagTable[6], L"<PerimeterArmInstant>");
    EXPECT_STREQ(IntrusionCommandTagTable[10], L"<ExecuteFunction>");
    EXPECT_STREQ(IntercomCommandTagTable[0], L"<CancelIntercomCall>");
    EXPECT_STREQ(IntercomCommandTagTable[5], L"<DivertSpecificCall>");
}

TEST(CommandCapabilities, BuildsOneEntryPerTag)
{
    const auto intrusion = ReadCommandCapabilities(IntrusionCommandTagTable, L"");
    const auto intercom = ReadCommandCapabilities(IntercomCommandTagTable, L"");
    EXPECT_EQ(intrusion.size(), 11u);
    EXPECT_EQ(intercom.size(), 6u);
    for (const auto& [tag, flag] : intrusion)
    {
        EXPECT_FALSE(flag);
    }
}

TEST(CommandCapabilities, SetsAFlagOnlyWhenTheTagIsFollowedByTrue)
{
    struct Case
    {
        const wchar_t* text;
        bool disarm;
    };
    const Case cases[] = {
        {L"<Caps><Disarm>true</Disarm></Caps>", true},
        {L"<Caps><Disarm>TRUE</Disarm></Caps>", true},
        {L"<Caps><Disarm>True", true},
        // The text's own element comes first: a tag at its very start is not an answer.
        {L"<Disarm>true</Disarm>", false},
        {L" <Disarm>true</Disarm>", true},
        {L"<Caps><Disarm>false</Disarm></Caps>", false},
        {L"<Caps><Disarm>tru", false},
        {L"<Caps><Disarm>", false},
        {L"<Caps><Disarm> true</Disarm></Caps>", false},
        {L"<Caps><disarm>true</disarm></Caps>", false},
        {L"<Caps><PerimeterArm>true</PerimeterArm></Caps>", false},
        {L"<Caps><Disarm>false</Disarm><Disarm>true</Disarm></Caps>", false},
        {L"", false},
    };
    for (const Case& c : cases)
    {
        const auto flags = ReadCommandCapabilities(IntrusionCommandTagTable, c.text);
        ASSERT_TRUE(flags.contains(L"<Disarm>"));
        EXPECT_EQ(flags.at(L"<Disarm>"), c.disarm) << std::wstring(c.text).size();
    }
}

TEST(CommandCapabilities, ReadsEachTagOfTheIntercomTable)
{
    const auto flags = ReadCommandCapabilities(
        IntercomCommandTagTable,
        L"<Intercom><PlaceIntercomCall>true</PlaceIntercomCall><SetBlockedState>TrUe</SetBlockedState>"
        L"<CancelSpecificCall>no</CancelSpecificCall></Intercom>");
    const std::map<CString, bool> expected = {{L"<CancelIntercomCall>", false}, {L"<PlaceIntercomCall>", true},
                                              {L"<CancelSpecificCall>", false}, {L"<AnswerSpecificCall>", false},
                                              {L"<SetBlockedState>", true},     {L"<DivertSpecificCall>", false}};
    EXPECT_EQ(flags, expected);
}

TEST(CommandCapabilities, SkipsNullAndEmptyTags)
{
    const wchar_t* tags[] = {nullptr, L"", L"<Disarm>"};
    const auto flags = ReadCommandCapabilities(tags, L"<Caps><Disarm>true");
    EXPECT_EQ(flags, (std::map<CString, bool>{{L"", false}, {L"<Disarm>", true}}));
}
