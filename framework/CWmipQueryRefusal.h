// CWmipQueryRefusal: the refusal of a query (a WHERE clause, a bus filter or an order) for
// what a value in it is: a property whose value the system never serves (a password hash),
// or a literal its property's type cannot hold (no number, date-time or boolean). 0x80041017
// (WBEM_E_INVALID_QUERY) with a text naming the property or literal. A type of its own, so
// that a front end answering other query refusals with a code of its own (the bus's invalid
// filter) passes a withheld value's on unchanged and tells a refused literal by
// GetRefusedLiteral.
//
// A plain value: copyable; thrown by value and caught by reference.
#pragma once

#include "framework/Door.h"
#include "inhouse/BntUtility/CWMIException.h"
#include "platform/com/CimTypes.h"
#include "platform/mfc/CString.h"

class CWmipQueryRefusal : public brontel::utility::CWMIException
{
public:
    // Where a withheld property stood in the request.
    enum class Use
    {
        Where,
        Order,
    };

    // A property whose value is never served, named in a WHERE clause or filter, or an order
    // (CWmipMessages::kWithheldValue).
    static CWmipQueryRefusal Withheld(const wchar_t* sourceFile, int line, const CString& property, Use use);
    // The literal (as written, quotes included) compared with the date-time property, which
    // is no date-time in the form the caller's door reads (CWmipMessages::kNotADate): ISO 8601
    // on the bus, DMTF otherwise.
    static CWmipQueryRefusal NotADate(const wchar_t* sourceFile, int line, const CString& property,
                                      const CString& literal, Door door);

    // The literal (as written) compared with the number property, which is no number
    // (CWmipMessages::kNotANumber). Every door refuses it here: the bus answers it as a filter
    // it refuses (GetRefusedLiteral).
    static CWmipQueryRefusal NotANumber(const wchar_t* sourceFile, int line, const CString& property,
                                        const CString& literal);

    // The one check of a literal a WHERE clause, filter or watch compares with a property of
    // the CIM type (without the array flag) by the WQL operator, quoted or not alike: a literal
    // whose value (IsValueOfType) is no number compared with a number (NotANumber), no date-time compared with
    // a date-time (NotADate in the door's form), no TRUE or FALSE (1 or 0) compared with a
    // boolean, or ISA on a property of a known type that holds neither an embedded object nor a
    // reference, is thrown, as it would match nothing. `literal` is the WQL text ProcessClause is
    // handed (quoted strings, numbers as written, NULL). Returns when the literal fits, and for
    // IS [NOT] NULL, ISA on an object or a reference and a NULL literal. The query road runs it on
    // every comparison before any mapper handles one (CWmipMapper::SetQuery).
    static void CheckLiteral(const wchar_t* sourceFile, int line, const CString& property, CIMTYPE type,
                             int wqlOperator, const CString& literal, Door door);
    // Whether a literal's value (its text as a filter check compares it, WqlLiteral::ToValueText:
    // a string's text, a number as written, TRUE or FALSE) reads as a value of the CIM type
    // (without the array flag), by the one reading CheckLiteral gives every road: a number the
    // database reads (WqlEvaluator::ReadNumberText: blanks around it, a sign, a fraction, an
    // exponent) for a number type, a date-time in the door's form for a date-time, TRUE or FALSE
    // (1 or 0, in any case, blanks around it) for a boolean; any value for any other type. The
    // bus's filter check reads a filter's values through it.
    static bool IsValueOfType(CIMTYPE type, const CString& value, Door door);

    // True with the property and the literal's value (its text as a filter check compares it)
    // when this refuses a literal the property's type cannot hold (CheckLiteral's NotANumber,
    // NotADate or no boolean); false (both untouched) for any other refusal. The bus answers such
    // a refusal as a filter it refuses, naming both in its log.
    bool GetRefusedLiteral(CString& property, CString& value) const;

private:
    CWmipQueryRefusal(const wchar_t* sourceFile, int line, const CString& text);
    // A refusal of the literal (as written) compared with the property.
    CWmipQueryRefusal(const wchar_t* sourceFile, int line, const CString& text, const CString& property,
                      const CString& literal);

    bool m_refusesLiteral = false;
    CString m_property;
    CString m_value;
};
