// LAAPProxy: the client of the hardware driver server of one host. Each operation makes one
// remote call under the proxy's mutex and follows one result rule: the binding is obtained
// (made on the first call after the host was set, through the endpoint table and the ACS.INI
// binding order), the call's two status words are preset to 0x8001FFFF, the call is made, and
// the answer is true only when the binding was obtained, the call completed and the first
// status word is 0 (the second is not examined). There is no retry; nothing is thrown to the
// caller. A missing block, a block of the wrong size, a negative count or a count beyond the
// caller's arrays or the named limits answers false without a call, and the server never
// writes past a block.
//
// Built on the stack by one device handler for one command and destroyed afterwards (which
// drops the binding). Thread-safe: the calls of one proxy are serialised by its mutex.
#pragma once

#include <memory>
#include <mutex>
#include <span>

#include "platform/win32/ThreadSafety.h"
#include "hardware/AapBlocks.h"
#include "hardware/IAapDriverServer.h"
#include "platform/mfc/CString.h"

class LAAPProxy
{
public:
    LAAPProxy();
    ~LAAPProxy();
    LAAPProxy(const LAAPProxy&) = delete;
    LAAPProxy& operator=(const LAAPProxy&) = delete;

    // Aims the proxy at the communication server of host; a different host drops the binding.
    void SetHostName(const CString& host);
    // The host the proxy is aimed at; empty for a new proxy.
    CString GetHostName();
    // Why the last remote call failed (the server cannot be reached, the call did not complete,
    // or the server refused it with its status), for the log and the caller; empty before the
    // first call and after a call that succeeded. A request refused before any call was made
    // (a block of the wrong size) leaves it unchanged.
    CString GetLastFailure();

