// CWmipQuery with a mapper: SQL text and bound values through ProcessClause, refusal of
// columns that are not registered or not identifiers, dropped terms, where-value capture,
// hand-set WHERE texts, errors, and deep copies.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "framework/CWmipMapper.h"
#include "framework/CWmipQuery.h"
#include "inhouse/BntUtility/CWMIException.h"
#include "platform/com/WbemConstants.h"

namespace {

struct Call
{
    CString Property;
    int Operator;
    CString Literal;
    CString Extra;
};

// Answers by property name, the way the record mappers do.
class TestMapper : public CWmipMapper
{
public:
    TestMapper() : CWmipMapper(nullptr, nullptr, L"Bnt_Test") {}

    ProcessClauseResult ProcessClause(CString& property, int& wqlOperator, CString& literal, CString& extra) override
    {
        m_calls.push_back({property, wqlOperator, literal, extra});
        extra = L"1=1 OR 1";  // never pasted
        if (property == L"ID")
        {
            property = L"BADGE.BADGEKEY";
            return ProcessClauseKeep;
        }
        if (property == L"PIN" || property == L"Status")
            return ProcessClauseDrop;
        if (property == L"TargetInstance")
            return ProcessClauseKeep;
        if (property == L"LastName")
        {
            property = L"EMP.LASTNAME";
            return ProcessClausePlain;
        }
        if (property == L"Evil")
        {
            property = L"EMP.ID OR 1=1";
            return ProcessClauseKeep;
        }
        if (property == L"BadOperator")
        {
            wqlOperator = 42;
            return ProcessClauseKeep;
        }
        if (property == L"BadAnswer")
            return static_cast<ProcessClauseResult>(3);
        if (property == L"Fascn")
        {
            literal = L"0x0A1b";
            return ProcessClauseKeep;
        }
        if (property == L"Stamp")
        {
            literal = L"\"2024-01-02 03:04:05\"";
            return ProcessClauseKeep;
        }
        if (property == L"Raw")
        {
            literal = L"x' OR '1'='1";
            return ProcessClauseKeep;
        }
        if (property == L"Flip")
        {
            wqlOperator = WqlOpNotEqual;
            return ProcessClauseKeep;
        }
        return ProcessClausePlain;
    }

    std::vector<Call> m_calls;
};

HRESULT TranslationError(CWmipQuery& query)
{
    try
    {
        query.TranslateWhereClause();
    }
    catch (const brontel::utility::CWMIException& e)
    {
        return e.GetHResult();
    }
    return S_OK;
}

std::unique_ptr<CWmipQuery> Query(const wchar_t* wql, TestMapper& mapper)
{
    auto query = CWmipQuery::CreateFromQuery(wql);
    if (query)
    {
        query->SetMapper(&mapper);
        query->SetRegisteredColumnResolver(CWmipQuery::MakeColumnResolver({L"EMP.LASTNAME", L"BADGE.TYPE"}));
    }
    return query;
}

class MapSource : public WqlPropertySource
{
public:
    explicit MapSource(std::map<CString, CDBValue> values) : m_values(std::move(values)) {}
    bool GetValue(const CString& property, CDBValue& value) const override
    {
        const auto found = m_values.find(property);
        if (found == m_values.end())
            return false;
        value = found->second;
        return true;
    }

private:
    std::map<CString, CDBValue> m_values;
};

}  // namespace

