// WQL parsing: query kinds, property lists, precedence, operators, literals, and malformed or
// hostile texts side by side with good ones.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "framework/CWmipQuery.h"
#include "framework/wql/WqlLimits.h"
#include "framework/wql/WqlParser.h"
#include "platform/com/WbemConstants.h"
#include "platform/wmi/WbemQueryParser.h"

namespace {

CString WhereTree(const wchar_t* wql)
{
    auto query = CWmipQuery::CreateFromQuery(wql);
    if (!query)
        return L"<null>";
    if (!query->GetWhereExpression())
        return L"<none>";
    return query->GetWhereExpression()->ToString();
}

// Good queries, whole or as WHERE texts; every one is also a query the service must pass on.
struct QueryCase
{
    const wchar_t* Text;
    WqlQueryKind Kind;
    const wchar_t* ClassName;
    bool SelectAll;
    std::vector<CString> Properties;
};
const std::vector<QueryCase> kQueries = {
    {L"SELECT * FROM Bnt_Badge", WqlQueryKind::Select, L"Bnt_Badge", true, {}},
    {L"select * from Bnt_Badge", WqlQueryKind::Select, L"Bnt_Badge", true, {}},
    {L"  SeLeCt\t*\nFrOm Bnt_Badge  ", WqlQueryKind::Select, L"Bnt_Badge", true, {}},
    {L"SELECT ID, Name,Status FROM Bnt_Badge", WqlQueryKind::Select, L"Bnt_Badge", false, {L"ID", L"Name", L"Status"}},
    {L"SELECT * FROM __InstanceOperationEvent WITHIN 5 WHERE TargetInstance ISA 'Bnt_Badge'",
     WqlQueryKind::Select,
     L"__InstanceOperationEvent",
     true,
     {}},
    {L"ASSOCIATORS OF {Bnt_Badge.BADGEKEY=5}", WqlQueryKind::Associators, L"Bnt_Badge", false, {}},
    {L"associators of { Bnt_Badge.BADGEKEY=5 } WHERE ResultClass = Bnt_Person ClassDefsOnly",
     WqlQueryKind::Associators,
     L"Bnt_Badge",
     false,
     {}},
    {L"REFERENCES OF {Bnt_Person.ID=\"a}b\"} WHERE Role = Owner", WqlQueryKind::References, L"Bnt_Person", false, {}},
};

const std::vector<std::pair<const wchar_t*, const wchar_t*>> kPrecedence = {
    {L"SELECT * FROM X WHERE A = 1 OR B = 2 AND C = 3", L"(A = 1 OR (B = 2 AND C = 3))"},
    {L"SELECT * FROM X WHERE A = 1 AND B = 2 OR C = 3", L"((A = 1 AND B = 2) OR C = 3)"},
    {L"SELECT * FROM X WHERE (A = 1 OR B = 2) AND C = 3", L"((A = 1 OR B = 2) AND C = 3)"},
    {L"SELECT * FROM X WHERE NOT A = 1 AND B = 2", L"(NOT A = 1 AND B = 2)"},
    {L"SELECT * FROM X WHERE NOT (A = 1 AND B = 2)", L"NOT (A = 1 AND B = 2)"},
    {L"SELECT * FROM X WHERE NOT NOT A = 1", L"NOT NOT A = 1"},
    {L"SELECT * FROM X WHERE A = 1 AND B = 2 AND C = 3", L"(A = 1 AND B = 2 AND C = 3)"},
    {L"SELECT * FROM X WHERE A = 1 OR (B = 2 OR C = 3)", L"(A = 1 OR B = 2 OR C = 3)"},
    {L"SELECT * FROM X WHERE ((((A = 1))))", L"A = 1"},
    {L"SELECT * FROM X where a = 1 and not b = 2 or c = 3", L"((a = 1 AND NOT b = 2) OR c = 3)"},
};

const std::vector<std::pair<const wchar_t*, WqlOperator>> kOperatorTexts = {
    {L"ID = 5", WqlOpEqual},
    {L"ID <> 5", WqlOpNotEqual},
    {L"ID != 5", WqlOpNotEqual},
    {L"ID < 5", WqlOpLess},
    {L"ID <= 5", WqlOpLessOrEqual},
    {L"ID > 5", WqlOpGreater},
    {L"ID >= 5", WqlOpGreaterOrEqual},
    {L"ID LIKE 'a%'", WqlOpLike},
    {L"ID like \"a_\"", WqlOpLike},
    {L"ID IS NULL", WqlOpIsNull},
    {L"ID is not null", WqlOpIsNotNull},
    {L"ID = NULL", WqlOpIsNull},
    {L"ID <> NULL", WqlOpIsNotNull},
    {L"ID ISA 'Bnt_X'", WqlOpIsa},
    {L"5 < ID", WqlOpGreater},
    {L"5 >= ID", WqlOpLessOrEqual},
    {L"5 = ID", WqlOpEqual},
    {L"NULL = ID", WqlOpIsNull},
    {L"ID=5", WqlOpEqual},
    {L"ID<=-5", WqlOpLessOrEqual},
};

struct LiteralCase
{
    const wchar_t* Literal;
    WqlLiteral::Kind Kind;
    const wchar_t* Text;
    CDBValue Bound;
};
const std::vector<LiteralCase> kLiterals = {
    {L"'abc'", WqlLiteral::Kind::String, L"abc", CDBValue(L"abc")},
    {L"\"abc\"", WqlLiteral::Kind::String, L"abc", CDBValue(L"abc")},
    {L"'it\\'s'", WqlLiteral::Kind::String, L"it's", CDBValue(L"it's")},
    {L"\"say \\\"x\\\"\"", WqlLiteral::Kind::String, L"say \"x\"", CDBValue(L"say \"x\"")},
    {L"'a\\\\b'", WqlLiteral::Kind::String, L"a\\b", CDBValue(L"a\\b")},
    {L"'O\"Neil'", WqlLiteral::Kind::String, L"O\"Neil", CDBValue(L"O\"Neil")},
    {L"''", WqlLiteral::Kind::String, L"", CDBValue(L"")},
    {L"42", WqlLiteral::Kind::Integer, L"42", CDBValue(42)},
    {L"-42", WqlLiteral::Kind::Integer, L"-42", CDBValue(-42)},
    {L"9223372036854775807", WqlLiteral::Kind::Integer, L"9223372036854775807", CDBValue(9223372036854775807LL)},
    {L"2.5", WqlLiteral::Kind::Real, L"2.5", CDBValue(2.5)},
    {L"-0.25", WqlLiteral::Kind::Real, L"-0.25", CDBValue(-0.25)},
    {L"1e3", WqlLiteral::Kind::Real, L"1e3", CDBValue(1000.0)},
    {L"TRUE", WqlLiteral::Kind::Boolean, L"", CDBValue(1)},
    {L"false", WqlLiteral::Kind::Boolean, L"", CDBValue(0)},
    {L"'20240131235958.000000+060'", WqlLiteral::Kind::DateTime, L"20240131235958.000000+060",
     CDBValue(L"20240131235958.000000+060")},
    {L"'20240230000000.000000+000'", WqlLiteral::Kind::String, L"20240230000000.000000+000",
     CDBValue(L"20240230000000.000000+000")},
    {L"'2024-01-31 10:00:00'", WqlLiteral::Kind::String, L"2024-01-31 10:00:00", CDBValue(L"2024-01-31 10:00:00")},
};

}  // namespace

