// Model-based test: random WHERE clauses over the same rows, evaluated in memory and run as
// translated SQL on the database through CDynamicRecordset::SetFilter. Without dropped
// terms both must select exactly the same rows; with a dropped term the SQL must select a
// superset, and filtering it with the evaluator must give the evaluator's answer. Names mix
// the case of ASCII and other letters, so string comparisons must fold case exactly as the
// database's NOCASE collation does; a quoted number past the 64-bit bounds must read as the real
// the database reads, and a quoted TRUE or FALSE on the boolean as the boolean.
#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "framework/wql/WqlEvaluator.h"
#include "framework/wql/WqlParser.h"
#include "framework/wql/WqlSqlTranslator.h"
#include "inhouse/BntCoreDb/CBntDatabase.h"
#include "inhouse/BntCoreDb/CDynamicRecordset.h"

namespace {

struct Row
{
    LONGLONG Id;
    std::optional<std::wstring> Name;
    std::optional<double> Score;
    std::optional<int> Flag;
};

// Derived in memory only; the SQL cannot see it, so the translation drops it.
LONGLONG StatusOf(const Row& row)
{
    return row.Id % 3;
}

class RowSource : public WqlPropertySource
{
public:
    explicit RowSource(const Row& row) : m_row(row) {}

    bool GetValue(const CString& property, CDBValue& value) const override
    {
        if (property == L"Id")
            value = CDBValue(m_row.Id);
        else if (property == L"Name")
            value = m_row.Name ? CDBValue(CString(*m_row.Name)) : CDBValue();
        else if (property == L"Score")
            value = m_row.Score ? CDBValue(*m_row.Score) : CDBValue();
        else if (property == L"Flag")
            value = m_row.Flag ? CDBValue(*m_row.Flag) : CDBValue();
        else if (property == L"Status")
            value = CDBValue(StatusOf(m_row));
        else
            return false;
        return true;
    }

    bool IsBoolean(const CString& property) const override { return property == L"Flag"; }

private:
    const Row& m_row;
};

class WhereGenerator
{
public:
    WhereGenerator(unsigned seed, bool withDerived) : m_random(seed), m_withDerived(withDerived) {}

    std::wstring Expression(int depth)
    {
        const int choice = Pick(depth <= 0 ? 1 : 6);
        switch (choice)
        {
        case 1:
            return L"(" + Expression(depth - 1) + L" AND " + Expression(depth - 1) + L")";
        case 2:
            return L"(" + Expression(depth - 1) + L" OR " + Expression(depth - 1) + L")";
        case 3:
            return L"NOT " + Expression(depth - 1);
        case 4:
            return Expression(depth - 1) + L" AND " + Expression(depth - 1);
        default:
            return Comparison();
        }
    }

private:
    int Pick(int count) { return std::uniform_int_distribution<int>(0, count - 1)(m_random); }

    template <typename T>
    const T& OneOf(const std::vector<T>& items)
    {
        return items[Pick(static_cast<int>(items.size()))];
    }

    std::wstring Operator() { return OneOf<std::wstring>({L"=", L"<>", L"!=", L"<", L"<=", L">", L">="}); }

