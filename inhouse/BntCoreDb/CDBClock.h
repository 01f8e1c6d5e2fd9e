// CDBClock: the current time as the value a date-time column holds ("YYYY-MM-DD HH:MM:SS"),
// in UTC for the _UTC columns and in local time for the others.
//
// Static functions; thread-safe.
#pragma once

#include "inhouse/BntCoreDb/CDBValue.h"

class CDBClock {
public:
    CDBClock() = delete;

    static CDBValue UtcNow();
    static CDBValue LocalNow();
};
