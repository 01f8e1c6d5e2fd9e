#include "mappers/devices/CWmipPanelStatusUpdate.h"

#include <array>
#include <vector>

#include "hardware/AapBlocks.h"
#include "hardware/AcsDeviceKey.h"
#include "hardware/LAAPProxy.h"
#include "hardware/RpcBlock.h"
#include "inhouse/BntAccessSets/CPanelTypeSet.h"
#include "inhouse/BntAccessSets/CReader1Set.h"
#include "inhouse/BntAccessSets/LAlarmPanelSet.h"
#include "inhouse/BntPanelModel/BntPanelCapabilities.h"
#include "mappers/devices/IntrusionStatusKey.h"
#include "hardware/CWimpHardwareStatusCache.h"

namespace {

// Bit n of a word, as 0 or 1.
LONG Bit(LONG word, int n)
{
    return (static_cast<ULONG>(word) >> n) & 1u;
}

// Bits first..first+count-1 of a word, moved down to bit 0.
LONG Bits(LONG word, int first, int count)
{
    return static_cast<LONG>((static_cast<ULONG>(word) >> first) & ((1u << count) - 1u));
}

// Bits 0 to 3 shared by every status word: the record's two status bits and flag word A's
// bits 26 and 27.
LONG CommonStatusBits(const SYSTEM_STATUS_ENTRY& entry)
{
    return Bit(entry.status, 0) | Bit(entry.status, 1) << 1 | Bit(entry.flagsA, 26) << 2 | Bit(entry.flagsA, 27) << 3;
}

LONG PanelStatusWord(const SYSTEM_STATUS_ENTRY& entry, BYTE headerStatus)
{
    return CommonStatusBits(entry) | static_cast<LONG>(headerStatus) << 4;
}

LONG ReaderStatusWord(const SYSTEM_STATUS_ENTRY& entry)
{
    return CommonStatusBits(entry) | Bits(entry.flagsA, 0, 16) << 4 | Bits(entry.flagsA, 28, 4) << 20 |
           Bits(entry.flagsB, 0, 4) << 24 | Bits(entry.flags24, 0, 3) << 28;
}

// A reader input's state: 1 when its active bit is set, replaced by the first of its four
// condition bits that holds (2..5), replaced by 0x100 when its mask bit in W24 is set.
LONG ReaderInputState(const SYSTEM_STATUS_ENTRY& entry, int activeBit, int firstConditionBit, int maskBit)
{
    LONG state = Bit(entry.flagsA, activeBit);
    for (int i = 0; i < 4; ++i)
    {
        if (Bit(entry.flagsA, firstConditionBit + i) != 0)
        {
            state = 2 + i;
            break;
        }
    }
    return Bit(entry.flags24, maskBit) != 0 ? 0x100 : state;
}

// The board blocks' layout: 66 bytes per alarm panel from id 65.
constexpr std::size_t kBoardEntrySize = 66;
constexpr LONG kFirstAlarmInput = 1;
constexpr LONG kLastAlarmInput = 16;
constexpr LONG kFirstAlarmOutput = 17;
constexpr LONG kLastAlarmOutput = 48;
constexpr LONG kMaskedInput = 0x100;

std::vector<BYTE> KeyedBlock(std::size_t size, LONG panelId)
{
    std::vector<BYTE> block(size);
    RpcBlock::PutLong(block, 0, panelId);
    return block;
}

}  // namespace

CWmipPanelStatusUpdate::CWmipPanelStatusUpdate(CBntDatabase* database, CWimpHardwareStatusCache& cache,
                                               LAAPProxy& proxy, LONG panelId, const CString& panelType)
    : m_database(database), m_cache(cache), m_proxy(proxy), m_panelId(panelId), m_panelType(panelType)
{
}

CWmipPanelStatusUpdate::Family CWmipPanelStatusUpdate::LookUpFamily()
{
    CPanelTypeSet types(m_database);
    types.OpenByName(m_panelType);
    m_panelTypeId = types.GetPanelTypeID();
    switch (types.GetPanelClass())
    {
    case CPanelTypeSet::kIntrusionPanelClass:
        return Family::Intrusion;
    case CPanelTypeSet::kElevatorDispatchingPanelClass:
        return Family::ElevatorDispatching;
    default:
        return Family::Access;
    }
}

