#include "hardware/LAAPProxy.h"

#include <exception>
#include <vector>

#include "Libraries/BntIRUtility/VariantArchive.h"
#include "hardware/RpcBlock.h"
#include "platform/rpc/RpcEndpointTable.h"

namespace {

// Offsets of the fields that the scalar and status procedures share (AapProcedure.h).
constexpr std::size_t kArrayFlagOffset = 4;
constexpr std::size_t kArrayCountOffset = 8;
constexpr std::size_t kArrayDataOffset = 12;

// Offsets of the device status header.
constexpr std::size_t kHeaderStatusOffset = 5;
constexpr std::size_t kHeaderCountOffset = 8;
constexpr std::size_t kHeaderPointerOffset = 12;

// Offsets within a status record.
constexpr std::size_t kEntryTypeOffset = 0;
constexpr std::size_t kEntryIdOffset = 4;
constexpr std::size_t kEntryStatusOffset = 8;
constexpr std::size_t kEntryFlagsAOffset = 16;
constexpr std::size_t kEntryFlagsBOffset = 20;
constexpr std::size_t kEntryFlags24Offset = 24;
constexpr std::size_t kEntryWord28Offset = 28;
constexpr std::size_t kEntryModeOffset = 48;

// Offsets of the acknowledgement block.
constexpr std::size_t kAckNoPanelHostOffset = 28;
constexpr std::size_t kAckSimultaneousOffset = 32;
constexpr std::size_t kAckNotesCountOffset = 36;
constexpr std::size_t kAckNotesOffset = 40;

// Offsets of the elevator terminal command block.
constexpr std::size_t kElevatorTerminalOffset = 4;
constexpr std::size_t kElevatorCommandTypeOffset = 8;
constexpr std::size_t kElevatorModeOffset = 16;
constexpr LONG kElevatorSetModeCommand = 1;

// A count that a status procedure may carry for arrays of the given lengths.
bool CountFits(LONG count, LONG limit, std::initializer_list<std::size_t> lengths)
{
    if (count < 0 || count > limit)
        return false;
    for (const std::size_t length : lengths)
    {
        if (static_cast<std::size_t>(count) > length)
            return false;
    }
    return true;
}

// A status procedure's block: panel id, then room for the flag, the count and the arrays.
std::vector<BYTE> ArrayBlock(LONG panelId, LONG count, std::size_t bytesPerEntry)
{
    std::vector<BYTE> block(kArrayDataOffset + static_cast<std::size_t>(count) * bytesPerEntry);
    RpcBlock::PutLong(block, 0, panelId);
    RpcBlock::PutLong(block, kArrayCountOffset, count);
    return block;
}

// Copies `count` words of array `index` (of width count words each) out of a status block.
void ReadWords(std::span<const BYTE> block, std::size_t index, LONG count, std::span<LONG> target)
{
    const std::size_t first = kArrayDataOffset + index * static_cast<std::size_t>(count) * 4;
    for (LONG i = 0; i < count; ++i)
        target[static_cast<std::size_t>(i)] = RpcBlock::Long(block, first + static_cast<std::size_t>(i) * 4);
}

}  // namespace

LAAPProxy::LAAPProxy() = default;

LAAPProxy::~LAAPProxy() = default;

void LAAPProxy::SetHostName(const CString& host)
{
    const CheckedMutexLock lock(m_lock);
    if (m_host == host)
        return;
    m_host = host;
    m_server.reset();
}

CString LAAPProxy::GetHostName()
{
    const CheckedMutexLock lock(m_lock);
    return m_host;
}

IAapDriverServer* LAAPProxy::ServerLocked()
{
    // A proxy aimed at no host binds to nothing.
    if (m_server == nullptr && !m_host.IsEmpty())
        m_server =
            RpcEndpointTable::Instance().BindInterface<IAapDriverServer>(m_host.GetWString(), kDriverServerEndpoints);
    return m_server.get();
}

