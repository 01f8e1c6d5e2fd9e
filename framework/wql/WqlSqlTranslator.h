// The SQL walk over a WHERE tree: turns it into SQL condition text with '?' placeholders and
// the ordered list of values to bind, asking a clause processor (CWmipQuery's bridge to the
// mapper's ProcessClause) what each comparison becomes.
//
// A comparison the processor drops, and every ISA comparison, becomes a constant chosen by its
// polarity: "1=1" under an even number of NOTs and "1=0" under an odd number, so the SQL
// selects a superset of the matching rows whatever the negations around the term (AND, OR and
// NOT are monotone in that sense). The result then says Superset, and the rows must be checked
// against the full expression with WqlEvaluator.
//
// A comparison (=, <>, <, <=, >, >=) of a property with a string literal compares without
// regard to case, as WQL does: when the value bound for it is a text, the placeholder is
// followed by " COLLATE NOCASE" (ASCII letters folded; WqlEvaluator folds the same way).
// Number, date-time, boolean and NULL literals, and a string the processor turned into bytes
// or a number, compare exactly; LIKE folds ASCII letters by itself.
//
// A comparison the processor gives a span (= or <> with an upper value) becomes
// "column BETWEEN ? AND ?" (or NOT BETWEEN), compared exactly.
//
// Column texts reach the SQL only when they are identifiers (COLUMN or TABLE.COLUMN); values
// only as bound parameters. One translator per translation; not thread-safe.
#pragma once

#include <functional>
#include <optional>
#include <vector>

#include "framework/wql/WqlExpression.h"
#include "inhouse/BntCoreDb/CDBValue.h"
#include "platform/mfc/CString.h"

// What one comparison becomes.
struct WqlClauseDecision
{
    bool Drop = false;
    // Not dropped: the column (an identifier, COLUMN or TABLE.COLUMN), the operator and, for
    // operators other than IS [NOT] NULL, the value to bind.
    CString Column;
    WqlOperator Operator = WqlOpEqual;
    CDBValue Value;
    // For = and <> only: the last value of a span the column's value is compared with, Value its
    // first (BETWEEN Value AND Upper, or NOT BETWEEN), for a value a column holds as several texts.
    std::optional<CDBValue> Upper;
};

struct WqlSqlCondition
{
    // The condition, without a leading WHERE keyword.
    CString Text;
    // One value per '?' in Text, in order.
    std::vector<CDBValue> Values;
    // True when a term was dropped, so the rows are a superset of the matches.
    bool Superset = false;
};

class WqlSqlTranslator
{
public:
    // Decides one comparison. False (with a reason) refuses the whole query.
    using ClauseProcessor =
        std::function<bool(const WqlExpression& comparison, WqlClauseDecision& decision, CString& error)>;

    explicit WqlSqlTranslator(ClauseProcessor processor);

    // True with the condition on success; false with a reason when the processor refuses a
    // comparison or hands back a column that is not an identifier or an operator that does
    // not exist. The processor is called once per comparison, in text order.
    bool Translate(const WqlExpression& expression, WqlSqlCondition& condition, CString& error);

    // True for COLUMN or TABLE.COLUMN made of [A-Za-z_][A-Za-z0-9_]* parts.
    static bool IsColumnIdentifier(const CString& column);

private:
    bool Walk(const WqlExpression& node, bool negated, CString& text);
    void AppendConstant(bool negated, CString& text);

    // Set at construction.
    ClauseProcessor m_processor;

    WqlSqlCondition m_condition;
    CString m_error;
};
