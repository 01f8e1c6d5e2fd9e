// A waitable handle (an event and the like) that threads wait on alone or together.
//
// Owns its handle and closes it when destroyed. Waiting is thread-safe; the object itself is
// created and destroyed by one owner. Not copyable.
#pragma once

#include "platform/win32/WinTypes.h"

namespace ostrum {

class ThreadSignalList;

class ThreadSignal
{
public:
    // Handles waited on together at most (the platform's limit).
    static constexpr int kMaxWaitSignals = 64;

    virtual ~ThreadSignal();
    ThreadSignal(const ThreadSignal&) = delete;
    ThreadSignal& operator=(const ThreadSignal&) = delete;

    // 1 when signalled within `timeoutMs` (INFINITE: no limit), 0 on time-out, -1 when
    // abandoned or on failure (no handle, a closed handle).
    int waitFor(DWORD timeoutMs);
    // 1 for this signal (signalled or abandoned), 2 for `other`, 0 on time-out, -1 on failure.
    int waitEither(DWORD timeoutMs, ThreadSignal& other);
    // Without a list, as waitFor. Otherwise waits for this signal or any of the list's: the
    // 1-based position of the one that fired (1 is this one; abandoned counts as fired), 0 on
    // time-out, -1 on failure or when more than kMaxWaitSignals would be waited on.
    int waitAny(DWORD timeoutMs, const ThreadSignalList* list);

protected:
    explicit ThreadSignal(HANDLE handle);

    HANDLE m_handle = nullptr;
};

}  // namespace ostrum
