#include "platform/win32/Clock.h"

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

}  // namespace

const IClock& IClock::Machine()
{
    static const MachineClock machine;
    return machine;
}