LAAPProxy::Outcome LAAPProxy::Invoke(Procedure procedure, std::span<BYTE> block)
{
    Outcome outcome;
    const CheckedMutexLock lock(m_lock);
    m_lastFailure.Empty();
    try
    {
        IAapDriverServer* server = ServerLocked();
        if (server == nullptr)
        {
            m_lastFailure = L"The hardware driver server on \"" + m_host + L"\" cannot be reached.";
            return outcome;
        }
        AapCallStatus status;
        const RPC_STATUS transport = (server->*procedure)(block, status);
        outcome.completed = transport == RPC_S_OK;
        outcome.succeeded = outcome.completed && status.first == 0;
        if (!outcome.completed)
            m_lastFailure.Format(L"The call to the hardware driver server on \"%s\" did not complete (RPC status %ld).",
                                 m_host.GetString(), static_cast<long>(transport));
        else if (!outcome.succeeded)
            m_lastFailure.Format(L"The hardware driver server on \"%s\" refused the command (status 0x%08X).",
                                 m_host.GetString(), static_cast<unsigned>(status.first));
    }
    catch (const std::exception&)
    {
        // A failing server or runtime is an incomplete call to the caller, never an exception.
        outcome = Outcome();
        m_lastFailure = L"The call to the hardware driver server on \"" + m_host + L"\" failed.";
    }
    return outcome;
}

CString LAAPProxy::GetLastFailure()
{
    const CheckedMutexLock lock(m_lock);
    return m_lastFailure;
}

BOOL LAAPProxy::InvokeWords(Procedure procedure, std::initializer_list<LONG> words)
{
    std::vector<BYTE> block(words.size() * 4);
    std::size_t offset = 0;
    for (const LONG word : words)
    {
        RpcBlock::PutLong(block, offset, word);
        offset += 4;
    }
    return Invoke(procedure, block).succeeded;
}

BOOL LAAPProxy::InvokeSized(Procedure procedure, std::span<BYTE> block, std::size_t size)
{
    if (block.data() == nullptr || block.size() != size)
        return FALSE;
    return Invoke(procedure, block).succeeded;
}

BOOL LAAPProxy::ActivateAlarmOutput(LONG panelId, LONG alarmPanelId, LONG outputId)
{
    return InvokeWords(&IAapDriverServer::ActivateAlarmOutput, {panelId, alarmPanelId, outputId});
}

BOOL LAAPProxy::DeactivateAlarmOutput(LONG panelId, LONG alarmPanelId, LONG outputId)
{
    return InvokeWords(&IAapDriverServer::DeactivateAlarmOutput, {panelId, alarmPanelId, outputId});
}

BOOL LAAPProxy::PulseAlarmOutput(LONG panelId, LONG alarmPanelId, LONG outputId, LONG duration)
{
    return InvokeWords(&IAapDriverServer::PulseAlarmOutput, {panelId, alarmPanelId, outputId, duration});
}

BOOL LAAPProxy::SetAlarmInputMask(std::span<BYTE> block)
{
    return InvokeSized(&IAapDriverServer::SetAlarmInputMask, block, kAlarmInputCommandBlockSize);
}

BOOL LAAPProxy::SetReaderInputMask(std::span<BYTE> block)
{
    return InvokeSized(&IAapDriverServer::SetReaderInputMask, block, kReaderInputBlockSize);
}

BOOL LAAPProxy::ControlReaderOutput(std::span<BYTE> block)
{
    return InvokeSized(&IAapDriverServer::ControlReaderOutput, block, kReaderOutputBlockSize);
}

BOOL LAAPProxy::SendElevatorTerminalCommand(std::span<BYTE> block)
{
    return InvokeSized(&IAapDriverServer::SendElevatorTerminalCommand, block, kElevatorTerminalCommandBlockSize);
}

BOOL LAAPProxy::SetElevatorTerminalMode(LONG panelId, LONG terminal, LONG mode)
{
    std::vector<BYTE> block(kElevatorTerminalCommandBlockSize);
    RpcBlock::PutLong(block, 0, panelId);
    RpcBlock::PutLong(block, kElevatorTerminalOffset, terminal);
    RpcBlock::PutLong(block, kElevatorCommandTypeOffset, kElevatorSetModeCommand);
    RpcBlock::PutLong(block, kElevatorModeOffset, mode);
    return SendElevatorTerminalCommand(block);
}

