// CWmipIntrusionArea: the mapper of Bnt_IntrusionArea, the areas (ACCOUNT_AREA) of an
// intrusion panel joined to the panel (ACCESSPANE). Its WMI methods disarm, arm (with one of
// the fixed modes or a caller's "ArmState") and silence an area on the panel's communication
// server, and answer the area's last known state from the hardware status cache. Viewing needs
// 0x100000F2; areas are never written through this class.
//
// Built per request by its factory; the caller owns it. One request on one thread: no lock.
#pragma once

#include "mappers/devices/CWmipDeviceMapperSkeleton.h"
#include "mappers/devices/MapperMethodEntry.h"

class CWmipIntrusionArea : public CWmipDeviceMapperSkeleton<CWmipIntrusionArea>
{
public:
    static constexpr const wchar_t* kWMIClassName = L"Bnt_IntrusionArea";
    static constexpr const wchar_t* kSource = L"WmipIntrusionArea";
    // The method table, in its fixed order.
    static const std::span<const MapperMethodEntry<CWmipIntrusionArea>> kMethods;

    // The arm modes of the fixed arm methods; 0 disarms.
    static constexpr USHORT kDisarmMode = 0;
    static constexpr USHORT kMasterDelayMode = 3;
    static constexpr USHORT kMasterInstantMode = 4;
    static constexpr USHORT kPerimeterDelayMode = 5;
    static constexpr USHORT kPerimeterInstantMode = 6;

    CWmipIntrusionArea(const CAcsUser* user, IWbemContext* context, IWbemServices* services);

    HRESULT Disarm(DeviceMethodCall& call);
    HRESULT MasterDelayArm(DeviceMethodCall& call);
    HRESULT MasterInstantArm(DeviceMethodCall& call);
    HRESULT PerimeterDelayArm(DeviceMethodCall& call);
    HRESULT PerimeterInstantArm(DeviceMethodCall& call);
    // "ArmState" must lie in 1..65535: anything else (missing included) answers 0x80041008
    // before the caller is checked (CheckArmState, the row's check), and nothing is sent.
    HRESULT Arm(DeviceMethodCall& call);
    HRESULT CheckArmState(DeviceMethodCall& call);
    HRESULT SilenceAlarms(DeviceMethodCall& call);
    HRESULT GetHardwareStatus(DeviceMethodCall& call);

private:
    // Sets the area's arm state (0 disarms).
    HRESULT SetArmState(IWbemClassObject* instance, USHORT mode);
};