TEST(CWmipQueryTranslation, ProducesSqlAndBoundValuesThroughTheMapper)
{
    struct Case
    {
        const wchar_t* Wql;
        const wchar_t* Sql;
        std::vector<CDBValue> Values;
        bool Superset;
    };
    const std::vector<Case> cases = {
        {L"SELECT * FROM Bnt_Test", L"", {}, false},
        {L"SELECT * FROM Bnt_Test WHERE ID = 5", L"BADGE.BADGEKEY = ?", {CDBValue(5)}, false},
        {L"SELECT * FROM Bnt_Test WHERE LastName LIKE 'Sm%' AND TYPE <> 2",
         L"(EMP.LASTNAME LIKE ? AND BADGE.TYPE <> ?)",
         {CDBValue(L"Sm%"), CDBValue(2)},
         false},
        {L"SELECT * FROM Bnt_Test WHERE ID = 1 OR PIN = '1234'", L"(BADGE.BADGEKEY = ? OR 1=1)", {CDBValue(1)}, true},
        {L"SELECT * FROM Bnt_Test WHERE NOT PIN = '1234' AND ID > 2",
         L"(NOT (1=0) AND BADGE.BADGEKEY > ?)",
         {CDBValue(2)},
         true},
        {L"SELECT * FROM Bnt_Test WHERE TargetInstance ISA 'Bnt_Person'", L"1=1", {}, true},
        {L"SELECT * FROM Bnt_Test WHERE Fascn = 'AB'", L"Fascn = ?", {CDBValue::FromBytes({0x0A, 0x1B})}, false},
        {L"SELECT * FROM Bnt_Test WHERE Stamp > '20240102030405.000000+000'",
         L"Stamp > ?",
         {CDBValue(L"2024-01-02 03:04:05")},
         false},
        {L"SELECT * FROM Bnt_Test WHERE Raw = 'a'", L"Raw = ? COLLATE NOCASE", {CDBValue(L"x' OR '1'='1")}, false},
        {L"SELECT * FROM Bnt_Test WHERE Flip = 3", L"Flip <> ?", {CDBValue(3)}, false},
        {L"SELECT * FROM Bnt_Test WHERE ID IS NULL OR ID = NULL",
         L"(BADGE.BADGEKEY IS NULL OR BADGE.BADGEKEY IS NULL)",
         {},
         false},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(CStringToUtf8(c.Wql));
        TestMapper mapper;
        auto query = Query(c.Wql, mapper);
        ASSERT_NE(query, nullptr);
        EXPECT_EQ(query->TranslateWhereClause(), S_OK);
        EXPECT_EQ(query->GetWhereClause(), c.Sql);
        EXPECT_EQ(query->GetWhereParameters(), c.Values);
        EXPECT_EQ(query->IsWhereClauseSuperset(), c.Superset);
    }
}

TEST(CWmipQueryTranslation, HandsEachComparisonToTheMapperInWqlForm)
{
    TestMapper mapper;
    auto query = Query(L"SELECT * FROM Bnt_Test WHERE TYPE = 'it\\'s \"q\" \\\\' OR 5 < TYPE OR TYPE = TRUE OR "
                       L"TYPE IS NOT NULL OR TYPE >= -2.5 OR TYPE <= '20240102030405.000000+000'",
                       mapper);
    ASSERT_NE(query, nullptr);
    query->TranslateWhereClause();
    const std::vector<std::pair<int, CString>> expected = {{WqlOpEqual, L"\"it's \\\"q\\\" \\\\\""},
                                                           {WqlOpGreater, L"5"},
                                                           {WqlOpEqual, L"TRUE"},
                                                           {WqlOpIsNotNull, L"NULL"},
                                                           {WqlOpGreaterOrEqual, L"-2.5"},
                                                           {WqlOpLessOrEqual, L"\"20240102030405.000000+000\""}};
    ASSERT_EQ(mapper.m_calls.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i)
    {
        EXPECT_EQ(mapper.m_calls[i].Property, L"TYPE");
        EXPECT_EQ(mapper.m_calls[i].Operator, expected[i].first);
        EXPECT_EQ(mapper.m_calls[i].Literal, expected[i].second);
        EXPECT_EQ(mapper.m_calls[i].Extra, L"");
    }
    EXPECT_EQ(query->GetWhereClause().Find(L"1=1 OR 1"), -1);
}

TEST(CWmipQueryTranslation, RefusesPlainComparisonsOnColumnsTheClassDoesNotRegister)
{
    const std::vector<const wchar_t*> refused = {
        L"SELECT * FROM Bnt_Test WHERE Unknown = 1",
        L"SELECT * FROM Bnt_Test WHERE ID = 1 OR Secret = 2",
        L"SELECT * FROM Bnt_Test WHERE NOT (TYPE = 1 AND LASTNAMEX = 'a')",
        L"SELECT * FROM Bnt_Test WHERE Evil = 1",
        L"SELECT * FROM Bnt_Test WHERE BadOperator = 1",
        L"SELECT * FROM Bnt_Test WHERE BadAnswer = 1",
        L"SELECT * FROM Bnt_Test WHERE EMP.TYPE = 1",
    };
    for (const wchar_t* wql : refused)
    {
        SCOPED_TRACE(CStringToUtf8(wql));
        TestMapper mapper;
        auto query = Query(wql, mapper);
        ASSERT_NE(query, nullptr);
        EXPECT_EQ(TranslationError(*query), WBEM_E_INVALID_QUERY);
        EXPECT_EQ(query->GetWhereClause(), L"");
        EXPECT_TRUE(query->GetWhereParameters().empty());
    }

    // Without a registration check no plain comparison can pass.
    TestMapper mapper;
    auto query = CWmipQuery::CreateFromQuery(L"SELECT * FROM Bnt_Test WHERE LastName = 'a'");
    ASSERT_NE(query, nullptr);
    query->SetMapper(&mapper);
    EXPECT_EQ(TranslationError(*query), WBEM_E_INVALID_QUERY);
    query->SetRegisteredColumnResolver(CWmipQuery::MakeColumnResolver({L"emp.lastname"}));
    EXPECT_EQ(TranslationError(*query), S_OK);
    EXPECT_EQ(query->GetWhereClause(), L"EMP.LASTNAME = ? COLLATE NOCASE");
}

