#include "inhouse/BntLogin/DBConnectionManager.h"

#include <algorithm>
#include <chrono>

#include "inhouse/BntCoreDb/CBntDatabase.h"
#include "inhouse/BntLogin/CAcsUser.h"
#include "inhouse/BntUtility/CWMIDebugLog.h"

using brontel::utility::CWMIDebugLog;

namespace {

constexpr wchar_t kSource[] = L"DBConnectionManager";

}  // namespace

DBConnectionManager::DBConnectionManager(int poolSize) : m_poolSize(std::max(1, poolSize)) {}

DBConnectionManager::~DBConnectionManager() = default;

void DBConnectionManager::SetConnectionTimeout(int seconds)
{
    const std::scoped_lock guard(m_lock);
    m_timeoutSeconds = std::max(0, seconds);
}

int DBConnectionManager::GetConnectionTimeout() const
{
    const std::scoped_lock guard(m_lock);
    return m_timeoutSeconds;
}

int DBConnectionManager::AddDatabase(LPCWSTR dataSource, int)
{
    const CString source =
        dataSource == nullptr || *dataSource == L'\0' ? CBntDatabase::GetDSNFromINI() : CString(dataSource);
    {
        const std::scoped_lock guard(m_lock);
        if (m_attached)
        {
            if (m_dataSource == source)
            {
                return 1;
            }
            CWMIDebugLog::LogError(kSource, __LINE__, CString(L"Another database is attached already: ") + source);
            return 0;
        }
    }
    // The login runs outside the lock: it may take as long as the database needs.
    auto user = std::make_unique<CAcsUser>();
    if (!user->LoginAsSA(source))
    {
        CWMIDebugLog::LogError(kSource, __LINE__, CString(L"Unable to log in to the database ") + source);
        return 0;
    }
    {
        const std::scoped_lock guard(m_lock);
        if (m_attached)
        {
            // Another thread attached meanwhile; its pool stands.
            return m_dataSource == source ? 1 : 0;
        }
        auto slot = std::make_unique<Slot>();
        slot->user = std::move(user);
        m_slots.push_back(std::move(slot));
        m_dataSource = source;
        m_attached = true;
    }
    m_available.notify_all();
    return 1;
}

BOOL DBConnectionManager::IsDatabaseAttached() const
{
    const std::scoped_lock guard(m_lock);
    return m_attached ? TRUE : FALSE;
}

CAcsUser* DBConnectionManager::Connection(int database)
{
    if (database != 0)
    {
        return nullptr;
    }
    std::unique_lock guard(m_lock);
    if (!m_attached)
    {
        return nullptr;
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(m_timeoutSeconds);
    for (;;)
    {
        for (auto& slot : m_slots)
        {
            if (!slot->lent && slot->user->IsLoggedIn())
            {
                slot->lent = true;
                return slot->user.get();
            }
        }
        if (static_cast<int>(m_slots.size()) + m_pending < m_poolSize)
        {
            ++m_pending;
            const CString source = m_dataSource;
            // The login runs without the lock so that other callers are not held up by it.
            guard.unlock();
            auto user = std::make_unique<CAcsUser>();
            const bool loggedIn = user->LoginAsSA(source);
            guard.lock();
            --m_pending;
            if (!loggedIn)
            {
                m_available.notify_one();
                CWMIDebugLog::LogError(kSource, __LINE__, L"Unable to open a pooled database connection.");
                return nullptr;
            }
            auto slot = std::make_unique<Slot>();
            slot->user = std::move(user);
            slot->lent = true;
            m_slots.push_back(std::move(slot));
            return m_slots.back()->user.get();
        }
        if (m_available.wait_until(guard, deadline) == std::cv_status::timeout)
        {
            const bool anyFree = std::any_of(m_slots.begin(), m_slots.end(),
                                             [](const auto& slot) { return !slot->lent && slot->user->IsLoggedIn(); });
            if (!anyFree)
            {
                CWMIDebugLog::LogError(kSource, __LINE__,
                                       L"Every pooled database connection is in use; the wait for one timed out.",
                                       static_cast<HRESULT>(0x80041001u));
                return nullptr;
            }
        }
    }
}

void DBConnectionManager::ReleaseConnection(const CAcsUser* connection)
{
    if (connection == nullptr)
    {
        return;
    }
    {
        const std::scoped_lock guard(m_lock);
        const auto found = std::find_if(m_slots.begin(), m_slots.end(),
                                        [connection](const auto& slot) { return slot->user.get() == connection; });
        if (found == m_slots.end() || !(*found)->lent)
        {
            CWMIDebugLog::LogError(kSource, __LINE__, L"A connection that is not lent was given back.");
            return;
        }
        (*found)->lent = false;
    }
    m_available.notify_one();
}

int DBConnectionManager::GetConnectionCount() const
{
    const std::scoped_lock guard(m_lock);
    return static_cast<int>(m_slots.size());
}

int DBConnectionManager::GetLentCount() const
{
    const std::scoped_lock guard(m_lock);
    return static_cast<int>(std::count_if(m_slots.begin(), m_slots.end(), [](const auto& slot) { return slot->lent; }));
}