    std::wstring Comparison()
    {
        const int property = Pick(m_withDerived ? 5 : 4);
        switch (property)
        {
        case 0: {
            const int kind = Pick(6);
            if (kind == 0)
                return OneOf<std::wstring>({L"Id IS NULL", L"Id IS NOT NULL"});
            const std::wstring number = std::to_wstring(Pick(45) - 2);
            if (kind == 1)
                return number + L" " + Operator() + L" Id";
            // A quoted number in each form a numeric column reads as a number (a plus only before
            // a number without a sign: "+-2" is no number).
            const std::wstring plus = number.front() == L'-' ? number : L"+" + number;
            if (kind == 2)
                return L"Id " + Operator() + L" '" +
                       OneOf<std::wstring>({number, L" " + number, number + L" ", plus, number + L".", number + L"e0",
                                            number + L".0e+0", L"18446744073709551616", L"-9223372036854775809",
                                            L"100000000000000000000000000000"}) +
                       L"'";
            return L"Id " + Operator() + L" " + number;
        }
        case 1: {
            const int kind = Pick(5);
            if (kind == 0)
                return L"Name LIKE " +
                       OneOf<std::wstring>({L"'a%'", L"'%A%'", L"'_eta'", L"'%'", L"'ga__a'", L"'B%A'", L"''"});
            if (kind == 1)
                return OneOf<std::wstring>({L"Name IS NULL", L"Name IS NOT NULL", L"Name = NULL", L"Name <> NULL"});
            return L"Name " + Operator() + L" " +
                   OneOf<std::wstring>({L"'alpha'", L"'Alpha'", L"\"beta\"", L"'gamma'", L"''", L"'b'", L"NULL",
                                        L"'ALPHA'", L"'bEtA'", L"'GaMmA'", L"'B'", L"'_'", L"'émile'", L"'ÉMILE'",
                                        L"'Z'", L"'a_'"});
        }
        case 2:
            if (Pick(5) == 0)
                return OneOf<std::wstring>({L"Score IS NULL", L"Score IS NOT NULL"});
            return L"Score " + Operator() + L" " +
                   OneOf<std::wstring>({L"0.5", L"-1", L"2", L"1.5", L"1e0", L"'1.5'", L"-0.25"});
        case 3:
            if (Pick(4) == 0)
                return OneOf<std::wstring>({L"Flag IS NULL", L"Flag IS NOT NULL"});
            return L"Flag " + OneOf<std::wstring>({L"=", L"<>", L">"}) + L" " +
                   OneOf<std::wstring>({L"TRUE", L"FALSE", L"1", L"0", L"'TRUE'", L"'false'", L"\"False\"", L"' true '",
                                        L"'1'", L"'0'"});
        default:
            return L"Status " + Operator() + L" " + std::to_wstring(Pick(3));
        }
    }

    std::mt19937 m_random;
    bool m_withDerived;
};

class WqlModel : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_database.Open(L"sqlite::memory:");
        m_database.ExecuteSQL(L"CREATE TABLE T (ID INTEGER PRIMARY KEY, NAME TEXT, SCORE REAL, FLAG INTEGER)");
        std::mt19937 random(7);
        const std::vector<std::optional<std::wstring>> names = {
            L"alpha", L"Alpha", L"beta", L"gamma", L"",  L"b", L"gAmma", std::nullopt, L"ALPHA", L"BETA",
            L"B",     L"_",     L"A_",   L"a_",    L"Z", L"[", L"émile", L"Émile",     L"ÉMILE"};
        const std::vector<std::optional<double>> scores = {-1.0, 0.5, 1.5, 2.0, -0.25, std::nullopt};
        const std::vector<std::optional<int>> flags = {0, 1, std::nullopt};
        auto pick = [&random](std::size_t count) {
            return std::uniform_int_distribution<std::size_t>(0, count - 1)(random);
        };
        for (LONGLONG id = 1; id <= 40; ++id)
            AddRow({id, names[pick(names.size())], scores[pick(scores.size())], flags[pick(flags.size())]});
    }

    void AddRow(const Row& row)
    {
        m_rows.push_back(row);
        m_database.ExecuteSQL(L"INSERT INTO T (ID, NAME, SCORE, FLAG) VALUES (?, ?, ?, ?)",
                              {CDBValue(row.Id), row.Name ? CDBValue(CString(*row.Name)) : CDBValue(),
                               row.Score ? CDBValue(*row.Score) : CDBValue(),
                               row.Flag ? CDBValue(*row.Flag) : CDBValue()});
    }

    static bool Process(const WqlExpression& comparison, WqlClauseDecision& decision, CString&)
    {
        static const std::map<CString, CString> kColumns = {
            {L"Id", L"T.ID"}, {L"Name", L"T.NAME"}, {L"Score", L"T.SCORE"}, {L"Flag", L"T.FLAG"}};
        const auto column = kColumns.find(comparison.GetProperty());
        if (column == kColumns.end())
        {
            decision.Drop = true;
            return true;
        }
        decision.Column = column->second;
        decision.Operator = comparison.GetOperator();
        decision.Value = comparison.GetLiteral().ToDatabaseValue();
        // As a mapper binds a boolean's literal: a quoted TRUE or FALSE as the boolean.
        const std::optional<bool> truth = comparison.GetLiteral().ReadBoolean();
        if (comparison.GetProperty() == L"Flag" && truth)
            decision.Value = CDBValue(*truth);
        return true;
    }

    std::set<LONGLONG> SqlRows(const WqlSqlCondition& condition)
    {
        CDynamicRecordset recordset(&m_database);
        recordset.SetTable(L"T");
        recordset.AddColumnToSet(L"ID", L"T");
        recordset.SetFilter(condition.Text, condition.Values);
        recordset.Open(CMultiFilterRecordset::kReadOnly);
        std::set<LONGLONG> ids;
        for (; !recordset.IsEOF(); recordset.MoveNext())
            ids.insert(recordset.GetLongLong(L"ID"));
        return ids;
    }

    std::set<LONGLONG> EvaluatorRows(const WqlExpression& expression, const std::set<LONGLONG>* among = nullptr)
    {
        std::set<LONGLONG> ids;
        for (const Row& row : m_rows)
        {
            if ((among == nullptr || among->count(row.Id) != 0) && WqlEvaluator::Matches(expression, RowSource(row)))
                ids.insert(row.Id);
        }
        return ids;
    }

    void RunModel(unsigned seeds, bool withDerived)
    {
        std::size_t nonEmpty = 0;
        std::size_t supersets = 0;
        for (unsigned seed = 1; seed <= seeds; ++seed)
        {
            WhereGenerator generator(seed, withDerived);
            const std::wstring where = L"WHERE " + generator.Expression(4);
            SCOPED_TRACE(CStringToUtf8(CString(where)));
            CString error;
            auto tree = WqlParser::ParseWhereText(where, error);
            ASSERT_NE(tree, nullptr) << CStringToUtf8(error);
            WqlSqlTranslator translator(&WqlModel::Process);
            WqlSqlCondition condition;
            ASSERT_TRUE(translator.Translate(*tree, condition, error)) << CStringToUtf8(error);

            const std::set<LONGLONG> sql = SqlRows(condition);
            const std::set<LONGLONG> memory = EvaluatorRows(*tree);
            nonEmpty += memory.empty() ? 0 : 1;
            if (!condition.Superset)
            {
                EXPECT_EQ(sql, memory) << CStringToUtf8(condition.Text);
                continue;
            }
            ++supersets;
            for (LONGLONG id : memory)
                EXPECT_EQ(sql.count(id), 1u) << "row " << id << " lost by " << CStringToUtf8(condition.Text);
            EXPECT_EQ(EvaluatorRows(*tree, &sql), memory);
        }
        // The generator must exercise real selections, not only empty ones.
        EXPECT_GT(nonEmpty, seeds / 4);
        if (withDerived)
        {
            EXPECT_GT(supersets, seeds / 4);
        }
    }

    CBntDatabase m_database;
    std::vector<Row> m_rows;
};

}  // namespace