TEST(CWmipQueryTranslation, ReportsWhereTextsThatCannotBeTranslated)
{
    TestMapper mapper;
    CWmipQuery query;
    query.SetClassName(L"Bnt_Test");
    query.SetMapper(&mapper);
    query.SetRegisteredColumnResolver(CWmipQuery::MakeColumnResolver({L"BADGE.TYPE"}));

    const std::vector<std::pair<const wchar_t*, HRESULT>> cases = {
        {L"", S_OK},
        {L"   ", S_OK},
        {L"where (TYPE = 1)", S_OK},
        {L"WHERE TYPE = 1", S_OK},
        {L"TYPE = 1", WBEM_E_INVALID_QUERY},
        {L"where (TYPE = 1", WBEM_E_INVALID_QUERY},
        {L"where (TYPE = 'x)", WBEM_E_INVALID_QUERY},
        {L"where (TYPE = 1); DELETE FROM BADGE", WBEM_E_INVALID_QUERY},
    };
    for (const auto& [where, hr] : cases)
    {
        SCOPED_TRACE(CStringToUtf8(where));
        query.SetWhereText(where);
        EXPECT_EQ(query.GetWhereText(), where);
        EXPECT_EQ(TranslationError(query), hr);
        // A bare name reaches the SQL qualified by its registered table.
        EXPECT_EQ(query.GetWhereClause(), hr == S_OK && CString(where).Find(L"TYPE") >= 0 ? L"BADGE.TYPE = ?" : L"");
    }

    query.SetWhereText(L"where (TYPE = 1)");
    query.SetMapper(nullptr);
    EXPECT_EQ(TranslationError(query), WBEM_E_FAILED);
}

TEST(CWmipQueryTranslation, SupersetRowsAreCheckedAgainstTheFullWhereClause)
{
    TestMapper mapper;
    auto query = Query(L"SELECT * FROM Bnt_Test WHERE NOT (Status = 2 OR ID = 7)", mapper);
    ASSERT_NE(query, nullptr);
    query->TranslateWhereClause();
    EXPECT_EQ(query->GetWhereClause(), L"NOT ((1=0 OR BADGE.BADGEKEY = ?))");
    EXPECT_TRUE(query->IsWhereClauseSuperset());

    EXPECT_TRUE(query->Matches(MapSource({{L"Status", CDBValue(1)}, {L"ID", CDBValue(3)}})));
    EXPECT_FALSE(query->Matches(MapSource({{L"Status", CDBValue(2)}, {L"ID", CDBValue(3)}})));
    EXPECT_FALSE(query->Matches(MapSource({{L"Status", CDBValue(1)}, {L"ID", CDBValue(7)}})));
    EXPECT_FALSE(query->Matches(MapSource({{L"Status", CDBValue()}, {L"ID", CDBValue(3)}})));
    EXPECT_FALSE(query->Matches(MapSource({{L"ID", CDBValue(3)}})));

    CWmipQuery noWhere;
    EXPECT_TRUE(noWhere.Matches(MapSource({})));
    CWmipQuery broken;
    broken.SetWhereText(L"where (");
    EXPECT_FALSE(broken.Matches(MapSource({})));
}

TEST(CWmipQueryTranslation, CapturesPropertyLiteralPairsOnlyWhileEnabled)
{
    TestMapper mapper;
    auto query = Query(L"SELECT * FROM Bnt_Test WHERE TYPE = 'b' AND ID = 5 AND NOT PIN = '12' OR LastName LIKE "
                       L"'S%' OR ID = 6 OR Flag = TRUE OR Gone IS NULL OR Nothing = NULL OR 2.5 < Amount",
                       mapper);
    ASSERT_NE(query, nullptr);
    query->SetRegisteredColumnResolver(
        CWmipQuery::MakeColumnResolver({L"EMP.LASTNAME", L"T.TYPE", L"T.Flag", L"T.Gone", L"T.Nothing", L"T.Amount"}));
    query->TranslateWhereClause();
    EXPECT_TRUE(query->GetWhereValues().empty());

    query->EnableWhereValueCapture();
    query->TranslateWhereClause();
    query->DisableWhereValueCapture();
    const std::map<CString, CString> expected = {{L"Amount", L"2.5"},  {L"Flag", L"TRUE"}, {L"ID", L"5"},
                                                 {L"LastName", L"S%"}, {L"PIN", L"12"},    {L"TYPE", L"b"}};
    EXPECT_EQ(query->GetWhereValues(), expected);
    std::vector<CString> order;
    for (const auto& [name, value] : query->GetWhereValues())
        order.push_back(name);
    EXPECT_EQ(order, (std::vector<CString>{L"Amount", L"Flag", L"ID", L"LastName", L"PIN", L"TYPE"}));

    query->SetWhereText(L"WHERE TYPE = 'zzz' AND Amount = 1");
    query->TranslateWhereClause();
    EXPECT_EQ(query->GetWhereValues(), expected);
}

