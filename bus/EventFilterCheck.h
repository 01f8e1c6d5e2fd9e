// corvessa::EventFilterCheck: asks the outside event filter checker (IEventFilterChecker)
// whether a subscription filter text is acceptable.
//
// Static; the COM initialisation it makes belongs to the calling thread and is undone before
// it returns, so any thread may call it.
#pragma once

#include <string>

namespace corvessa {

class EventFilterCheck
{
public:
    EventFilterCheck() = delete;

    // False when the checker rejects the filter (UTF-8); true when it accepts it, and when
    // no checker can be created (a warning is logged). Throws _com_error when the checker's
    // call fails.
    static bool IsFilterAccepted(const std::string& filter);
};

}  // namespace corvessa
