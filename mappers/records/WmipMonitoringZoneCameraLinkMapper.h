// WmipMonitoringZoneCameraLinkMapper: the read-only mapper of Bnt_MonitoringZoneCameraLink, the
// cameras a monitoring zone covers: through a device link naming the camera, or through a link of
// its whole panel. Viewing needs permission 0x10000014.
//
// Built per request by its factory; the caller owns it. One request on one thread: no lock.
#pragma once

#include "framework/CWmipMapperSkeleton.h"

class WmipMonitoringZoneCameraLinkMapper : public CWmipMapperSkeleton<WmipMonitoringZoneCameraLinkMapper>
{
public:
    static constexpr const wchar_t* kWMIClassName = L"Bnt_MonitoringZoneCameraLink";

    // The mapper on the database of user (the pooled connection, which must outlive the mapper).
    WmipMonitoringZoneCameraLinkMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services);

    // Adds the camera and whole-panel columns the condition compares.
    void SetupInstanceRecordset(CDynamicRecordset* recordset) override;
    // Pairs each link with the cameras it covers.
    void FilterInstanceRecordset(CMultiFilterRecordset* recordset) override;
};
