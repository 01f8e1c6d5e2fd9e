#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "inhouse/BntCoreDb/CDBException.h"
#include "inhouse/BntCoreDb/CSQLStatement.h"
#include "inhouse/BntCoreDb/CSqlText.h"
#include "tests/inhouse/BntCoreDb/ExceptionState.h"

TEST(SqlIdentifier, AcceptsPlainAndQualifiedNamesOnly)
{
    struct Case
    {
        const wchar_t* name;
        bool plain;
        bool qualified;
    };
    const Case cases[] = {
        {L"PANELID", true, true}, {L"_x9", true, true},      {L"ACCESSPANE.PANELID", false, true},
        {L"a.b", false, true},    {L"", false, false},       {L"9ABC", false, false},
        {L"A B", false, false},   {L"A;DROP", false, false}, {L"A.B.C", false, false},
        {L".A", false, false},    {L"A.", false, false},     {L"NAME'--", false, false},
        {L"\"X\"", false, false}, {L"Ä", false, false},      {L"A\tB", false, false},
        {L"A-B", false, false},
    };
    for (const Case& c : cases)
    {
        EXPECT_EQ(CSqlText::IsValidIdentifier(c.name, false), c.plain) << CStringToUtf8(c.name);
        EXPECT_EQ(CSqlText::IsValidIdentifier(c.name, true), c.qualified) << CStringToUtf8(c.name);
    }
    EXPECT_TRUE(CSqlText::IsValidIdentifier(std::wstring(CSqlText::kMaxIdentifierLength, L'A'), false));
    EXPECT_FALSE(CSqlText::IsValidIdentifier(std::wstring(CSqlText::kMaxIdentifierLength + 1, L'A'), false));
    // An embedded NUL is part of the name, never the end of it.
    EXPECT_FALSE(CSqlText::IsValidIdentifier(std::wstring_view(L"AB\0;X", 5), false));
}

TEST(SqlIdentifier, QuotesValidNamesAndRefusesOthersWithSyntaxState)
{
    EXPECT_EQ(CSqlText::QuoteIdentifier(L"EMP.ID", true, L"Column"), "\"EMP\".\"ID\"");
    EXPECT_EQ(StateOf([] { CSqlText::QuoteIdentifier(L"EMP.ID", false, L"Column"); }), L"42000");
    try
    {
        CSqlText::QuoteIdentifier(L"ID) OR (1=1", true, L"Filter column");
        FAIL() << "an injected name was accepted";
    }
    catch (const CDBException& e)
    {
        EXPECT_EQ(e.m_nRetCode, CDBException::kRetRefused);
        EXPECT_NE(e.m_strError.Find(L"Filter column"), -1);
    }
}

TEST(SqlTableReference, SplitsTableAndAlias)
{
    CString table;
    CString alias;
    EXPECT_EQ(CSqlText::ParseTableReference(L"EMP EMP_VISITOR", table, alias), L"EMP_VISITOR");
    EXPECT_EQ(table, L"EMP");
    EXPECT_EQ(alias, L"EMP_VISITOR");
    EXPECT_EQ(CSqlText::ParseTableReference(L"EMP", table, alias), L"EMP");
    EXPECT_TRUE(alias.IsEmpty());
    for (const wchar_t* bad : {L"", L"EMP  X", L"EMP X Y", L"EMP,X", L" EMP", L"EMP ", L"EMP.X"})
        EXPECT_EQ(StateOf([&] { CSqlText::ParseTableReference(bad, table, alias); }), L"42000") << CStringToUtf8(bad);
}

