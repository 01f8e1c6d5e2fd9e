// A TIMESTAMP_STRUCT from its fields, for the date and time tests (no fraction).
#pragma once

#include "platform/mfc/TimeStructs.h"

inline TIMESTAMP_STRUCT Ts(int year, int month, int day, int hour = 0, int minute = 0, int second = 0)
{
    TIMESTAMP_STRUCT ts{};
    ts.year = static_cast<SQLSMALLINT>(year);
    ts.month = static_cast<SQLUSMALLINT>(month);
    ts.day = static_cast<SQLUSMALLINT>(day);
    ts.hour = static_cast<SQLUSMALLINT>(hour);
    ts.minute = static_cast<SQLUSMALLINT>(minute);
    ts.second = static_cast<SQLUSMALLINT>(second);
    return ts;
}
