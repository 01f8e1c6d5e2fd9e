// WbemQueryParser: reads what the WMI service needs of a WQL query to route it: the class a
// SELECT query reads ("SELECT ... FROM Class [WITHIN n] [WHERE ...]"). The query itself is
// checked in full by whoever answers it.
//
// The text comes from outside: malformed or over-long text is refused, never read past its
// end. Stateless; safe on any thread.
#pragma once

#include "platform/wmi/WbemLimits.h"

#include "platform/win32/WinTypes.h"

#include <cstddef>
#include <string>
#include <string_view>

class WbemQueryParser
{
public:
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

    static constexpr std::size_t kMaxQueryLength = WbemLimits::kMaxQueryLength;
};
