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
    {L"SELECT * FROM __InstanceModificationEvent WITHIN 0.5 WHERE TargetInstance ISA 'Bnt_Badge' AND "
     L"(TargetInstance.Name <> 'x' OR NOT TargetInstance.ID >= -5)",
     L"__InstanceModificationEvent", true},
    {L"SELECT * FROM Bnt_Badge WHERE ((NOT (ID=.5)) and Name not like 'A%' OR Note IS NOT NULL or Note is null)",
     L"Bnt_Badge", true},
    {L"SELECT * FROM Bnt_Badge WHERE 1e3 < ID AND 'x' != Name AND NULL = Note AND Active = TRUE AND Lost <= FALSE",
     L"Bnt_Badge", true},
};

struct BadQuery
{
    const wchar_t* text;
    // What the refusal says, offset included.
    const wchar_t* error;
};

const BadQuery kBadQueries[] = {
    {L"", L"unexpected end of text at offset 0"},
    {L"DELETE FROM Bnt_Badge", L"SELECT, ASSOCIATORS or REFERENCES expected at offset 0"},
    {L"SELECT FROM Bnt_Badge", L"property name or * expected at offset 7"},
    {L"SELECT * Bnt_Badge", L"FROM or , expected at offset 9"},
    {L"SELECT * FORM Bnt_Cardholder", L"FROM or , expected at offset 9"},
    {L"SELECT COUNT(*) FROM Bnt_Cardholder", L"FROM or , expected at offset 12"},
    {L"SELECT * FROM", L"unexpected end of text at offset 13"},
    {L"SELECT * FROM 'Bnt_Badge'", L"class name expected at offset 14"},
    {L"SELECT * FROM 9Badge", L"class name expected at offset 14"},
    {L"SELECT * FROM Bnt_Badge, Bnt_Reader", L"WHERE, WITHIN or end of query expected at offset 23"},
    {L"SELECT * FROM Bnt_Badge garbage", L"WHERE, WITHIN or end of query expected at offset 24"},
    {L"SELECT * FROM Bnt_Badge WHERE Name = 'open", L"unterminated string at offset 37"},
    {L"SELECT * FROM Bnt_Cardholder WHERE LASTNAME = Adler",
     L"literal expected at offset 46: a text is written in quotes, as 'Adler'"},
    {L"SELECT * FROM Bnt_Badge WHERE 'Adler' = LASTNAME AND Name = Owner.Name",
     L"literal expected at offset 60: a text is written in quotes, as 'Owner.Name'"},
    {L"SELECT * FROM Bnt_Badge WHERE", L"unexpected end of text at offset 29"},
    {L"SELECT * FROM Bnt_Badge WHERE ID = 5 AND", L"unexpected end of text at offset 40"},
    {L"SELECT * FROM Bnt_Badge WHERE ID =", L"unexpected end of text at offset 34"},
    {L"SELECT * FROM Bnt_Badge WHERE ((ID = 5) OR ID = 6", L"unexpected end of text at offset 49"},
    {L"SELECT * FROM Bnt_Badge WHERE ID = 5)", L"AND, OR or end of query expected at offset 36"},
    {L"SELECT * FROM Bnt_Badge WHERE ID = 5; DROP TABLE BADGE", L"AND, OR or end of query expected at offset 36"},
    {L"SELECT * FROM Bnt_Badge WHERE ID = 5 -- comment", L"AND, OR or end of query expected at offset 37"},
    {L"SELECT * FROM Bnt_Badge WHERE (ID = 5 NOT ID = 6)", L"AND, OR or ) expected at offset 38"},
    {L"SELECT * FROM Bnt_Badge WHERE ID = 5 OR OR ID = 6", L"property name expected at offset 40"},
    {L"SELECT * FROM Bnt_Badge WHERE AND = 5", L"property name expected at offset 30"},
    {L"SELECT * FROM Bnt_Badge WHERE 5 = 5", L"property name expected at offset 34"},
    {L"SELECT * FROM Bnt_Badge WHERE ()", L"comparison expected at offset 31"},
    {L"SELECT * FROM Bnt_Badge WHERE ID # 1", L"comparison operator expected at offset 33"},
    {L"SELECT * FROM Bnt_Badge WHERE TargetInstance. Name = 'x'", L"comparison operator expected at offset 44"},
    {L"SELECT * FROM Bnt_Badge WHERE ID == 5", L"literal expected at offset 34"},
    {L"SELECT * FROM Bnt_Badge WHERE ID = 5abc", L"literal expected at offset 35"},
    {L"SELECT * FROM Bnt_Badge WHERE ID = 1.2.3", L"literal expected at offset 35"},
    {L"SELECT * FROM Bnt_Badge WHERE ID = NOT", L"literal expected at offset 35"},
    {L"SELECT * FROM Bnt_Badge WHERE ID IS 5", L"NULL expected at offset 36"},
    {L"SELECT * FROM Bnt_Badge WHERE ID IS NOT 'x'", L"NULL expected at offset 40"},
    {L"SELECT * FROM Bnt_Badge WHERE ID ISA Bnt_X", L"class name in quotes expected after ISA at offset 37"},
    {L"SELECT * FROM Bnt_Badge WHERE ID LIKE 5", L"pattern in quotes expected after LIKE at offset 38"},
    {L"SELECT * FROM Bnt_Badge WHERE Name NOT = 'x'", L"LIKE expected at offset 39"},
    {L"SELECT * FROM Bnt_Badge WITHIN WHERE ID = 1", L"polling interval expected after WITHIN at offset 31"},
    {L"SELECT * FROM Bnt_Badge WITHIN -5", L"polling interval expected after WITHIN at offset 31"},
    {L"SELECT * FROM Bnt_Badge WITHIN 5 garbage", L"WHERE or end of query expected at offset 33"},
    {L"SELECT 'FROM Bnt_Badge", L"unterminated string at offset 7"},
    {L"ASSOCIATORS Bnt_Badge", L"OF expected at offset 12"},
    {L"ASSOCIATORS OF Bnt_Badge", L"{ expected at offset 15"},
    {L"ASSOCIATORS OF {Bnt_Badge.ID=1", L"} expected at offset 30"},
    {L"REFERENCES OF {Bnt_Badge.ID=x}",
     L"the object path of the association is not valid: value expected (a quoted text, a number, TRUE or FALSE) at "
     L"offset 13"},
};
}  // namespace

