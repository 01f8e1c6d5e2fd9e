// The Win32 and ODBC time structures (SYSTEMTIME, FILETIME, TIMESTAMP_STRUCT) with their
// Windows layouts, and the Win32 calls that convert between them and read the clock.
//
// Plain structures and free functions; the functions keep no state and are safe from any
// thread. Local time follows the process's time zone (TZ) through the C library.
#pragma once

#include <cstdint>

#include "platform/win32/WinTypes.h"

using SQLSMALLINT = std::int16_t;
using SQLUSMALLINT = std::uint16_t;
using SQLUINTEGER = std::uint32_t;

// A broken-down time. wDayOfWeek is 0 for Sunday.
struct SYSTEMTIME
{
    WORD wYear;
    WORD wMonth;
    WORD wDayOfWeek;
    WORD wDay;
    WORD wHour;
    WORD wMinute;
    WORD wSecond;
    WORD wMilliseconds;
};
using LPSYSTEMTIME = SYSTEMTIME*;

// 100-nanosecond intervals since 1601-01-01 00:00:00, split in two 32-bit halves.
struct FILETIME
{
    DWORD dwLowDateTime;
    DWORD dwHighDateTime;
};
using LPFILETIME = FILETIME*;

// The ODBC timestamp; fraction is in nanoseconds.
struct TIMESTAMP_STRUCT
{
    SQLSMALLINT year;
    SQLUSMALLINT month;
    SQLUSMALLINT day;
    SQLUSMALLINT hour;
    SQLUSMALLINT minute;
    SQLUSMALLINT second;
    SQLUINTEGER fraction;
};

static_assert(sizeof(SYSTEMTIME) == 16);
static_assert(sizeof(FILETIME) == 8);
static_assert(sizeof(TIMESTAMP_STRUCT) == 16);

// Converts a SYSTEMTIME to a FILETIME. TRUE on success; FALSE (output untouched) for a null
// pointer or a field out of range: year 1601-30827, month 1-12, a day that exists in that
// month, hour < 24, minute < 60, second < 60, milliseconds < 1000. wDayOfWeek is ignored.
BOOL SystemTimeToFileTime(const SYSTEMTIME* systemTime, FILETIME* fileTime);

// Converts a FILETIME to a SYSTEMTIME (wDayOfWeek filled in). TRUE on success; FALSE (output
// untouched) for a null pointer or a value of 0x8000000000000000 and above.
BOOL FileTimeToSystemTime(const FILETIME* fileTime, SYSTEMTIME* systemTime);

// The current time as UTC parts. A null pointer is ignored.
void GetSystemTime(SYSTEMTIME* systemTime);

// The current time as local wall-clock parts. A null pointer is ignored.
void GetLocalTime(SYSTEMTIME* systemTime);

// The current time as a FILETIME (UTC). A null pointer is ignored.
void GetSystemTimeAsFileTime(FILETIME* fileTime);
