// CWmipAlarmPanelMapper: the mapper of Bnt_AlarmPanel, the alarm panels (ALARMPANEL) of the
// access panels. Its one method answers the alarm panel's last known status from the hardware
// status cache. It also holds the check that guards every alarm input and output command:
// commands to an alarm panel that does not exist or that serves an elevator are refused.
// Viewing needs 0x10000000; alarm panels are never written through this class.
//
// Built per request by its factory; the caller owns it. One request on one thread: no lock.
#pragma once

#include "mappers/devices/CWmipDeviceMapperSkeleton.h"
#include "mappers/devices/MapperMethodEntry.h"

class CBntDatabase;

class CWmipAlarmPanelMapper : public CWmipDeviceMapperSkeleton<CWmipAlarmPanelMapper>
{
public:
    static constexpr const wchar_t* kWMIClassName = L"Bnt_AlarmPanel";
    static constexpr const wchar_t* kSource = L"wpAlarmPanelMapper";
    // The method table, in its fixed order.
    static const std::span<const MapperMethodEntry<CWmipAlarmPanelMapper>> kMethods;

    CWmipAlarmPanelMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services);

    // True when the alarm panel exists on the panel and is not an elevator alarm panel; false
    // otherwise (and for a null database). Database failures pass out as CDBException.
    static bool IsHardwareCommandSupported(CBntDatabase* database, LONG panelId, LONG alarmPanelId);

    // The keys of an alarm input or output instance: "PanelID", "AlarmPanelID" and the point's
    // own id.
    struct PointKeys
    {
        LONG panelId;
        LONG alarmPanelId;
        LONG pointId;
    };
    // The keys, the point's id read from pointProperty ("InputID", "OutputID").
    static PointKeys ReadPointKeys(IWbemClassObject* instance, const wchar_t* pointProperty);
    // ReadPointKeys for a command: throws CWMIException 0x8004100C with CWmipMessages::kHardwareTypeNotSupported
    // (raised as source) when IsHardwareCommandSupported refuses the alarm panel.
    static PointKeys CommandPointKeys(CBntDatabase* database, const wchar_t* source, IWbemClassObject* instance,
                                      const wchar_t* pointProperty);

    HRESULT GetHardwareStatus(DeviceMethodCall& call);
};
