#include "inhouse/BntLogin/DBConnectionManager.h"

#include <algorithm>
#include <chrono>

#include "inhouse/BntCoreDb/CBntDatabase.h"
#include "inhouse/BntLogin/CAcsUser.h"
#include "inhouse/BntUtility/CWMIDebugLog.h"

using brontel::utility::CWMIDebugLog;

namespace {

constexpr wchar_t kDBConnectionManagerSource[] = L"DBConnectionManager";

}  // namespace

DBConnectionManager::DBConnectionManager(int poolSize)
    : m_poolSize(std::max(1, poolSize)), m_slots(std::make_unique<Slot[]>(static_cast<std::size_t>(m_poolSize)))
{
}

DBConnectionManager::~DBConnectionManager() = default;

void DBConnectionManager::SetConnectionTimeout(int seconds)
{
    const CheckedMutexLock guard(m_lock);
    m_timeoutSeconds = std::max(0, seconds);
}

int DBConnectionManager::GetConnectionTimeout() const
{
    const CheckedMutexLock guard(m_lock);
    return m_timeoutSeconds;
}

int DBConnectionManager::AddDatabase(LPCWSTR dataSource, int)
{
    const CString source =
        dataSource == nullptr || *dataSource == L'\0' ? CBntDatabase::GetDSNFromINI() : CString(dataSource);
    {
        const CheckedMutexLock guard(m_lock);
        if (m_attached)
        {
            if (m_dataSource == source)
            {
                return 1;
            }
            CWMIDebugLog::LogError(kDBConnectionManagerSource, __LINE__,
                                   CString(L"Another database is attached already: ") + source);
            return 0;
        }
    }
    // The login runs outside the lock: it may take as long as the database needs.
    auto user = std::make_unique<CAcsUser>();
    if (!user->LoginAsSA(source))
    {
        CWMIDebugLog::LogError(kDBConnectionManagerSource, __LINE__,
                               CString(L"Unable to log in to the database ") + source);
        return 0;
    }
    {
        const CheckedMutexLock guard(m_lock);
        if (m_attached)
        {
            // Another thread attached meanwhile; its pool stands.
            return m_dataSource == source ? 1 : 0;
        }
        AddSlot(std::move(user), kFree);
        m_dataSource = source;
        m_attached = true;
    }
    m_available.notify_all();
    return 1;
}

BOOL DBConnectionManager::IsDatabaseAttached() const
{
    return m_attached ? TRUE : FALSE;
}

CAcsUser* DBConnectionManager::Connection(int database)
{
    if (database != 0 || !m_attached)
    {
        return nullptr;
    }
    if (CAcsUser* free = TakeFree())
    {
        return free;
    }
    CheckedMutexLock guard(m_lock);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(m_timeoutSeconds);
    // Counted before the free slots are looked at again, so that a connection given back from
    // now on wakes this caller (ReleaseConnection reads the count after freeing the slot).
    ++m_waiters;
    const auto leave = [this](CAcsUser* taken) {
        --m_waiters;
        return taken;
    };
    for (;;)
    {
        if (CAcsUser* free = TakeFree())
        {
            return leave(free);
        }
        if (static_cast<int>(MadeCount()) + m_pending < m_poolSize)
        {
            ++m_pending;
            const CString source = m_dataSource;
            // The login runs without the lock so that other callers are not held up by it.
            guard.Unlock();
            auto user = std::make_unique<CAcsUser>();
            const bool loggedIn = user->LoginAsSA(source);
            guard.Lock();
            --m_pending;
            if (!loggedIn)
            {
                m_available.notify_one();
                CWMIDebugLog::LogError(kDBConnectionManagerSource, __LINE__,
                                       L"Unable to open a pooled database connection.");
                return leave(nullptr);
            }
            return leave(AddSlot(std::move(user), kLent));
        }
        if (guard.WaitUntil(m_available, deadline) == std::cv_status::timeout)
        {
            if (CAcsUser* free = TakeFree())
            {
                return leave(free);
            }
            CWMIDebugLog::LogError(kDBConnectionManagerSource, __LINE__,
                                   L"Every pooled database connection is in use; the wait for one timed out.",
                                   static_cast<HRESULT>(0x80041001u));
            return leave(nullptr);
        }
    }
}

void DBConnectionManager::ReleaseConnection(const CAcsUser* connection)
{
    if (connection == nullptr)
    {
        return;
    }
    const std::size_t made = MadeCount();
    for (std::size_t index = 0; index < made; ++index)
    {
        Slot& slot = m_slots[index];
        if (slot.user.get() != connection)
        {
            continue;
        }
        int lent = kLent;
        if (!slot.state.compare_exchange_strong(lent, kFree))
        {
            break;
        }
        WakeWaiter();
        return;
    }
    CWMIDebugLog::LogError(kDBConnectionManagerSource, __LINE__, L"A connection that is not lent was given back.");
}

int DBConnectionManager::GetConnectionCount() const
{
    return static_cast<int>(MadeCount());
}

int DBConnectionManager::GetLentCount() const
{
    const std::size_t made = MadeCount();
    int lent = 0;
    for (std::size_t index = 0; index < made; ++index)
    {
        lent += m_slots[index].state == kLent ? 1 : 0;
    }
    return lent;
}

CAcsUser* DBConnectionManager::TakeFree()
{
    // Each thread starts at the slot it took last, so that threads spread over the slots
    // instead of all trying the first one.
    thread_local std::size_t t_start = 0;
    const std::size_t made = MadeCount();
    for (std::size_t step = 0; step < made; ++step)
    {
        const std::size_t index = (t_start + step) % made;
        Slot& slot = m_slots[index];
        int free = kFree;
        if (slot.state != kFree || !slot.state.compare_exchange_strong(free, kLent))
        {
            continue;
        }
        if (slot.user->IsLoggedIn())
        {
            t_start = index;
            return slot.user.get();
        }
        slot.state = kFree;
    }
    return nullptr;
}

CAcsUser* DBConnectionManager::AddSlot(std::unique_ptr<CAcsUser> user, SlotState state)
{
    const std::size_t index = MadeCount();
    Slot& slot = m_slots[index];
    slot.user = std::move(user);
    slot.state = state;
    // Published last: lock-free readers see only slots whose connection is set.
    m_made.store(index + 1, std::memory_order_release);
    return slot.user.get();
}

void DBConnectionManager::WakeWaiter()
{
    if (m_waiters == 0)
    {
        return;
    }
    // Passing through the lock orders this wake after a waiter's last look at the slots, so
    // the wake cannot fall between that look and its wait.
    {
        const CheckedMutexLock guard(m_lock);
    }
    m_available.notify_one();
}
