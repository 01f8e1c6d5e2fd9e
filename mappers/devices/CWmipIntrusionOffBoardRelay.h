// CWmipIntrusionOffBoardRelay: the mapper of Bnt_OffBoardRelay, the off-board relays of an intrusion panel (device type
// 3): Activate, Deactivate and Toggle; CWmipIntrusionDeviceMapper with this device's layout.
//
// Built per request by its factory; the caller owns it. One request on one thread: no lock.
#pragma once

#include "mappers/devices/CWmipDeviceMapperSkeleton.h"
#include "mappers/devices/CWmipIntrusionDeviceMapper.h"

class CWmipIntrusionOffBoardRelay
    : public CWmipDeviceMapperSkeleton<CWmipIntrusionOffBoardRelay, CWmipIntrusionDeviceMapper>
{
public:
    static constexpr const wchar_t* kWMIClassName = L"Bnt_OffBoardRelay";
    static constexpr const wchar_t* kSource = L"WmipIntrusionOffBoardRelay";
    // The method table, in its fixed order.
    static const std::span<const MethodEntry> kMethods;

    CWmipIntrusionOffBoardRelay(const CAcsUser* user, IWbemContext* context, IWbemServices* services);
};
