// CWmipIntrusionDeviceMapper: the shared mapper of the intrusion panel's devices other than
// its areas (INTRUSION_DEVICE joined to ACCESSPANE, narrowed to one device type): doors,
// off-board and on-board relays, zones and zone outputs. Each derived class gives its layout
// (the device type it serves, its output call and its view permission) and its method table
// of these steps. Every command names the device by "PanelID" and "DeviceID" on the panel's
// host; GetHardwareStatus answers the cache entry that the panel's status update stores for
// the device's category (IntrusionStatusKey). The classes cannot be written.
//
// Built per request by the derived class's factory; one request on one thread: no lock.
#pragma once

#include <span>

#include "framework/CWmipDynamicClassMapper.h"
#include "hardware/LAAPProxy.h"
#include "common/AccessCodes.h"
#include "mappers/devices/CWmipDeviceMethod.h"
#include "mappers/devices/IntrusionStatusKey.h"
#include "mappers/devices/MapperMethodEntry.h"

class CWmipIntrusionDeviceMapper : public CWmipDynamicClassMapper
{
public:
    using MethodEntry = MapperMethodEntry<CWmipIntrusionDeviceMapper>;
    // The call that switches an output device: (panel, device, command).
    using OutputCall = BOOL (LAAPProxy::*)(LONG panelId, LONG deviceId, LONG command);

    // What tells the five devices apart.
    struct Layout
    {
        // Names the derived mapper in errors.
        const wchar_t* source;
        // The device type (INTRUSION_DEVICE.DEVTYPE), also the status cache's device key.
        IntrusionCategory category;
        // Zone outputs: only zones with ZONE_OUTPUT = 1.
        bool zoneOutputsOnly;
        DWORD viewPermission;
        // Activate, Deactivate and Toggle of the output devices; null for doors and zones.
        OutputCall output;
    };

    // Output commands of relays and zone outputs.
    static constexpr LONG kDeactivate = 0;
    static constexpr LONG kActivate = 1;
    static constexpr LONG kToggle = 2;

    ~CWmipIntrusionDeviceMapper() override;

    // The rows the derived tables share; the output commands and the status are audited under
    // the object kind given.
    static constexpr MethodEntry ActivateRow(LONG object)
    {
        return {L"Activate",
                &CWmipIntrusionDeviceMapper::Activate,
                Permission::kControlOutputs,
                {AuditOperation::kActivate, object, 10228}};
    }
    static constexpr MethodEntry DeactivateRow(LONG object)
    {
        return {L"Deactivate",
                &CWmipIntrusionDeviceMapper::Deactivate,
                Permission::kControlOutputs,
                {AuditOperation::kDeactivate, object, 10229}};
    }
    static constexpr MethodEntry ToggleRow(LONG object)
    {
        return {L"Toggle",
                &CWmipIntrusionDeviceMapper::Toggle,
                Permission::kControlOutputs,
                {AuditOperation::kModify, object, 10230}};
    }
    static constexpr MethodEntry StatusRow(const DeviceAudit& audit)
    {
        return {L"GetHardwareStatus", &CWmipIntrusionDeviceMapper::GetHardwareStatus, Permission::kControlDevices,
                audit};
    }

    // Narrows the rows to the layout's device type (and to zone outputs).
    void FilterInstanceRecordset(CMultiFilterRecordset* recordset) override;

    HRESULT Open(DeviceMethodCall& call);
    // "Mode" must lie in 0..65535 (missing: 0); anything else answers 0x80041008 and nothing
    // is sent.
    HRESULT SetMode(DeviceMethodCall& call);
    HRESULT Activate(DeviceMethodCall& call);
    HRESULT Deactivate(DeviceMethodCall& call);
    HRESULT Toggle(DeviceMethodCall& call);
    HRESULT Bypass(DeviceMethodCall& call);
    HRESULT UnBypass(DeviceMethodCall& call);
    HRESULT GetHardwareStatus(DeviceMethodCall& call);

protected:
    CWmipIntrusionDeviceMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services,
                               const wchar_t* className, const Layout& layout);

private:
    // The step of a command: the proxy call with the instance's panel and device ids.
    using DeviceCall = std::function<BOOL(LAAPProxy& proxy, LONG panelId, LONG deviceId)>;

    // Runs one device command.
    HRESULT Send(IWbemClassObject* instance, const DeviceCall& call);
    // Activate, Deactivate and Toggle through the layout's output call.
    HRESULT SwitchOutput(IWbemClassObject* instance, LONG command);

    const Layout m_layout;
};
