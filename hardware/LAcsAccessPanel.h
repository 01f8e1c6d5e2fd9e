// LAcsAccessPanel: an access panel node of the device model, built from its panel id, panel
// type and third classification value without reading the database; its event source type is
// 0. While it lives, the device model knows the panel's type under its key.
//
// Owned by its creator; one thread at a time.
#pragma once

#include "hardware/AcsDeviceKey.h"
#include "platform/win32/WinTypes.h"

class LAcsAccessPanel
{
public:
    // The panel class (PANELTYPE.PANELCLASS) of access panels.
    static constexpr LONG kAccessPanelClass = 1;

    LAcsAccessPanel(LONG panelId, LONG panelType, LONG third);
    ~LAcsAccessPanel();
    LAcsAccessPanel(const LAcsAccessPanel&) = delete;
    LAcsAccessPanel& operator=(const LAcsAccessPanel&) = delete;

    LONG GetPanelId() const { return m_panelId; }
    LONG GetPanelType() const { return m_panelType; }
    LONG GetEventSourceType() const { return m_eventSourceType; }
    // The third value that AcsDeviceKey::GetDeviceKind compares with 29.
    LONG GetThirdValue() const { return m_third; }
    // The panel's own key (device and input id 0).
    AcsDeviceKey GetDeviceKey() const { return AcsDeviceKey(m_panelId, 0, 0); }
    // The kind of a device of this panel (the key's panel id must be this panel's).
    LONG GetDeviceKind(const AcsDeviceKey& key) const;

private:
    const LONG m_panelId;
    const LONG m_panelType;
    const LONG m_third;
    const LONG m_eventSourceType = 0;
};
