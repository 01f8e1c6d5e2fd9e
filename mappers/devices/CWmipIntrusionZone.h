// CWmipIntrusionZone: the mapper of Bnt_IntrusionZone, the zones of an intrusion panel (device type 1, zone outputs
// included): Bypass and UnBypass; CWmipIntrusionDeviceMapper with this device's layout.
//
// Built per request by its factory; the caller owns it. One request on one thread: no lock.
#pragma once

#include "mappers/devices/CWmipDeviceMapperSkeleton.h"
#include "mappers/devices/CWmipIntrusionDeviceMapper.h"

class CWmipIntrusionZone : public CWmipDeviceMapperSkeleton<CWmipIntrusionZone, CWmipIntrusionDeviceMapper>
{
public:
    static constexpr const wchar_t* kWMIClassName = L"Bnt_IntrusionZone";
    static constexpr const wchar_t* kSource = L"WmipIntrusionZone";
    // The method table, in its fixed order.
    static const std::span<const MethodEntry> kMethods;

    CWmipIntrusionZone(const CAcsUser* user, IWbemContext* context, IWbemServices* services);
};
