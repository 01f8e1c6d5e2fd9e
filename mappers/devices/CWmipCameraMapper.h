// CWmipCameraMapper: the mapper of Bnt_Camera, the cameras (CCTVDEVICE) of the panels joined to
// their panel. Its one method asks the driver server of the panel's host ("Workstation") for
// the camera's status: "Status" is 1 when the server reports the camera online and 0 otherwise,
// an unreachable server included. Viewing and the method need 0x1000006D; cameras are never
// written through this class.
//
// Built per request by its factory; the caller owns it. One request on one thread: no lock.
#pragma once

#include "mappers/devices/CWmipDeviceMapperSkeleton.h"
#include "mappers/devices/MapperMethodEntry.h"

class CWmipCameraMapper : public CWmipDeviceMapperSkeleton<CWmipCameraMapper>
{
public:
    static constexpr const wchar_t* kWMIClassName = L"Bnt_Camera";
    static constexpr const wchar_t* kSource = L"WmipCameraMapper";
    // The method table, in its fixed order.
    static const std::span<const MapperMethodEntry<CWmipCameraMapper>> kMethods;

    CWmipCameraMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services);

    HRESULT GetHardwareStatus(DeviceMethodCall& call);
};
