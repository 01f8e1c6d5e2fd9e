// CWmipReaderMapper: the mapper of Bnt_Reader, the card readers (READER) joined to their panel
// (ACCESSPANE). Its WMI methods open the reader's door and change its reader mode through the
// driver server's command maps, switch biometric verification and first-card unlock, download
// reader firmware, and answer the reader's mode and hardware status from the hardware status
// cache (a reader that shares its door with a partner reader adds the partner's door bits).
// Viewing needs 0x10000003; readers are modified only under the bus front end (0x10000005)
// and never added or deleted; a modify is audited as object 25 (reader).
//
// Built per request by its factory; the caller owns it. One request on one thread: no lock.
#pragma once

#include "mappers/devices/CWmipDeviceMapperSkeleton.h"
#include "mappers/devices/MapperMethodEntry.h"

class CWmipReaderMapper : public CWmipDeviceMapperSkeleton<CWmipReaderMapper>
{
public:
    static constexpr const wchar_t* kWMIClassName = L"Bnt_Reader";
    static constexpr const wchar_t* kSource = L"WmipReaderMapper";
    // The method table, in its fixed order.
    static const std::span<const MapperMethodEntry<CWmipReaderMapper>> kMethods;

    // Reader mode codes of the biometric and first-card switches.
    static constexpr LONG kBiometricVerifyOff = 18;
    static constexpr LONG kBiometricVerifyOn = 19;
    static constexpr LONG kFirstCardUnlockOff = 24;
    static constexpr LONG kFirstCardUnlockOn = 25;
    // The partner's door bits that a two-reader door's reader reports as its own.
    static constexpr ULONG kPartnerDoorBits = 0xF;

    // Its permission ids depend on the door, which it keeps first.
    CWmipReaderMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services, Door door);

    // "Name(PanelID,ReaderID)".
    CString GetTransactionValues(brontel::UserTranOperation::UserTransactionOperation operation,
                                 IWbemClassObject* instance) override;

    HRESULT OpenDoor(DeviceMethodCall& call);
    HRESULT SetMode(DeviceMethodCall& call);
    HRESULT SetBiometricVerifyMode(DeviceMethodCall& call);
    HRESULT SetFirstCardUnlockMode(DeviceMethodCall& call);
    HRESULT DownloadFirmware(DeviceMethodCall& call);
    HRESULT GetHardwareStatus(DeviceMethodCall& call);
    HRESULT GetMode(DeviceMethodCall& call);

private:
    // Sends the mode request {ReaderID, mode, 0} with the permission and audit of the mode methods.
    HRESULT SendReaderMode(IWbemClassObject* instance, LONG mode);
    // The mode of a switch method: on when the "Value" parameter is true (missing: false).
    static LONG SwitchMode(IWbemClassObject* inParams, LONG off, LONG on);
    // The partner reader of a two-reader door (the reader whose slave this one is); -1 when
    // there is none.
    LONG PartnerReader(LONG panelId, LONG readerId) const;

    // The user the mapper was built for; its database serves the partner lookup.
    const CAcsUser* const m_user;
};
