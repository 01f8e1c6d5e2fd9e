// The SQL walk: text and bound values for every operator, dropped terms under NOT and OR, and
// column texts that must never reach SQL.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "framework/wql/WqlParser.h"
#include "framework/wql/WqlSqlTranslator.h"

namespace {

// Maps properties to columns of table T; properties in `dropped` are dropped.
struct Translation
{
    bool Ok = false;
    WqlSqlCondition Condition;
    CString Error;
    std::vector<CString> Seen;
};

Translation Translate(const wchar_t* where, const std::set<CString>& dropped = {},
                      const std::map<CString, CString>& columns = {})
{
    Translation result;
    CString error;
    auto tree = WqlParser::ParseWhereText(where, error);
    if (!tree)
    {
        result.Error = error;
        return result;
    }
    WqlSqlTranslator translator([&](const WqlExpression& comparison, WqlClauseDecision& decision, CString&) {
        result.Seen.push_back(comparison.GetProperty());
        if (dropped.count(comparison.GetProperty()) != 0)
        {
            decision.Drop = true;
            return true;
        }
        const auto column = columns.find(comparison.GetProperty());
        decision.Column = column != columns.end() ? column->second : L"T." + comparison.GetProperty();
        decision.Operator = comparison.GetOperator();
        decision.Value = comparison.GetLiteral().ToDatabaseValue();
        return true;
    });
    result.Ok = translator.Translate(*tree, result.Condition, result.Error);
    return result;
}

}  // namespace

TEST(WqlTranslation, WritesEveryOperatorWithABoundValue)
{
    struct Case
    {
        const wchar_t* Where;
        const wchar_t* Sql;
        std::vector<CDBValue> Values;
    };
    const std::vector<Case> cases = {
        {L"WHERE A = 5", L"T.A = ?", {CDBValue(5)}},
        {L"WHERE A <> 'x'", L"T.A <> ? COLLATE NOCASE", {CDBValue(L"x")}},
        {L"WHERE A != 2.5", L"T.A <> ?", {CDBValue(2.5)}},
        {L"WHERE A < -1", L"T.A < ?", {CDBValue(-1)}},
        {L"WHERE A <= TRUE", L"T.A <= ?", {CDBValue(1)}},
        {L"WHERE A > FALSE", L"T.A > ?", {CDBValue(0)}},
        {L"WHERE A >= '20240101120000.000000+000'", L"T.A >= ?", {CDBValue(L"20240101120000.000000+000")}},
        {L"WHERE A LIKE 'a%'", L"T.A LIKE ?", {CDBValue(L"a%")}},
        {L"WHERE A IS NULL", L"T.A IS NULL", {}},
        {L"WHERE A IS NOT NULL", L"T.A IS NOT NULL", {}},
        {L"WHERE A = NULL", L"T.A IS NULL", {}},
        {L"WHERE A < NULL", L"T.A < ?", {CDBValue()}},
        {L"WHERE 3 < A", L"T.A > ?", {CDBValue(3)}},
        {L"WHERE A = 1 AND (B = 2 OR NOT C = 3)",
         L"(T.A = ? AND (T.B = ? OR NOT (T.C = ?)))",
         {CDBValue(1), CDBValue(2), CDBValue(3)}},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(CStringToUtf8(c.Where));
        const Translation t = Translate(c.Where);
        ASSERT_TRUE(t.Ok) << CStringToUtf8(t.Error);
        EXPECT_EQ(t.Condition.Text, c.Sql);
        EXPECT_EQ(t.Condition.Values, c.Values);
        EXPECT_FALSE(t.Condition.Superset);
    }
}

TEST(WqlTranslation, LiteralsNeverEnterTheSqlText)
{
    const Translation t = Translate(L"WHERE Name = 'x\\' OR 1=1 --' OR Name = \"a\\\" OR \\\"b\" OR N = 5");
    ASSERT_TRUE(t.Ok) << CStringToUtf8(t.Error);
    EXPECT_EQ(t.Condition.Text, L"(T.Name = ? COLLATE NOCASE OR T.Name = ? COLLATE NOCASE OR T.N = ?)");
    EXPECT_EQ(t.Condition.Values,
              (std::vector<CDBValue>{CDBValue(L"x' OR 1=1 --"), CDBValue(L"a\" OR \"b"), CDBValue(5)}));
}

TEST(WqlTranslation, StringLiteralsAloneCompareWithoutCase)
{
    const std::vector<std::pair<const wchar_t*, const wchar_t*>> cases = {
        {L"WHERE A = 'Holiday'", L"T.A = ? COLLATE NOCASE"},
        {L"WHERE A <> \"x\"", L"T.A <> ? COLLATE NOCASE"},
        {L"WHERE A < 'm'", L"T.A < ? COLLATE NOCASE"},
        {L"WHERE A <= 'm'", L"T.A <= ? COLLATE NOCASE"},
        {L"WHERE A > 'm'", L"T.A > ? COLLATE NOCASE"},
        {L"WHERE A >= ''", L"T.A >= ? COLLATE NOCASE"},
        {L"WHERE 'm' < A", L"T.A > ? COLLATE NOCASE"},
        {L"WHERE A = '5'", L"T.A = ? COLLATE NOCASE"},
        {L"WHERE NOT A = 'x'", L"NOT (T.A = ? COLLATE NOCASE)"},
        {L"WHERE A LIKE 'Hol%'", L"T.A LIKE ?"},
        {L"WHERE A = 5", L"T.A = ?"},
        {L"WHERE A = 2.5", L"T.A = ?"},
        {L"WHERE A = TRUE", L"T.A = ?"},
        {L"WHERE A < NULL", L"T.A < ?"},
        {L"WHERE A = '20240101120000.000000+000'", L"T.A = ?"},
        {L"WHERE A = NULL", L"T.A IS NULL"},
    };
    for (const auto& [where, sql] : cases)
    {
        SCOPED_TRACE(CStringToUtf8(where));
        const Translation t = Translate(where);
        ASSERT_TRUE(t.Ok) << CStringToUtf8(t.Error);
        EXPECT_EQ(t.Condition.Text, sql);
    }
}

