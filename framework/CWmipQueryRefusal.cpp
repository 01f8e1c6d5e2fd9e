#include "framework/CWmipQueryRefusal.h"

#include "framework/CWmipMessages.h"
#include "framework/WMIHelper.h"
#include "framework/wql/ProcessClauseResult.h"
#include "framework/wql/WqlEvaluator.h"
#include "inhouse/BntCoreDb/CDBValue.h"
#include "platform/com/WbemConstants.h"
#include "platform/mfc/COleDateTime.h"

#include <exception>
#include <string>

namespace {

bool IsNumberType(CIMTYPE type)
{
    return IsIntegerCimType(type) || type == CIM_REAL32 || type == CIM_REAL64;
}

// A literal in single or double quotes (already trimmed).
bool IsQuoted(const CString& literal)
{
    return literal.GetLength() >= 2 && (literal[0] == L'\'' || literal[0] == L'"') &&
           literal[literal.GetLength() - 1] == literal[0];
}

// A literal a number compares with: a number as written (decimal with sign, fraction and
// exponent, or 0x hexadecimal), or a quoted text the database reads as a number, the one reading
// the watches share (WqlEvaluator::ReadNumberText), so a text it takes compares as a number on
// every road.
bool IsNumberLiteral(CString literal)
{
    literal.Trim();
    if (IsQuoted(literal))
    {
        CDBValue number;
        return WqlEvaluator::ReadNumberText(CStringToUtf8(literal.Mid(1, literal.GetLength() - 2)), number);
    }
    if (literal.IsEmpty())
        return false;
    const std::wstring text(literal.GetString());
    std::size_t used = 0;
    try
    {
        if (text.size() > 2 && text[0] == L'0' && (text[1] == L'x' || text[1] == L'X'))
            std::stoull(text, &used, 16);
        else
            std::stod(text, &used);
    }
    catch (const std::exception&)
    {
        return false;
    }
    return used == text.size();
}

}  // namespace

CWmipQueryRefusal::CWmipQueryRefusal(const wchar_t* sourceFile, int line, const CString& text)
    : CWMIException(sourceFile, line, WBEM_E_INVALID_QUERY, text.GetString())
{
}

CWmipQueryRefusal CWmipQueryRefusal::Withheld(const wchar_t* sourceFile, int line, const CString& property, Use use)
{
    CString text;
    text.Format(CWmipMessages::kWithheldValue, property.GetString(),
                use == Use::Where ? L"a WHERE clause or filter" : L"an order");
    return CWmipQueryRefusal(sourceFile, line, text);
}

CWmipQueryRefusal CWmipQueryRefusal::NotADate(const wchar_t* sourceFile, int line, const CString& property,
                                              const CString& literal, Door door)
{
    CString text;
    text.Format(CWmipMessages::kNotADate, literal.GetString(), property.GetString(),
                door == Door::kBus ? CWmipMessages::kIsoDateForm : CWmipMessages::kDmtfDateForm);
    return CWmipQueryRefusal(sourceFile, line, text);
}

CWmipQueryRefusal CWmipQueryRefusal::NotANumber(const wchar_t* sourceFile, int line, const CString& property,
                                                const CString& literal)
{
    CString text;
    text.Format(CWmipMessages::kNotANumber, literal.GetString(), property.GetString());
    return CWmipQueryRefusal(sourceFile, line, text);
}

void CWmipQueryRefusal::CheckLiteral(const wchar_t* sourceFile, int line, const CString& property, CIMTYPE type,
                                     int wqlOperator, const CString& literal, Door door)
{
    // ISA asks an embedded object's class (or, on a system property such as __CLASS, the
    // instance's own); of any other value it would answer nothing (and its negation everything)
    // without a word.
    if (wqlOperator == WqlOpIsa && type != CIM_OBJECT && type != CIM_EMPTY && property.Left(2) != L"__")
    {
        CString text;
        text.Format(CWmipMessages::kNotAnObject, property.GetString());
        throw CWmipQueryRefusal(sourceFile, line, text);
    }
    const bool comparesValue = wqlOperator != WqlOpIsNull && wqlOperator != WqlOpIsNotNull && wqlOperator != WqlOpIsa &&
                               literal.CompareNoCase(L"NULL") != 0;
    if (!comparesValue)
        return;
    if (IsNumberType(type) && door != Door::kBus && !IsNumberLiteral(literal))
        throw NotANumber(sourceFile, line, property, literal);
    if (type == CIM_DATETIME && WMIHelper::ReadDateLiteral(literal, door).GetStatus() != COleDateTime::valid)
        throw NotADate(sourceFile, line, property, literal, door);
    if (type == CIM_BOOLEAN && !WMIHelper::ReadBooleanLiteral(literal))
    {
        CString text;
        text.Format(CWmipMessages::kNotABoolean, literal.GetString(), property.GetString());
        throw CWmipQueryRefusal(sourceFile, line, text);
    }
}
