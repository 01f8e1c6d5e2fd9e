#include "framework/CWmideUnit.h"

#include "inhouse/BntCoreDb/CDBException.h"

#include <utility>

CWmideUnit::CWmideUnit(const CString& column, Type type, CDBValue value)
    : m_column(column), m_type(type), m_value(std::move(value))
{
}

CWmideUnit CWmideUnit::Null(const CString& column)
{
    return CWmideUnit(column, Type::Null, CDBValue());
}

CWmideUnit CWmideUnit::Int(const CString& column, LONG value)
{
    return CWmideUnit(column, Type::Int, CDBValue(value));
}

CWmideUnit CWmideUnit::Int64(const CString& column, LONGLONG value)
{
    return CWmideUnit(column, Type::Int64, CDBValue(value));
}

CWmideUnit CWmideUnit::Double(const CString& column, double value)
{
    return CWmideUnit(column, Type::Double, CDBValue(value));
}

CWmideUnit CWmideUnit::Bool(const CString& column, bool value)
{
    return CWmideUnit(column, Type::Bool, CDBValue(value ? 1 : 0));
}

CWmideUnit CWmideUnit::Text(const CString& column, const CString& value)
{
    return CWmideUnit(column, Type::Text, CDBValue(value));
}

CWmideUnit CWmideUnit::DateTime(const CString& column, const COleDateTime& value)
{
    if (value.GetStatus() == COleDateTime::null)
        return Null(column);
    if (value.GetStatus() != COleDateTime::valid)
        throw CDBException(-1, L"22007", 0, L"The date-time value is not valid.");
    TIMESTAMP_STRUCT timestamp{};
    timestamp.year = static_cast<SQLSMALLINT>(value.GetYear());
    timestamp.month = static_cast<SQLUSMALLINT>(value.GetMonth());
    timestamp.day = static_cast<SQLUSMALLINT>(value.GetDay());
    timestamp.hour = static_cast<SQLUSMALLINT>(value.GetHour());
    timestamp.minute = static_cast<SQLUSMALLINT>(value.GetMinute());
    timestamp.second = static_cast<SQLUSMALLINT>(value.GetSecond());
    return CWmideUnit(column, Type::DateTime, CDBValue::FromTimestamp(timestamp));
}

CWmideUnit CWmideUnit::Bytes(const CString& column, std::vector<BYTE> value)
{
    return CWmideUnit(column, Type::Bytes, CDBValue::FromBytes(std::move(value)));
}