TEST(WbemQueryParser, FindsTheSelectedClass)
{
    for (const GoodQuery& good : kGoodQueries)
    {
        WbemQueryParser::Selection selection;
        selection.hasWhere = !good.hasWhere;
        ASSERT_EQ(WbemQueryParser::Parse(good.text, &selection), WBEM_S_NO_ERROR) << good.text;
        EXPECT_EQ(selection.className, good.className) << good.text;
        EXPECT_EQ(selection.hasWhere, good.hasWhere) << good.text;
        EXPECT_FALSE(selection.association) << good.text;
    }
}

TEST(WbemQueryParser, RoutesAnAssociationByTheClassOfItsPath)
{
    for (const wchar_t* text : {L"ASSOCIATORS OF {Bnt_Badge.ID=1}", L"references of { Bnt_Badge.ID=\"}\" }",
                                L"ASSOCIATORS OF {Bnt_Badge.ID=1} WHERE ResultClass = Bnt_Cardholder"})
    {
        WbemQueryParser::Selection selection;
        ASSERT_EQ(WbemQueryParser::Parse(text, &selection), WBEM_S_NO_ERROR) << text;
        EXPECT_EQ(selection.className, L"Bnt_Badge") << text;
        EXPECT_TRUE(selection.association) << text;
    }
}

TEST(WbemQueryParser, RefusesWhatItCannotRouteSayingWhatAndWhere)
{
    for (const BadQuery& bad : kBadQueries)
    {
        WbemQueryParser::Selection selection;
        selection.className = L"unchanged";
        std::wstring error;
        EXPECT_EQ(WbemQueryParser::Parse(bad.text, &selection, &error), WBEM_E_INVALID_QUERY) << bad.text;
        EXPECT_EQ(error, bad.error) << bad.text;
        EXPECT_EQ(selection.className, L"unchanged") << bad.text;
    }
    EXPECT_EQ(WbemQueryParser::Parse(L"SELECT * FROM A", nullptr), WBEM_E_INVALID_PARAMETER);
}

TEST(WbemQueryParser, BoundsTheQueryLength)
{
    WbemQueryParser::Selection selection;
    std::wstring query = L"SELECT * FROM Bnt_Badge WHERE Name = '";
    query += std::wstring(WbemQueryParser::kMaxQueryLength - query.size() - 1, L'x') + L"'";
    EXPECT_EQ(WbemQueryParser::Parse(query, &selection), WBEM_S_NO_ERROR);
    query += L" ";
    EXPECT_EQ(WbemQueryParser::Parse(query, &selection), WBEM_E_INVALID_QUERY);
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
