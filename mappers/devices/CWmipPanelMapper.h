// CWmipPanelMapper: the mapper of Bnt_Panel, the access panels (ACCESSPANE) with their panel
// type (PANELTYPE) and world time zone (WORLDTZ) joined in. Its WMI methods send panel
// commands to the hardware driver server of the panel's host ("Workstation"): download
// firmware or the database, reset use limits, dial-up connect and disconnect, set the clock;
// GetHardwareStatus answers the panel's status and UpdateHardwareStatus refreshes the hardware
// status cache for the whole panel (CWmipPanelStatusUpdate). Viewing needs 0x10000000;
// panels are never written through this class.
//
// Built per request by its factory; the caller owns it. One request on one thread: no lock.
#pragma once

#include "framework/CWmipDynamicClassMapper.h"
#include "mappers/devices/CWmipDeviceMethod.h"
#include "mappers/devices/MapperMethodEntry.h"

class CWmipPanelMapper : public CWmipDynamicClassMapper
{
public:
    // The method table, in its fixed order.
    static const MapperMethodEntry<CWmipPanelMapper> kMethods[];
    static const std::size_t kMethodCount;
    // The panel type whose status is asked of the driver server rather than the cache.
    static constexpr wchar_t kRecorderPanelType[] = L"BNVR";

    CWmipPanelMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services);
    ~CWmipPanelMapper() override;

    // The WMI class the mapper serves: "Bnt_Panel".
    static const wchar_t* GetWMIClassName();
    // The MapperFactory of the class: a new mapper that the caller owns; never null.
    static CWmipClassMapper* CreateMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services);

    // Dispatches by name over kMethods (CWmipDeviceMethod::Dispatch).
    HRESULT ExecuteMethod(CWmipObjectPath* path, const wchar_t* methodName, LONG flags, IWbemContext* context,
                          IWbemClassObject* inParams, IWbemObjectSink* sink) override;
    // Reads the panel's own name under the alias "ACCESSPANELNAME", apart from the panel
    // type's name.
    void FilterInstanceRecordset(CMultiFilterRecordset* recordset) override;
    // The aliased column fills "Name"; every other column as the base names it. Filters and
    // orderings on "Name" keep the registered ACCESSPANE.NAME, which the database knows.
    CString GetPropertyName(const CString& column, const CString& table) override;

    HRESULT DownloadFirmware(IWbemClassObject* instance, IWbemClassObject* inParams, IWbemObjectSink* sink);
    HRESULT DownloadDatabase(IWbemClassObject* instance, IWbemClassObject* inParams, IWbemObjectSink* sink);
    HRESULT ResetUseLimit(IWbemClassObject* instance, IWbemClassObject* inParams, IWbemObjectSink* sink);
    HRESULT UpdateHardwareStatus(IWbemClassObject* instance, IWbemClassObject* inParams, IWbemObjectSink* sink);
    HRESULT Connect(IWbemClassObject* instance, IWbemClassObject* inParams, IWbemObjectSink* sink);
    HRESULT Disconnect(IWbemClassObject* instance, IWbemClassObject* inParams, IWbemObjectSink* sink);
    HRESULT SetClock(IWbemClassObject* instance, IWbemClassObject* inParams, IWbemObjectSink* sink);
    HRESULT GetHardwareStatus(IWbemClassObject* instance, IWbemClassObject* inParams, IWbemObjectSink* sink);

private:
    // A panel command on the panel's host with the table's permission and audit.
    HRESULT RunPanelCommand(IWbemClassObject* instance, DWORD permission, const DeviceAudit& audit,
                            const CWmipDeviceMethod::Command& command);
    // Connect and Disconnect: the code of the first dial-up number that is set, in the order
    // given (first number, then second); nothing sent when neither is.
    HRESULT RunConnection(IWbemClassObject* instance, const wchar_t* firstProperty, LONG firstCode,
                          const wchar_t* secondProperty, LONG secondCode);

    // The user the mapper was built for; its database serves the status update's lookups.
    const CAcsUser* const m_user;
};
