// CWmipElevatorTerminal: the mapper of Bnt_ElevatorTerminal, the keypad terminals
// (ELEVATOR_KEYPAD_TERMINAL) of the elevator dispatching panels joined to their panel. Its
// methods set a terminal's mode, give it the floors of an allowed floor list, and answer its
// last known state from the hardware status cache; the panel addresses a terminal by its
// "IPAddress" number, not its "ID". Viewing needs 0x10000131; terminals are never written
// through this class.
//
// Built per request by its factory; the caller owns it. One request on one thread: no lock.
#pragma once

#include "framework/CWmipDynamicClassMapper.h"
#include "mappers/devices/CWmipDeviceMethod.h"
#include "mappers/devices/MapperMethodEntry.h"

class CWmipElevatorTerminal : public CWmipDynamicClassMapper
{
public:
    // The method table, in its fixed order.
    static const MapperMethodEntry<CWmipElevatorTerminal> kMethods[];
    static const std::size_t kMethodCount;

    CWmipElevatorTerminal(const CAcsUser* user, IWbemContext* context, IWbemServices* services);
    ~CWmipElevatorTerminal() override;

    // The WMI class the mapper serves: "Bnt_ElevatorTerminal".
    static const wchar_t* GetWMIClassName();
    // The MapperFactory of the class: a new mapper that the caller owns; never null.
    static CWmipClassMapper* CreateMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services);

    // Dispatches by name over kMethods (CWmipDeviceMethod::Dispatch).
    HRESULT ExecuteMethod(CWmipObjectPath* path, const wchar_t* methodName, LONG flags, IWbemContext* context,
                          IWbemClassObject* inParams, IWbemObjectSink* sink) override;

    // "Mode" (missing: 0) passes through unchanged; modes 1 to 4 have their own audit texts,
    // any other is audited with an empty text.
    HRESULT SetTerminalMode(IWbemClassObject* instance, IWbemClassObject* inParams, IWbemObjectSink* sink);
    // "AllowedFloorListID" (missing: 0); a list whose floors do not fit the block answers
    // 0x80041001 and nothing is sent.
    HRESULT SetAllowedFloors(IWbemClassObject* instance, IWbemClassObject* inParams, IWbemObjectSink* sink);
    HRESULT GetHardwareStatus(IWbemClassObject* instance, IWbemClassObject* inParams, IWbemObjectSink* sink);
};
