// CWmipMonitoringZoneMapper: the read-only mapper of Bnt_MonitoringZone, the monitoring zones
// (MONZONE). Viewing needs permission 0x10000014; adding, modifying and deleting are not
// supported.
//
// Built per request by its factory; the caller owns it. One request on one thread: no lock.
#pragma once

#include "framework/CWmipMapperSkeleton.h"

class CWmipMonitoringZoneMapper : public CWmipMapperSkeleton<CWmipMonitoringZoneMapper>
{
public:
    static constexpr const wchar_t* kWMIClassName = L"Bnt_MonitoringZone";

    // The mapper on the database of user (the pooled connection, which must outlive the mapper).
    CWmipMonitoringZoneMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services);
};
