// WbemQueryParser: reads what the WMI service needs of a WQL query to route it and to trim what
// comes back: the class a SELECT query reads ("SELECT ... FROM Class [WITHIN n] [WHERE ...]"),
// where its name stands in the text, and the properties its select list names. The query
// itself is checked in full by whoever answers it.
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
    // What Parse reads of a SELECT query.
    struct Selection
    {
        std::wstring className;
        // Where the class name stands in the query text.
        std::size_t classOffset = 0;
        // The properties of the select list in order; empty for "*" (every property).
        std::vector<std::wstring> properties;
        bool hasWhere = false;
    };

    WbemQueryParser() = delete;

    // True when the language names WQL (without regard to case).
    static bool IsWql(std::wstring_view language);

    // WBEM_S_NO_ERROR with *className set to the class after FROM; WBEM_E_NOT_SUPPORTED for
    // ASSOCIATORS OF and REFERENCES OF queries, which this service does not resolve;
    // WBEM_E_INVALID_QUERY for any other text (no SELECT, no FROM, no class, an unterminated
    // string, text after the class other than WITHIN or WHERE, longer than kMaxQueryLength);
    // WBEM_E_INVALID_PARAMETER for a null className. *className is unchanged on failure. When
    // hasWhere is given, it tells on success whether the query carries a WHERE clause.
    static HRESULT SelectedClass(std::wstring_view query, std::wstring* className, bool* hasWhere = nullptr);
    // The same reading with the select list: WBEM_S_NO_ERROR with *selection filled, or the
    // failures of SelectedClass (also for a select list that is not "*" or property names
    // separated by commas). *selection is unchanged on failure.
    static HRESULT Parse(std::wstring_view query, Selection* selection);

    static constexpr std::size_t kMaxQueryLength = WbemLimits::kMaxQueryLength;
};