TEST(SqlRawText, AcceptsSystemTextsAndRefusesAnythingThatCouldCarryAValue)
{
    struct Case
    {
        const wchar_t* text;
        std::size_t values;
        bool accepted;
    };
    const Case cases[] = {
        {L"1=0", 0, true},
        {L"ACCESSLVID in (SELECT DISTINCT ACCESSLVID FROM USERS_ACCESSLEVEL_LINK)", 0, true},
        {L"(MONDEVLINK.PANELID=CCTVDEVICE.PANELID and MONDEVLINK.ENTIREDEVICE=0\tor\tX=1)", 0, true},
        {L"\"EMP\".\"ID\" = ? AND NAME LIKE ?", 2, true},
        {L"ID = ?", 1, true},
        {L"ID = ?", 0, false},
        {L"ID = ? AND X = ?", 1, false},
        {L"NAME = 'x'", 0, false},
        {L"NAME = \"x y\"", 0, false},
        {L"NAME = \"x", 0, false},
        {L"ID = 1; DROP TABLE EMP", 0, false},
        {L"ID = 1 -- comment", 0, false},
        {L"ID = 1 /* comment */", 0, false},
        {L"ID = :id", 0, false},
        {L"ID = @id", 0, false},
        {L"ID = $id", 0, false},
        {L"ID = ?1", 1, false},
        {L"NAME = [x]", 0, false},
        {L"NAME = `x`", 0, false},
        {L"NAME = x\x0001", 0, false},
        {L"NAME = \x00E9t\x00E9", 0, false},
    };
    for (const Case& c : cases)
    {
        const CString state = StateOf([&] { CSqlText::CheckRawText(c.text, c.values); });
        EXPECT_EQ(state, c.accepted ? CString(L"none") : CString(L"42000")) << CStringToUtf8(c.text);
        // A composed text already in UTF-8 gets the same verdict and comes back as the wide one does.
        const std::string narrow = CStringToUtf8(c.text);
        EXPECT_EQ(StateOf([&] { CSqlText::CheckRawText(std::string_view(narrow), c.values); }), state) << narrow;
        if (c.accepted)
        {
            EXPECT_EQ(CSqlText::CheckRawText(std::string_view(narrow), c.values),
                      CSqlText::CheckRawText(c.text, c.values));
        }
    }
    EXPECT_EQ(StateOf([] { CSqlText::CheckRawText(std::string_view("ID = 1\0; DELETE FROM X", 22), 0); }), L"42000");
    EXPECT_EQ(StateOf([] { CSqlText::CheckRawText(CString(L"ID = 1\0; DELETE FROM X", 22), 0); }), L"42000");
    EXPECT_EQ(StateOf([] { CSqlText::CheckRawText(CString(L'x', CSqlText::kMaxRawTextLength + 1), 0); }), L"42000");
}

TEST(SqlStatement, BuildsCountUpdateAndDeleteWithValuesInMarkerOrder)
{
    CSQLStatement statement;
    statement.SetFrom(L"MONDEVLINK");
    statement.AddToWhere(L"MONDEVLINK", L"MZID", 7);
    statement.AddToWhere(L"", L"NAME", L"it's", CSQLStatement::NotEqual);
    statement.AddToWhere(L"MONDEVLINK", L"DISABLED", CDBValue());
    statement.AddToSet(L"NAME", L"new");
    EXPECT_EQ(statement.GetSQL(CSQLStatement::Kind::Count),
              L"SELECT COUNT(*) FROM \"MONDEVLINK\" WHERE \"MONDEVLINK\".\"MZID\" = ? AND \"NAME\" <> ? AND "
              L"\"MONDEVLINK\".\"DISABLED\" IS NULL");
    EXPECT_EQ(statement.GetSQL(CSQLStatement::Kind::Update),
              L"UPDATE \"MONDEVLINK\" SET \"NAME\" = ? WHERE \"MONDEVLINK\".\"MZID\" = ? AND \"NAME\" <> ? AND "
              L"\"MONDEVLINK\".\"DISABLED\" IS NULL");
    EXPECT_EQ(statement.GetValues(CSQLStatement::Kind::Count), (std::vector<CDBValue>{7, L"it's"}));
    EXPECT_EQ(statement.GetValues(CSQLStatement::Kind::Update), (std::vector<CDBValue>{L"new", 7, L"it's"}));
    EXPECT_EQ(statement.GetSQL(CSQLStatement::Kind::Delete).Left(26), L"DELETE FROM \"MONDEVLINK\" W");
}

TEST(SqlStatement, RefusesBadNamesOperatorsAndIncompleteStatements)
{
    CSQLStatement statement;
    EXPECT_EQ(StateOf([&] { statement.GetSQL(CSQLStatement::Kind::Count); }), L"HY010");
    EXPECT_EQ(StateOf([&] { statement.SetFrom(L"EMP; DROP TABLE EMP"); }), L"42000");
    EXPECT_EQ(StateOf([&] { statement.AddToWhere(L"EMP", L"ID = 1 OR 1", 1); }), L"42000");
    EXPECT_EQ(StateOf([&] { statement.AddToWhere(L"EMP", L"ID", 1, 7); }), L"42000");
    EXPECT_EQ(StateOf([&] { statement.AddToWhere(L"EMP", L"ID", CDBValue(), CSQLStatement::Less); }), L"42000");
    statement.SetFrom(L"EMP");
    EXPECT_EQ(StateOf([&] { statement.GetSQL(CSQLStatement::Kind::Update); }), L"HY010");
    EXPECT_EQ(CSQLStatement::ConcatenateTableAndColumn(L"USERS", L"USERID"), L"USERS.USERID");
    EXPECT_EQ(CSQLStatement::ConcatenateTableAndColumn(L"", L"USERID"), L"USERID");
    EXPECT_EQ(StateOf([] { CSQLStatement::ConcatenateTableAndColumn(L"USERS", L"USERID--"); }), L"42000");
}