TEST(WqlParser, ReadsKindClassAndSelectList)
{
    for (const auto& c : kQueries)
    {
        SCOPED_TRACE(CStringToUtf8(c.Text));
        auto query = CWmipQuery::CreateFromQuery(c.Text);
        ASSERT_NE(query, nullptr);
        EXPECT_EQ(query->GetKind(), c.Kind);
        EXPECT_EQ(query->GetClassName(), c.ClassName);
        EXPECT_EQ(query->IsSelectAll(), c.SelectAll);
        EXPECT_EQ(query->GetSelectedProperties(), c.Properties);
    }
}

TEST(WqlParser, KeepsTheAssociationPathAndKeywords)
{
    auto query = CWmipQuery::CreateFromQuery(
        L"ASSOCIATORS OF {Bnt_Person.ID=\"x}\"} WHERE AssocClass = Bnt_Link ResultRole = Target SchemaOnly");
    ASSERT_NE(query, nullptr);
    ASSERT_NE(query->GetObjectPath(), nullptr);
    EXPECT_EQ(query->GetObjectPath()->GetKeyValues(), std::vector<CString>{L"x}"});
    const auto& keywords = query->GetAssociationQualifiers();
    ASSERT_EQ(keywords.size(), 3u);
    EXPECT_EQ(keywords.at(L"assocclass"), L"Bnt_Link");
    EXPECT_EQ(keywords.at(L"ResultRole"), L"Target");
    EXPECT_EQ(keywords.at(L"SchemaOnly"), L"");
    EXPECT_EQ(query->GetWhereText(), L"");
}