    BOOL ActivateAlarmOutput(LONG panelId, LONG alarmPanelId, LONG outputId);
    BOOL DeactivateAlarmOutput(LONG panelId, LONG alarmPanelId, LONG outputId);
    BOOL PulseAlarmOutput(LONG panelId, LONG alarmPanelId, LONG outputId, LONG duration);
    // The 4116-byte alarm input command block.
    BOOL SetAlarmInputMask(std::span<BYTE> block);
    // The 12-byte reader input block, in/out.
    BOOL SetReaderInputMask(std::span<BYTE> block);
    // The 8-byte reader output block, in/out.
    BOOL ControlReaderOutput(std::span<BYTE> block);
    // The 44-byte elevator terminal command block.
    BOOL SendElevatorTerminalCommand(std::span<BYTE> block);
    // A zeroed 44-byte block with panel id at 0, terminal at 4, command type 1 at 8, mode at 16.
    BOOL SetElevatorTerminalMode(LONG panelId, LONG terminal, LONG mode);
    // Device id -1 asks for the panel itself. *online is set false first and, when the call
    // completes, to whether the server's answer word is non-zero, whatever the status words.
    BOOL GetDeviceStatus(LONG panelId, LONG deviceId, bool* online);
    // Mode 0 disarms, other modes arm; *result receives the server's word when given.
    BOOL SetIntrusionAreaArmState(LONG panelId, LONG areaNumber, USHORT mode, LONG* result);
    BOOL SilenceIntrusionArea(LONG panelId, LONG areaNumber);
    BOOL OpenIntrusionDoor(LONG panelId, LONG doorId);
    BOOL SetIntrusionDoorMode(LONG panelId, LONG doorId, USHORT mode);
    // Command 1 activate, 0 deactivate, 2 toggle.
    BOOL SetIntrusionOffboardRelay(LONG panelId, LONG relayId, LONG command);
    // Command 1 activate, 0 deactivate.
    BOOL SetIntrusionOnboardRelay(LONG panelId, LONG relayId, LONG command);
    // 1 bypass, 0 unbypass.
    BOOL BypassIntrusionZone(LONG panelId, LONG zoneId, LONG bypass);
    // 1 activate, 0 deactivate.
    BOOL SetIntrusionZoneOutput(LONG panelId, LONG outputId, LONG command);
    // The notes travel as UTF-16 with their byte count, terminator included; on success
    // *simultaneousAckStatus (when given) receives the server's word. Notes longer than
    // kMaxAcknowledgeNotes are refused.
    BOOL AcknowledgeAlarm(LONG currentAckStatus, LONG serialNumber, LONG panelId, LONG alarmId, LONG userId,
                          LONG alarmTime, LONG ackStatus, const CString& notes, bool noPanelHost,
                          LONG* simultaneousAckStatus);
    BOOL DownloadFirmware(LONG panelId);
    BOOL DownloadDatabase(LONG panelId);
    BOOL SetPanelClock(LONG panelId);
    BOOL DownloadReaderFirmware(LONG panelId, LONG readerId, LONG controlType, LONG flag);
    // The 20-byte request and the flag; false for an empty request.
    BOOL ResetUseLimit(std::span<const BYTE> request, BYTE flag);
    // Codes 1 connect primary, 2 connect secondary, 3 disconnect secondary, 0 disconnect primary.
    BOOL SetPanelConnection(LONG panelId, LONG code);
    // Fills the request's status byte and its records' status fields; false for a null
    // request or more than kMaxStatusRecords records (nothing changed then or on failure).
    BOOL GetPanelDeviceStatus(PanelDeviceStatusRequest* request);
    // 8456-byte board blocks keyed by the panel id in the first word, in/out.
    BOOL GetAlarmPanelInputStatus(std::span<BYTE> block);
    BOOL GetAlarmPanelOutputStatus(std::span<BYTE> block);
    // 72-byte and 520-byte blocks keyed by the panel id, in/out.
    BOOL GetPanelAuxStatus(std::span<BYTE> block);
    BOOL GetPanelDeviceStatusTable(std::span<BYTE> block);
    // Fills the state byte, the flag byte and the word (each optional).
    BOOL GetIntrusionPanelStatus(LONG panelId, BYTE* state, BYTE* flag, LONG* value);
    // Each fills count entries of its arrays and the out flag; count must lie in
    // 0..kMaxIntrusionObjects and within every array given.
    BOOL GetIntrusionZoneStatus(LONG panelId, BYTE* flag, LONG count, std::span<LONG> array1, std::span<LONG> array2);
    BOOL GetIntrusionOnboardRelayStatus(LONG panelId, BYTE* flag, LONG count, std::span<BYTE> states);
    BOOL GetIntrusionOffboardRelayStatus(LONG panelId, BYTE* flag, LONG count, std::span<BYTE> states);
    BOOL GetIntrusionDoorStatus(LONG panelId, BYTE* flag, LONG count, std::span<LONG> array1, std::span<LONG> array2);
    BOOL GetIntrusionAreaStatus(LONG panelId, BYTE* flag, LONG count, std::span<LONG> array1, std::span<LONG> array2,
                                std::span<LONG> array3);
    // Fills *flags (bit 0 panel online, bit 2 no per-terminal states) and the state of count
    // entries (count within entries and kMaxElevatorTerminals).
    BOOL GetElevatorTerminalStatus(LONG panelId, LONG* flags, std::span<ELEVATOR_TERMINAL_STATUS> entries, LONG count);
    // The map as a Boost binary archive of Variants, sent as one call; false when it cannot be
    // serialised or exceeds kMaxCommandMapBytes.
    BOOL SendCommandMap(const AapCommandMap& map);
    // {"CommandId": "OpenDoor", "PanelId": int, "ReaderId": int}.
    BOOL OpenDoor(LONG panelId, LONG readerId);
    // {"CommandId": "SetReaderMode", "PanelId": int, "ReaderId", "Mode", "Flags": unsigned};
    // false for a null request.
    BOOL SetReaderMode(LONG panelId, const ReaderModeRequest* request);

private:
    using Procedure = RPC_STATUS (IAapDriverServer::*)(std::span<BYTE>, AapCallStatus&);
    struct Outcome
    {
        bool completed = false;
        bool succeeded = false;
    };

    // The result rule, written once: one call of the procedure with the block.
    Outcome Invoke(Procedure procedure, std::span<BYTE> block);
    // A block of 32-bit words, sent with Invoke.
    BOOL InvokeWords(Procedure procedure, std::initializer_list<LONG> words);
    // A block of exactly `size` bytes, or false without a call.
    BOOL InvokeSized(Procedure procedure, std::span<BYTE> block, std::size_t size);
    // The intrusion status queries: count entries of each array (32-bit words) or of the
    // state bytes, and the out flag.
    BOOL QueryWordArrays(Procedure procedure, LONG panelId, BYTE* flag, LONG count,
                         std::initializer_list<std::span<LONG>> arrays);
    BOOL QueryByteStates(Procedure procedure, LONG panelId, BYTE* flag, LONG count, std::span<BYTE> states);
    // The server of the current host, bound on first use; null when none answers. The caller
    // holds m_lock.
    IAapDriverServer* ServerLocked() REQUIRES(m_lock);

    CheckedMutex m_lock;
    CString m_host GUARDED_BY(m_lock);
    std::shared_ptr<IAapDriverServer> m_server GUARDED_BY(m_lock);
    CString m_lastFailure GUARDED_BY(m_lock);
};
