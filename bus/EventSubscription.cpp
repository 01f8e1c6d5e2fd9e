#include "bus/EventSubscription.h"

namespace corvessa {

bool EventSubscription::IsDisabled() const
{
    return disabledDate.has_value();
}

}  // namespace corvessa
