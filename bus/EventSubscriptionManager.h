// corvessa::EventSubscriptionManager: keeps the business-event subscriptions of bus clients in
// BUSINESS_EVENT_SUBSCRIPTION. It reads one by id (disabling it first when its expiry period
// has run out), lists a caller's subscriptions a page at a time, adds, modifies and disables
// them, serves a caller only its own subscriptions (user -1, the administrator, owns all:
// another user's answers as a missing one, and is left as it is), validates the texts it
// stores (well-formed UTF-8; the description's and the filter's length and the filter's form),
// and announces every add, modify and disable on
// the bus as a change notice {"subscription_id", "change_type"} sent to
// "bnt.ir.internal.event_subscription_events", its change type the operation's own (an add is
// new, a modify updated, a disable disabled, however soon after the creation).
//
// An add, modify and disable runs in the one write frame (CWmipWriteFrame::RunForCaller) on the
// caller's connection: the stored subscription is read, judged and written under the write
// lock, inside a door's request after the caller's rights are compared again there, and its
// notice leaves only after the commit. A subscription is judged by its owner before its state,
// and a modify keeps the texts it does not give as they stand under the lock.
//
// Made once by the application object, with its database and the host's bus interface
// (neither owned; both must outlive the manager). Thread-safe: it keeps no per-call state;
// each operation opens its own recordsets; queue names and binding keys come from OpenSSL's
// random generator, which is safe on any thread.
//
// Every failure leaves as a CCorvessaException (key and message), except a failed call into
// the event filter checker, which leaves as _com_error, and the write frame's own refusals (no
// connection; the caller's rights moved under the lock), which leave as its CWMIException.
// Checks run before writes: a refused request changes nothing and sends nothing, but for the
// expiry a modify or disable found, which stands.
#pragma once

#include <atomic>

#include <cstdint>
#include <functional>
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
    // The bus interface later notices go through: the host may hand it over after the manager
    // was made.
    void SetWrapper(sms::qpid::wrapper::IQpidWrapper* wrapper) { m_wrapper.store(wrapper); }

    // The subscription, disabled first when it has expired. Throws "subscriptiondoesnotexist"
    // for a missing one and for another user's.
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
    // notice 1 (New). Returns the stored record.
    EventSubscription AddEventSubscription(const EventSubscription& request, const CAcsUser& caller);
    // Takes the request's queue name (when not empty) and the texts `given` names (by default
    // the description and the filter) into the stored, active subscription; last updated now;
    // sends notice 2 (Updated). Throws "invalidrequestitem" or "invalidfilter" for a text it
    // takes, then "subscriptiondoesnotexist" (a missing one or another user's), then
    // "subscriptionisdisabled" (also for one found expired, which stays disabled).
    EventSubscription ModifyEventSubscription(const EventSubscription& request, const CAcsUser& caller,
                                              ModifiedTexts given = {});
    // Disables the stored, active subscription with the request's id; sends notice 3
    // (Disabled). Throws as ModifyEventSubscription.
    EventSubscription DisableEventSubscription(const EventSubscription& request, const CAcsUser& caller);

    std::int32_t GetTransientEventSubscriptionExpirationInMinutes() const { return m_transientMinutes; }
    std::int32_t GetDurableEventSubscriptionExpirationInMinutes() const { return m_durableMinutes; }

    // The order-by text of a listing: validated property names mapped to their columns, each
    // with " DESC" when descending; the default ordering for an empty text. Throws
    // "invalidrequestitem" naming the first name that is not a property.
    static std::string ToOrderByColumns(const std::string& orderBy, bool descending);

private:
    // A change of a stored subscription: the record as read (active, the caller's) and now.
    using Change = std::function<void(EventSubscription& stored, const CBntDateTime& now)>;

    // The subscription read on the database as the caller may see it, expired first when its
    // period has run out. Throws "subscriptiondoesnotexist" for a missing one and for another
    // user's (which is left as it is), and the database failure's bus error.
    EventSubscription GetEventSubscription(CBntDatabase* database, LONG id, const CAcsUser& caller);
    std::int32_t GetEventSubscriptionsCount(const CAcsUser& caller, boost::optional<bool> active);
    static void AddEventSubscriptionFilters(CMultiFilterRecordset& recordset, const CAcsUser& caller,
                                            boost::optional<bool> active);
    void AddEventSubscriptionRecord(CBntDatabase* database, const EventSubscription& record);
    void ModifyEventSubscriptionRecord(CBntDatabase* database, const EventSubscription& record);
    // Adds the record as a new row, or rewrites the row of its id. Throws the database
    // failure's bus error.
    void WriteEventSubscriptionRecord(CBntDatabase* database, const EventSubscription& record, bool adding);
    // Runs `write` in the write frame on the caller's connection, committed when it returns.
    // A database failure of the frame's own is thrown as its bus error; the frame's
    // CWMIException passes unchanged.
    static void WriteInFrame(const CAcsUser& caller, const std::function<void(CBntDatabase&)>& write);
    // In one write frame: the subscription of the id read as the caller sees it (and expired
    // when due), judged (ValidateEventSubscriptionChange), changed by `apply`, rewritten and
    // announced as `change`. A refusal is thrown after the frame has committed the expiry it
    // found.
    EventSubscription ChangeEventSubscription(LONG id, const CAcsUser& caller, EventSubscription::ChangeType change,
                                              const Change& apply);
    void HandleExpiration(CBntDatabase* database, EventSubscription& record);
    bool IsExpiredButNotYetDisabled(const EventSubscription& record, const CBntDateTime& now) const;
    static std::string GetUuid();
    // The record's change notice, sent after the commit of the write in progress.
    void SendEventSubscriptionToEventContextProvider(const EventSubscription& record,
                                                     EventSubscription::ChangeType change);
    // An add's texts: the description, the filter and the broker's host name.
    static void ValidateEventSubscriptionFields(const EventSubscription& record);
    // "invalidrequestitem" naming the property for a text that is not well-formed UTF-8.
    static void ValidateEventSubscriptionText(const char* property, const std::string& text);
    static void ValidateEventSubscriptionDescription(const std::string& description);
    static void ValidateEventSubscriptionFilter(const std::string& filter);
    // Whether the caller owns the record or is the administrator.
    static bool IsSeenBy(const EventSubscription& record, const CAcsUser& caller);
    // A modify's or disable's check of the stored record the caller sees: active.
    static void ValidateEventSubscriptionChange(const EventSubscription& record);
    static void ValidateOrderByProperty(const std::string& property);
    static void ValidatePagingParameters(const PagingParameters& paging);
    static std::string ToOrderByColumn(const std::string& property, bool descending);
    // Logs a database failure and gives the bus error that replaces it.
    static CCorvessaException DatabaseFailure(const CException& failure, int line);
    CBntDateTime Now() const;

    // Not owned; the database is set at construction.
    CBntDatabase* m_database;
    std::atomic<sms::qpid::wrapper::IQpidWrapper*> m_wrapper;
    const IClock& m_clock;
    std::int32_t m_transientMinutes;
    std::int32_t m_durableMinutes;
};

}  // namespace corvessa
