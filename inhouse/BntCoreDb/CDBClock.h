// CDBClock: the current time as the value a date-time column holds ("YYYY-MM-DD HH:MM:SS"),
// in UTC for the _UTC columns and in local time for the others, or of a given time.
//
// Static functions; thread-safe.
#pragma once

#include "inhouse/BntCoreDb/CDBValue.h"
#include "platform/mfc/TimeStructs.h"

class CDBClock
{
public:
    CDBClock() = delete;

    static CDBValue UtcNow();
    static CDBValue LocalNow();
    // The time given, to the second. Throws CDBException (22007) for a year outside 1-9999.
    static CDBValue FromSystemTime(const SYSTEMTIME& time);
};