BOOL LAAPProxy::GetDeviceStatus(LONG panelId, LONG deviceId, bool* online)
{
    if (online == nullptr)
        return FALSE;
    *online = false;
    std::vector<BYTE> block(12);
    RpcBlock::PutLong(block, 0, panelId);
    RpcBlock::PutLong(block, 4, deviceId);
    const Outcome outcome = Invoke(&IAapDriverServer::GetDeviceStatus, block);
    if (outcome.completed)
        *online = RpcBlock::Long(block, 8) != 0;
    return outcome.succeeded;
}

BOOL LAAPProxy::SetIntrusionAreaArmState(LONG panelId, LONG areaNumber, USHORT mode, LONG* result)
{
    std::vector<BYTE> block(16);
    RpcBlock::PutLong(block, 0, panelId);
    RpcBlock::PutLong(block, 4, areaNumber);
    RpcBlock::PutShort(block, 8, mode);
    const Outcome outcome = Invoke(&IAapDriverServer::SetIntrusionAreaArmState, block);
    if (outcome.completed && result != nullptr)
        *result = RpcBlock::Long(block, 12);
    return outcome.succeeded;
}

BOOL LAAPProxy::SilenceIntrusionArea(LONG panelId, LONG areaNumber)
{
    return InvokeWords(&IAapDriverServer::SilenceIntrusionArea, {panelId, areaNumber});
}

BOOL LAAPProxy::OpenIntrusionDoor(LONG panelId, LONG doorId)
{
    return InvokeWords(&IAapDriverServer::OpenIntrusionDoor, {panelId, doorId});
}

BOOL LAAPProxy::SetIntrusionDoorMode(LONG panelId, LONG doorId, USHORT mode)
{
    std::vector<BYTE> block(12);
    RpcBlock::PutLong(block, 0, panelId);
    RpcBlock::PutLong(block, 4, doorId);
    RpcBlock::PutShort(block, 8, mode);
    return Invoke(&IAapDriverServer::SetIntrusionDoorMode, block).succeeded;
}

BOOL LAAPProxy::SetIntrusionOffboardRelay(LONG panelId, LONG relayId, LONG command)
{
    return InvokeWords(&IAapDriverServer::SetIntrusionOffboardRelay, {panelId, relayId, command});
}

BOOL LAAPProxy::SetIntrusionOnboardRelay(LONG panelId, LONG relayId, LONG command)
{
    return InvokeWords(&IAapDriverServer::SetIntrusionOnboardRelay, {panelId, relayId, command});
}

BOOL LAAPProxy::BypassIntrusionZone(LONG panelId, LONG zoneId, LONG bypass)
{
    return InvokeWords(&IAapDriverServer::BypassIntrusionZone, {panelId, zoneId, bypass});
}

BOOL LAAPProxy::SetIntrusionZoneOutput(LONG panelId, LONG outputId, LONG command)
{
    return InvokeWords(&IAapDriverServer::SetIntrusionZoneOutput, {panelId, outputId, command});
}

BOOL LAAPProxy::AcknowledgeAlarm(LONG currentAckStatus, LONG serialNumber, LONG panelId, LONG alarmId, LONG userId,
                                 LONG alarmTime, LONG ackStatus, const CString& notes, bool noPanelHost,
                                 LONG* simultaneousAckStatus)
{
    if (static_cast<std::size_t>(notes.GetLength()) > kMaxAcknowledgeNotes)
        return FALSE;
    const std::vector<BYTE> text = RpcBlock::Utf16WithTerminator(notes.GetWString());
    std::vector<BYTE> block(kAckNotesOffset + text.size());
    const LONG words[] = {currentAckStatus, serialNumber, panelId, alarmId, userId, alarmTime, ackStatus};
    for (std::size_t i = 0; i < std::size(words); ++i)
        RpcBlock::PutLong(block, i * 4, words[i]);
    RpcBlock::PutByte(block, kAckNoPanelHostOffset, noPanelHost ? 1 : 0);
    RpcBlock::PutLong(block, kAckNotesCountOffset, static_cast<LONG>(text.size()));
    std::copy(text.begin(), text.end(), block.begin() + kAckNotesOffset);
    const Outcome outcome = Invoke(&IAapDriverServer::AcknowledgeAlarm, block);
    if (outcome.succeeded && simultaneousAckStatus != nullptr)
        *simultaneousAckStatus = RpcBlock::Long(block, kAckSimultaneousOffset);
    return outcome.succeeded;
}

