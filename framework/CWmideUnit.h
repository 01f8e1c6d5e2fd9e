// CWmideUnit: one staged column value of a write: the column's name, the kind of value the
// property gave (integer, 64-bit integer, real, boolean, text, date-time, bytes or null) and the
// value as the database binds it.
//
// A plain value object owned by its field set; copyable; no shared state.
#pragma once

#include "inhouse/BntCoreDb/CDBValue.h"
#include "platform/mfc/COleDateTime.h"
#include "platform/mfc/CString.h"
#include "platform/win32/WinTypes.h"

#include <utility>
#include <vector>

class CWmideUnit
{
public:
    enum class Type
    {
        Null,
        Int,
        Int64,
        Double,
        Bool,
        Text,
        DateTime,
        Bytes
    };

    static CWmideUnit Null(const CString& column);
    static CWmideUnit Int(const CString& column, LONG value);
    static CWmideUnit Int64(const CString& column, LONGLONG value);
    static CWmideUnit Double(const CString& column, double value);
    static CWmideUnit Bool(const CString& column, bool value);
    static CWmideUnit Text(const CString& column, const CString& value);
    // The wall-clock fields as the database keeps them ("YYYY-MM-DD HH:MM:SS"). A null value
    // gives a null unit. Throws CDBException (22007) for an invalid value or one outside the
    // years 1-9999.
    static CWmideUnit DateTime(const CString& column, const COleDateTime& value);
    static CWmideUnit Bytes(const CString& column, std::vector<BYTE> value);

    const CString& GetColumnName() const { return m_column; }
    Type GetType() const { return m_type; }
    // The value bound for the column.
    const CDBValue& GetValue() const { return m_value; }
    // Hands the value over (a long one is not copied); the unit holds NULL afterwards.
    CDBValue TakeValue() { return std::exchange(m_value, CDBValue()); }

private:
    CWmideUnit(const CString& column, Type type, CDBValue value);

    CString m_column;
    Type m_type;
    CDBValue m_value;
};