TEST(WqlParser, RejectsMalformedQueries)
{
    const std::vector<const wchar_t*> cases = {
        L"",
        L"SELECT",
        L"SELECT * FROM",
        L"SELECT FROM Bnt_Badge",
        L"SELECT *, ID FROM Bnt_Badge",
        L"SELECT ID, FROM Bnt_Badge",
        L"SELECT * Bnt_Badge",
        L"SELECT * FROM Bnt_Badge extra",
        L"SELECT * FROM Bnt_Badge.ID",
        L"SELECT * FROM WHERE",
        L"SELECT * FROM Bnt_Badge WHERE",
        L"SELECT * FROM Bnt_Badge WHERE ID",
        L"SELECT * FROM Bnt_Badge WHERE ID =",
        L"SELECT * FROM Bnt_Badge WHERE = 5",
        L"SELECT * FROM Bnt_Badge WHERE ID = 5 AND",
        L"SELECT * FROM Bnt_Badge WHERE ID = 5 OR OR ID = 6",
        L"SELECT * FROM Bnt_Badge WHERE (ID = 5",
        L"SELECT * FROM Bnt_Badge WHERE ID = 5)",
        L"SELECT * FROM Bnt_Badge WHERE ((ID = 5)",
        L"SELECT * FROM Bnt_Badge WHERE ()",
        L"SELECT * FROM Bnt_Badge WHERE Name = 'open",
        L"SELECT * FROM Bnt_Badge WHERE Name = \"open",
        L"SELECT * FROM Bnt_Badge WHERE Name = 'bad \\q escape'",
        L"SELECT * FROM Bnt_Badge WHERE Name = 'trailing\\",
        L"SELECT * FROM Bnt_Badge WHERE ID = 5; DROP TABLE BADGE",
        L"SELECT * FROM Bnt_Badge WHERE ID = 5 -- comment",
        L"SELECT * FROM Bnt_Badge WHERE ID == 5",
        L"SELECT * FROM Bnt_Badge WHERE ID = 5abc",
        L"SELECT * FROM Bnt_Badge WHERE ID = 1e999",
        L"SELECT * FROM Bnt_Badge WHERE ID = 1.2.3",
        L"SELECT * FROM Bnt_Badge WHERE ID = @",
        L"SELECT * FROM Bnt_Badge WHERE ID = Name",
        L"SELECT * FROM Bnt_Badge WHERE 5 = 5",
        L"SELECT * FROM Bnt_Badge WHERE ID IS 5",
        L"SELECT * FROM Bnt_Badge WHERE ID IS NOT",
        L"SELECT * FROM Bnt_Badge WHERE ID LIKE 5",
        L"SELECT * FROM Bnt_Badge WHERE ID ISA Bnt_X",
        L"SELECT * FROM Bnt_Badge WHERE AND = 5",
        L"SELECT * FROM Bnt_Badge WHERE NOT",
        L"SELECT * FROM Bnt_Badge WITHIN WHERE ID = 1",
        L"SELECT * FROM Bnt_Badge WITHIN -5",
        L"SELECT * FROM Bnt_Badge WHERE ID = 5 \x01",
        L"INSERT INTO Bnt_Badge",
        L"ASSOCIATORS {Bnt_Badge.ID=1}",
        L"ASSOCIATORS OF Bnt_Badge.ID=1",
        L"ASSOCIATORS OF {Bnt_Badge.ID=1",
        L"ASSOCIATORS OF {Bnt_Badge.ID=}",
        L"ASSOCIATORS OF {Bnt_Badge.ID=1} WHERE",
        L"ASSOCIATORS OF {Bnt_Badge.ID=1} WHERE Bogus = X",
        L"ASSOCIATORS OF {Bnt_Badge.ID=1} WHERE ResultClass Bnt_X",
        L"ASSOCIATORS OF {Bnt_Badge.ID=1} WHERE ResultClass = A ResultClass = B",
        L"REFERENCES OF {Bnt_Badge.ID=1} WHERE AssocClass = Bnt_X",
        L"REFERENCES OF {Bnt_Badge.ID=1} trailing",
    };
    for (const wchar_t* text : cases)
        EXPECT_EQ(CWmipQuery::CreateFromQuery(text), nullptr) << CStringToUtf8(text);
    EXPECT_EQ(CWmipQuery::CreateFromQuery(nullptr), nullptr);
}