BOOL LAAPProxy::DownloadFirmware(LONG panelId)
{
    return InvokeWords(&IAapDriverServer::DownloadFirmware, {panelId});
}

BOOL LAAPProxy::DownloadDatabase(LONG panelId)
{
    return InvokeWords(&IAapDriverServer::DownloadDatabase, {panelId});
}

BOOL LAAPProxy::SetPanelClock(LONG panelId)
{
    return InvokeWords(&IAapDriverServer::SetPanelClock, {panelId});
}

BOOL LAAPProxy::DownloadReaderFirmware(LONG panelId, LONG readerId, LONG controlType, LONG flag)
{
    return InvokeWords(&IAapDriverServer::DownloadReaderFirmware, {panelId, readerId, controlType, flag});
}

BOOL LAAPProxy::ResetUseLimit(std::span<const BYTE> request, BYTE flag)
{
    if (request.data() == nullptr || request.size() != kResetUseLimitRequestSize)
        return FALSE;
    std::vector<BYTE> block(request.begin(), request.end());
    block.push_back(flag);
    return Invoke(&IAapDriverServer::ResetUseLimit, block).succeeded;
}

BOOL LAAPProxy::SetPanelConnection(LONG panelId, LONG code)
{
    return InvokeWords(&IAapDriverServer::SetPanelConnection, {panelId, code});
}

BOOL LAAPProxy::GetPanelDeviceStatus(PanelDeviceStatusRequest* request)
{
    if (request == nullptr || request->entries.size() > static_cast<std::size_t>(kMaxStatusRecords))
        return FALSE;
    const std::size_t count = request->entries.size();
    std::vector<BYTE> block(kDeviceStatusHeaderSize + count * kSystemStatusEntrySize);
    RpcBlock::PutLong(block, 0, request->panelId);
    RpcBlock::PutByte(block, kHeaderStatusOffset, request->status);
    RpcBlock::PutLong(block, kHeaderCountOffset, static_cast<LONG>(count));
    // The records travel beside the header: its pointer word carries nothing.
    RpcBlock::PutLong(block, kHeaderPointerOffset, 0);
    for (std::size_t i = 0; i < count; ++i)
    {
        const SYSTEM_STATUS_ENTRY& entry = request->entries[i];
        const std::size_t at = kDeviceStatusHeaderSize + i * kSystemStatusEntrySize;
        RpcBlock::PutLong(block, at + kEntryTypeOffset, entry.type);
        RpcBlock::PutLong(block, at + kEntryIdOffset, entry.deviceId);
        RpcBlock::PutByte(block, at + kEntryStatusOffset, entry.status);
        RpcBlock::PutLong(block, at + kEntryFlagsAOffset, entry.flagsA);
        RpcBlock::PutLong(block, at + kEntryFlagsBOffset, entry.flagsB);
        RpcBlock::PutLong(block, at + kEntryFlags24Offset, entry.flags24);
        RpcBlock::PutLong(block, at + kEntryWord28Offset, entry.word28);
        RpcBlock::PutLong(block, at + kEntryModeOffset, entry.mode);
    }
    if (!Invoke(&IAapDriverServer::GetPanelDeviceStatus, block).succeeded)
        return FALSE;
    request->status = RpcBlock::Byte(block, kHeaderStatusOffset);
    for (std::size_t i = 0; i < count; ++i)
    {
        SYSTEM_STATUS_ENTRY& entry = request->entries[i];
        const std::size_t at = kDeviceStatusHeaderSize + i * kSystemStatusEntrySize;
        entry.status = RpcBlock::Byte(block, at + kEntryStatusOffset);
        entry.flagsA = RpcBlock::Long(block, at + kEntryFlagsAOffset);
        entry.flagsB = RpcBlock::Long(block, at + kEntryFlagsBOffset);
        entry.flags24 = RpcBlock::Long(block, at + kEntryFlags24Offset);
        entry.word28 = RpcBlock::Long(block, at + kEntryWord28Offset);
        entry.mode = RpcBlock::Long(block, at + kEntryModeOffset);
    }
    return TRUE;
}

