// AcsDeviceKey: the 64-bit key of a device of the access-control hardware: panel id, device id
// and input id as 16-bit values from the low end upward; the top 16 bits are 0. Tells the
// device's kind from the ids, the event source type and the panel type.
//
// Device kinds: 0 none (panel id 0), 1 panel, 2 alarm panel, 3 reader (or a lock of a lock
// system panel), 4 alarm input, 5 alarm output, 6 reader input, 7 reader output.
//
// A value type; not shared between threads.
#pragma once

#include "platform/win32/WinTypes.h"

class AcsDeviceKey
{
public:
    enum DeviceKind : LONG
    {
        KindNone = 0,
        KindPanel = 1,
        KindAlarmPanel = 2,
        KindReader = 3,
        KindAlarmInput = 4,
        KindAlarmOutput = 5,
        KindReaderInput = 6,
        KindReaderOutput = 7,
    };
    // The alarm panels' device ids.
    static constexpr LONG kFirstAlarmPanelId = 65;
    static constexpr LONG kLastAlarmPanelId = 192;
    // The third classification value under which a CASI alarm panel has 20 inputs.
    static constexpr LONG kCasiWideInputs = 29;

    AcsDeviceKey() = default;
    explicit AcsDeviceKey(ULONGLONG key);
    // The key of the ids; each is kept to its low 16 bits.
    AcsDeviceKey(LONG panelId, LONG deviceId, LONG inputId);

    ULONGLONG GetKey() const { return m_key; }
    LONG GetPanelId() const { return static_cast<LONG>(m_key & 0xFFFF); }
    LONG GetDeviceId() const { return static_cast<LONG>((m_key >> 16) & 0xFFFF); }
    LONG GetInputId() const { return static_cast<LONG>((m_key >> 32) & 0xFFFF); }
    void SetInputId(LONG inputId);

    // The device kind: KindNone when the panel id is 0. The same rules hold for every event
    // source type: the device, alarm panel and input ids place the device, the panel type
    // tells the lock system and CASI families apart.
    LONG GetDeviceKind(LONG eventSourceType, LONG panelType, LONG third) const;
    // Clears the input id when it is not 0 and the key is of a reader (GetDeviceKind gives 3).
    void Normalize(LONG eventSourceType, LONG panelType, LONG third);

    bool operator==(const AcsDeviceKey&) const = default;

private:
    ULONGLONG m_key = 0;
};