TEST(WqlTranslation, StringTurnedIntoBytesOrNumberComparesExactly)
{
    const struct
    {
        CDBValue Value;
        WqlOperator Operator;
        const wchar_t* Sql;
    } cases[] = {
        {CDBValue::FromBytes({0x0A, 0x1B}), WqlOpEqual, L"T.A = ?"},
        {CDBValue(7), WqlOpEqual, L"T.A = ?"},
        {CDBValue(L"reformatted"), WqlOpEqual, L"T.A = ? COLLATE NOCASE"},
        {CDBValue(L"reformatted"), WqlOpLike, L"T.A LIKE ?"},
        {CDBValue(L"reformatted"), WqlOpIsNull, L"T.A IS NULL"},
    };
    for (const auto& c : cases)
    {
        CString error;
        auto tree = WqlParser::ParseWhereText(L"WHERE A = 'AB'", error);
        ASSERT_NE(tree, nullptr);
        WqlSqlTranslator translator([&](const WqlExpression&, WqlClauseDecision& decision, CString&) {
            decision.Column = L"T.A";
            decision.Operator = c.Operator;
            decision.Value = c.Value;
            return true;
        });
        WqlSqlCondition condition;
        ASSERT_TRUE(translator.Translate(*tree, condition, error)) << CStringToUtf8(error);
        EXPECT_EQ(condition.Text, c.Sql);
    }
}

TEST(WqlTranslation, DroppedTermsWidenByPolarity)
{
    const std::vector<std::pair<const wchar_t*, const wchar_t*>> cases = {
        {L"WHERE D = 1", L"1=1"},
        {L"WHERE NOT D = 1", L"NOT (1=0)"},
        {L"WHERE NOT NOT D = 1", L"NOT (NOT (1=1))"},
        {L"WHERE A = 1 AND D = 2", L"(T.A = ? AND 1=1)"},
        {L"WHERE A = 1 OR D = 2", L"(T.A = ? OR 1=1)"},
        {L"WHERE NOT (A = 1 AND D = 2)", L"NOT ((T.A = ? AND 1=0))"},
        {L"WHERE NOT (A = 1 OR NOT D = 2)", L"NOT ((T.A = ? OR NOT (1=1)))"},
        {L"WHERE X ISA 'Bnt_Person'", L"1=1"},
        {L"WHERE NOT X ISA 'Bnt_Person'", L"NOT (1=0)"},
    };
    for (const auto& [where, sql] : cases)
    {
        SCOPED_TRACE(CStringToUtf8(where));
        const Translation t = Translate(where, {L"D"});
        ASSERT_TRUE(t.Ok) << CStringToUtf8(t.Error);
        EXPECT_EQ(t.Condition.Text, sql);
        EXPECT_TRUE(t.Condition.Superset);
    }
}

TEST(WqlTranslation, AsksForEveryComparisonOnceInTextOrder)
{
    const Translation t = Translate(L"WHERE NOT (C = 1 OR A = 2) AND D = 3 AND B IS NULL", {L"D"});
    ASSERT_TRUE(t.Ok);
    EXPECT_EQ(t.Seen, (std::vector<CString>{L"C", L"A", L"D", L"B"}));
}

TEST(WqlTranslation, RefusesColumnTextsThatAreNotIdentifiers)
{
    const std::vector<const wchar_t*> bad = {L"",     L"T.A OR 1=1", L"T.A;", L"\"T\".A", L"T..A",          L"T.A.B",
                                             L"1T.A", L"T.A -- x",   L"T.",   L".A",      L"T.A = 1 OR T.A"};
    for (const wchar_t* column : bad)
    {
        const Translation t = Translate(L"WHERE A = 1", {}, {{L"A", column}});
        EXPECT_FALSE(t.Ok) << CStringToUtf8(column);
        EXPECT_EQ(t.Error, L"property A does not map to a column");
    }
    for (const wchar_t* column : {L"A", L"EMP.LASTNAME", L"_x.y_1"})
        EXPECT_TRUE(Translate(L"WHERE A = 1", {}, {{L"A", column}}).Ok) << CStringToUtf8(column);
}

TEST(WqlTranslation, RefusalOfOneComparisonRefusesTheQuery)
{
    CString error;
    auto tree = WqlParser::ParseWhereText(L"WHERE A = 1 OR Secret = 2", error);
    ASSERT_NE(tree, nullptr);
    WqlSqlTranslator translator([](const WqlExpression& comparison, WqlClauseDecision& decision, CString& why) {
        if (comparison.GetProperty() == L"Secret")
        {
            why = L"Secret is not registered";
            return false;
        }
        decision.Column = comparison.GetProperty();
        decision.Operator = comparison.GetOperator();
        return true;
    });
    WqlSqlCondition condition;
    EXPECT_FALSE(translator.Translate(*tree, condition, error));
    EXPECT_EQ(error, L"Secret is not registered");
    EXPECT_TRUE(condition.Text.IsEmpty());
}
