// StatementGate: makes a race between concurrent writers happen every time. Each writer thread
// runs its request through Run; the gate holds the thread at its first statement that writes
// (BEGIN, INSERT, UPDATE, DELETE, REPLACE) until every writer has reached its own or has ended
// its request, then lets them all go on. A write whose checks run inside its transaction
// reaches BEGIN before checking, so the writers then check one after another and see each
// other's rows; a write whose checks run before its transaction has checked before any writer
// has written, so every writer passes a limit or a uniqueness rule that only one may pass.
//
// The gate watches every SQLite connection the test program opens (a statement trace put on
// each by an automatic extension, installed before main), so it needs no hook in the code under
// test. One gate per race, owned by the test; Run is called on the writers' threads, the other
// members on any thread. A writer waits at most kArrivalLimit for the others; past it the gate
// lets everyone go and AllArrived answers false.
#pragma once

#include "platform/win32/ThreadSafety.h"
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>

namespace support {
class StatementGate
{
public:
    static constexpr std::chrono::seconds kArrivalLimit{30};

    explicit StatementGate(int writers);
    StatementGate(const StatementGate&) = delete;
    StatementGate& operator=(const StatementGate&) = delete;

    // Runs the request on the calling thread as one of the gate's writers.
    void Run(const std::function<void()>& request);
    // True when every writer reached the gate within kArrivalLimit of the first.
    bool AllArrived() const;

    // True when every connection opened carries the statement trace (StatementRecorder rides
    // on it too).
    static bool Traced();
    // For the statement trace: holds the calling writer at its first writing statement.
    static void OnStatement(const char* sql);

private:
    void Arrive(bool wait);

    // Set at construction.
    const int m_writers;
    mutable CheckedMutex m_lock;
    std::condition_variable m_arrival;
    int m_arrived GUARDED_BY(m_lock) = 0;
    bool m_late GUARDED_BY(m_lock) = false;
};
}  // namespace support
