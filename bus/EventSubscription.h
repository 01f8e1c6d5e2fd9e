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
    // What the last change of a record was; the value announced in change notices.
    enum ChangeType
    {
        New = 1,
        Updated = 2,
        Disabled = 3
    };
    using OptionalDate = std::optional<CBntDateTime>;

    // Created, or changed within half a second of its creation: no created date, or one equal
    // to the last-updated date.
    bool IsNew() const;
    // Neither new nor disabled.
    bool IsUpdated() const;
    // Has a disabled date.
    bool IsDisabled() const;
    // New, else Updated while active, else Disabled.
    ChangeType GetChangeType() const;

    // Both absent, or both present and equal within half a second (compared in UTC).
    static bool AreDatesEqual(const OptionalDate& left, const OptionalDate& right);

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

}  // namespace corvessa
