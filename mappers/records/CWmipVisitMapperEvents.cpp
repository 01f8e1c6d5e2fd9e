// The event row every visit owns (VISIT_EVENT): made while an add is staged, changed before a
// modify is written and deleted after the visit, each with its audit and replication entries, all
// inside the write's transaction.
#include "mappers/records/CWmipVisitMapper.h"

#include "common/AccessCodes.h"
#include "common/CBntDateTime.h"
#include "common/KvrTime.h"
#include "framework/CWmipMessages.h"
#include "framework/WMIHelper.h"
#include "inhouse/BntAccessSets/VisitEventSet.h"
#include "inhouse/BntCommon/CBntCardholderTrans.h"
#include "inhouse/BntCore/CBntIDGenerator.h"
#include "inhouse/BntCoreDb/CBntDatabase.h"
#include "inhouse/BntCoreDb/CDBException.h"
#include "inhouse/BntCoreDb/CLoginQuery.h"
#include "inhouse/BntLogin/CAcsUser.h"
#include "inhouse/BntUserDb/CVisit.h"
#include "inhouse/BntUtility/CWMIDebugLog.h"
#include "inhouse/BntUtility/CWMIException.h"
#include "mappers/records/helpers/CWmipMethodParameters.h"
#include "mappers/records/helpers/CWmipRecordChecks.h"
#include "platform/com/WbemConstants.h"

using brontel::utility::CWMIDebugLog;
using brontel::utility::CWMIException;
using Operation = brontel::UserTranOperation::UserTransactionOperation;

namespace {
// The instance's values, 0 or empty when absent.
constexpr auto* ParameterNumber = &CWmipMethodParameters::Number;
constexpr wchar_t kVisitMapperEventsSourceFile[] = L"CWmipVisitMapperEvents.cpp";
constexpr LONG kVisitEventIdType = 318;
constexpr std::size_t kMaxEventName = 255;

CDBValue UtcNow()
{
    TIMESTAMP_STRUCT now{};
    GetCurrentUTCTimestamp(now);
    return CDBValue::FromTimestamp(now);
}

// A date-time of the instance as the event row stores it; NULL when absent or not valid.
CDBValue EventTime(IWbemClassObject* instance, const wchar_t* property, Door door)
{
    COleDateTime value;
    if (FAILED(WMIHelper::GetDateTime(instance, property, &value, door)))
        return CDBValue();
    TIMESTAMP_STRUCT timestamp{};
    if (!CBntDateTime(value).GetAsTimestamp(timestamp))
        return CDBValue();
    return CDBValue::FromTimestamp(timestamp);
}
}  // namespace

// --- The event row --------------------------------------------------------------------------------

void CWmipVisitMapper::AddVisitEvent(IWbemClassObject* instance, VARIANT& eventId)
{
    CWMIDebugLog::LogInfo(kVisitMapperEventsSourceFile, __LINE__, L"CWmipVisitMapper::AddVisitEvent. Begin.");
    CAcsUser* user = RequireUser();
    const LONG visitId = ParameterNumber(instance, L"ID");
    const LONG hostId = ParameterNumber(instance, L"CARDHOLDERID");
    const LONG visitorId = ParameterNumber(instance, L"VISITORID");
    for (const wchar_t* property : {L"SCHEDULED_TIMEIN", L"SCHEDULED_TIMEOUT"})
    {
        _variant_t given;
        instance->Get(property, 0, &given, nullptr, nullptr);
        if (IsEmptyValue(given))
        {
            _variant_t fallback;
            if (SUCCEEDED(GetDefaultValue(instance, property, fallback.GetVARIANT())))
                WMIHelper::PutVariant(instance, property, &fallback.GetVARIANT(), 0);
        }
    }
    CWMIDebugLog::LogInfo(kVisitMapperEventsSourceFile, __LINE__,
                          L"CWmipVisitMapper::AddVisitEvent. Looking up host and visitor information");
    CString hostName;
    CString visitorName;
    CBntDatabase* database = GetDatabase();
    if (database == nullptr)
        throw CWMIException(kVisitMapperEventsSourceFile, __LINE__, WBEM_E_FAILED);
    try
    {
        CVisit(visitId, hostId, visitorId).LookupNames(database, &hostName, &visitorName);
        const LONG newId = CBntIDGenerator(GetDatabaseUser()).GetNextID(kVisitEventIdType, -1);
        if (newId <= 0)
            throw CWMIException(kVisitMapperEventsSourceFile, __LINE__, WBEM_E_FAILED, CWmipMessages::kVisitEventNoId);
        CString name;
        name.FormatMessage(ResourceText(20924), hostName.GetString(), visitorName.GetString());
        if (static_cast<std::size_t>(name.GetLength()) > kMaxEventName)
            name = name.Left(static_cast<int>(kMaxEventName));

        CWMIDebugLog::LogInfo(kVisitMapperEventsSourceFile, __LINE__,
                              L"CWmipVisitMapper::AddVisitEvent. Opening visit event set");
        VisitEventSet events(database, 0);
        events.AddEventIDFilter(-1);
        events.Open();
        CWMIDebugLog::LogInfo(kVisitMapperEventsSourceFile, __LINE__,
                              L"CWmipVisitMapper::AddVisitEvent. Adding visit event record");
        events.AddNew();
        events.SetValue(L"VISIT_EVENTID", CDBValue(newId));
        events.SetValue(L"EMPID", CDBValue(hostId));
        events.SetValue(L"LASTCHANGED_UTC", UtcNow());
        events.SetValue(L"SCHEDULED_TIMEIN", EventTime(instance, L"SCHEDULED_TIMEIN", GetDoor()));
        events.SetValue(L"SCHEDULED_TIMEOUT", EventTime(instance, L"SCHEDULED_TIMEOUT", GetDoor()));
        events.SetValue(L"SOURCE_BNT_DBID", CDBValue(user->GetDatabaseID()));
        events.SetValue(L"NAME", CDBValue(name));
        if (IsBusDoor())
        {
            _variant_t location;
            instance->Get(L"SIGNINLOCATIONID", 0, &location, nullptr, nullptr);
            if (!IsEmptyValue(location))
                events.SetValue(L"VISIT_EVENT_SIGN_IN_LOCATIONID",
                                CDBValue(ParameterNumber(instance, L"SIGNINLOCATIONID")));
        }
        events.Update();
        events.Close();

        VariantClear(&eventId);
        eventId.vt = VT_I4;
        eventId.lVal = newId;

        CWMIDebugLog::LogInfo(kVisitMapperEventsSourceFile, __LINE__,
                              L"CWmipVisitMapper::AddVisitEvent. Logging user transaction");
        AuditVisitEvent(user, database, Operation::Add, newId, name);
        CWMIDebugLog::LogInfo(kVisitMapperEventsSourceFile, __LINE__,
                              L"CWmipVisitMapper::AddVisitEvent. Logging enterprise transaction");
        ReplicateVisitEvent(CBntCardholderTrans::kAdded, newId);
    }
    catch (const CDBException& e)
    {
        throw CWMIException(kVisitMapperEventsSourceFile, __LINE__, WBEM_E_FAILED, &e);
    }
}

