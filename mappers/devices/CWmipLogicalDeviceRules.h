// CWmipLogicalDeviceRules: what the logical source, device and sub-device mappers share: the
// validation messages no framework owner words, the reads of required properties, the look-ups of sources and device
// names, the write action of an operation and the configuration message that tells the
// servers of a change.
//
// Static helpers; each call runs on the request's thread. No state.
#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <utility>

#include "framework/CWmipClassMapper.h"
#include "platform/mfc/CString.h"

class CBntDatabase;

class CWmipLogicalDeviceRules
{
public:
    // The panel type of logical sources.
    static constexpr LONG kLogicalSourcePanelType = 39;

    CWmipLogicalDeviceRules() = delete;

    // A numeric property; none when it is missing, NULL or not a number.
    static std::optional<LONG> Number(IWbemClassObject* instance, const wchar_t* property);
    // "Name", which must be given (else 0x80041028).
    static CString RequiredName(const wchar_t* source, IWbemClassObject* instance);

    // True when an ACCESSPANE row of the id exists (whether a panel is a logical source is the
    // caller's question, asked as the caller: CallerCanSee("Bnt_LogicalSource")).
    static bool PanelExists(CBntDatabase* database, LONG panelId);
    // True when a world time zone (WORLDTZ) of the id exists.
    static bool WorldTimezoneExists(CBntDatabase* database, LONG timezoneId);
    // The segment of the panel; 0 when there is none.
    static LONG PanelSegment(CBntDatabase* database, LONG panelId);
    // True when a VEXLET_DEVICE row of the source, device and sub-device exists (with that
    // name when one is given).
    static bool DeviceRowExists(CBntDatabase* database, LONG sourceId, LONG deviceId, LONG subDeviceId,
                                const CString* name = nullptr);
    // The name rule of devices and sub-devices, which share one name space: a new name must
    // not be taken (else 0x80041001 for "Name"); a kept name needs no check.
    static void CheckDeviceName(const wchar_t* source, CBntDatabase* database, const CString& name, bool nameKept);

    // The configuration message action of a write: 1 add, 2 modify, 3 delete.
    static LONG Action(brontel::UserTranOperation::UserTransactionOperation operation);
    // Sends CfgMessage(code, action, segment) with the words given at their byte offsets to the
    // communication, linkage and archive servers.
    static void Notify(int code, LONG action, LONG segment, std::span<const std::pair<std::size_t, LONG>> words);
};
