// CWmipIntrusionOnBoardRelay: the mapper of Bnt_OnBoardRelay, the on-board relays of an intrusion panel (device type
// 2): Activate and Deactivate; CWmipIntrusionDeviceMapper with this device's layout.
//
// Built per request by its factory; the caller owns it. One request on one thread: no lock.
#pragma once

#include "mappers/devices/CWmipDeviceMapperSkeleton.h"
#include "mappers/devices/CWmipIntrusionDeviceMapper.h"

class CWmipIntrusionOnBoardRelay
    : public CWmipDeviceMapperSkeleton<CWmipIntrusionOnBoardRelay, CWmipIntrusionDeviceMapper>
{
public:
    static constexpr const wchar_t* kWMIClassName = L"Bnt_OnBoardRelay";
    static constexpr const wchar_t* kSource = L"WmipIntrusionOnBoardRelay";
    // The method table, in its fixed order.
    static const std::span<const MethodEntry> kMethods;

    CWmipIntrusionOnBoardRelay(const CAcsUser* user, IWbemContext* context, IWbemServices* services);
};
