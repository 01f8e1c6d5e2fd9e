// CWmipMapper: the conversion between the installation's local time and UTC.
#include "framework/CWmipMapper.h"

#include "common/DateTimeZoneInfo.h"
#include "common/KvrTime.h"

COleDateTime CWmipMapper::LocalToUtc(const COleDateTime& local)
{
    if (local.GetStatus() != COleDateTime::valid)
        return local;
    LONGLONG seconds = 0;
    SecondsFromOleDateTime(local, seconds);
    return OleDateTimeFromSeconds(DefaultTimeZoneInfo.LocalToUtcSeconds(seconds));
}

COleDateTime CWmipMapper::UtcToLocal(const COleDateTime& utc)
{
    if (utc.GetStatus() != COleDateTime::valid)
        return utc;
    LONGLONG seconds = 0;
    SecondsFromOleDateTime(utc, seconds);
    return OleDateTimeFromSeconds(DefaultTimeZoneInfo.UtcToLocalSeconds(seconds));
}
