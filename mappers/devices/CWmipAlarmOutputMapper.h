// CWmipAlarmOutputMapper: the mapper of Bnt_AlarmOutput, the relay outputs (RELAYOUTPT) of the
// alarm panels joined to their access panel. Activate, Deactivate and Pulse (with the output's
// stored pulse time) drive the output after the alarm panel check; GetHardwareStatus answers
// the output's cached state. Viewing needs 0x10000000; the class cannot be written.
//
// Built per request by its factory; the caller owns it. One request on one thread: no lock.
#pragma once

#include <functional>

#include "mappers/devices/CWmipDeviceMapperSkeleton.h"
#include "mappers/devices/MapperMethodEntry.h"

class CWmipAlarmOutputMapper : public CWmipDeviceMapperSkeleton<CWmipAlarmOutputMapper>
{
public:
    static constexpr const wchar_t* kWMIClassName = L"Bnt_AlarmOutput";
    static constexpr const wchar_t* kSource = L"WmipAlarmOutputMapper";
    // The method table, in its fixed order.
    static const std::span<const MapperMethodEntry<CWmipAlarmOutputMapper>> kMethods;

    CWmipAlarmOutputMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services);

    HRESULT Activate(DeviceMethodCall& call);
    HRESULT Deactivate(DeviceMethodCall& call);
    HRESULT Pulse(DeviceMethodCall& call);
    HRESULT GetHardwareStatus(DeviceMethodCall& call);

private:
    // The step of a command: the proxy call with the output's panel, alarm panel and output ids.
    using OutputCall = std::function<BOOL(LAAPProxy& proxy, LONG panelId, LONG alarmPanelId, LONG outputId)>;

    // Runs one output command after the alarm panel check.
    HRESULT Send(IWbemClassObject* instance, const OutputCall& call);
};
