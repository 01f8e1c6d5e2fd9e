#include "bus/EventSubscriptionManager.h"

#include <limits>
#include <optional>
#include <vector>

#include <boost/algorithm/string/classification.hpp>
#include <boost/algorithm/string/split.hpp>

#include "bus/CCorvessaException.h"
#include "bus/EventFilterCheck.h"
#include "bus/EventSubscriptionTable.h"
#include "common/CBntRegistry.h"
#include "framework/CWmipWriteFrame.h"
#include "inhouse/BntCore/CBntIDGenerator.h"
#include "inhouse/BntCoreDb/CBntCommitQueue.h"
#include "inhouse/BntCoreDb/CDynamicRecordset.h"
#include "inhouse/BntCoreDb/CRowCountSet.h"
#include "inhouse/BntLogin/CAcsUser.h"
#include "inhouse/BntUtility/CWMIDebugLog.h"
#include "inhouse/BntUtility/StringConversion.h"
#include "platform/com/WbemConstants.h"
#include "platform/qpid/IQpidWrapper.h"
#include "platform/qpid/Uuid.h"
#include "platform/qpid/Variant.h"
#include "platform/win32/Calendar.h"
#include "platform/win32/UnicodeConversion.h"

namespace corvessa {

namespace {

constexpr wchar_t kEventSubscriptionManagerSource[] = L"EventSubscriptionManager";
constexpr wchar_t kCorvessaRegistryKey[] = L"SOFTWARE\\Brontel\\Ivarune\\Corvessa";

constexpr char kDoesNotExistKey[] = "corvessa.eventsubscription.subscriptiondoesnotexist";
constexpr char kIsDisabledKey[] = "corvessa.eventsubscription.subscriptionisdisabled";

std::int32_t ReadPeriod(const wchar_t* name, std::int32_t fallback)
{
    const CBntRegistry key(true, kCorvessaRegistryKey);
    DWORD minutes = 0;
    return key.GetDWORDValue(name, &minutes) ? static_cast<std::int32_t>(minutes) : fallback;
}

// The OLE date of 1970-01-01 00:00, and the length of a day.
constexpr double kOleDayOf1970 = -calendar::DaysFromCivil(1899, 12, 30);
constexpr double kMillisecondsPerDay = 24.0 * 60 * 60 * 1000;

// What a listing's page number and size take: a page whose last row is one of the recordset's
// 32-bit rows.
std::string PageTakes(const char* what)
{
    const std::string highest = std::to_string(std::numeric_limits<LONG>::max());
    return std::string("It takes ") + what + " from 1 to " + highest + ", and the page number times the size at most " +
           highest + ".";
}

// A recordset on the whole table, every column.
void ShapeTable(CDynamicRecordset& recordset)
{
    recordset.SetTable(EventSubscriptionTable::kTableName);
}

// A recordset on the one row of the id (none for -1), every column.
void ShapeRow(CDynamicRecordset& recordset, LONG id)
{
    ShapeTable(recordset);
    recordset.AddFilterLong(EventSubscriptionTable::kIdColumn, id);
}

}  // namespace

EventSubscriptionManager::EventSubscriptionManager(CBntDatabase* database, sms::qpid::wrapper::IQpidWrapper* wrapper,
                                                   const IClock& clock)
    : m_database(database), m_wrapper(wrapper), m_clock(clock),
      m_transientMinutes(
          ReadPeriod(L"TransientEventSubscriptionExpiration", DEFAULT_TRANSIENT_EVENT_SUBSCRIPTION_EXPIRATION_MINUTES)),
      m_durableMinutes(
          ReadPeriod(L"DurableEventSubscriptionExpiration", DEFAULT_DURABLE_EVENT_SUBSCRIPTION_EXPIRATION_MINUTES))
{
}

EventSubscriptionManager::~EventSubscriptionManager() = default;

CBntDateTime EventSubscriptionManager::Now() const
{
    // To the millisecond: an expiry is judged to the half second.
    CBntDateTime now(kOleDayOf1970 + static_cast<double>(m_clock.GetUtcMilliseconds()) / kMillisecondsPerDay);
    now.SetUTC(1);
    return now;
}

CCorvessaException EventSubscriptionManager::DatabaseFailure(const CException& failure, int line)
{
    brontel::utility::CWMIDebugLog::LogError(kEventSubscriptionManagerSource, line,
                                             L"EventSubscriptionManager - database failure", WBEM_E_FAILED, &failure);
    return CCorvessaException(static_cast<long>(WBEM_E_FAILED));
}

// --- Reading -----------------------------------------------------------------------------

EventSubscription EventSubscriptionManager::GetEventSubscription(CBntDatabase* database, LONG id,
                                                                 const CAcsUser& caller)
{
    EventSubscription record;
    bool found = false;
    try
    {
        CDynamicRecordset recordset(database);
        ShapeRow(recordset, id);
        recordset.OpenForwardOnly();
        if (!recordset.IsEOF())
        {
            EventSubscriptionTable::CopyRecordToEventSubscription(recordset, record);
            found = true;
        }
        recordset.Close();
    }
    catch (const CException& e)
    {
        throw DatabaseFailure(e, __LINE__);
    }
    // Another user's subscription answers as a missing one, and is not expired by this caller:
    // whether it exists, and whether it is active, is its owner's to know.
    if (!found || !IsSeenBy(record, caller))
    {
        throw CCorvessaException(kDoesNotExistKey, std::string("The event subscription does not exist."));
    }
    HandleExpiration(database, record);
    return record;
}

EventSubscription EventSubscriptionManager::GetEventSubscriptionById(LONG id, const CAcsUser& caller)
{
    return GetEventSubscription(m_database, id, caller);
}

// --- Expiry ------------------------------------------------------------------------------

bool EventSubscriptionManager::IsExpiredButNotYetDisabled(const EventSubscription& record,
                                                          const CBntDateTime& now) const
{
    // A row written by other means may lack the last-updated date: its age is then taken
    // from its creation, and a row with neither date cannot be judged and stays active.
    const EventSubscription::OptionalDate& since =
        record.lastUpdatedDate.has_value() ? record.lastUpdatedDate : record.createdDate;
    if (record.IsDisabled() || !since.has_value())
    {
        return false;
    }
    const COleDateTimeSpan elapsed = now - *since;
    if (elapsed.GetStatus() != COleDateTimeSpan::valid)
    {
        return false;
    }
    const double period = record.isDurable ? m_durableMinutes : m_transientMinutes;
    return elapsed.GetTotalMinutes() >= period;
}

void EventSubscriptionManager::HandleExpiration(CBntDatabase* database, EventSubscription& record)
{
    const CBntDateTime now = Now();
    if (!IsExpiredButNotYetDisabled(record, now))
    {
        return;
    }
    record.lastUpdatedDate = now;
    record.disabledDate = now;
    ModifyEventSubscriptionRecord(database, record);
}

// --- Listing -----------------------------------------------------------------------------

void EventSubscriptionManager::ValidateOrderByProperty(const std::string& property)
{
    if (EventSubscriptionTable::ToTableAndColumn(property).empty())
    {
        // The name is what the request gave; the property refused is the order.
        std::string names;
        for (const auto& [name, column] : EventSubscriptionTable::PropertyToColumnMap())
            names += (names.empty() ? "" : ", ") + name;
        throw CCorvessaException::InvalidRequestItem(
            "order_by", "'" + property + "' is not a property of an event subscription; the order takes " + names +
                            ", separated by commas.");
    }
}

std::string EventSubscriptionManager::ToOrderByColumn(const std::string& property, bool descending)
{
    return EventSubscriptionTable::ToTableAndColumn(property) + (descending ? " DESC" : "");
}

std::string EventSubscriptionManager::ToOrderByColumns(const std::string& orderBy, bool descending)
{
    if (orderBy.empty())
    {
        return EventSubscriptionTable::DefaultOrderByColumns();
    }
    std::vector<std::string> names;
    boost::split(names, orderBy, boost::is_any_of(","), boost::token_compress_on);
    for (const std::string& name : names)
    {
        ValidateOrderByProperty(name);
    }
    std::string columns;
    for (const std::string& name : names)
    {
        columns += (columns.empty() ? "" : ",") + ToOrderByColumn(name, descending);
    }
    return columns;
}

void EventSubscriptionManager::ValidatePagingParameters(const PagingParameters& paging)
{
    // A page below 1, or one whose last row leaves the 32-bit range, names no rows: refused
    // rather than handed to the recordset as a reversed or wrapped range.
    if (paging.pageNumber < 1)
    {
        throw CCorvessaException::InvalidRequestItem("page_number", PageTakes("a page number"));
    }
    if (paging.pageSize < 1)
    {
        throw CCorvessaException::InvalidRequestItem("page_size", PageTakes("a size"));
    }
    if (static_cast<std::int64_t>(paging.pageNumber) * paging.pageSize > std::numeric_limits<LONG>::max())
    {
        throw CCorvessaException::InvalidRequestItem("page_number", PageTakes("a page number"));
    }
}

void EventSubscriptionManager::AddEventSubscriptionFilters(CMultiFilterRecordset& recordset, const CAcsUser& caller,
                                                           boost::optional<bool> active)
{
    if (caller.GetUserID() != CAcsUser::kSystemAdministratorID)
    {
        recordset.AddFilterLong(EventSubscriptionTable::kUserIdColumn, caller.GetUserID());
    }
    if (active.has_value())
    {
        recordset.AddFilterNull(EventSubscriptionTable::kDisabledDateColumn, *active);
    }
}

std::int32_t EventSubscriptionManager::GetEventSubscriptionsCount(const CAcsUser& caller, boost::optional<bool> active)
{
    CDynamicRecordset recordset(m_database);
    ShapeTable(recordset);
    AddEventSubscriptionFilters(recordset, caller, active);
    CRowCountSet count(m_database);
    count.SetRecordset(recordset);
    return count.GetRowCount();
}

PaginatedItems<EventSubscription> EventSubscriptionManager::GetEventSubscriptions(const CAcsUser& caller,
                                                                                  boost::optional<bool> active,
                                                                                  const PagingParameters& paging)
{
    const std::string orderBy = ToOrderByColumns(paging.orderBy, paging.descending);
    ValidatePagingParameters(paging);
    PaginatedItems<EventSubscription> page;
    page.pageNumber = paging.pageNumber;
    page.pageSize = paging.pageSize;
    try
    {
        CDynamicRecordset recordset(m_database);
        ShapeTable(recordset);
        recordset.SetOrderBy(brontel::utility::ConvertUtf8ToCString(orderBy));
        recordset.SetPaging((paging.pageNumber - 1) * paging.pageSize + 1, paging.pageNumber * paging.pageSize);
        AddEventSubscriptionFilters(recordset, caller, active);
        recordset.OpenForwardOnly();
        for (; !recordset.IsEOF(); recordset.MoveNext())
        {
            EventSubscriptionTable::CopyRecordToEventSubscription(recordset, page.items.emplace_back());
        }
        recordset.Close();
        page.totalCount = GetEventSubscriptionsCount(caller, active);
    }
    catch (const CException& e)
    {
        throw DatabaseFailure(e, __LINE__);
    }
    return page;
}

// --- Writing -----------------------------------------------------------------------------

std::string EventSubscriptionManager::GetUuid()
{
    return qpid::types::Uuid(true).str();
}

void EventSubscriptionManager::WriteEventSubscriptionRecord(CBntDatabase* database, const EventSubscription& record,
                                                            bool adding)
{
    try
    {
        CDynamicRecordset recordset(database);
        // A new row is added on a set that fetches none.
        ShapeRow(recordset, adding ? -1 : record.id);
        recordset.Open();
        if (adding)
        {
            recordset.AddNew();
        }
        else
        {
            recordset.Edit();
        }
        EventSubscriptionTable::CopyEventSubscriptionToRecord(record, recordset);
        recordset.Update();
        recordset.Close();
    }
    catch (const CException& e)
    {
        throw DatabaseFailure(e, __LINE__);
    }
}

void EventSubscriptionManager::AddEventSubscriptionRecord(CBntDatabase* database, const EventSubscription& record)
{
    WriteEventSubscriptionRecord(database, record, true);
}

void EventSubscriptionManager::ModifyEventSubscriptionRecord(CBntDatabase* database, const EventSubscription& record)
{
    WriteEventSubscriptionRecord(database, record, false);
}

void EventSubscriptionManager::SendEventSubscriptionToEventContextProvider(const EventSubscription& record,
                                                                           EventSubscription::ChangeType change)
{
    const qpid::types::Variant::Map content{
        {"subscription_id", qpid::types::Variant(static_cast<std::int32_t>(record.id))},
        {"change_type", qpid::types::Variant(static_cast<std::int32_t>(change))},
    };
    // Sent once the write has committed; a write rolled back announces nothing.
    CBntCommitQueue::Defer([wrapper = m_wrapper.load(), content] {
        // A host that has not handed over its bus interface yet gets no notice; the change
        // itself stands.
        if (wrapper == nullptr)
        {
            brontel::utility::CWMIDebugLog::LogInfo(
                kEventSubscriptionManagerSource, __LINE__,
                L"EventSubscriptionManager::SendEventSubscriptionToEventContextProvider - Warning - no bus interface; "
                L"the change notice is not sent.");
            return;
        }
        // The change has committed: a host that fails to send cannot undo it, and is logged.
        try
        {
            wrapper->Send(kNoticeAddress, qpid::types::Variant::Map(), content, 0);
        }
        catch (...)
        {
            brontel::utility::CWMIDebugLog::LogError(
                kEventSubscriptionManagerSource, __LINE__,
                L"EventSubscriptionManager::SendEventSubscriptionToEventContextProvider - the bus interface failed to "
                L"send the change notice.");
        }
    });
}

void EventSubscriptionManager::WriteInFrame(const CAcsUser& caller, const std::function<void(CBntDatabase&)>& write)
{
    try
    {
        CWmipWriteFrame::RunForCaller(caller, [&write](CBntDatabase& database) {
            write(database);
            return S_OK;
        });
    }
    catch (const CCorvessaException&)
    {
        throw;
    }
    catch (const CException& e)
    {
        throw DatabaseFailure(e, __LINE__);
    }
}

EventSubscription EventSubscriptionManager::AddEventSubscription(const EventSubscription& request,
                                                                 const CAcsUser& caller)
{
    ValidateEventSubscriptionFields(request);
    EventSubscription result = request;
    result.userId = caller.GetUserID();
    result.exchangeName = kExchangeName;
    result.bindingKey = GetUuid();
    result.queueName = GetUuid();
    WriteInFrame(caller, [&](CBntDatabase& database) {
        // Drawn inside the write: a refused or failed add uses up no id.
        result.id = CBntIDGenerator(&database).GetNextID(kSubscriptionIdType, -1);
        if (result.id == 0)
        {
            // The generator has logged why; a subscription without an id could never be found.
            throw CCorvessaException(static_cast<long>(WBEM_E_FAILED));
        }
        const CBntDateTime now = Now();
        result.lastUpdatedDate = now;
        result.createdDate = now;
        AddEventSubscriptionRecord(&database, result);
        SendEventSubscriptionToEventContextProvider(result, EventSubscription::New);
    });
    return result;
}

EventSubscription EventSubscriptionManager::ChangeEventSubscription(LONG id, const CAcsUser& caller,
                                                                    EventSubscription::ChangeType change,
                                                                    const Change& apply)
{
    EventSubscription stored;
    // A refusal leaves after the commit: an expiry the read found and wrote stands.
    std::optional<CCorvessaException> refusal;
    WriteInFrame(caller, [&](CBntDatabase& database) {
        stored = GetEventSubscription(&database, id, caller);
        try
        {
            ValidateEventSubscriptionChange(stored);
        }
        catch (const CCorvessaException& e)
        {
            refusal = e;
            return;
        }
        apply(stored, Now());
        ModifyEventSubscriptionRecord(&database, stored);
        SendEventSubscriptionToEventContextProvider(stored, change);
    });
    if (refusal.has_value())
    {
        throw *refusal;
    }
    return stored;
}

EventSubscription EventSubscriptionManager::ModifyEventSubscription(const EventSubscription& request,
                                                                    const CAcsUser& caller, ModifiedTexts given)
{
    ValidateEventSubscriptionText("queue_name", request.queueName);
    if (given.description)
    {
        ValidateEventSubscriptionDescription(request.description);
    }
    if (given.filter)
    {
        ValidateEventSubscriptionFilter(request.filter);
    }
    // What the request does not give is taken from the row read under the lock, never from an
    // earlier read of the caller's.
    return ChangeEventSubscription(request.id, caller, EventSubscription::Updated,
                                   [&request, given](EventSubscription& stored, const CBntDateTime& now) {
                                       if (!request.queueName.empty())
                                       {
                                           stored.queueName = request.queueName;
                                       }
                                       if (given.description)
                                       {
                                           stored.description = request.description;
                                       }
                                       if (given.filter)
                                       {
                                           stored.filter = request.filter;
                                       }
                                       stored.lastUpdatedDate = now;
                                   });
}

EventSubscription EventSubscriptionManager::DisableEventSubscription(const EventSubscription& request,
                                                                     const CAcsUser& caller)
{
    return ChangeEventSubscription(request.id, caller, EventSubscription::Disabled,
                                   [](EventSubscription& stored, const CBntDateTime& now) {
                                       stored.lastUpdatedDate = now;
                                       stored.disabledDate = now;
                                   });
}

// --- Checks ------------------------------------------------------------------------------

void EventSubscriptionManager::ValidateEventSubscriptionFields(const EventSubscription& record)
{
    ValidateEventSubscriptionDescription(record.description);
    ValidateEventSubscriptionFilter(record.filter);
    ValidateEventSubscriptionText("message_broker_hostname", record.messageBrokerHostname);
}

void EventSubscriptionManager::ValidateEventSubscriptionText(const char* property, const std::string& text)
{
    if (!UnicodeConversion::IsWellFormedUtf8(text))
    {
        throw CCorvessaException::IllFormedText(property);
    }
}

void EventSubscriptionManager::ValidateEventSubscriptionDescription(const std::string& description)
{
    ValidateEventSubscriptionText("description", description);
    if (description.size() > kMaxDescriptionBytes)
    {
        throw CCorvessaException(
            CCorvessaException::kInvalidRequestItemKey,
            std::string("The event subscription description exceeds the maximum allowable length."));
    }
}

void EventSubscriptionManager::ValidateEventSubscriptionFilter(const std::string& filter)
{
    ValidateEventSubscriptionText("filter", filter);
    if (filter.size() > kMaxFilterBytes)
    {
        throw CCorvessaException(CCorvessaException::kInvalidFilterKey,
                                 std::string("Invalid filter specified. The event subscription filter exceeds the "
                                             "maximum allowable length."));
    }
    if (!EventFilterCheck::IsFilterAccepted(filter))
    {
        throw CCorvessaException(CCorvessaException::kInvalidFilterKey, std::string("Invalid filter specified."));
    }
}

bool EventSubscriptionManager::IsSeenBy(const EventSubscription& record, const CAcsUser& caller)
{
    return caller.GetUserID() == CAcsUser::kSystemAdministratorID || caller.GetUserID() == record.userId;
}

void EventSubscriptionManager::ValidateEventSubscriptionChange(const EventSubscription& record)
{
    if (record.IsDisabled())
    {
        throw CCorvessaException(kIsDisabledKey, std::string("The event subscription is disabled."));
    }
}

}  // namespace corvessa