TEST(WqlParser, ReportsWhereAndWhyATextFails)
{
    WqlParsedQuery parsed;
    CString error;
    EXPECT_FALSE(WqlParser::ParseQuery(L"SELECT * FROM X WHERE Name = 'open", parsed, error));
    EXPECT_EQ(error, L"unterminated string literal at offset 29");
    EXPECT_FALSE(WqlParser::ParseQuery(L"SELECT * FROM X WHERE (A = 1", parsed, error));
    EXPECT_EQ(error, L"unexpected end of text: ) expected at offset 28");
    EXPECT_FALSE(WqlParser::ParseQuery(L"SELECT * FROM X WHERE A # 1", parsed, error));
    EXPECT_EQ(error, L"unexpected character at offset 24");
}

TEST(WqlParser, AndBindsTighterThanOrAndNotTighterThanAnd)
{
    for (const auto& [text, tree] : kPrecedence)
        EXPECT_EQ(WhereTree(text), tree) << CStringToUtf8(text);
}

TEST(WqlParser, ReadsEveryOperator)
{
    for (const auto& [condition, op] : kOperatorTexts)
    {
        SCOPED_TRACE(CStringToUtf8(condition));
        CString error;
        auto tree = WqlParser::ParseWhereText(std::wstring(L"WHERE ") + condition, error);
        ASSERT_NE(tree, nullptr) << CStringToUtf8(error);
        ASSERT_EQ(tree->GetKind(), WqlExpression::Kind::Comparison);
        EXPECT_EQ(tree->GetProperty(), L"ID");
        EXPECT_EQ(tree->GetOperator(), op);
    }
}

TEST(WqlParser, ReadsEveryLiteralKind)
{
    using K = WqlLiteral::Kind;
    for (const auto& c : kLiterals)
    {
        SCOPED_TRACE(CStringToUtf8(c.Literal));
        CString error;
        auto tree = WqlParser::ParseWhereText(std::wstring(L"WHERE P > ") + c.Literal, error);
        ASSERT_NE(tree, nullptr) << CStringToUtf8(error);
        EXPECT_EQ(tree->GetLiteral().LiteralKind, c.Kind);
        EXPECT_EQ(tree->GetLiteral().Text, c.Text);
        EXPECT_EQ(tree->GetLiteral().ToDatabaseValue(), c.Bound);
    }
    CString error;
    auto tree = WqlParser::ParseWhereText(L"WHERE P < NULL", error);
    ASSERT_NE(tree, nullptr);
    EXPECT_EQ(tree->GetLiteral().LiteralKind, K::Null);
    EXPECT_TRUE(tree->GetLiteral().ToDatabaseValue().IsNull());
}

TEST(WqlParser, WhereTextMustStartWithWhere)
{
    CString error;
    EXPECT_NE(WqlParser::ParseWhereText(L"where (ID = 1)", error), nullptr);
    EXPECT_NE(WqlParser::ParseWhereText(L"  WHERE ID = 1", error), nullptr);
    EXPECT_EQ(WqlParser::ParseWhereText(L"ID = 1", error), nullptr);
    EXPECT_EQ(WqlParser::ParseWhereText(L"WHEREID = 1", error), nullptr);
    EXPECT_EQ(WqlParser::ParseWhereText(L"", error), nullptr);
}

TEST(WqlParser, BoundsNestingDepth)
{
    auto nested = [](int depth, const wchar_t* open) {
        std::wstring text = L"WHERE ";
        for (int i = 0; i < depth; ++i)
            text += open;
        text += L"A = 1";
        if (std::wstring(open) == L"(")
            text += std::wstring(depth, L')');
        return text;
    };
    CString error;
    EXPECT_NE(WqlParser::ParseWhereText(nested(WqlLimits::kMaxNestingDepth, L"("), error), nullptr);
    EXPECT_EQ(WqlParser::ParseWhereText(nested(WqlLimits::kMaxNestingDepth + 1, L"("), error), nullptr);
    const std::wstring offset = std::to_wstring(6 + WqlLimits::kMaxNestingDepth);
    EXPECT_EQ(error, CString((L"expression nested too deeply at offset " + offset).c_str()));
    EXPECT_NE(WqlParser::ParseWhereText(nested(WqlLimits::kMaxNestingDepth, L"NOT "), error), nullptr);
    EXPECT_EQ(WqlParser::ParseWhereText(nested(WqlLimits::kMaxNestingDepth + 1, L"NOT "), error), nullptr);
    // Far beyond the limit: refused, not a stack overflow.
    EXPECT_EQ(WqlParser::ParseWhereText(nested(100000, L"("), error), nullptr);
}

