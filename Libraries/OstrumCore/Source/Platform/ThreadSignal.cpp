#include "Libraries/OstrumCore/Source/Platform/ThreadSignal.h"

#include "Libraries/OstrumCore/Source/Platform/ThreadSignalList.h"
#include "platform/win32/Threading.h"

#include <array>

namespace ostrum {

namespace {

// The 1-based position of the handle that a multiple wait reports, 0 on time-out, -1 on
// failure; an abandoned handle counts like a signalled one.
int positionOfWaitResult(DWORD result, DWORD count)
{
    if (result == WAIT_TIMEOUT)
    {
        return 0;
    }
    if (result < WAIT_OBJECT_0 + count)
    {
        return static_cast<int>(result - WAIT_OBJECT_0) + 1;
    }
    if (result >= WAIT_ABANDONED && result < WAIT_ABANDONED + count)
    {
        return static_cast<int>(result - WAIT_ABANDONED) + 1;
    }
    return -1;
}

}  // namespace

ThreadSignal::ThreadSignal(HANDLE handle) : m_handle(handle) {}

ThreadSignal::~ThreadSignal()
{
    if (m_handle != nullptr)
    {
        CloseHandle(m_handle);
    }
}

int ThreadSignal::waitFor(DWORD timeoutMs)
{
    switch (WaitForSingleObject(m_handle, timeoutMs))
    {
    case WAIT_OBJECT_0:
        return 1;
    case WAIT_TIMEOUT:
        return 0;
    default:
        return -1;
    }
}

int ThreadSignal::waitEither(DWORD timeoutMs, ThreadSignal& other)
{
    const HANDLE handles[2] = {m_handle, other.m_handle};
    return positionOfWaitResult(WaitForMultipleObjects(2, handles, FALSE, timeoutMs), 2);
}

int ThreadSignal::waitAny(DWORD timeoutMs, const ThreadSignalList* list)
{
    if (list == nullptr)
    {
        return waitFor(timeoutMs);
    }
    const int count = list->getCount() + 1;
    if (count > kMaxWaitSignals)
    {
        return -1;
    }
    std::array<HANDLE, kMaxWaitSignals> handles{};
    handles[0] = m_handle;
    for (int i = 1; i < count; ++i)
    {
        handles[static_cast<std::size_t>(i)] = list->getSignal(i - 1)->m_handle;
    }
    const auto waited = static_cast<DWORD>(count);
    return positionOfWaitResult(WaitForMultipleObjects(waited, handles.data(), FALSE, timeoutMs), waited);
}

}  // namespace ostrum