TEST_F(WqlModel, TranslatedSqlSelectsExactlyWhatTheEvaluatorAccepts)
{
    RunModel(400, false);
}

TEST_F(WqlModel, DroppedTermsNeverLoseARowUnderNotOrOr)
{
    RunModel(400, true);
}

// Every ordering operator against texts that sit where folding changes the answer: letters of
// both cases, the characters between 'Z' and 'a', letters outside ASCII, embedded NULs.
TEST_F(WqlModel, StringComparisonsFoldCaseExactlyAsTheDatabase)
{
    using namespace std::string_literals;
    const std::vector<std::wstring> texts = {
        L"Holiday"s, L"holiday"s, L"HOLIDAY"s, L"holidays"s, L"Holi"s,  L"_"s,    L"["s,    L"`"s,   L"@"s, L"{"s,
        L"É"s,       L"é"s,       L"Émile"s,   L"émile"s,    L"ÉMILE"s, L"a\0B"s, L"A\0c"s, L"a\0"s, L"a"s, L""s};
    LONGLONG id = 1000;
    for (const std::wstring& text : texts)
        AddRow({++id, text, std::nullopt, std::nullopt});

    for (const std::wstring& text : texts)
    {
        WqlLiteral literal;
        literal.LiteralKind = WqlLiteral::Kind::String;
        literal.Text = CString(text);
        for (WqlOperator op :
             {WqlOpEqual, WqlOpNotEqual, WqlOpLess, WqlOpLessOrEqual, WqlOpGreater, WqlOpGreaterOrEqual})
        {
            const auto comparison = WqlExpression::MakeComparison(L"Name", op, literal);
            SCOPED_TRACE(CStringToUtf8(comparison->ToString()));
            WqlSqlTranslator translator(&WqlModel::Process);
            WqlSqlCondition condition;
            CString error;
            ASSERT_TRUE(translator.Translate(*comparison, condition, error)) << CStringToUtf8(error);
            EXPECT_EQ(SqlRows(condition), EvaluatorRows(*comparison));
        }
    }
}

