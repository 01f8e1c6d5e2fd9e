#include "hardware/AcsDeviceKey.h"

#include "inhouse/BntPanelModel/BntPanelCapabilities.h"

namespace {

// Reader input ids run 1..16; 0, 254 and 255 name the reader itself.
constexpr LONG kLastReaderInput = 16;
constexpr LONG kReaderSelfInput1 = 254;
constexpr LONG kReaderSelfInput2 = 255;
// Alarm panel input ids run 1..16, or 1..20 on a CASI alarm panel of the wide kind.
constexpr LONG kLastAlarmInput = 16;
constexpr LONG kLastCasiAlarmInput = 20;

ULONGLONG Field(LONG value, int shift)
{
    return static_cast<ULONGLONG>(static_cast<ULONG>(value) & 0xFFFFu) << shift;
}

}  // namespace

AcsDeviceKey::AcsDeviceKey(ULONGLONG key) : m_key(key & 0x0000FFFFFFFFFFFFull) {}

AcsDeviceKey::AcsDeviceKey(LONG panelId, LONG deviceId, LONG inputId)
    : m_key(Field(panelId, 0) | Field(deviceId, 16) | Field(inputId, 32))
{
}

void AcsDeviceKey::SetInputId(LONG inputId)
{
    m_key = (m_key & ~(0xFFFFull << 32)) | Field(inputId, 32);
}

LONG AcsDeviceKey::GetDeviceKind(LONG, LONG panelType, LONG third) const
{
    if (GetPanelId() == 0)
        return KindNone;
    const LONG device = GetDeviceId();
    const LONG input = GetInputId();
    if (device == 0)
        return KindPanel;
    if (BntPanelCapabilities::IsOnityPanel(panelType))
        return KindReader;
    if (device >= kFirstAlarmPanelId && device <= kLastAlarmPanelId)
    {
        if (input == 0)
            return KindAlarmPanel;
        const bool wide = BntPanelCapabilities::IsCASIPanel(panelType) && third == kCasiWideInputs;
        return input > (wide ? kLastCasiAlarmInput : kLastAlarmInput) ? KindAlarmOutput : KindAlarmInput;
    }
    if (input == 0 || input == kReaderSelfInput1 || input == kReaderSelfInput2)
        return KindReader;
    return input <= kLastReaderInput ? KindReaderInput : KindReaderOutput;
}

void AcsDeviceKey::Normalize(LONG eventSourceType, LONG panelType, LONG third)
{
    if (GetInputId() != 0 && GetDeviceKind(eventSourceType, panelType, third) == KindReader)
        SetInputId(0);
}
