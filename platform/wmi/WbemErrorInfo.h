// WbemErrorInfo: the status object of the calling thread's last synchronous call of the WMI
// service stand-in, as COM's per-thread error information carries it to a synchronous
// caller: a failed call that came with an extended status object (__ExtendedStatus) leaves
// it here; every other call clears it.
//
// Per thread: nothing is shared, so every function is thread-safe.
#pragma once

#include "platform/com/Unknown.h"
#include "platform/wmi/IWbemClassObject.h"

class WbemErrorInfo
{
public:
    WbemErrorInfo() = delete;

    // Replaces the thread's status object (null clears it).
    static void Set(IWbemClassObject* statusObject);
    // The thread's status object (empty when there is none); the thread's slot is cleared.
    static ComPtr<IWbemClassObject> Take();
};