TEST(CWmipQueryTranslation, SetQueryAttachesAndTranslatesThroughTheMapperBase)
{
    TestMapper mapper;
    auto query = Query(L"SELECT * FROM Bnt_Test WHERE ID = 9", mapper);
    ASSERT_NE(query, nullptr);
    query->SetMapper(nullptr);
    EXPECT_EQ(mapper.SetQuery(query.get()), S_OK);
    EXPECT_EQ(query->GetMapper(), &mapper);
    EXPECT_EQ(query->GetWhereClause(), L"BADGE.BADGEKEY = ?");
    EXPECT_EQ(query->GetWhereParameters(), std::vector<CDBValue>{CDBValue(9)});
    mapper.SetQuery(nullptr);
}

TEST(CWmipQueryCopy, CopiesAreDeepAndIndependent)
{
    TestMapper mapper;
    auto original = Query(L"SELECT ID, Name FROM Bnt_Test WHERE ID = 1 AND (TYPE = 2 OR NOT PIN = 'x')", mapper);
    ASSERT_NE(original, nullptr);
    original->EnableWhereValueCapture();
    original->TranslateWhereClause();

    CWmipQuery copy(*original);
    ASSERT_NE(copy.GetWhereExpression(), nullptr);
    EXPECT_NE(copy.GetWhereExpression(), original->GetWhereExpression());
    EXPECT_EQ(copy.GetWhereExpression()->ToString(), original->GetWhereExpression()->ToString());
    EXPECT_EQ(copy.GetClassName(), L"Bnt_Test");
    EXPECT_EQ(copy.GetSelectedProperties(), original->GetSelectedProperties());
    EXPECT_EQ(copy.GetMapper(), &mapper);
    EXPECT_EQ(copy.GetWhereClause(), original->GetWhereClause());
    EXPECT_EQ(copy.GetWhereValues(), original->GetWhereValues());

    // Destroying the original leaves the copy whole.
    const CString text = copy.GetWhereExpression()->ToString();
    original.reset();
    EXPECT_EQ(copy.GetWhereExpression()->ToString(), text);
    EXPECT_EQ(copy.TranslateWhereClause(), S_OK);

    CWmipQuery assigned;
    assigned = copy;
    const CWmipQuery& self = assigned;
    assigned = self;
    copy.SetWhereText(L"WHERE ID = 3");
    EXPECT_EQ(assigned.GetWhereExpression()->ToString(), text);
    EXPECT_EQ(copy.GetWhereExpression()->ToString(), L"ID = 3");

    auto association = CWmipQuery::CreateFromQuery(L"REFERENCES OF {Bnt_Person.ID=4}");
    ASSERT_NE(association, nullptr);
    CWmipQuery associationCopy(*association);
    association.reset();
    ASSERT_NE(associationCopy.GetObjectPath(), nullptr);
    EXPECT_EQ(associationCopy.GetObjectPath()->GetPath(), L"Bnt_Person.ID=\"4\"");
    EXPECT_EQ(associationCopy.GetKind(), CWmipQuery::kReferences);
}

TEST(CWmipQueryTranslation, APlainNameReachesTheSqlOnlyQualifiedByItsOneRegisteredTable)
{
    const CWmipQuery::ColumnResolver resolve =
        CWmipQuery::MakeColumnResolver({L"EMP.ID", L"UDFEMP.ID", L"EMP.LASTNAME"});
    const std::vector<std::pair<const wchar_t*, const wchar_t*>> cases = {
        {L"lastname", L"EMP.LASTNAME"},
        {L"emp.id", L"emp.id"},
        {L"id", L""},  // two tables hold it: a bare ID would be ambiguous
        {L"NAME", L""},
        {L"BADGE.ID", L""},
    };
    for (const auto& [column, resolved] : cases)
        EXPECT_EQ(resolve(column), resolved) << CStringToUtf8(column);
}