LONG CWmipVisitMapper::GetVisitEventID(IWbemClassObject* instance)
{
    LONG eventId = 0;
    if (SUCCEEDED(WMIHelper::GetNumber(instance, L"VISIT_EVENTID", eventId)))
        return eventId;
    // A modify may leave the event id out; the visit's stored row names it.
    const auto row = CLoginQuery::FirstRow(*GetDatabase(), "SELECT VISIT_EVENTID FROM VISIT WHERE VISITID = ?",
                                           {ParameterNumber(instance, L"ID")});
    return row ? static_cast<LONG>(CLoginQuery::Integer(*row, 0)) : 0;
}

void CWmipVisitMapper::UpdateVisitEvent(IWbemClassObject* instance)
{
    CAcsUser* user = RequireUser();
    const LONG eventId = GetVisitEventID(instance);
    const LONG hostId = ParameterNumber(instance, L"CARDHOLDERID");
    CBntDatabase* database = GetDatabase();
    VisitEventSet events(database, 0);
    events.AddEventIDFilter(eventId);
    events.Open();
    if (!events.IsEOF())
    {
        events.Edit();
        // A modify that leaves a value out keeps what is stored, as for the visit's own row.
        if (hostId > 0)
            events.SetValue(L"EMPID", CDBValue(hostId));
        events.SetValue(L"LASTCHANGED_UTC", UtcNow());
        for (const wchar_t* property : {L"SCHEDULED_TIMEIN", L"SCHEDULED_TIMEOUT"})
        {
            _variant_t given;
            instance->Get(property, 0, &given, nullptr, nullptr);
            if (!IsEmptyValue(given))
                events.SetValue(property, EventTime(instance, property, GetDoor()));
        }
        if (IsBusDoor())
        {
            // Kept when the write does not carry it; an empty text clears it.
            _variant_t location;
            instance->Get(L"SIGNINLOCATIONID", 0, &location, nullptr, nullptr);
            const VARTYPE given = static_cast<const VARIANT&>(location).vt;
            if (given != VT_NULL && given != VT_EMPTY)
                events.SetValue(L"VISIT_EVENT_SIGN_IN_LOCATIONID",
                                IsEmptyValue(location) ? CDBValue()
                                                       : CDBValue(ParameterNumber(instance, L"SIGNINLOCATIONID")));
        }
        events.Update();
    }
    events.Close();
    AuditVisitEvent(user, database, Operation::Modify, eventId, CString());
    ReplicateVisitEvent(CBntCardholderTrans::kModified, eventId);
}

void CWmipVisitMapper::DeleteVisitEvent(IWbemClassObject* instance)
{
    CAcsUser* user = RequireUser();
    const LONG eventId = GetVisitEventID(instance);
    CBntDatabase* database = GetDatabase();
    // An event that other visits still share stays: deleting it would take those visits along.
    if (CWmipRecordChecks::HasRow(*database, L"VISIT", {{L"VISIT_EVENTID", eventId}}))
        return;
    VisitEventSet events(database, 0);
    events.AddEventIDFilter(eventId);
    events.Open();
    if (!events.IsEOF())
    {
        const CString name = events.GetText(L"NAME");
        events.Delete();
        AuditVisitEvent(user, database, Operation::Delete, eventId, name);
    }
    events.Close();
    ReplicateVisitEvent(CBntCardholderTrans::kDeleted, eventId);
}

void CWmipVisitMapper::AuditVisitEvent(CAcsUser* user, CBntDatabase* database, Operation operation, LONG eventId,
                                       const CString& name)
{
    CString audit;
    audit.FormatMessage(ResourceText(20931), eventId, name.GetString());
    if (!user->LogTransToDB(operation, AuditObject::kVisitEvent, audit, database, 0, nullptr))
        throw CWMIException(kVisitMapperEventsSourceFile, __LINE__, WBEM_E_FAILED, CWmipMessages::kVisitEventNotLogged);
}

void CWmipVisitMapper::ReplicateVisitEvent(LONG action, LONG eventId)
{
    CBntCardholderTrans replication(action, ReplicationObject::kVisitEvent, nullptr);
    replication.SetRecordID(eventId);
    LogReplication(replication);
}
