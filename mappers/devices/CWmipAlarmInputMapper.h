// CWmipAlarmInputMapper: the mapper of Bnt_AlarmInput, the inputs (ALARMINPUT) of the alarm
// panels joined to their access panel. Mask and Unmask send the alarm input command block for
// the instance's input, after the alarm panel check (no command to a missing or elevator alarm
// panel); GetHardwareStatus answers the input's cached state. Viewing needs 0x10000000; the
// class cannot be written.
//
// Built per request by its factory; the caller owns it. One request on one thread: no lock.
#pragma once

#include "framework/CWmipDynamicClassMapper.h"
#include "mappers/devices/CWmipDeviceMethod.h"
#include "mappers/devices/MapperMethodEntry.h"

class CWmipAlarmInputMapper : public CWmipDynamicClassMapper
{
public:
    // The method table, in its fixed order.
    static const MapperMethodEntry<CWmipAlarmInputMapper> kMethods[];
    static const std::size_t kMethodCount;

    CWmipAlarmInputMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services);
    ~CWmipAlarmInputMapper() override;

    // The WMI class the mapper serves: "Bnt_AlarmInput".
    static const wchar_t* GetWMIClassName();
    // The MapperFactory of the class: a new mapper that the caller owns; never null.
    static CWmipClassMapper* CreateMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services);

    // Dispatches by name over kMethods (CWmipDeviceMethod::Dispatch).
    HRESULT ExecuteMethod(CWmipObjectPath* path, const wchar_t* methodName, LONG flags, IWbemContext* context,
                          IWbemClassObject* inParams, IWbemObjectSink* sink) override;

    // An "InputID" outside 1..32 answers 0x80041008 and nothing is sent.
    HRESULT Mask(IWbemClassObject* instance, IWbemClassObject* inParams, IWbemObjectSink* sink);
    HRESULT Unmask(IWbemClassObject* instance, IWbemClassObject* inParams, IWbemObjectSink* sink);
    HRESULT GetHardwareStatus(IWbemClassObject* instance, IWbemClassObject* inParams, IWbemObjectSink* sink);

private:
    // Sends the block with the command, the permission and the audit given.
    HRESULT SendMask(IWbemClassObject* instance, USHORT command, DWORD permission, const DeviceAudit& audit);
};
