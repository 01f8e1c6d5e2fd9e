// The process's pool of database connections: each connection is a CAcsUser logged in as
// the system administrator on the installation's database. Callers take one with
// Connection(0) and give it back with ReleaseConnection on every path.
//
// Owned by the application object. Thread-safe, and built so that many request threads do not
// queue for it: the slots are fixed at construction, a made slot's connection never changes,
// and a free connection is taken and given back by an atomic change of its slot's state,
// without a lock. m_lock serialises only the making of connections and the waits: a caller
// that finds every connection lent waits (m_available) until one comes back or the connection
// time-out passes. Connections are made on demand, up to the pool size, outside the lock.
#pragma once

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>

#include "platform/win32/ThreadSafety.h"
#include "platform/mfc/CString.h"
#include "platform/win32/WinTypes.h"

class CAcsUser;

class DBConnectionManager
{
public:
    // Long-lived holders (the list class cache, user entries, RPC classes) keep connections
    // besides the one each request holds; the cap leaves room for eight requests at once on
    // top of them. Connections are made only when asked for, so an idle host makes few.
    static constexpr int kDefaultPoolSize = 16;
    static constexpr int kDefaultTimeoutSeconds = 300;

    explicit DBConnectionManager(int poolSize = kDefaultPoolSize);
    // Every connection is closed; the manager must outlive its borrowers.
    ~DBConnectionManager();
    DBConnectionManager(const DBConnectionManager&) = delete;
    DBConnectionManager& operator=(const DBConnectionManager&) = delete;

    // How long Connection waits for a connection to come back, in seconds (negative counts
    // as 0).
    void SetConnectionTimeout(int seconds);
    int GetConnectionTimeout() const;

    // Attaches the database that dataSource names (null or empty:
    // CBntDatabase::GetDSNFromINI) and checks it with one administrator login, which becomes
    // the pool's first connection. Non-zero on success (also when the same database is
    // already attached); 0 when the login fails or another database is attached already.
    // The flags are the original library's options; this pool needs none.
    int AddDatabase(LPCWSTR dataSource, int);
    BOOL IsDatabaseAttached() const;

    // A free connection of the attached database; the argument names the database (0, the
    // only one). Null when no database is attached, the index is not 0, a new connection
    // cannot log in, or every connection is lent and none comes back within the time-out
    // (logged to the provider's log).
    CAcsUser* Connection(int database);
    // Gives a connection back. A null, foreign or already returned connection is ignored
    // (and logged).
    void ReleaseConnection(const CAcsUser* connection);

    // Connections made so far and connections lent now.
    int GetConnectionCount() const;
    int GetLentCount() const;

private:
    enum SlotState : int
    {
        kFree,
        kLent,
    };
    struct Slot
    {
        // Set once, under m_lock, before the slot is counted in m_made; only read afterwards.
        std::unique_ptr<CAcsUser> user;
        std::atomic<int> state{kFree};
    };

    // A free, logged-in connection taken without the lock; null when none is free.
    CAcsUser* TakeFree();
    // Counts the new connection in as the next slot, in the given state. The caller holds
    // m_lock and has checked that a slot is left.
    CAcsUser* AddSlot(std::unique_ptr<CAcsUser> user, SlotState state);
    // Wakes a caller waiting for a connection, if there is one.
    void WakeWaiter();
    // Made slots, in the order made.
    std::size_t MadeCount() const { return m_made.load(std::memory_order_acquire); }

    // Set at construction.
    const int m_poolSize;
    const std::unique_ptr<Slot[]> m_slots;

    mutable CheckedMutex m_lock;
    std::condition_variable m_available;
    std::atomic<std::size_t> m_made{0};   // slots with a connection; raised under m_lock
    std::atomic<bool> m_attached{false};  // set under m_lock
    std::atomic<int> m_waiters{0};        // callers waiting for a connection
    CString m_dataSource GUARDED_BY(m_lock);
    int m_timeoutSeconds GUARDED_BY(m_lock) = kDefaultTimeoutSeconds;
    int m_pending GUARDED_BY(m_lock) = 0;  // connections being made
};