BOOL LAAPProxy::GetAlarmPanelInputStatus(std::span<BYTE> block)
{
    return InvokeSized(&IAapDriverServer::GetAlarmPanelInputStatus, block, kAlarmPanelBoardBlockSize);
}

BOOL LAAPProxy::GetAlarmPanelOutputStatus(std::span<BYTE> block)
{
    return InvokeSized(&IAapDriverServer::GetAlarmPanelOutputStatus, block, kAlarmPanelBoardBlockSize);
}

BOOL LAAPProxy::GetPanelAuxStatus(std::span<BYTE> block)
{
    return InvokeSized(&IAapDriverServer::GetPanelAuxStatus, block, kPanelAuxStatusBlockSize);
}

BOOL LAAPProxy::GetPanelDeviceStatusTable(std::span<BYTE> block)
{
    return InvokeSized(&IAapDriverServer::GetPanelDeviceStatusTable, block, kPanelDeviceStatusTableSize);
}

BOOL LAAPProxy::GetIntrusionPanelStatus(LONG panelId, BYTE* state, BYTE* flag, LONG* value)
{
    std::vector<BYTE> block(12);
    RpcBlock::PutLong(block, 0, panelId);
    if (!Invoke(&IAapDriverServer::GetIntrusionPanelStatus, block).succeeded)
        return FALSE;
    if (state != nullptr)
        *state = RpcBlock::Byte(block, 4);
    if (flag != nullptr)
        *flag = RpcBlock::Byte(block, 5);
    if (value != nullptr)
        *value = RpcBlock::Long(block, 8);
    return TRUE;
}

BOOL LAAPProxy::QueryWordArrays(Procedure procedure, LONG panelId, BYTE* flag, LONG count,
                                std::initializer_list<std::span<LONG>> arrays)
{
    if (flag == nullptr)
        return FALSE;
    for (const std::span<LONG>& array : arrays)
    {
        if (!CountFits(count, kMaxIntrusionObjects, {array.size()}))
            return FALSE;
    }
    std::vector<BYTE> block = ArrayBlock(panelId, count, 4 * arrays.size());
    if (arrays.size() == 0 || !Invoke(procedure, block).succeeded)
        return FALSE;
    *flag = RpcBlock::Byte(block, kArrayFlagOffset);
    std::size_t index = 0;
    for (const std::span<LONG>& array : arrays)
        ReadWords(block, index++, count, array);
    return TRUE;
}

BOOL LAAPProxy::QueryByteStates(Procedure procedure, LONG panelId, BYTE* flag, LONG count, std::span<BYTE> states)
{
    if (flag == nullptr || !CountFits(count, kMaxIntrusionObjects, {states.size()}))
        return FALSE;
    std::vector<BYTE> block = ArrayBlock(panelId, count, 1);
    if (!Invoke(procedure, block).succeeded)
        return FALSE;
    *flag = RpcBlock::Byte(block, kArrayFlagOffset);
    std::copy_n(block.begin() + kArrayDataOffset, count, states.begin());
    return TRUE;
}

BOOL LAAPProxy::GetIntrusionZoneStatus(LONG panelId, BYTE* flag, LONG count, std::span<LONG> array1,
                                       std::span<LONG> array2)
{
    return QueryWordArrays(&IAapDriverServer::GetIntrusionZoneStatus, panelId, flag, count, {array1, array2});
}

BOOL LAAPProxy::GetIntrusionOnboardRelayStatus(LONG panelId, BYTE* flag, LONG count, std::span<BYTE> states)
{
    return QueryByteStates(&IAapDriverServer::GetIntrusionOnboardRelayStatus, panelId, flag, count, states);
}

