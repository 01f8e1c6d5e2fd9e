// An event: a signal that is set and reset explicitly (manual reset) or reset by the wait
// that it releases (auto reset).
//
// set, reset and the waits are thread-safe; close is for the owner alone.
#pragma once

#include "Libraries/OstrumCore/Source/Platform/ThreadSignal.h"

namespace ostrum {

class ThreadEvent : public ThreadSignal
{
public:
    // Signalled at once unless `startReset`.
    ThreadEvent(bool manualReset, bool startReset);

    void set();
    void reset();
    // Closes the handle; the platform's result of the close, 0 when there was none.
    int close();
    // Whether the last call was set rather than reset (waits that reset the event are not
    // seen here).
    bool isSignalled() const;

private:
    bool m_signalled = false;
};

}  // namespace ostrum
