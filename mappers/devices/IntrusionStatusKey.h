// IntrusionStatusKey: where the hardware status cache keeps the state of an intrusion object
// of a panel: the output item (device key = the object's category, sub item = the category's
// first sub item plus the object's number). The panel's status update stores under it and the intrusion
// classes' status reads look up under it, so writer and readers always meet.
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

    // The sub item of a category's object 0: where its entries start among the cache's items.
    static constexpr LONG FirstSubItemOf(IntrusionCategory category)
    {
        switch (category)
        {
        case IntrusionCategory::Area:
            return 21000;
        case IntrusionCategory::OnboardRelay:
            return 20000;
        case IntrusionCategory::OffboardRelay:
            return 10000;
        case IntrusionCategory::Door:
            return 15000;
        case IntrusionCategory::Zone:
            break;
        }
        return 0;
    }

    // The key of object `number` of the category. The number an intrusion class carries (its
    // DeviceID, an area's AreaNumber) is the object's position in the driver server's status
    // array of its category, counting from 0, so the update's n-th entry and the device
    // numbered n share one key. A number near the 32-bit limit wraps (no overflow) and names
    // an item that is never written, which reads as 0.
    static constexpr IntrusionStatusKey Of(IntrusionCategory category, LONG number)
    {
        return IntrusionStatusKey{static_cast<LONG>(category),
                                  static_cast<LONG>(static_cast<LONGLONG>(FirstSubItemOf(category)) + number)};
    }
};
