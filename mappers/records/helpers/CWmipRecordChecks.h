// CWmipRecordChecks: the checks the record mappers share when they read a write's instance, on
// top of the framework's property refusals (a required number that is missing, a refusal naming
// a property), which they name through this class as well.
//
// Static functions only; thread-safe.
#pragma once

#include <initializer_list>

#include "framework/CWmipMessages.h"
#include "framework/CWmipPropertyRefusal.h"
#include "platform/win32/WinTypes.h"

class CAcsUser;
class CBntDatabase;
class IWbemClassObject;

class CWmipRecordChecks : public CWmipPropertyRefusal
{
public:
    CWmipRecordChecks() = delete;

    // S_OK when the user holds every permission id; 0x80041003 otherwise.
    static HRESULT HoldsAll(const CAcsUser& user, std::initializer_list<DWORD> permissions);
    // One column of a row looked up by HasRow, and the value it must hold.
    struct ColumnValue
    {
        const wchar_t* column;
        LONGLONG value;
    };
    // True when table holds a row with every column at its value (read on the given connection,
    // so inside a write it sees the write's own rows).
    static bool HasRow(CBntDatabase& database, const wchar_t* table, std::initializer_list<ColumnValue> columns);
    // A reference the instance gives must name a row of table.column: an unknown one throws
    // CWMIException 0x80041008 (CWmipMessages::kInvalidProperty naming the property); a property without
    // value is left to the write's "not_null" rule.
    static void RequireGivenRow(const wchar_t* sourceFile, CBntDatabase& database, IWbemClassObject* instance,
                                const wchar_t* property, const wchar_t* table, const wchar_t* column);
};