TEST(WqlParser, BoundsLengthAndComparisonCount)
{
    std::wstring text = L"SELECT * FROM X WHERE Name = '";
    text += std::wstring(WqlLimits::kMaxQueryLength - text.size() - 1, L'a') + L"'";
    EXPECT_NE(CWmipQuery::CreateFromQuery(text.c_str()), nullptr);
    text.insert(30, L"a");
    EXPECT_EQ(CWmipQuery::CreateFromQuery(text.c_str()), nullptr);

    auto chain = [](std::size_t count) {
        std::wstring where = L"WHERE A = 1";
        for (std::size_t i = 1; i < count; ++i)
            where += L" OR A = 1";
        return where;
    };
    CString error;
    auto flat = WqlParser::ParseWhereText(chain(WqlLimits::kMaxComparisons), error);
    ASSERT_NE(flat, nullptr);
    EXPECT_EQ(flat->GetOperands().size(), WqlLimits::kMaxComparisons);
    EXPECT_EQ(WqlParser::ParseWhereText(chain(WqlLimits::kMaxComparisons + 1), error), nullptr);
}

TEST(WqlParser, KeepsTheWhereTextAsWritten)
{
    auto query = CWmipQuery::CreateFromQuery(L"SELECT * FROM Bnt_Badge where  ID = 5 AND Name = 'x'  \n");
    ASSERT_NE(query, nullptr);
    EXPECT_EQ(query->GetWhereText(), L"where  ID = 5 AND Name = 'x'");
}

TEST(WqlParser, KeywordsCannotNameProperties)
{
    for (const wchar_t* word : {L"AND", L"or", L"Not", L"IS", L"LIKE", L"ISA", L"NULL", L"TRUE", L"FROM"})
    {
        std::wstring text = std::wstring(L"WHERE ") + word + L" = 1";
        CString error;
        EXPECT_EQ(WqlParser::ParseWhereText(text, error), nullptr) << CStringToUtf8(word);
    }
    CString error;
    auto dotted = WqlParser::ParseWhereText(L"WHERE TargetInstance.Name = 'x' AND Nullable = 1", error);
    ASSERT_NE(dotted, nullptr);
    EXPECT_EQ(dotted->GetOperands()[0]->GetProperty(), L"TargetInstance.Name");
    EXPECT_EQ(dotted->GetOperands()[1]->GetProperty(), L"Nullable");
}

// The WMI service checks a query before any provider sees it, with a reader of its own: every
// query read here must pass it, or the provider would never be asked.
TEST(WqlParser, TheServicePassesOnEveryQueryReadHere)
{
    std::vector<std::pair<std::wstring, std::wstring>> queries;
    for (const auto& c : kQueries)
        queries.emplace_back(c.Text, c.ClassName);
    for (const auto& [text, tree] : kPrecedence)
        queries.emplace_back(text, L"X");
    for (const auto& [condition, op] : kOperatorTexts)
        queries.emplace_back(std::wstring(L"SELECT ID FROM Bnt_Badge WHERE ") + condition, L"Bnt_Badge");
    for (const auto& c : kLiterals)
        queries.emplace_back(std::wstring(L"SELECT * FROM Bnt_Cardholder WHERE P > ") + c.Literal, L"Bnt_Cardholder");
    queries.emplace_back(L"SELECT * FROM __InstanceModificationEvent WITHIN 0.5 WHERE TargetInstance ISA 'Bnt_Badge' "
                         L"AND (TargetInstance.Name = 'x' OR Nullable=-.5)",
                         L"__InstanceModificationEvent");
    queries.emplace_back(L"SELECT * FROM Y WHERE " + std::wstring(WqlLimits::kMaxNestingDepth, L'(') + L"A = 1" +
                             std::wstring(WqlLimits::kMaxNestingDepth, L')'),
                         L"Y");
    for (const auto& [text, className] : queries)
    {
        SCOPED_TRACE(CStringToUtf8(text.c_str()));
        WqlParsedQuery parsed;
        CString error;
        ASSERT_TRUE(WqlParser::ParseQuery(text, parsed, error)) << CStringToUtf8(error);
        WbemQueryParser::Selection selection;
        std::wstring refusal;
        EXPECT_EQ(WbemQueryParser::Parse(text, &selection, &refusal), WBEM_S_NO_ERROR)
            << CStringToUtf8(refusal.c_str());
        EXPECT_EQ(selection.className, className);
    }
}
