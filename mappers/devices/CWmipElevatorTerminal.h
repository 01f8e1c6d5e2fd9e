// CWmipElevatorTerminal: the mapper of Bnt_ElevatorTerminal, the keypad terminals
// (ELEVATOR_KEYPAD_TERMINAL) of the elevator dispatching panels joined to their panel. Its
// methods set a terminal's mode, give it the floors of an allowed floor list, and answer its
// last known state from the hardware status cache; the panel addresses a terminal by its
// "IPAddress" number, not its "ID". Viewing needs 0x10000131; terminals are never written
// through this class.
//
// Built per request by its factory; the caller owns it. One request on one thread: no lock.
#pragma once

#include "mappers/devices/CWmipDeviceMapperSkeleton.h"
#include "mappers/devices/MapperMethodEntry.h"

class CWmipElevatorTerminal : public CWmipDeviceMapperSkeleton<CWmipElevatorTerminal>
{
public:
    static constexpr const wchar_t* kWMIClassName = L"Bnt_ElevatorTerminal";
    static constexpr const wchar_t* kSource = L"WmipElevatorTerminal";
    // The method table, in its fixed order.
    static const std::span<const MapperMethodEntry<CWmipElevatorTerminal>> kMethods;

    CWmipElevatorTerminal(const CAcsUser* user, IWbemContext* context, IWbemServices* services);

    // "Mode" (missing: 0) passes through unchanged; modes 1 to 4 have their own audit texts,
    // any other is audited with an empty text.
    HRESULT SetTerminalMode(DeviceMethodCall& call);
    // "AllowedFloorListID" (missing: 0); a list whose floors do not fit the block answers
    // 0x80041001 and nothing is sent.
    HRESULT SetAllowedFloors(DeviceMethodCall& call);
    HRESULT GetHardwareStatus(DeviceMethodCall& call);
};
