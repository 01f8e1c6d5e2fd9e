#include "tools/provixa/ProvixaPendingRecords.h"

void ProvixaPendingRecords::HandingIn()
{
    const CheckedMutexLock guard(m_lock);
    ++m_handedIn;
}

void ProvixaPendingRecords::Refused()
{
    {
        const CheckedMutexLock guard(m_lock);
        --m_handedIn;
    }
    m_finished.notify_all();
}

void ProvixaPendingRecords::Finished()
{
    {
        const CheckedMutexLock guard(m_lock);
        ++m_done;
    }
    m_finished.notify_all();
}

std::uint64_t ProvixaPendingRecords::WaitForAll(std::chrono::milliseconds limit)
{
    CheckedMutexLock guard(m_lock);
    guard.WaitFor(m_finished, limit, [this]() REQUIRES(m_lock) { return m_done >= m_handedIn; });
    return m_done >= m_handedIn ? 0 : m_handedIn - m_done;
}
