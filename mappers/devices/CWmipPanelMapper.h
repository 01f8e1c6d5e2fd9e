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

#include "mappers/devices/CWmipDeviceMapperSkeleton.h"
#include "mappers/devices/MapperMethodEntry.h"

class CWmipPanelMapper : public CWmipDeviceMapperSkeleton<CWmipPanelMapper>
{
public:
    static constexpr const wchar_t* kWMIClassName = L"Bnt_Panel";
    static constexpr const wchar_t* kSource = L"wpPanelMapper";
    // The method table, in its fixed order.
    static const std::span<const MapperMethodEntry<CWmipPanelMapper>> kMethods;
    // The panel type whose status is asked of the driver server rather than the cache.
    static constexpr wchar_t kRecorderPanelType[] = L"BNVR";

    CWmipPanelMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services);

    // Reads the panel's own name under the alias "ACCESSPANELNAME", apart from the panel
    // type's name.
    void FilterInstanceRecordset(CMultiFilterRecordset* recordset) override;
    // The aliased column fills "Name"; every other column as the base names it. Filters and
    // orderings on "Name" keep the registered ACCESSPANE.NAME, which the database knows.
    CString GetPropertyName(const CString& column, const CString& table) override;

    HRESULT DownloadFirmware(DeviceMethodCall& call);
    HRESULT DownloadDatabase(DeviceMethodCall& call);
    HRESULT ResetUseLimit(DeviceMethodCall& call);
    HRESULT UpdateHardwareStatus(DeviceMethodCall& call);
    HRESULT Connect(DeviceMethodCall& call);
    HRESULT Disconnect(DeviceMethodCall& call);
    HRESULT SetClock(DeviceMethodCall& call);
    HRESULT GetHardwareStatus(DeviceMethodCall& call);

private:
    // A panel command on the panel's host.
    HRESULT RunPanelCommand(IWbemClassObject* instance, const CWmipDeviceMethod::Command& command);
    // Connect and Disconnect: the code of the first dial-up number that is set, in the order
    // given (first number, then second); nothing sent when neither is.
    HRESULT RunConnection(IWbemClassObject* instance, const wchar_t* firstProperty, LONG firstCode,
                          const wchar_t* secondProperty, LONG secondCode);

    // The user the mapper was built for; its database serves the status update's lookups.
    const CAcsUser* const m_user;
};
