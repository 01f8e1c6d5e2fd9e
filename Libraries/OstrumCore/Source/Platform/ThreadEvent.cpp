#include "Libraries/OstrumCore/Source/Platform/ThreadEvent.h"

#include "platform/win32/Threading.h"

namespace ostrum {

ThreadEvent::ThreadEvent(bool manualReset, bool startReset)
    : ThreadSignal(CreateEventA(nullptr, manualReset ? TRUE : FALSE, startReset ? FALSE : TRUE, nullptr))
{
}

void ThreadEvent::set()
{
    m_signalled = true;
    SetEvent(m_handle);
}

void ThreadEvent::reset()
{
    m_signalled = false;
    ResetEvent(m_handle);
}

int ThreadEvent::close()
{
    if (m_handle == nullptr)
    {
        return 0;
    }
    const BOOL closed = CloseHandle(m_handle);
    m_handle = nullptr;
    return closed;
}

bool ThreadEvent::isSignalled() const
{
    return m_signalled;
}

}  // namespace ostrum
