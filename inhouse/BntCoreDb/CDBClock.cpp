#include "inhouse/BntCoreDb/CDBClock.h"

CDBValue CDBClock::FromSystemTime(const SYSTEMTIME& time)
{
    TIMESTAMP_STRUCT timestamp{};
    timestamp.year = static_cast<SQLSMALLINT>(time.wYear);
    timestamp.month = time.wMonth;
    timestamp.day = time.wDay;
    timestamp.hour = time.wHour;
    timestamp.minute = time.wMinute;
    timestamp.second = time.wSecond;
    return CDBValue::FromTimestamp(timestamp);
}

CDBValue CDBClock::UtcNow()
{
    SYSTEMTIME now{};
    GetSystemTime(&now);
    return FromSystemTime(now);
}

CDBValue CDBClock::LocalNow()
{
    SYSTEMTIME now{};
    GetLocalTime(&now);
    return FromSystemTime(now);
}
