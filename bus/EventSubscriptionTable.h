// corvessa::EventSubscriptionTable: the table BUSINESS_EVENT_SUBSCRIPTION behind the
// subscriptions: the fixed map from the bus property names to its columns (the only names a
// listing may be ordered by), the default ordering, and the copies between a row and an
// EventSubscription.
//
// Static; the map is built once on first use and only read afterwards, so any thread may use
// it. The copies use the caller's recordset, on the caller's thread.
#pragma once

#include <map>
#include <string>

class CMultiFilterRecordset;

namespace corvessa {

class EventSubscription;

class EventSubscriptionTable
{
public:
    EventSubscriptionTable() = delete;

    static constexpr wchar_t kTableName[] = L"BUSINESS_EVENT_SUBSCRIPTION";
    static constexpr wchar_t kIdColumn[] = L"BUSINESS_EVENT_SUBSCRIPTIONID";
    static constexpr wchar_t kUserIdColumn[] = L"USER_ID";
    static constexpr wchar_t kDisabledDateColumn[] = L"DISABLED_DATE";

    // Property name (case-sensitive) -> column, the fourteen pairs of the table.
    static const std::map<std::string, std::string>& PropertyToColumnMap();
    // The ordering of a listing that names none: ascending creation date.
    static const std::string& DefaultOrderByColumns();
    // "BUSINESS_EVENT_SUBSCRIPTION." and the property's column; empty for a name that is not
    // a property of the map.
    static std::string ToTableAndColumn(const std::string& property);

    // Fills the record from the current row of the recordset. A NULL date column leaves the
    // record's date as it was; dates are read as UTC as they stand. Throws CDBException.
    static void CopyRecordToEventSubscription(const CMultiFilterRecordset& recordset, EventSubscription& record);
    // Writes the record into the row being added or edited: an empty queue name and absent
    // dates leave their columns as they are; the caller then updates. Throws CDBException.
    static void CopyEventSubscriptionToRecord(const EventSubscription& record, CMultiFilterRecordset& recordset);
};

}  // namespace corvessa
