#include "platform/com/WbemConstants.h"
#include "platform/wmi/WbemQueryParser.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {
struct GoodQuery
{
    const wchar_t* text;
    const wchar_t* className;
    bool hasWhere;
};

const GoodQuery kGoodQueries[] = {
    {L"SELECT * FROM Bnt_Badge", L"Bnt_Badge", false},
    {L"select Name, ID from bnt_badge where ID > 3", L"bnt_badge", true},
    {L"  SELECT *\tFROM\nBnt_Badge  ", L"Bnt_Badge", false},
    {L"SELECT * FROM Bnt_Badge WHERE Name = 'FROM x' OR Name = \"it\\\"s\"", L"Bnt_Badge", true},
    {L"SELECT * FROM __InstanceCreationEvent WITHIN 5 WHERE TargetInstance ISA 'Bnt_Badge'", L"__InstanceCreationEvent",
     true},
    {L"SELECT * FROM __InstanceCreationEvent WITHIN 5", L"__InstanceCreationEvent", false},
};

struct BadQuery
{
    const wchar_t* text;
    HRESULT expected;
};

const BadQuery kBadQueries[] = {
    {L"", WBEM_E_INVALID_QUERY},
    {L"DELETE FROM Bnt_Badge", WBEM_E_INVALID_QUERY},
    {L"SELECT FROM Bnt_Badge", WBEM_E_INVALID_QUERY},
    {L"SELECT * Bnt_Badge", WBEM_E_INVALID_QUERY},
    {L"SELECT * FROM", WBEM_E_INVALID_QUERY},
    {L"SELECT * FROM 'Bnt_Badge'", WBEM_E_INVALID_QUERY},
    {L"SELECT * FROM 9Badge", WBEM_E_INVALID_QUERY},
    {L"SELECT * FROM Bnt_Badge, Bnt_Reader", WBEM_E_INVALID_QUERY},
    {L"SELECT * FROM Bnt_Badge garbage", WBEM_E_INVALID_QUERY},
    {L"SELECT * FROM Bnt_Badge WHERE Name = 'open", WBEM_E_INVALID_QUERY},
    {L"SELECT 'FROM Bnt_Badge", WBEM_E_INVALID_QUERY},
    {L"ASSOCIATORS OF {Bnt_Badge.ID=1}", WBEM_E_NOT_SUPPORTED},
    {L"references of {Bnt_Badge.ID=1}", WBEM_E_NOT_SUPPORTED},
    {L"ASSOCIATORS Bnt_Badge", WBEM_E_INVALID_QUERY},
};
}  // namespace

TEST(WbemQueryParser, FindsTheSelectedClass)
{
    for (const GoodQuery& good : kGoodQueries)
    {
        std::wstring className;
        bool hasWhere = !good.hasWhere;
        ASSERT_EQ(WbemQueryParser::SelectedClass(good.text, &className, &hasWhere), WBEM_S_NO_ERROR) << good.text;
        EXPECT_EQ(className, good.className) << good.text;
        EXPECT_EQ(hasWhere, good.hasWhere) << good.text;
    }
}

TEST(WbemQueryParser, RefusesWhatItCannotRoute)
{
    for (const BadQuery& bad : kBadQueries)
    {
        std::wstring className = L"unchanged";
        EXPECT_EQ(WbemQueryParser::SelectedClass(bad.text, &className), bad.expected) << bad.text;
        EXPECT_EQ(className, L"unchanged") << bad.text;
    }
    EXPECT_EQ(WbemQueryParser::SelectedClass(L"SELECT * FROM A", nullptr), WBEM_E_INVALID_PARAMETER);
}

TEST(WbemQueryParser, BoundsTheQueryLength)
{
    std::wstring className;
    std::wstring query = L"SELECT * FROM Bnt_Badge WHERE Name = '";
    query += std::wstring(WbemQueryParser::kMaxQueryLength - query.size() - 1, L'x') + L"'";
    EXPECT_EQ(WbemQueryParser::SelectedClass(query, &className), WBEM_S_NO_ERROR);
    query += L" ";
    EXPECT_EQ(WbemQueryParser::SelectedClass(query, &className), WBEM_E_INVALID_QUERY);
}

TEST(WbemQueryParser, KnowsTheLanguageByNameOnly)
{
    EXPECT_TRUE(WbemQueryParser::IsWql(L"WQL"));
    EXPECT_TRUE(WbemQueryParser::IsWql(L"wql"));
    EXPECT_FALSE(WbemQueryParser::IsWql(L"SQL"));
    EXPECT_FALSE(WbemQueryParser::IsWql(L""));
}

TEST(WbemQueryParser, ReadsTheSelectListAndWhereTheClassStands)
{
    struct Case
    {
        const wchar_t* text;
        std::vector<std::wstring> properties;
        std::size_t classOffset;
    };
    const Case cases[] = {
        {L"SELECT * FROM Bnt_Badge", {}, 14},
        {L"select ID from Bnt_WorldTimezone where ID = 1", {L"ID"}, 15},
        {L"SELECT Name ,ID,  Bias FROM  Bnt_WorldTimezone", {L"Name", L"ID", L"Bias"}, 29},
    };
    for (const Case& one : cases)
    {
        WbemQueryParser::Selection selection;
        ASSERT_EQ(WbemQueryParser::Parse(one.text, &selection), WBEM_S_NO_ERROR) << one.text;
        EXPECT_EQ(selection.properties, one.properties) << one.text;
        EXPECT_EQ(selection.classOffset, one.classOffset) << one.text;
        EXPECT_EQ(std::wstring(one.text).substr(selection.classOffset, selection.className.size()), selection.className)
            << one.text;
    }
    for (const wchar_t* bad : {L"SELECT ID, FROM A", L"SELECT *, ID FROM A", L"SELECT ID ID FROM A",
                               L"SELECT , ID FROM A", L"SELECT 'ID' FROM A", L"SELECT * * FROM A"})
    {
        WbemQueryParser::Selection selection;
        selection.className = L"unchanged";
        EXPECT_EQ(WbemQueryParser::Parse(bad, &selection), WBEM_E_INVALID_QUERY) << bad;
        EXPECT_EQ(selection.className, L"unchanged") << bad;
    }
}
