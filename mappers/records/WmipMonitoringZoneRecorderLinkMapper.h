// WmipMonitoringZoneRecorderLinkMapper: the mapper of Bnt_MonitoringZoneRecorderLink, the links of
// the monitoring zones to video recorder panels (panel type 36), with every rule of the device
// links.
//
// Built per request by its factory; the caller owns it. One request on one thread: no lock.
#pragma once

#include "mappers/records/WmipMonitoringZoneDeviceLinkMapper.h"

class WmipMonitoringZoneRecorderLinkMapper
    : public CWmipMapperSkeleton<WmipMonitoringZoneRecorderLinkMapper, WmipMonitoringZoneDeviceLinkMapper>
{
public:
    static constexpr const wchar_t* kWMIClassName = L"Bnt_MonitoringZoneRecorderLink";

    // The mapper on the database of user (the pooled connection, which must outlive the mapper).
    WmipMonitoringZoneRecorderLinkMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services);

    // Only links whose panel is a video recorder.
    void FilterInstanceRecordset(CMultiFilterRecordset* recordset) override;
};
