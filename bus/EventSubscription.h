// corvessa::EventSubscription: one business-event subscription of a bus client: the broker
// queue, exchange and binding key it names, its event filter, its owner, and its life
// (created, last updated, disabled; all UTC). A subscription is active while it has no
// disabled date; disabling is final.
//
// A plain value type that the bus host fills and reads directly; copies are independent.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "common/CBntDateTime.h"

namespace corvessa {

class EventSubscription
{
public:
    // What a change notice announces: the operation that changed the subscription. Its
    // dates cannot tell it, as a change made within half a second of the creation carries
    // dates equal to the creation's.
    enum ChangeType
    {
        New = 1,
        Updated = 2,
        Disabled = 3
    };
    using OptionalDate = std::optional<CBntDateTime>;

    // Has a disabled date.
    bool IsDisabled() const;

    std::int32_t id = 0;
    std::int32_t userId = 0;
    std::string queueName;
    std::string description;
    std::string filter;
    bool isDurable = false;
    std::string exchangeName;
    std::string bindingKey;
    std::string messageBrokerHostname;
    std::int32_t messageBrokerPort = 0;
    bool requiresSecureConnection = false;
    OptionalDate createdDate;
    OptionalDate lastUpdatedDate;
    OptionalDate disabledDate;
};

// The texts a modify gives (ModifyEventSubscription): a text given replaces the stored one (an
// empty one clears it); one not given keeps the value stored when the write holds its lock, so
// a change another request made meanwhile stands.
struct ModifiedTexts
{
    bool description = true;
    bool filter = true;
};

}  // namespace corvessa
