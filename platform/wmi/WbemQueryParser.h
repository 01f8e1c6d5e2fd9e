// WbemQueryParser: reads what the WMI service needs of a WQL query to route it and to trim what
// comes back: the class a SELECT query reads ("SELECT ... FROM Class [WITHIN n] [WHERE ...]"),
// where its name stands in the text, and the properties its select list names; or the class
// of the object path an ASSOCIATORS OF / REFERENCES OF query starts from. Like the WMI service,
// it refuses a SELECT whose WITHIN or WHERE clause is not WQL before any provider sees it:
//   WHERE cond {AND|OR cond};  cond := {NOT | (} cmp {)}
//   cmp := prop op literal | literal op prop | prop IS [NOT] NULL | prop ISA 'class'
//        | prop [NOT] LIKE 'pattern';  op := = | <> | != | < | <= | > | >=
//   literal := 'text' | "text" | number | TRUE | FALSE | NULL;  prop may be dotted (A.B)
// Whether the classes and properties exist, and the limits on nesting and on the number of
// comparisons, are left to whoever answers the query, as is the WHERE of an association.
//
// The text comes from outside: malformed or over-long text is refused, never read past its
// end. Stateless; safe on any thread.
#pragma once

#include "platform/wmi/WbemLimits.h"

#include "platform/win32/WinTypes.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

class WbemQueryParser
{
public:
    // What Parse reads of a SELECT query, or of an ASSOCIATORS OF / REFERENCES OF query.
    struct Selection
    {
        // The class after FROM, or the class of the association's object path.
        std::wstring className;
        // Where the class name stands in the query text (SELECT), or where the object path
        // starts (association).
        std::size_t classOffset = 0;
        // The properties of the select list in order; empty for "*" (every property).
        std::vector<std::wstring> properties;
        bool hasWhere = false;
        // True for ASSOCIATORS OF and REFERENCES OF: the query goes whole to the provider of
        // className, which alone can answer it.
        bool association = false;
    };

    WbemQueryParser() = delete;

    // True when the language names WQL (without regard to case).
    static bool IsWql(std::wstring_view language);

    // WBEM_S_NO_ERROR with *selection filled: the class after FROM of a SELECT query, or the
    // class of the object path of ASSOCIATORS OF {path} / REFERENCES OF {path}.
    // WBEM_E_INVALID_QUERY for any other text (no SELECT, no FROM, no class, a select list
    // that is not "*" or property names separated by commas, an unterminated string, text
    // after the class other than WITHIN n or WHERE, a WHERE clause outside the grammar above,
    // an association whose path is not a path, longer than kMaxQueryLength), with *error (when
    // given) saying what was expected and at which offset ("FROM or , expected at offset 9"), the
    // first fault found; WBEM_E_INVALID_PARAMETER for a null
    // selection. *selection is unchanged on failure.
    static HRESULT Parse(std::wstring_view query, Selection* selection, std::wstring* error = nullptr);

    static constexpr std::size_t kMaxQueryLength = WbemLimits::kMaxQueryLength;
};
