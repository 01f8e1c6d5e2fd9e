// corvessa::EventSubscriptionManager: keeps the business-event subscriptions of bus clients in
// BUSINESS_EVENT_SUBSCRIPTION. It reads one by id (disabling it first when its expiry period
// has run out), lists a caller's subscriptions a page at a time, adds, modifies and disables
// them, checks that the caller owns what it touches (user -1, the administrator, owns all),
// validates the description and the filter, and announces every add, modify and disable on
// the bus as a change notice {"subscription_id", "change_type"} sent to
// "bnt.ir.internal.event_subscription_events".
//
// Made once by the application object, with its database and the host's bus interface
// (neither owned; both must outlive the manager). Thread-safe: it keeps no per-call state;
// each operation opens its own recordsets; queue names and binding keys come from OpenSSL's
// random generator, which is safe on any thread.
//
// Every failure leaves as a CCorvessaException (key and message), except a failed call into
// the event filter checker, which leaves as _com_error. Checks run before writes: a refused
// request changes nothing and sends nothing.
#pragma once

#include <cstdint>
#include <string>

#include <boost/optional.hpp>

#include "bus/EventSubscription.h"
#include "bus/PaginatedItems.h"
#include "bus/PagingParameters.h"
#include "common/CBntDateTime.h"
#include "platform/win32/Clock.h"

class CAcsUser;
class CBntDatabase;
class CCorvessaException;
class CException;
class CMultiFilterRecordset;

namespace sms::qpid::wrapper {
class IQpidWrapper;
}

namespace corvessa {

class EventSubscriptionManager
{
public:
    static constexpr std::int32_t DEFAULT_TRANSIENT_EVENT_SUBSCRIPTION_EXPIRATION_MINUTES = 1440;
    static constexpr std::int32_t DEFAULT_DURABLE_EVENT_SUBSCRIPTION_EXPIRATION_MINUTES = 10080;
    // Longest description and filter, in bytes of UTF-8.
    static constexpr std::size_t kMaxDescriptionBytes = 255;
    static constexpr std::size_t kMaxFilterBytes = 1024;
    // The identifier type of subscription ids.
    static constexpr LONG kSubscriptionIdType = 329;
    static constexpr char kExchangeName[] = "amq.topic";
    static constexpr char kNoticeAddress[] = "bnt.ir.internal.event_subscription_events";

    // Reads the two expiry periods (registry values "TransientEventSubscriptionExpiration"
    // and "DurableEventSubscriptionExpiration" under SOFTWARE\Brontel\Ivarune\Corvessa, in
    // minutes, taken as they stand; 1440 and 10080 when absent). The clock (not owned,
    // outlives the manager) gives every date the manager stamps and judges expiry by.
    EventSubscriptionManager(CBntDatabase* database, sms::qpid::wrapper::IQpidWrapper* wrapper,
                             const IClock& clock = IClock::Process());
    virtual ~EventSubscriptionManager();

    // The subscription, disabled first when it has expired. Throws "subscriptiondoesnotexist"
    // and "userisnotsubscriptionowner".
    EventSubscription GetEventSubscriptionById(LONG id, const CAcsUser& caller);
    // One page of the caller's subscriptions (every user's for the administrator), all of them
    // or only the active (true) or disabled (false) ones, in the order asked for (default:
    // ascending creation date), with the count of all that match. No expiry is applied.
    // Throws "invalidrequestitem" for an order-by name that is not a property and for a page
    // number or size below 1 (before any database access).
    PaginatedItems<EventSubscription> GetEventSubscriptions(const CAcsUser& caller, boost::optional<bool> active,
                                                            const PagingParameters& paging);
    // Stores a new subscription of the caller with a new id, exchange "amq.topic" and two new
    // random UUID texts as binding key and queue name, created and last updated now; sends
    // notice 1. Returns the stored record.
    EventSubscription AddEventSubscription(const EventSubscription& request, const CAcsUser& caller);
    // Takes the request's queue name (when not empty), description and filter into the
    // stored, active subscription; last updated now; sends the notice of its change type.
    EventSubscription ModifyEventSubscription(const EventSubscription& request, const CAcsUser& caller);
    // Disables the stored, active subscription with the request's id; sends its notice.
    EventSubscription DisableEventSubscription(const EventSubscription& request, const CAcsUser& caller);

    std::int32_t GetTransientEventSubscriptionExpirationInMinutes() const { return m_transientMinutes; }
    std::int32_t GetDurableEventSubscriptionExpirationInMinutes() const { return m_durableMinutes; }

    // The order-by text of a listing: validated property names mapped to their columns, each
    // with " DESC" when descending; the default ordering for an empty text. Throws
    // "invalidrequestitem" naming the first name that is not a property.
    static std::string ToOrderByColumns(const std::string& orderBy, bool descending);

private:
    EventSubscription GetEventSubscription(LONG id);
    EventSubscription GetActiveEventSubscription(LONG id);
    std::int32_t GetEventSubscriptionsCount(const CAcsUser& caller, boost::optional<bool> active);
    static void AddEventSubscriptionFilters(CMultiFilterRecordset& recordset, const CAcsUser& caller,
                                            boost::optional<bool> active);
    void AddEventSubscriptionRecord(const EventSubscription& record);
    void ModifyEventSubscriptionRecord(const EventSubscription& record);
    // Adds the record as a new row, or rewrites the row of its id. Throws the database
    // failure's bus error.
    void WriteEventSubscriptionRecord(const EventSubscription& record, bool adding);
    void HandleExpiration(EventSubscription& record);
    bool IsExpiredButNotYetDisabled(const EventSubscription& record, const CBntDateTime& now) const;
    static std::string GetUuid();
    void SendEventSubscriptionToEventContextProvider(const EventSubscription& record);
    static void ValidateEventSubscriptionFields(const EventSubscription& record);
    static void ValidateEventSubscriptionDescription(const std::string& description);
    static void ValidateEventSubscriptionFilter(const std::string& filter);
    static void ValidateEventSubscriptionOwnership(const EventSubscription& record, const CAcsUser& caller);
    static void ValidateEventSubscriptionOwnershipOrAdministrator(const EventSubscription& record,
                                                                  const CAcsUser& caller);
    static void ValidateOrderByProperty(const std::string& property);
    static void ValidatePagingParameters(const PagingParameters& paging);
    static std::string ToOrderByColumn(const std::string& property, bool descending);
    // Logs a database failure and gives the bus error that replaces it.
    static CCorvessaException DatabaseFailure(const CException& failure, int line);
    CBntDateTime Now() const;

    // Set at construction; not owned.
    CBntDatabase* m_database;
    sms::qpid::wrapper::IQpidWrapper* m_wrapper;
    const IClock& m_clock;
    std::int32_t m_transientMinutes;
    std::int32_t m_durableMinutes;
};

}  // namespace corvessa
