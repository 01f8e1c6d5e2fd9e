// CWmipAlarmOutputMapper: the mapper of Bnt_AlarmOutput, the relay outputs (RELAYOUTPT) of the
// alarm panels joined to their access panel. Activate, Deactivate and Pulse (with the output's
// stored pulse time) drive the output after the alarm panel check; GetHardwareStatus answers
// the output's cached state. Viewing needs 0x10000000; the class cannot be written.
//
// Built per request by its factory; the caller owns it. One request on one thread: no lock.
#pragma once

#include <functional>

#include "framework/CWmipDynamicClassMapper.h"
#include "mappers/devices/CWmipDeviceMethod.h"
#include "mappers/devices/MapperMethodEntry.h"

class CWmipAlarmOutputMapper : public CWmipDynamicClassMapper
{
public:
    // The method table, in its fixed order.
    static const MapperMethodEntry<CWmipAlarmOutputMapper> kMethods[];
    static const std::size_t kMethodCount;

    CWmipAlarmOutputMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services);
    ~CWmipAlarmOutputMapper() override;

    // The WMI class the mapper serves: "Bnt_AlarmOutput".
    static const wchar_t* GetWMIClassName();
    // The MapperFactory of the class: a new mapper that the caller owns; never null.
    static CWmipClassMapper* CreateMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services);

    // Dispatches by name over kMethods (CWmipDeviceMethod::Dispatch).
    HRESULT ExecuteMethod(CWmipObjectPath* path, const wchar_t* methodName, LONG flags, IWbemContext* context,
                          IWbemClassObject* inParams, IWbemObjectSink* sink) override;

    HRESULT Activate(IWbemClassObject* instance, IWbemClassObject* inParams, IWbemObjectSink* sink);
    HRESULT Deactivate(IWbemClassObject* instance, IWbemClassObject* inParams, IWbemObjectSink* sink);
    HRESULT Pulse(IWbemClassObject* instance, IWbemClassObject* inParams, IWbemObjectSink* sink);
    HRESULT GetHardwareStatus(IWbemClassObject* instance, IWbemClassObject* inParams, IWbemObjectSink* sink);

private:
    // The step of a command: the proxy call with the output's panel, alarm panel and output ids.
    using OutputCall = std::function<BOOL(LAAPProxy& proxy, LONG panelId, LONG alarmPanelId, LONG outputId)>;

    // Runs one output command after the alarm panel check.
    HRESULT Send(IWbemClassObject* instance, const DeviceAudit& audit, const OutputCall& call);
};