void CWmipPanelStatusUpdate::UpdateIntrusionPanel()
{
    BYTE state = 0;
    BYTE flag = 0;
    LONG value = 0;
    if (!m_proxy.GetIntrusionPanelStatus(m_panelId, &state, &flag, &value) || state == 0)
    {
        m_cache.SetPanelStatus(m_panelId, 0);
        return;
    }
    const int panelStatus = state == 1 ? 1 : 0;
    LONG counts[BntPanelCapabilities::IntrusionObjectCount] = {};
    BntPanelCapabilities::GetMaxSupportedIntrusionObjects(m_panelTypeId, counts);

    // Stores one category's answer over its own array's length.
    const auto store = [this](IntrusionCategory category, const auto& states) {
        for (std::size_t n = 0; n < states.size(); ++n)
        {
            const IntrusionStatusKey key = IntrusionStatusKey::Of(category, static_cast<LONG>(n));
            m_cache.SetOutputStatus(m_panelId, key.deviceKey, key.subItem, static_cast<int>(states[n]));
        }
    };
    // A category with at most one object is not asked for.
    const auto asked = [&counts](BntPanelCapabilities::IntrusionObject object) { return counts[object] > 1; };

    if (asked(BntPanelCapabilities::Zones))
    {
        const LONG count = counts[BntPanelCapabilities::Zones];
        std::vector<LONG> first(count), second(count);
        if (m_proxy.GetIntrusionZoneStatus(m_panelId, &flag, count, first, second) && flag == 0)
            store(IntrusionCategory::Zone, first);
    }
    if (asked(BntPanelCapabilities::OnboardRelays))
    {
        const LONG count = counts[BntPanelCapabilities::OnboardRelays];
        std::vector<BYTE> states(count);
        if (m_proxy.GetIntrusionOnboardRelayStatus(m_panelId, &flag, count, states) && flag == 0)
            store(IntrusionCategory::OnboardRelay, states);
    }
    if (asked(BntPanelCapabilities::OffboardRelays))
    {
        const LONG count = counts[BntPanelCapabilities::OffboardRelays];
        std::vector<BYTE> states(count);
        if (m_proxy.GetIntrusionOffboardRelayStatus(m_panelId, &flag, count, states) && flag == 0)
            store(IntrusionCategory::OffboardRelay, states);
    }
    if (asked(BntPanelCapabilities::Doors))
    {
        const LONG count = counts[BntPanelCapabilities::Doors];
        std::vector<LONG> first(count), second(count);
        if (m_proxy.GetIntrusionDoorStatus(m_panelId, &flag, count, first, second) && flag == 0)
            store(IntrusionCategory::Door, second);
    }
    if (asked(BntPanelCapabilities::Areas))
    {
        const LONG count = counts[BntPanelCapabilities::Areas];
        std::vector<LONG> first(count), second(count), third(count);
        if (m_proxy.GetIntrusionAreaStatus(m_panelId, &flag, count, first, second, third) && flag == 0)
            store(IntrusionCategory::Area, second);
    }
    m_cache.SetPanelStatus(m_panelId, panelStatus);
}

void CWmipPanelStatusUpdate::UpdateElevatorPanel()
{
    std::vector<ELEVATOR_TERMINAL_STATUS> entries(kElevatorTerminalCount);
    for (LONG t = 0; t < kElevatorTerminalCount; ++t)
        entries[t].index = t;
    LONG flags = 0;
    if (!m_proxy.GetElevatorTerminalStatus(m_panelId, &flags, entries, kElevatorTerminalCount))
    {
        m_cache.SetPanelStatus(m_panelId, 0);
        return;
    }
    m_cache.SetPanelStatus(m_panelId, flags & 1);
    // Flag bit 2: the panel reports no per-terminal states.
    if ((flags & 4) != 0)
        return;
    for (LONG t = 0; t < kElevatorTerminalCount; ++t)
        m_cache.SetOutputStatus(m_panelId, t, 0, entries[t].state);
}