TEST(WqlEvaluation, StringLiteralsAloneCompareWithoutAsciiCase)
{
    using namespace std::string_literals;
    struct Case
    {
        CDBValue Value;
        WqlOperator Operator;
        CDBValue Literal;
        WqlTextOrder Order;
        WqlTruth Truth;
    };
    const std::vector<Case> cases = {
        {CDBValue(L"Holiday"), WqlOpEqual, CDBValue(L"holiday"), WqlTextOrder::FoldAsciiCase, WqlTruth::True},
        {CDBValue(L"Holiday"), WqlOpEqual, CDBValue(L"holiday"), WqlTextOrder::Exact, WqlTruth::False},
        {CDBValue(L"Émile"), WqlOpEqual, CDBValue(L"émile"), WqlTextOrder::FoldAsciiCase, WqlTruth::False},
        // '_' lies between 'Z' and 'a': folding moves the letter to the other side of it.
        {CDBValue(L"A"), WqlOpLess, CDBValue(L"_"), WqlTextOrder::Exact, WqlTruth::True},
        {CDBValue(L"A"), WqlOpLess, CDBValue(L"_"), WqlTextOrder::FoldAsciiCase, WqlTruth::False},
        {CDBValue(L"abc"), WqlOpLess, CDBValue(L"ABCD"), WqlTextOrder::FoldAsciiCase, WqlTruth::True},
        {CDBValue(CString(L"a\0b"s)), WqlOpEqual, CDBValue(CString(L"A\0c"s)), WqlTextOrder::FoldAsciiCase,
         WqlTruth::True},
        {CDBValue(CString(L"a\0b"s)), WqlOpEqual, CDBValue(CString(L"a\0c"s)), WqlTextOrder::Exact, WqlTruth::False},
        {CDBValue(5), WqlOpEqual, CDBValue(L"5"), WqlTextOrder::FoldAsciiCase, WqlTruth::True},
        {CDBValue(L"x"), WqlOpEqual, CDBValue(), WqlTextOrder::FoldAsciiCase, WqlTruth::Unknown},
        {CDBValue(L"HOL"), WqlOpLike, CDBValue(L"hol%"), WqlTextOrder::Exact, WqlTruth::True},
    };
    for (std::size_t i = 0; i < cases.size(); ++i)
    {
        const Case& c = cases[i];
        EXPECT_EQ(WqlEvaluator::Compare(c.Value, c.Operator, c.Literal, c.Order), c.Truth) << "case " << i;
    }
}

// Through the tree: every comparison with a string literal folds case, and a date-time literal
// compared with a property the source does not call a date-time is the text it is (the same
// instant written with another offset is another text).
TEST(WqlEvaluation, TreeComparisonsWithStringLiteralsFoldCase)
{
    class Source : public WqlPropertySource
    {
    public:
        bool GetValue(const CString& property, CDBValue& value) const override
        {
            value = property == L"Stamp" ? CDBValue(L"20240101120000.000000+000") : CDBValue(L"Holiday");
            return true;
        }
    };
    const std::vector<std::pair<const wchar_t*, bool>> cases = {
        {L"WHERE Name = 'holiday'", true},
        {L"WHERE Name = \"HOLIDAY\"", true},
        {L"WHERE Name <> 'hOLIDAY'", false},
        {L"WHERE Name > 'holiday'", false},
        {L"WHERE Name >= 'HOLIDAY'", true},
        {L"WHERE Name = 'holidays'", false},
        {L"WHERE Stamp = '20240101120000.000000+000'", true},
        {L"WHERE Stamp = '20240101130000.000000+060'", false},
    };
    for (const auto& [where, matches] : cases)
    {
        CString error;
        auto tree = WqlParser::ParseWhereText(where, error);
        ASSERT_NE(tree, nullptr) << CStringToUtf8(error);
        EXPECT_EQ(WqlEvaluator::Matches(*tree, Source()), matches) << CStringToUtf8(where);
    }
}
