// Fuzz target for WQL: any byte sequence must parse or be refused without a crash, as a whole
// query and as a WHERE text. A parsed WHERE tree must print to text that reads back to the
// same tree, survive a deep copy of its query, translate to SQL whose '?' markers match the
// bound values and in which no literal text appears, and evaluate in memory.
#include <cstddef>
#include <cstdint>
#include <string>

#include "framework/CWmipQuery.h"
#include "framework/wql/WqlEvaluator.h"
#include "framework/wql/WqlParser.h"
#include "framework/wql/WqlSqlTranslator.h"
#include "tests/fuzz/FuzzRequire.h"

using fuzz::Require;

namespace {

// Gives every property a value chosen by its name, some missing, some NULL.
class NameDrivenSource : public WqlPropertySource
{
public:
    bool GetValue(const CString& property, CDBValue& value) const override
    {
        switch (property.GetLength() % 5)
        {
        case 0:
            return false;
        case 1:
            value = CDBValue();
            return true;
        case 2:
            value = CDBValue(static_cast<LONGLONG>(property.GetLength()));
            return true;
        case 3:
            value = CDBValue(property.GetLength() * 0.5);
            return true;
        default:
            value = CDBValue(property);
            return true;
        }
    }
};

void CheckTree(const WqlExpression& tree)
{
    const CString printed = tree.ToString();
    CString error;
    auto reread = WqlParser::ParseWhereText((L"WHERE " + printed).GetWString(), error);
    // Printing may add parentheses, so a tree at the nesting limit may not read back.
    Require(reread == nullptr || reread->ToString() == printed);
    Require(tree.Clone()->ToString() == printed);

    int comparisons = 0;
    WqlSqlTranslator translator([&](const WqlExpression& comparison, WqlClauseDecision& decision, CString&) {
        ++comparisons;
        if (comparisons % 3 == 0 || !WqlSqlTranslator::IsColumnIdentifier(comparison.GetProperty()))
        {
            decision.Drop = true;
            return true;
        }
        decision.Column = comparison.GetProperty();
        decision.Operator = comparison.GetOperator();
        decision.Value = comparison.GetLiteral().ToDatabaseValue();
        return true;
    });
    WqlSqlCondition condition;
    Require(translator.Translate(tree, condition, error));
    std::size_t markers = 0;
    for (wchar_t c : condition.Text.GetWString())
    {
        markers += c == L'?' ? 1 : 0;
        Require(c != L'\'' && c != L'"' && c != L';');
    }
    Require(markers == condition.Values.size());

    WqlEvaluator::Evaluate(tree, NameDrivenSource());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const CString text = Utf8ToCString(std::string(reinterpret_cast<const char*>(data), size));

    auto query = CWmipQuery::CreateFromQuery(text.GetString());
    if (query)
    {
        Require(query->GetKind() >= CWmipQuery::kSelect && query->GetKind() <= CWmipQuery::kReferences);
        if (const WqlExpression* where = query->GetWhereExpression())
        {
            CheckTree(*where);
            const CWmipQuery copy(*query);
            Require(copy.GetWhereExpression() != where);
            Require(copy.GetWhereExpression()->ToString() == where->ToString());
        }
    }

    CWmipQuery byHand;
    byHand.SetWhereText(text);
    if (const WqlExpression* where = byHand.GetWhereExpression())
        CheckTree(*where);
    return 0;
}