bool CWmipPanelStatusUpdate::UpdateAccessPanel()
{
    PanelDeviceStatusRequest request;
    request.panelId = m_panelId;
    request.entries.push_back(SYSTEM_STATUS_ENTRY{SYSTEM_STATUS_ENTRY::kPanel});
    CReader1Set readers(m_database);
    for (readers.OpenForPanel(m_panelId); !readers.IsEOF(); readers.MoveNext())
    {
        SYSTEM_STATUS_ENTRY entry{SYSTEM_STATUS_ENTRY::kReader, readers.GetReaderID()};
        entry.mode = -1;
        request.entries.push_back(entry);
    }
    LAlarmPanelSet alarmPanels(m_database);
    for (alarmPanels.OpenForAccessPanel(m_panelId); !alarmPanels.IsEOF(); alarmPanels.MoveNext())
        request.entries.push_back(SYSTEM_STATUS_ENTRY{SYSTEM_STATUS_ENTRY::kAlarmPanel, alarmPanels.GetAlarmPanelID()});

    std::vector<BYTE> inputs = KeyedBlock(kAlarmPanelBoardBlockSize, m_panelId);
    std::vector<BYTE> outputs = KeyedBlock(kAlarmPanelBoardBlockSize, m_panelId);
    std::vector<BYTE> aux = KeyedBlock(kPanelAuxStatusBlockSize, m_panelId);
    std::vector<BYTE> table = KeyedBlock(kPanelDeviceStatusTableSize, m_panelId);
    if (!m_proxy.GetPanelDeviceStatus(&request))
        return false;
    bool answered = m_proxy.GetAlarmPanelInputStatus(inputs) != FALSE;
    bool reportsOutputs = false;
    for (const wchar_t* type : kOutputReportingPanelTypes)
        reportsOutputs = reportsOutputs || m_panelType.CompareNoCase(type) == 0;
    if (reportsOutputs)
        answered = (m_proxy.GetAlarmPanelOutputStatus(outputs) != FALSE) && answered;
    answered = (m_proxy.GetPanelAuxStatus(aux) != FALSE) && answered;
    answered = (m_proxy.GetPanelDeviceStatusTable(table) != FALSE) && answered;
    if (!answered)
        return false;

    for (const SYSTEM_STATUS_ENTRY& entry : request.entries)
    {
        switch (entry.type)
        {
        case SYSTEM_STATUS_ENTRY::kPanel:
            m_cache.SetPanelStatus(m_panelId, PanelStatusWord(entry, request.status));
            break;
        case SYSTEM_STATUS_ENTRY::kReader:
            m_cache.SetReaderStatus(m_panelId, entry.deviceId, ReaderStatusWord(entry));
            m_cache.SetReaderMode(m_panelId, entry.deviceId, entry.mode);
            m_cache.SetInputStatus(m_panelId, entry.deviceId, 0, ReaderInputState(entry, 3, 16, 3));
            m_cache.SetInputStatus(m_panelId, entry.deviceId, 1, ReaderInputState(entry, 4, 20, 4));
            m_cache.SetOutputStatus(m_panelId, entry.deviceId, 17, Bit(entry.flagsA, 24));
            m_cache.SetOutputStatus(m_panelId, entry.deviceId, 18, Bit(entry.flagsA, 25));
            break;
        case SYSTEM_STATUS_ENTRY::kAlarmPanel: {
            const LONG alarmPanel = entry.deviceId;
            m_cache.SetDeviceStatus(m_panelId, alarmPanel, CommonStatusBits(entry));
            // The board blocks hold alarm panels 65 to 192 only; others store no inputs or outputs.
            if (alarmPanel < AcsDeviceKey::kFirstAlarmPanelId || alarmPanel > AcsDeviceKey::kLastAlarmPanelId)
                break;
            const std::size_t k =
                static_cast<std::size_t>(alarmPanel - AcsDeviceKey::kFirstAlarmPanelId) * kBoardEntrySize;
            for (LONG i = kFirstAlarmInput; i <= kLastAlarmInput; ++i)
            {
                const LONG state = RpcBlock::Byte(inputs, 5 + k + i);
                const bool masked = RpcBlock::Byte(inputs, 38 + k + i) != 0;
                m_cache.SetInputStatus(m_panelId, alarmPanel, i, state + (masked ? kMaskedInput : 0));
            }
            for (LONG o = kFirstAlarmOutput; o <= kLastAlarmOutput; ++o)
                m_cache.SetOutputStatus(m_panelId, alarmPanel, o, RpcBlock::Byte(outputs, k + o - 11));
            break;
        }
        default:
            break;
        }
    }
    return true;
}
