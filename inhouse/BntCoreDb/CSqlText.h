// The checks that keep request text out of SQL: identifier validation and quoting, and the
// guard on the raw SQL texts that the system composes itself (filters, statements).
//
// Static functions only; no state, safe from any thread. Every refusal is a CDBException with
// state "42000" so that callers see one kind of error for every malformed SQL piece.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/mfc/CString.h"

class CSqlText
{
public:
    // Longest identifier accepted (one part of a table.column name).
    static constexpr std::size_t kMaxIdentifierLength = 128;
    // Longest raw SQL text accepted from the system's own texts, in characters.
    static constexpr std::size_t kMaxRawTextLength = 1u << 20;

    CSqlText() = delete;

    // True when the text is a plain identifier ([A-Za-z_][A-Za-z0-9_]*, at most
    // kMaxIdentifierLength characters) or, with allowQualified, two of them joined by one dot.
    static bool IsValidIdentifier(std::wstring_view name, bool allowQualified);

    // The identifier quoted for SQL ("TABLE"."COLUMN"), ready to paste into generated text.
    // Throws CDBException (42000) naming `what` when the identifier is not valid.
    static std::string QuoteIdentifier(const CString& name, bool allowQualified, const wchar_t* what);

    // Checks a table reference: "TABLE" or "TABLE ALIAS" (one blank between). Sets table and
    // alias (alias empty when none) and returns the name that columns and conditions use (the
    // alias when given). Throws CDBException (42000) when either part is not an identifier.
    static CString ParseTableReference(const CString& fromText, CString& table, CString& alias);

    // Checks a raw SQL text that the system composed itself and returns it as UTF-8. Values
    // never travel inside such a text: it may not hold quote characters other than "..." around
    // a valid identifier, no comment, no ';', no named or numbered parameters, no NUL, and its
    // '?' placeholders must number exactly parameterCount. Throws CDBException (42000) otherwise.
    static std::string CheckRawText(const CString& text, std::size_t parameterCount);
    // The same checks on a narrow text (a composed text already in UTF-8), returned as it is.
    static std::string CheckRawText(std::string_view text, std::size_t parameterCount);

    // The SQL operator of a comparison number (0 =, 1 <>, 2 <, 3 <=, 4 >, 5 >=, 6 LIKE).
    // Throws CDBException (42000) for any other number.
    static const char* ComparisonText(int comparison);

    // The quoted table reference for a FROM clause ("TABLE" or "TABLE" AS "ALIAS") from a
    // "TABLE" or "TABLE ALIAS" text; sets name to the name columns use. Throws as above.
    static std::string QuoteTableReference(const CString& fromText, CString& name);
};
