// ProvixaSoftwareEvents: the host's software event command, which plays the installation's
// services handing a record change to the library:
//   swevent TYPE TRANSACTION FLAGS FILE
// hands the XML text of FILE (UTF-8) to the software event provider with the record type
// (1 person, 2 cardholder, ... 8 visit event), the transaction (1 created, 2 modified,
// 3 deleted) and the flags. The software event provider is loaded into the namespace (as the
// provider of __InstanceOperationEvent and its subclasses) before the first event command, so
// a `watch` on the instance operation events finds it; what arrives is printed by `wait`.
// The provider takes every event and drops the ones it cannot turn into a WMI event; swevent
// waits for its event's outcome and fails when it was dropped.
//
// One per host run, on the host's one thread; it must go before the namespace releases its
// providers.
#pragma once

#include <memory>
#include <ostream>

#include "platform/com/Unknown.h"
#include "tools/provixa/ProvixaCommandLine.h"
#include "tools/provixa/ProvixaPendingRecords.h"
#include "tools/provixa/ProvixaSoftwareEventProviderShell.h"

class WbemServiceNamespace;

class ProvixaSoftwareEvents
{
public:
    // The longest event text file read, and how long swevent waits for its event's outcome.
    static constexpr std::size_t kMaxTextBytes = 1024 * 1024;
    static constexpr int kOutcomeWaitMs = 10000;

    // The outcomes the provider's processor reports (eventId -> indicated).
    struct Outcomes;

    // Each event handed in counts in `pending` until the provider's processor is done with it.
    ProvixaSoftwareEvents(WbemServiceNamespace& services, std::ostream& out, std::ostream& err,
                          std::shared_ptr<ProvixaPendingRecords> pending);
    ~ProvixaSoftwareEvents();
    ProvixaSoftwareEvents(const ProvixaSoftwareEvents&) = delete;
    ProvixaSoftwareEvents& operator=(const ProvixaSoftwareEvents&) = delete;

    // True for swevent.
    static bool Handles(ProvixaCommandLine::Command command);
    // Loads the software event provider on first use; its failure (printed).
    HRESULT EnsureProvider();
    // Runs swevent; the host's exit status.
    int Run(const ProvixaCommandLine& commandLine);

private:
    WbemServiceNamespace& m_services;
    std::ostream& m_out;
    std::ostream& m_err;
    ComPtr<ProvixaSoftwareEventProviderShell> m_shell;
    const std::shared_ptr<Outcomes> m_outcomes;
    const std::shared_ptr<ProvixaPendingRecords> m_pending;
    LONG m_nextEventId = 1;
};
