// ProvixaPendingRecords: the records the host has handed to its event providers (hwevent, an
// event the communication server relays, swevent) against those the providers' processors
// have finished with (indicated or dropped), so `wait` returns as soon as the events handed in
// have been processed instead of guessing how long that takes.
//
// Shared (std::shared_ptr) with the processors' outcome observers, which may outlive the
// host's objects. Thread-safe: records are handed in on the host's thread and on the
// communication server's, and finished on the processors' threads.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>

#include "platform/win32/ThreadSafety.h"

class ProvixaPendingRecords
{
public:
    // Before a record goes to a provider, so a processor that finishes it at once is counted
    // against it; Refused when the provider did not take it (it will never be finished).
    void HandingIn();
    void Refused();
    // A processor is done with a record.
    void Finished();
    // Waits until every record handed in so far is finished, at most `limit`; the number still
    // unfinished (0 when all are).
    std::uint64_t WaitForAll(std::chrono::milliseconds limit);

private:
    CheckedMutex m_lock;
    std::condition_variable m_finished;
    std::uint64_t m_handedIn GUARDED_BY(m_lock) = 0;
    std::uint64_t m_done GUARDED_BY(m_lock) = 0;
};
