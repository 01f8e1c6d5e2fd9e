// CWmipPanelStatusUpdate: the work of Bnt_Panel's UpdateHardwareStatus after its permission
// check: asks the hardware driver server of the panel's host for the state of the panel and of
// every device under it and stores the answers in the hardware status cache, by panel family:
//   intrusion panels (panel class 7): panel state, then zones, onboard and offboard relays,
//     doors and areas up to the panel type's counts (a count of 0 or 1 asks nothing); a
//     category is stored only when its query succeeded with flag 0, under IntrusionStatusKey;
//   elevator dispatching panels (class 20): the terminal states (255 terminals);
//   access panels (any other class): one request for the panel, its readers and alarm
//     panels, then the alarm panels' board blocks and the panel's two tables; nothing is
//     stored unless every call succeeded.
// The status words are packed as the cache's readers expect (see the .cpp).
//
// Built on the request's thread for one call; not shared. Uses the caller's database (for the
// panel type, readers and alarm panels) and the process's status cache.
#pragma once

#include "platform/mfc/CString.h"
#include "platform/win32/WinTypes.h"

class CBntDatabase;
class CWimpHardwareStatusCache;
class LAAPProxy;

class CWmipPanelStatusUpdate
{
public:
    // The access panel types whose alarm panels report their outputs.
    static constexpr const wchar_t* kOutputReportingPanelTypes[] = {L"BNT-1000", L"BNT-2000", L"BNT-500",
                                                                    L"BNT-3300", L"BNT-2220", L"BNT-4420"};
    static constexpr LONG kElevatorTerminalCount = 255;

    // The panel of the instance: its id and its panel type's name; the proxy is aimed at the
    // panel's host and outlives the object.
    CWmipPanelStatusUpdate(CBntDatabase* database, CWimpHardwareStatusCache& cache, LAAPProxy& proxy, LONG panelId,
                           const CString& panelType);
    CWmipPanelStatusUpdate(const CWmipPanelStatusUpdate&) = delete;
    CWmipPanelStatusUpdate& operator=(const CWmipPanelStatusUpdate&) = delete;

    // The family of the panel type (CPanelTypeSet: no row counts as an access panel).
    enum class Family
    {
        Access,
        Intrusion,
        ElevatorDispatching,
    };
    Family LookUpFamily();

    // The intrusion road; never fails.
    void UpdateIntrusionPanel();
    // The elevator dispatching road; never fails.
    void UpdateElevatorPanel();
    // The access panel road: true when every call succeeded and the cache was written; false
    // with the cache untouched otherwise.
    bool UpdateAccessPanel();

private:
    CBntDatabase* const m_database;
    CWimpHardwareStatusCache& m_cache;
    LAAPProxy& m_proxy;
    const LONG m_panelId;
    const CString m_panelType;
    // Set by LookUpFamily.
    LONG m_panelTypeId = 0;
};
