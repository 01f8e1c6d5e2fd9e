// LAcsDeviceModel: the process-wide part of the device model: its locks, made by
// InitDeviceModelLock on first use and deleted when the process ends, and its two maps from a
// 64-bit device key to an integer: the panel type of every access panel node alive (kept by
// LAcsAccessPanel) and the device kinds already worked out (a cache of
// AcsDeviceKey::GetDeviceKind).
//
// One per process (Instance). Thread-safe: each map is guarded by its own lock.
#pragma once

#include <map>
#include <memory>
#include <tuple>

#include "platform/win32/Threading.h"
#include "platform/win32/WinTypes.h"

// A new, initialised critical section; its owner deletes it (DeleteCriticalSection) before it
// goes.
std::unique_ptr<CRITICAL_SECTION> InitDeviceModelLock();

class LAcsDeviceModel
{
public:
    LAcsDeviceModel();
    ~LAcsDeviceModel();
    LAcsDeviceModel(const LAcsDeviceModel&) = delete;
    LAcsDeviceModel& operator=(const LAcsDeviceModel&) = delete;

    static LAcsDeviceModel& Instance();

    // The panel type of the node with the key; false when no node has it.
    bool FindPanelType(ULONGLONG panelKey, LONG* panelType);
    void SetPanelType(ULONGLONG panelKey, LONG panelType);
    void RemovePanelType(ULONGLONG panelKey);

    // The device kind of the key (AcsDeviceKey::GetDeviceKind with the three values), worked
    // out once per key and panel type.
    LONG DeviceKind(ULONGLONG deviceKey, LONG eventSourceType, LONG panelType, LONG third);

private:
    std::unique_ptr<CRITICAL_SECTION> m_panelTypeLock;
    std::unique_ptr<CRITICAL_SECTION> m_deviceKindLock;
    std::map<ULONGLONG, LONG> m_panelTypes GUARDED_BY(*m_panelTypeLock);
    // Keyed by the device key and the panel type, event source type and third value that
    // decide the kind.
    std::map<std::tuple<ULONGLONG, LONG, LONG, LONG>, LONG> m_deviceKinds GUARDED_BY(*m_deviceKindLock);
};
