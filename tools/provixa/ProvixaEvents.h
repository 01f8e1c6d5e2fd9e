// ProvixaEvents: the host's event commands, which play a WMI event consumer and the
// communication server for a person:
//   watch WQL                 subscribes to the events the query selects;
//   hwevent NAME=VALUE ...    hands one 216-byte hardware record to the library's hardware
//                             event provider, as the communication server does;
//   wait [MILLISECONDS]       waits until the provider has processed every record handed in
//                             so far (by hwevent, relayed, or by swevent), at most the
//                             milliseconds given (default 30000), and prints the events that
//                             arrived.
// With --json each event is printed as {"watch": N, "event": OBJECT} on one line and the
// progress notes go to the error stream, so the output is JSON lines only.
// With --simulate the communication server relays the events it accepts (Bnt_IncomingEvent)
// through Relay to the hardware event provider, so watches see them.
// The first event command loads the hardware event provider (with the security event classes)
// into the namespace. Events arrive on the provider's thread and are printed on the host's
// thread by wait and when the host ends, so output never interleaves.
//
// hwevent names: a record field (BntMessage::Fields, for example EventType=0), U8@N, U16@N,
// U32@N or U64@N for the little-endian value at record offset N, Text, HostName, AlarmID, and
// Record=HEX for the raw bytes (any length, so a short record can be tried; not combined with
// fields). Numbers are decimal or 0x hexadecimal.
//
// One per host run, on the host's one thread; it must go before the namespace releases its
// providers (its watches are cancelled then).
#pragma once

#include <chrono>
#include <memory>
#include <ostream>
#include <span>

#include "platform/win32/WinTypes.h"
#include <string>
#include <vector>

#include "platform/com/Unknown.h"
#include "tools/provixa/ProvixaCommandLine.h"
#include "tools/provixa/ProvixaEventProviderShell.h"
#include "tools/provixa/ProvixaPendingRecords.h"

class IWbemObjectSink;
class WbemServiceNamespace;

class ProvixaEvents
{
public:
    // The longest wait and the longest raw record a command may ask for; a wait ends earlier as
    // soon as the records handed in are processed.
    static constexpr int kMaxWaitMs = 60000;
    static constexpr int kDefaultWaitMs = 30000;
    static constexpr std::size_t kMaxRecordBytes = 4096;

    ProvixaEvents(WbemServiceNamespace& services, std::ostream& out, std::ostream& err);
    // Cancels the watches and prints the events that arrived and were not printed yet.
    ~ProvixaEvents();
    ProvixaEvents(const ProvixaEvents&) = delete;
    ProvixaEvents& operator=(const ProvixaEvents&) = delete;

    // True for watch, hwevent and wait.
    static bool Handles(ProvixaCommandLine::Command command);
    // Runs one of them; the host's exit status.
    int Run(const ProvixaCommandLine& commandLine);

    // An event relayed by the communication server: handed to the hardware event provider when
    // it is loaded (a watch loads it); without it there is no consumer to tell.
    void Relay(std::span<const BYTE> record, const std::wstring& text);

    // The records handed in and not yet processed; swevent counts its own in them too.
    const std::shared_ptr<ProvixaPendingRecords>& Pending() const { return m_pending; }

    // The arrived events, printed.
    struct Inbox;

private:
    // Loads the hardware event provider on first use; its failure.
    HRESULT EnsureProvider();
    int Watch(const ProvixaCommandLine& commandLine);
    int HandIn(const ProvixaCommandLine& commandLine);
    int Wait(const ProvixaCommandLine& commandLine);
    // Hands a record to the hardware event provider, counted as pending while it takes it; its
    // answer.
    HRESULT HandToProvider(std::span<const BYTE> record, const std::wstring& text, const std::wstring& hostName,
                           LONG alarmId);
    // Prints the events that arrived since the last print.
    void PrintArrived();

    WbemServiceNamespace& m_services;
    std::ostream& m_out;
    std::ostream& m_err;
    const std::shared_ptr<Inbox> m_inbox;
    const std::shared_ptr<ProvixaPendingRecords> m_pending;
    ComPtr<ProvixaEventProviderShell> m_shell;
    std::vector<ComPtr<IWbemObjectSink>> m_watches;
};
