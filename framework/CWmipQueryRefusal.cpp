#include "framework/CWmipQueryRefusal.h"

#include "framework/CWmipMessages.h"
#include "framework/WMIHelper.h"
#include "framework/wql/ProcessClauseResult.h"
#include "framework/wql/WqlEvaluator.h"
#include "framework/wql/WqlExpression.h"
#include "inhouse/BntCoreDb/CDBValue.h"
#include "platform/com/WbemConstants.h"
#include "platform/mfc/COleDateTime.h"

namespace {

bool IsNumberType(CIMTYPE type)
{
    return IsIntegerCimType(type) || type == CIM_REAL32 || type == CIM_REAL64;
}

// The value a literal in the WQL form ProcessClause is handed stands for, as a filter check
// reads it (WqlLiteral::ToValueText): a string's text, a number as written, TRUE or FALSE; a text
// of no such form as it is.
CString ValueText(const CString& literal)
{
    WqlLiteral parsed;
    CDBValue bound;
    return WqlLiteral::FromWqlText(literal, parsed, bound) ? parsed.ToValueText() : literal;
}

}  // namespace

CWmipQueryRefusal::CWmipQueryRefusal(const wchar_t* sourceFile, int line, const CString& text)
    : CWMIException(sourceFile, line, WBEM_E_INVALID_QUERY, text.GetString())
{
}

CWmipQueryRefusal::CWmipQueryRefusal(const wchar_t* sourceFile, int line, const CString& text, const CString& property,
                                     const CString& literal)
    : CWMIException(sourceFile, line, WBEM_E_INVALID_QUERY, text.GetString()), m_refusesLiteral(true),
      m_property(property), m_value(ValueText(literal))
{
}

bool CWmipQueryRefusal::GetRefusedLiteral(CString& property, CString& value) const
{
    if (!m_refusesLiteral)
        return false;
    property = m_property;
    value = m_value;
    return true;
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
    return CWmipQueryRefusal(sourceFile, line, text, property, literal);
}

CWmipQueryRefusal CWmipQueryRefusal::NotANumber(const wchar_t* sourceFile, int line, const CString& property,
                                                const CString& literal)
{
    CString text;
    text.Format(CWmipMessages::kNotANumber, literal.GetString(), property.GetString());
    return CWmipQueryRefusal(sourceFile, line, text, property, literal);
}

void CWmipQueryRefusal::CheckLiteral(const wchar_t* sourceFile, int line, const CString& property, CIMTYPE type,
                                     int wqlOperator, const CString& literal, Door door)
{
    // ISA asks the class of an embedded object or of what a reference names (or, on a system
    // property such as __CLASS, the instance's own); of any other value it would answer nothing
    // (and its negation everything) without a word.
    if (wqlOperator == WqlOpIsa && type != CIM_OBJECT && type != CIM_REFERENCE && type != CIM_EMPTY &&
        property.Left(2) != L"__")
    {
        CString text;
        text.Format(CWmipMessages::kNotAnObject, property.GetString());
        throw CWmipQueryRefusal(sourceFile, line, text);
    }
    const bool comparesValue = wqlOperator != WqlOpIsNull && wqlOperator != WqlOpIsNotNull && wqlOperator != WqlOpIsa &&
                               literal.CompareNoCase(L"NULL") != 0;
    if (!comparesValue)
        return;
    if (IsValueOfType(type, ValueText(literal), door))
        return;
    if (IsNumberType(type))
        throw NotANumber(sourceFile, line, property, literal);
    if (type == CIM_DATETIME)
        throw NotADate(sourceFile, line, property, literal, door);
    // A boolean, the one other type whose values IsValueOfType reads.
    CString text;
    text.Format(CWmipMessages::kNotABoolean, literal.GetString(), property.GetString());
    throw CWmipQueryRefusal(sourceFile, line, text, property, literal);
}

bool CWmipQueryRefusal::IsValueOfType(CIMTYPE type, const CString& value, Door door)
{
    if (IsNumberType(type))
    {
        CDBValue number;
        return WqlEvaluator::ReadNumberText(CStringToUtf8(value), number);
    }
    if (type == CIM_DATETIME)
        return WMIHelper::ToDateTimeUTC(value, door).GetStatus() == COleDateTime::valid;
    if (type == CIM_BOOLEAN)
        return WqlLiteral::FromString(value).ReadBoolean().has_value();
    return true;
}
