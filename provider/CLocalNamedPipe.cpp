#include "provider/CLocalNamedPipe.h"

#include <chrono>
#include <cstring>
#include <new>

CLocalNamedPipe::CLocalNamedPipe() = default;

CLocalNamedPipe::~CLocalNamedPipe()
{
    Close();
}

CLocalNamedPipe::Item CLocalNamedPipe::MakeItem(const void* data, LONG size)
{
    Item item;
    item.size = size;
    if (data != nullptr && size >= 1)
    {
        const auto* bytes = static_cast<const BYTE*>(data);
        item.data.assign(bytes, bytes + size);
    }
    return item;
}

LONG CLocalNamedPipe::Write(const void* data, LONG size)
{
    try
    {
        Item item = MakeItem(data, size);
        const CheckedMutexLock guard(m_lock);
        m_queue.push_back(std::move(item));
        m_dataAvailable.notify_all();
        return size;
    }
    catch (const std::bad_alloc&)
    {
        return 0;
    }
}

LONG CLocalNamedPipe::WriteUnit(const void* first, LONG firstSize, const void* second, LONG secondSize)
{
    try
    {
        Item head = MakeItem(first, firstSize);
        Item tail = MakeItem(second, secondSize);
        const CheckedMutexLock guard(m_lock);
        m_queue.push_back(std::move(head));
        try
        {
            m_queue.push_back(std::move(tail));
        }
        catch (const std::bad_alloc&)
        {
            // A header without its text would be read as a packet: take it back.
            m_queue.pop_back();
            throw;
        }
        m_dataAvailable.notify_all();
        return firstSize + secondSize;
    }
    catch (const std::bad_alloc&)
    {
        return 0;
    }
}

bool CLocalNamedPipe::WaitForDataLocked(CheckedMutexLock& lock)
{
    const auto ready = [this]() REQUIRES(m_lock) { return m_closed || !m_queue.empty(); };
    if (m_readTimeoutMs < 0)
        lock.Wait(m_dataAvailable, ready);
    else if (!lock.WaitFor(m_dataAvailable, std::chrono::milliseconds(m_readTimeoutMs), ready))
        return false;
    return !m_closed;
}

LONG CLocalNamedPipe::ReadImpl(void* buffer, LONG capacity, bool remove)
{
    CheckedMutexLock lock(m_lock);
    if (!WaitForDataLocked(lock) || m_queue.empty())
        return 0;
    Item& item = m_queue.front();
    LONG result = 0;
    if (buffer != nullptr && !item.data.empty() && item.size > 0 && capacity >= item.size)
    {
        std::memcpy(buffer, item.data.data(), static_cast<std::size_t>(item.size));
        result = item.size;
    }
    // A block that does not fit is consumed all the same: the reader asked for the next block.
    if (remove)
        m_queue.pop_front();
    return result;
}

LONG CLocalNamedPipe::Read(void* buffer, LONG capacity)
{
    return ReadImpl(buffer, capacity, true);
}

LONG CLocalNamedPipe::Peek(void* buffer, LONG capacity)
{
    return ReadImpl(buffer, capacity, false);
}

BOOL CLocalNamedPipe::Skip()
{
    ReadImpl(nullptr, 0, true);
    return TRUE;
}

BOOL CLocalNamedPipe::ReadBytes(std::vector<BYTE>& bytes)
{
    CheckedMutexLock lock(m_lock);
    if (!WaitForDataLocked(lock) || m_queue.empty())
        return FALSE;
    Item& item = m_queue.front();
    // A block written without bytes comes back empty, whatever size it recorded.
    bytes = std::move(item.data);
    m_queue.pop_front();
    return TRUE;
}

int CLocalNamedPipe::GetCount() const
{
    const CheckedMutexLock guard(m_lock);
    return static_cast<int>(m_queue.size());
}

BOOL CLocalNamedPipe::Close()
{
    const CheckedMutexLock guard(m_lock);
    m_closed = true;
    m_dataAvailable.notify_all();
    return TRUE;
}

void CLocalNamedPipe::SetReadTimeout(LONG milliseconds)
{
    const CheckedMutexLock guard(m_lock);
    m_readTimeoutMs = milliseconds;
}
