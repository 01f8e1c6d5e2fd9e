// CWmipIntrusionDoor: the mapper of Bnt_IntrusionDoor, the doors of an intrusion panel (device type 4): Open and
// SetMode; CWmipIntrusionDeviceMapper with this device's layout.
//
// Built per request by its factory; the caller owns it. One request on one thread: no lock.
#pragma once

#include "mappers/devices/CWmipDeviceMapperSkeleton.h"
#include "mappers/devices/CWmipIntrusionDeviceMapper.h"

class CWmipIntrusionDoor : public CWmipDeviceMapperSkeleton<CWmipIntrusionDoor, CWmipIntrusionDeviceMapper>
{
public:
    static constexpr const wchar_t* kWMIClassName = L"Bnt_IntrusionDoor";
    static constexpr const wchar_t* kSource = L"WmipIntrusionDoor";
    // The method table, in its fixed order.
    static const std::span<const MethodEntry> kMethods;

    CWmipIntrusionDoor(const CAcsUser* user, IWbemContext* context, IWbemServices* services);
};
