#include "platform/win32/Clock.h"

#include <atomic>
#include <chrono>

#include "platform/win32/SystemInfo.h"

namespace {

class MachineClock final : public IClock
{
public:
    ULONGLONG GetTickCount64() const override { return ::GetTickCount64(); }
    LONGLONG GetUtcMilliseconds() const override
    {
        const auto sinceEpoch = std::chrono::system_clock::now().time_since_epoch();
        return static_cast<LONGLONG>(std::chrono::duration_cast<std::chrono::milliseconds>(sinceEpoch).count());
    }
};

const MachineClock kMachine{};

// The clock the process clock reads; constant-initialised, so it is set before any static
// constructor can read it.
constinit std::atomic<const IClock*> g_processClock{&kMachine};

class ProcessClock final : public IClock
{
public:
    ULONGLONG GetTickCount64() const override { return g_processClock.load()->GetTickCount64(); }
    LONGLONG GetUtcMilliseconds() const override { return g_processClock.load()->GetUtcMilliseconds(); }
};

const ProcessClock kProcess{};

}  // namespace

const IClock& IClock::Machine()
{
    return kMachine;
}

const IClock& IClock::Process()
{
    return kProcess;
}

void IClock::SetProcess(const IClock* clock)
{
    g_processClock.store(clock != nullptr ? clock : &kMachine);
}
