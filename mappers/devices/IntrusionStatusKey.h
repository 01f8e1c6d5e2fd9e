// IntrusionStatusKey: where the hardware status cache keeps the state of an intrusion object
// of a panel: the output item (device key = the object's category, sub item = the object's
// number). The panel's status update stores under it and the intrusion classes' status reads
// look up under it, so writer and readers always meet.
#pragma once

#include "platform/win32/WinTypes.h"

// The categories of intrusion objects, as the cache's device keys.
enum class IntrusionCategory : LONG
{
    Area = 0,
    Zone = 1,
    OnboardRelay = 2,
    OffboardRelay = 3,
    Door = 4,
};

struct IntrusionStatusKey
{
    LONG deviceKey;
    LONG subItem;

    // The key of object `number` of the category: its position in the driver server's status
    // arrays, which is the number the intrusion classes carry as their device id.
    static constexpr IntrusionStatusKey Of(IntrusionCategory category, LONG number)
    {
        return IntrusionStatusKey{static_cast<LONG>(category), number};
    }
};
