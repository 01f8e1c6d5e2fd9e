// The rows of the event provider tests' tables, one shape each for the hardware and the
// software event programs.
#pragma once

#include "platform/win32/WinTypes.h"

namespace support {
// A subscription and the events it receives, by their signatures in the order received.
struct EventDeliveryCase
{
    const char* rule;
    const wchar_t* query;
    const char* expected;
};

// A caller (by SID) subscribing with the query, and the access check's answer.
struct EventAccessCase
{
    const char* rule;
    const wchar_t* caller;
    const wchar_t* query;
    HRESULT expected;
};
}  // namespace support
