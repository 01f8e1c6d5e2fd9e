// CWmipIntrusionArea: the mapper of Bnt_IntrusionArea, the areas (ACCOUNT_AREA) of an
// intrusion panel joined to the panel (ACCESSPANE). Its WMI methods disarm, arm (with one of
// the fixed modes or a caller's "ArmState") and silence an area on the panel's communication
// server, and answer the area's last known state from the hardware status cache. Viewing needs
// 0x100000F2; areas are never written through this class.
//
// Built per request by its factory; the caller owns it. One request on one thread: no lock.
#pragma once

#include "framework/CWmipDynamicClassMapper.h"
#include "mappers/devices/CWmipDeviceMethod.h"
#include "mappers/devices/MapperMethodEntry.h"

class CWmipIntrusionArea : public CWmipDynamicClassMapper
{
public:
    // The method table, in its fixed order.
    static const MapperMethodEntry<CWmipIntrusionArea> kMethods[];
    static const std::size_t kMethodCount;

    // The arm modes of the fixed arm methods; 0 disarms.
    static constexpr USHORT kDisarmMode = 0;
    static constexpr USHORT kMasterDelayMode = 3;
    static constexpr USHORT kMasterInstantMode = 4;
    static constexpr USHORT kPerimeterDelayMode = 5;
    static constexpr USHORT kPerimeterInstantMode = 6;

    CWmipIntrusionArea(const CAcsUser* user, IWbemContext* context, IWbemServices* services);
    ~CWmipIntrusionArea() override;

    // The WMI class the mapper serves: "Bnt_IntrusionArea".
    static const wchar_t* GetWMIClassName();
    // The MapperFactory of the class: a new mapper that the caller owns; never null.
    static CWmipClassMapper* CreateMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services);

    // Dispatches by name over kMethods (CWmipDeviceMethod::Dispatch).
    HRESULT ExecuteMethod(CWmipObjectPath* path, const wchar_t* methodName, LONG flags, IWbemContext* context,
                          IWbemClassObject* inParams, IWbemObjectSink* sink) override;

    HRESULT Disarm(IWbemClassObject* instance, IWbemClassObject* inParams, IWbemObjectSink* sink);
    HRESULT MasterDelayArm(IWbemClassObject* instance, IWbemClassObject* inParams, IWbemObjectSink* sink);
    HRESULT MasterInstantArm(IWbemClassObject* instance, IWbemClassObject* inParams, IWbemObjectSink* sink);
    HRESULT PerimeterDelayArm(IWbemClassObject* instance, IWbemClassObject* inParams, IWbemObjectSink* sink);
    HRESULT PerimeterInstantArm(IWbemClassObject* instance, IWbemClassObject* inParams, IWbemObjectSink* sink);
    // "ArmState" must lie in 1..65535: anything else (missing included) answers 0x80041008
    // before the caller is checked, and nothing is sent.
    HRESULT Arm(IWbemClassObject* instance, IWbemClassObject* inParams, IWbemObjectSink* sink);
    HRESULT SilenceAlarms(IWbemClassObject* instance, IWbemClassObject* inParams, IWbemObjectSink* sink);
    HRESULT GetHardwareStatus(IWbemClassObject* instance, IWbemClassObject* inParams, IWbemObjectSink* sink);

private:
    // Sets the area's arm state (0 disarms) with the permission and audit given.
    HRESULT SetArmState(IWbemClassObject* instance, USHORT mode, DWORD permission, const DeviceAudit& audit);
};
