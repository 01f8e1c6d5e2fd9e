// CWmipIntrusionZoneOutput: the mapper of Bnt_IntrusionZoneOutput, the zone outputs of an intrusion panel (zones with
// ZONE_OUTPUT 1): Activate and Deactivate; CWmipIntrusionDeviceMapper with this device's layout.
//
// Built per request by its factory; the caller owns it. One request on one thread: no lock.
#pragma once

#include "mappers/devices/CWmipDeviceMapperSkeleton.h"
#include "mappers/devices/CWmipIntrusionDeviceMapper.h"

class CWmipIntrusionZoneOutput : public CWmipDeviceMapperSkeleton<CWmipIntrusionZoneOutput, CWmipIntrusionDeviceMapper>
{
public:
    static constexpr const wchar_t* kWMIClassName = L"Bnt_IntrusionZoneOutput";
    static constexpr const wchar_t* kSource = L"WmipIntrusionZoneOutput";
    // The method table, in its fixed order.
    static const std::span<const MethodEntry> kMethods;

    CWmipIntrusionZoneOutput(const CAcsUser* user, IWbemContext* context, IWbemServices* services);
};
