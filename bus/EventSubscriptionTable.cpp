#include "bus/EventSubscriptionTable.h"

#include <utility>

#include "bus/EventSubscription.h"
#include "inhouse/BntCoreDb/CDBValue.h"
#include "inhouse/BntCoreDb/CMultiFilterRecordset.h"
#include "inhouse/BntUtility/StringConversion.h"

namespace corvessa {

namespace {

struct PropertyColumn
{
    const char* property;
    const char* column;
};

// In the order the map is filled.
constexpr PropertyColumn kPropertyColumns[] = {
    {"id", "BUSINESS_EVENT_SUBSCRIPTIONID"},
    {"queue_name", "NAME"},
    {"user_id", "USER_ID"},
    {"description", "DESCRIPTION"},
    {"is_durable", "IS_DURABLE"},
    {"message_broker_hostname", "MESSAGE_BROKER_HOSTNAME"},
    {"message_broker_port", "MESSAGE_BROKER_PORT"},
    {"requires_secure_connection", "REQUIRES_SECURE_CONNECTION"},
    {"exchange_name", "DESTINATION_NAME"},
    {"binding_key", "ROUTING_KEY"},
    {"last_updated_date", "LAST_UPDATED_DATE"},
    {"created_date", "CREATED_DATE"},
    {"disabled_date", "DISABLED_DATE"},
    {"filter", "EVENT_FILTER"},
};

std::string Utf8Text(const CMultiFilterRecordset& recordset, const wchar_t* column)
{
    return brontel::utility::ConvertCStringToUtf8(recordset.GetText(column));
}

// A stored BOOL counts as true only when it is exactly 1.
bool StoredFlag(const CMultiFilterRecordset& recordset, const wchar_t* column)
{
    return recordset.GetLongLong(column) == 1;
}

void ReadDate(const CMultiFilterRecordset& recordset, const wchar_t* column, EventSubscription::OptionalDate& date)
{
    if (recordset.IsFieldNull(column))
    {
        return;
    }
    CBntDateTime value(recordset.GetTimestamp(column));
    value.SetUTC(1);
    date = value;
}

void WriteText(CMultiFilterRecordset& recordset, const wchar_t* column, const std::string& text)
{
    recordset.SetValue(column, CDBValue(brontel::utility::ConvertUtf8ToCString(text)));
}

void WriteDate(CMultiFilterRecordset& recordset, const wchar_t* column, const EventSubscription::OptionalDate& date)
{
    if (date.has_value())
    {
        recordset.SetValue(column, CDBValue::FromTimestamp(static_cast<TIMESTAMP_STRUCT>(*date)));
    }
}

}  // namespace

const std::map<std::string, std::string>& EventSubscriptionTable::PropertyToColumnMap()
{
    static const std::map<std::string, std::string> map = [] {
        std::map<std::string, std::string> built;
        for (const PropertyColumn& pair : kPropertyColumns)
        {
            built.emplace(pair.property, pair.column);
        }
        return built;
    }();
    return map;
}

const std::string& EventSubscriptionTable::DefaultOrderByColumns()
{
    static const std::string columns = brontel::utility::ConvertCStringToUtf8(CString(kTableName)) + ".CREATED_DATE";
    return columns;
}

std::string EventSubscriptionTable::ToTableAndColumn(const std::string& property)
{
    const auto& map = PropertyToColumnMap();
    const auto found = map.find(property);
    if (found == map.end())
    {
        return std::string();
    }
    return brontel::utility::ConvertCStringToUtf8(CString(kTableName)) + "." + found->second;
}

void EventSubscriptionTable::CopyRecordToEventSubscription(const CMultiFilterRecordset& recordset,
                                                           EventSubscription& record)
{
    record.id = recordset.GetLong(kIdColumn);
    record.userId = recordset.GetLong(kUserIdColumn);
    record.queueName = Utf8Text(recordset, L"NAME");
    record.description = Utf8Text(recordset, L"DESCRIPTION");
    record.filter = Utf8Text(recordset, L"EVENT_FILTER");
    record.isDurable = StoredFlag(recordset, L"IS_DURABLE");
    ReadDate(recordset, L"CREATED_DATE", record.createdDate);
    ReadDate(recordset, L"LAST_UPDATED_DATE", record.lastUpdatedDate);
    ReadDate(recordset, kDisabledDateColumn, record.disabledDate);
    record.exchangeName = Utf8Text(recordset, L"DESTINATION_NAME");
    record.bindingKey = Utf8Text(recordset, L"ROUTING_KEY");
    record.messageBrokerHostname = Utf8Text(recordset, L"MESSAGE_BROKER_HOSTNAME");
    record.messageBrokerPort = recordset.GetLong(L"MESSAGE_BROKER_PORT");
    record.requiresSecureConnection = StoredFlag(recordset, L"REQUIRES_SECURE_CONNECTION");
}

void EventSubscriptionTable::CopyEventSubscriptionToRecord(const EventSubscription& record,
                                                           CMultiFilterRecordset& recordset)
{
    recordset.SetValue(kIdColumn, CDBValue(record.id));
    recordset.SetValue(kUserIdColumn, CDBValue(record.userId));
    if (!record.queueName.empty())
    {
        WriteText(recordset, L"NAME", record.queueName);
    }
    WriteText(recordset, L"DESCRIPTION", record.description);
    WriteText(recordset, L"EVENT_FILTER", record.filter);
    recordset.SetValue(L"IS_DURABLE", CDBValue(record.isDurable ? 1 : 0));
    WriteDate(recordset, L"CREATED_DATE", record.createdDate);
    WriteDate(recordset, L"LAST_UPDATED_DATE", record.lastUpdatedDate);
    WriteDate(recordset, kDisabledDateColumn, record.disabledDate);
    WriteText(recordset, L"DESTINATION_NAME", record.exchangeName);
    WriteText(recordset, L"ROUTING_KEY", record.bindingKey);
    WriteText(recordset, L"MESSAGE_BROKER_HOSTNAME", record.messageBrokerHostname);
    recordset.SetValue(L"MESSAGE_BROKER_PORT", CDBValue(record.messageBrokerPort));
    recordset.SetValue(L"REQUIRES_SECURE_CONNECTION", CDBValue(record.requiresSecureConnection ? 1 : 0));
}

}  // namespace corvessa
