#include "bus/EventSubscription.h"

namespace corvessa {

bool EventSubscription::AreDatesEqual(const OptionalDate& left, const OptionalDate& right)
{
    if (left.has_value() != right.has_value())
    {
        return false;
    }
    return !left.has_value() || *left == *right;
}

bool EventSubscription::IsNew() const
{
    return !createdDate.has_value() || AreDatesEqual(createdDate, lastUpdatedDate);
}

bool EventSubscription::IsUpdated() const
{
    return !IsNew() && !IsDisabled();
}

bool EventSubscription::IsDisabled() const
{
    return disabledDate.has_value();
}

EventSubscription::ChangeType EventSubscription::GetChangeType() const
{
    if (IsNew())
    {
        return New;
    }
    return IsUpdated() ? Updated : Disabled;
}

}  // namespace corvessa