BOOL LAAPProxy::GetIntrusionOffboardRelayStatus(LONG panelId, BYTE* flag, LONG count, std::span<BYTE> states)
{
    return QueryByteStates(&IAapDriverServer::GetIntrusionOffboardRelayStatus, panelId, flag, count, states);
}

BOOL LAAPProxy::GetIntrusionDoorStatus(LONG panelId, BYTE* flag, LONG count, std::span<LONG> array1,
                                       std::span<LONG> array2)
{
    return QueryWordArrays(&IAapDriverServer::GetIntrusionDoorStatus, panelId, flag, count, {array1, array2});
}

BOOL LAAPProxy::GetIntrusionAreaStatus(LONG panelId, BYTE* flag, LONG count, std::span<LONG> array1,
                                       std::span<LONG> array2, std::span<LONG> array3)
{
    return QueryWordArrays(&IAapDriverServer::GetIntrusionAreaStatus, panelId, flag, count, {array1, array2, array3});
}

BOOL LAAPProxy::GetElevatorTerminalStatus(LONG panelId, LONG* flags, std::span<ELEVATOR_TERMINAL_STATUS> entries,
                                          LONG count)
{
    if (flags == nullptr || !CountFits(count, kMaxElevatorTerminals, {entries.size()}))
        return FALSE;
    std::vector<BYTE> block = ArrayBlock(panelId, count, kElevatorTerminalStatusSize);
    for (LONG i = 0; i < count; ++i)
    {
        const std::size_t at = kArrayDataOffset + static_cast<std::size_t>(i) * kElevatorTerminalStatusSize;
        const ELEVATOR_TERMINAL_STATUS& entry = entries[static_cast<std::size_t>(i)];
        RpcBlock::PutLong(block, at, entry.index);
        RpcBlock::PutLong(block, at + 4, entry.word4);
        RpcBlock::PutLong(block, at + 8, entry.state);
        RpcBlock::PutLong(block, at + 12, entry.word12);
    }
    if (!Invoke(&IAapDriverServer::GetElevatorTerminalStatus, block).succeeded)
        return FALSE;
    *flags = RpcBlock::Long(block, kArrayFlagOffset);
    for (LONG i = 0; i < count; ++i)
    {
        const std::size_t at = kArrayDataOffset + static_cast<std::size_t>(i) * kElevatorTerminalStatusSize;
        ELEVATOR_TERMINAL_STATUS& entry = entries[static_cast<std::size_t>(i)];
        entry.word4 = RpcBlock::Long(block, at + 4);
        entry.state = RpcBlock::Long(block, at + 8);
        entry.word12 = RpcBlock::Long(block, at + 12);
    }
    return TRUE;
}

BOOL LAAPProxy::SendCommandMap(const AapCommandMap& map)
{
    std::vector<std::uint8_t> bytes;
    try
    {
        bytes = Bnt::IR::Utility::VariantArchive::Save(map);
    }
    catch (const std::exception&)
    {
        return FALSE;
    }
    if (bytes.size() > kMaxCommandMapBytes)
        return FALSE;
    std::vector<BYTE> block(4 + bytes.size());
    RpcBlock::PutLong(block, 0, static_cast<LONG>(bytes.size()));
    std::copy(bytes.begin(), bytes.end(), block.begin() + 4);
    return Invoke(&IAapDriverServer::SendCommandMap, block).succeeded;
}

BOOL LAAPProxy::OpenDoor(LONG panelId, LONG readerId)
{
    const AapCommandMap map = {
        {"CommandId", std::string("OpenDoor")},
        {"PanelId", static_cast<int>(panelId)},
        {"ReaderId", static_cast<int>(readerId)},
    };
    return SendCommandMap(map);
}

BOOL LAAPProxy::SetReaderMode(LONG panelId, const ReaderModeRequest* request)
{
    if (request == nullptr)
        return FALSE;
    const AapCommandMap map = {
        {"CommandId", std::string("SetReaderMode")},
        {"PanelId", static_cast<int>(panelId)},
        {"ReaderId", static_cast<unsigned int>(request->readerId)},
        {"Mode", static_cast<unsigned int>(request->mode)},
        {"Flags", static_cast<unsigned int>(request->flags)},
    };
    return SendCommandMap(map);
}
