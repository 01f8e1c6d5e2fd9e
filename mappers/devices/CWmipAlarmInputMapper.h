// CWmipAlarmInputMapper: the mapper of Bnt_AlarmInput, the inputs (ALARMINPUT) of the alarm
// panels joined to their access panel. Mask and Unmask send the alarm input command block for
// the instance's input, after the alarm panel check (no command to a missing or elevator alarm
// panel); GetHardwareStatus answers the input's cached state. Viewing needs 0x10000000; the
// class cannot be written.
//
// Built per request by its factory; the caller owns it. One request on one thread: no lock.
#pragma once

#include "mappers/devices/CWmipDeviceMapperSkeleton.h"
#include "mappers/devices/MapperMethodEntry.h"

class CWmipAlarmInputMapper : public CWmipDeviceMapperSkeleton<CWmipAlarmInputMapper>
{
public:
    static constexpr const wchar_t* kWMIClassName = L"Bnt_AlarmInput";
    static constexpr const wchar_t* kSource = L"WmipAlarmInputMapper";
    // The method table, in its fixed order.
    static const std::span<const MapperMethodEntry<CWmipAlarmInputMapper>> kMethods;

    CWmipAlarmInputMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services);

    // An "InputID" outside 1..32 answers 0x80041008 and nothing is sent.
    HRESULT Mask(DeviceMethodCall& call);
    HRESULT Unmask(DeviceMethodCall& call);
    HRESULT GetHardwareStatus(DeviceMethodCall& call);

private:
    // Sends the block with the command given.
    HRESULT SendMask(IWbemClassObject* instance, USHORT command);
};
