#include "mappers/records/CWmipVisitMapper.h"

#include "common/AccessCodes.h"
#include "common/KvrTime.h"
#include "common/StringHelpers.h"
#include "framework/CWmipMessages.h"
#include "framework/CWmipMethodSignatures.h"
#include "framework/CWmipNullVariant.h"
#include "framework/CWmipObjectPath.h"
#include "framework/WMIHelper.h"
#include "inhouse/BntCommon/CBntCardholderTrans.h"
#include "inhouse/BntCoreDb/CBntDatabase.h"
#include "inhouse/BntCoreDb/CDBException.h"
#include "inhouse/BntCoreDb/CDynamicRecordset.h"
#include "inhouse/BntCoreDb/CLoginQuery.h"
#include "inhouse/BntLogin/CAcsUser.h"
#include "inhouse/BntResources/BntResourceStrings.h"
#include "inhouse/BntUdf/DlgVisitBadgeUpdate.h"
#include "inhouse/BntUdf/LUDFDbMgr.h"
#include "inhouse/BntUserDb/CBntAcsDBMgrVisit.h"
#include "inhouse/BntUserDb/CBntEmailManager.h"
#include "inhouse/BntUserDb/CPerson.h"
#include "inhouse/BntUserDb/CVisit.h"
#include "inhouse/BntUserDb/CVisitEmailLink.h"
#include "inhouse/BntUtility/CWMIDebugLog.h"
#include "inhouse/BntUtility/CWMIException.h"
#include "mappers/records/helpers/CWmipBadgeRecord.h"
#include "mappers/records/helpers/CWmipMethodParameters.h"
#include "mappers/records/helpers/CWmipPropertyColumns.h"
#include "mappers/records/helpers/CWmipRecordChecks.h"
#include "platform/com/CimTypes.h"
#include "platform/com/WbemConstants.h"

#include <algorithm>
#include <map>
#include <set>

using brontel::utility::CWMIDebugLog;
using brontel::utility::CWMIException;
using Operation = brontel::UserTranOperation::UserTransactionOperation;

namespace {
// The instance's values, 0 or empty when absent.
constexpr auto* Number = &CWmipMethodParameters::Number;
constexpr auto* Text = &CWmipMethodParameters::Text;
constexpr wchar_t kVisitMapperSourceFile[] = L"CWmipVisitMapper.cpp";
constexpr LONG kVisitLayoutTable = 100101;
constexpr LONG kEmailListMaxLength = 2048;
// Visit key: the id times the multiplier, modulo the modulus.
constexpr unsigned long long kVisitKeyMultiplier = 1498236071ULL;
constexpr unsigned long long kVisitKeyModulus = 2087310449ULL;
// Byte offset of the 64-bit badge id in a configuration message.

constexpr PropertyColumn kVisitColumns[] = {
    {L"ID", L"VISIT.VISITID"},
    {L"CARDHOLDERID", L"VISIT.EMPID"},
    {L"VISITORID", L"VISIT.VISITORID"},
    {L"TIMEIN", L"VISIT.TIMEIN_UTC"},
    {L"TIMEOUT", L"VISIT.TIMEOUT_UTC"},
    {L"LASTCHANGED", L"VISIT.LASTCHANGED_UTC"},
    {L"SCHEDULED_TIMEIN", L"VISIT_EVENT.SCHEDULED_TIMEIN"},
    {L"SCHEDULED_TIMEOUT", L"VISIT_EVENT.SCHEDULED_TIMEOUT"},
    {L"SIGNINLOCATIONID", L"VISIT_EVENT.VISIT_EVENT_SIGN_IN_LOCATIONID"},
    // Properties no column holds.
    {L"EMAIL_LIST", L""},
    {L"VISIT_KEY", L""},
};

// The VISIT columns that are read under another property name.
struct ColumnProperty
{
    const wchar_t* column;
    const wchar_t* property;
};
constexpr ColumnProperty kRenamedColumns[] = {
    {L"VISITID", L"ID"},          {L"EMPID", L"CARDHOLDERID"},          {L"TIMEIN_UTC", L"TIMEIN"},
    {L"TIMEOUT_UTC", L"TIMEOUT"}, {L"LASTCHANGED_UTC", L"LASTCHANGED"},
};
// The local-time columns of VISIT, which the class never shows.
constexpr const wchar_t* kLocalColumns[] = {L"SCHEDULED_TIMEIN", L"SCHEDULED_TIMEOUT", L"TIMEIN", L"TIMEOUT",
                                            L"LASTCHANGED"};

// The two methods of the class: SignVisitIn(BadgeTypeID, PrinterName, AssignedBadgeID) and
// SignVisitOut(), neither with out-parameters.
const std::map<CString, CCorvessaMethodDescriptor>& VisitMethods()
{
    static const std::map<CString, CCorvessaMethodDescriptor> methods = [] {
        CCorvessaMethodDescriptor signIn(CWmipVisitMapper::kSignVisitInMethod);
        signIn.AddParameter(true, L"BadgeTypeID", CIM_SINT32);
        signIn.AddParameter(true, L"PrinterName", CIM_STRING);
        signIn.AddParameter(true, L"AssignedBadgeID", CIM_SINT64);
        signIn.MarkInParametersAsKeys();
        std::map<CString, CCorvessaMethodDescriptor> table;
        table.emplace(CWmipVisitMapper::kSignVisitInMethod, signIn);
        table.emplace(CWmipVisitMapper::kSignVisitOutMethod,
                      CCorvessaMethodDescriptor(CWmipVisitMapper::kSignVisitOutMethod));
        return table;
    }();
    return methods;
}
}  // namespace

CWmipVisitMapper::CWmipVisitMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services)
    : CWmipMapperSkeleton(user, context, services)
{
    SetPermissions(Permission::kViewVisits, Permission::kAddVisits, Permission::kModifyVisits,
                   Permission::kDeleteVisits);
    static constexpr ColumnHook kHooks[] = {
        {L"VISIT_EVENT", L"SCHEDULED_TIMEIN", Reader<&CWmipVisitMapper::ReadScheduledTime>},
        {L"VISIT_EVENT", L"SCHEDULED_TIMEOUT", Reader<&CWmipVisitMapper::ReadScheduledTime>},
        {L"VISIT_EVENT", L"VISIT_EVENT_SIGN_IN_LOCATIONID", Reader<&CWmipVisitMapper::ReadSignInLocation>},
    };
    SetColumnHooks(kHooks);
    SetTransactionObject(AuditObject::kVisit);
    SetReplTransactionObject(ReplicationObject::kVisit);
}

CWmipVisitMapper::~CWmipVisitMapper() = default;

// --- Reading -----------------------------------------------------------------------------------

ProcessClauseResult CWmipVisitMapper::ProcessClause(CString& property, int& wqlOperator, CString& literal,
                                                    CString& extra)
{
    return KeepOnMappedColumn(property, CWmipMapperSkeleton::ProcessClause(property, wqlOperator, literal, extra));
}

HRESULT CWmipVisitMapper::CreateClass(IWbemClassObject** classObject, BOOL system)
{
    HRESULT hr = CWmipMapperSkeleton::CreateClass(classObject, system);
    if (FAILED(hr))
        return hr;
    ComPtr<IWbemClassObject> created;
    created.Attach(*classObject);
    *classObject = nullptr;
    struct Added
    {
        const wchar_t* name;
        LONG type;
        int flags;
        int maxlen;
    };
    const Added added[] = {
        {L"ID", CIM_SINT32, kPropertyKey | kPropertyRead | kPropertyNoEdit | kPropertyUnique, 0},
        {L"CARDHOLDERID", CIM_SINT32, kPropertyNotNull | kPropertyRead, 0},
        {L"VISITORID", CIM_SINT32, kPropertyNotNull | kPropertyRead, 0},
        {L"SCHEDULED_TIMEIN", CIM_DATETIME, 0, 0},
        {L"SCHEDULED_TIMEOUT", CIM_DATETIME, 0, 0},
        {L"VISIT_EVENTID", CIM_SINT32, kPropertyRead | kPropertyNoEdit, 0},
        {L"EMAIL_INCLUDE_DEF_RECIPENTS", CIM_BOOLEAN, 0, 0},
        {L"EMAIL_INCLUDE_HOST", CIM_BOOLEAN, 0, 0},
        {L"EMAIL_INCLUDE_VISITOR", CIM_BOOLEAN, 0, 0},
        {L"EMAIL_LIST", CIM_STRING, 0, kEmailListMaxLength},
    };
    for (const Added& property : added)
    {
        hr = PutProperty(created.Get(), property.name, property.type, property.flags, property.maxlen, nullptr, nullptr,
                         0, nullptr);
        if (FAILED(hr))
            return hr;
    }
    for (const wchar_t* name : {L"CARDHOLDERID", L"VISITORID"})
    {
        const CString target = CString(name) == L"CARDHOLDERID" ? L"Bnt_Cardholder.ID" : L"Bnt_Visitor.ID";
        CString value = target;
        hr = WMIHelper::PutQualString(created.Get(), name, L"propagated", value, 3);
        if (FAILED(hr))
            return hr;
    }
    for (const wchar_t* name : {L"EMAIL_INCLUDE_DEF_RECIPENTS", L"EMAIL_INCLUDE_HOST", L"EMAIL_INCLUDE_VISITOR"})
    {
        ComPtr<IWbemQualifierSet> qualifiers;
        hr = WMIHelper::GetPropertyQualifierSet(created.Get(), name, &qualifiers);
        if (SUCCEEDED(hr))
            hr = WMIHelper::PutQualBool(qualifiers.Get(), name, false, 3);
        if (FAILED(hr))
            return hr;
    }
    // The actual times are written by the sign-in and sign-out only.
    for (const wchar_t* name : {L"TIMEIN", L"TIMEOUT", L"LASTCHANGED"})
    {
        if (FAILED(created->Get(name, 0, nullptr, nullptr, nullptr)))
        {
            hr = PutProperty(created.Get(), name, CIM_DATETIME, kPropertyRead | kPropertyNoEdit, 0, nullptr, nullptr, 0,
                             nullptr);
            if (FAILED(hr))
                return hr;
        }
        else
        {
            ComPtr<IWbemQualifierSet> qualifiers;
            hr = WMIHelper::GetPropertyQualifierSet(created.Get(), name, &qualifiers);
            if (SUCCEEDED(hr) && CString(name) != L"LASTCHANGED")
                hr = WMIHelper::PutQualBool(qualifiers.Get(), L"noedit", true, 3);
            if (FAILED(hr))
                return hr;
        }
    }
    if (IsBusDoor())
    {
        hr = PutProperty(created.Get(), L"SIGNINLOCATIONID", CIM_SINT32, 0, 0, nullptr, nullptr, 0, nullptr);
        if (FAILED(hr))
            return hr;
    }
    hr = CWmipMethodSignatures::AddTo(VisitMethods(), created.Get());
    if (FAILED(hr))
        return hr;
    *classObject = created.Detach();
    return S_OK;
}

CWmipMapper::DefinitionReuse CWmipVisitMapper::GetBuiltClassReuse()
{
    return CWmipUDFClassMapper::GetBuiltClassReuse();
}

bool CWmipVisitMapper::IsMethodSupported(const wchar_t* methodName)
{
    return methodName != nullptr && VisitMethods().count(methodName) != 0;
}

bool CWmipVisitMapper::IsUseUTC()
{
    return true;
}

CString CWmipVisitMapper::GetTableDotColumn(const CString& property)
{
    return CWmipPropertyColumns::Find(kVisitColumns, property, L"VISIT");
}

void CWmipVisitMapper::SetupInstanceRecordset(CDynamicRecordset* recordset)
{
    if (recordset == nullptr)
        return;
    // A visit whose event row is missing is still served, so that it can be seen and deleted.
    recordset->SetupJoin(L"VISIT", L"VISIT_EVENTID", L"VISIT_EVENT", L"VISIT_EVENTID",
                         CMultiFilterRecordset::LeftOuterJoin);
    recordset->AddJoin(L"VISIT", L"EMPID", L"EMP", L"ID");
    recordset->AddJoin(L"VISIT", L"VISITORID", L"EMP EMP_VISITOR", L"ID");
    recordset->AddAllColumnsToSet(L"VISIT");
    for (const wchar_t* column : kLocalColumns)
        recordset->RemoveColumnFromSet(column, L"VISIT");
    recordset->AddColumnToSet(L"SCHEDULED_TIMEIN", L"VISIT_EVENT");
    recordset->AddColumnToSet(L"SCHEDULED_TIMEOUT", L"VISIT_EVENT");
    recordset->AddColumnToSet(L"VISIT_EVENT_SIGN_IN_LOCATIONID", L"VISIT_EVENT");
}

WMIHelper::ProcessMethod CWmipVisitMapper::GetPropertyProcessMethod(const CString& column, const CString& table)
{
    if (table.CompareNoCase(L"VISIT") == 0)
        return WMIHelper::kProcessByPropertyName;
    return CWmipMapperSkeleton::GetPropertyProcessMethod(column, table);
}

CString CWmipVisitMapper::GetPropertyName(const CString& column, const CString& table)
{
    if (table.CompareNoCase(L"VISIT") != 0)
        return CWmipMapperSkeleton::GetPropertyName(column, table);
    for (const ColumnProperty& entry : kRenamedColumns)
    {
        if (column.CompareNoCase(entry.column) == 0)
            return entry.property;
    }
    return column;
}

HRESULT CWmipVisitMapper::ReadScheduledTime(IWbemClassObject& instance, const CMultiFilterRecordset& row,
                                            const CString& column)
{
    const CString field = L"VISIT_EVENT." + column;
    if (row.IsFieldNull(field))
        return S_OK;
    return WMIHelper::PutDateTime(&instance, column, row.GetTimestamp(field), GetDoor());
}

HRESULT CWmipVisitMapper::ReadSignInLocation(IWbemClassObject& instance, const CMultiFilterRecordset& row,
                                             const CString& column)
{
    if (!IsBusDoor())
        return S_OK;
    const CString field = L"VISIT_EVENT." + column;
    if (row.IsFieldNull(field))
    {
        VARIANT null = CWmipNullVariant::Get();
        return WMIHelper::PutVariant(&instance, L"SIGNINLOCATIONID", &null, CIM_SINT32);
    }
    return WMIHelper::PutNumber(&instance, L"SIGNINLOCATIONID", row.GetLong(field));
}

void CWmipVisitMapper::CanViewAll()
{
    CWmipMapperSkeleton::CanViewAll();
    const CAcsUser* user = RequireUser();
    if (!user->IsAllSegmentsUser() && user->GetSystemOptions().IsCardholderSegmentationEnabled())
        throw CWMIException(kVisitMapperSourceFile, __LINE__, WBEM_E_ACCESS_DENIED,
                            CWmipMessages::kSegmentAccessDenied);
}

// --- Defaults and values ------------------------------------------------------------------------

CString CWmipVisitMapper::DefaultScheduledTime(LONG secondsOfDay)
{
    const COleDateTime now = COleDateTime::GetCurrentTime();
    COleDateTime value(now.GetYear(), now.GetMonth(), now.GetDay(), secondsOfDay / 3600, (secondsOfDay / 60) % 60,
                       secondsOfDay % 60);
    ConvertLocalToUTC(value);
    CString text;
    WMIHelper::DateTimeToString(text, value, 0, GetDoor());
    return text;
}

HRESULT CWmipVisitMapper::GetDefaultValue(IWbemClassObject* instance, const CString& property, VARIANT& value)
{
    if (property.CompareNoCase(L"SCHEDULED_TIMEIN") == 0 || property.CompareNoCase(L"SCHEDULED_TIMEOUT") == 0)
    {
        RequireUser();
        const auto manager = SetupVisitManager();
        const LONG seconds = property.CompareNoCase(L"SCHEDULED_TIMEIN") == 0 ? manager->GetDefaultSignInSeconds()
                                                                              : manager->GetDefaultSignOutSeconds();
        _variant_t text(static_cast<const wchar_t*>(DefaultScheduledTime(seconds)));
        VariantClear(&value);
        value = text.Detach();
        return S_OK;
    }
    if (property.CompareNoCase(L"VISIT_EVENTID") == 0)
    {
        AddVisitEvent(instance, value);
        return S_OK;
    }
    if (property.CompareNoCase(L"VISIT_KEY") == 0)
    {
        const CString key = BuildVisitKey(Number(instance, L"ID"));
        if (!key.IsEmpty())
        {
            _variant_t text(static_cast<const wchar_t*>(key));
            VariantClear(&value);
            value = text.Detach();
        }
        return S_OK;
    }
    return CWmipMapperSkeleton::GetDefaultValue(instance, property, value);
}

CString CWmipVisitMapper::BuildVisitKey(LONG visitId)
{
    if (visitId <= 0)
        return CString();
    const unsigned long long key = (static_cast<unsigned long long>(visitId) * kVisitKeyMultiplier) % kVisitKeyModulus;
    CString text;
    text.Format(L"%I64u", key);
    return text;
}

bool CWmipVisitMapper::IsSystemStamped(const CString& property)
{
    return property.CompareNoCase(L"LASTCHANGED") == 0;
}

HRESULT CWmipVisitMapper::IsValidValue(IWbemClassObject* instance, const CString& property, VARIANT& value)
{
    if (property.CompareNoCase(L"LASTCHANGED") == 0)
    {
        TIMESTAMP_STRUCT now{};
        GetCurrentUTCTimestamp(now);
        const COleDateTime time(now.year, now.month, now.day, now.hour, now.minute, now.second);
        CString text;
        WMIHelper::DateTimeToString(text, time, 0, GetDoor());
        _variant_t replaced(static_cast<const wchar_t*>(text));
        VariantClear(&value);
        value = replaced.Detach();
        return S_OK;
    }
    return CWmipMapperSkeleton::IsValidValue(instance, property, value);
}

HRESULT CWmipVisitMapper::ValidateValuesForGeneratedProperties(IWbemClassObject* instance, bool create,
                                                               CString& propertyName)
{
    const HRESULT hr = CWmipMapperSkeleton::ValidateValuesForGeneratedProperties(instance, create, propertyName);
    if (FAILED(hr) || !create || instance == nullptr)
        return hr;
    _variant_t given;
    if (SUCCEEDED(instance->Get(L"VISIT_EVENTID", 0, &given, nullptr, nullptr)) && !IsEmptyValue(given))
    {
        propertyName = L"VISIT_EVENTID";
        return WBEM_E_INVALID_PARAMETER;
    }
    return hr;
}

// --- Checks ------------------------------------------------------------------------------------------

void CWmipVisitMapper::CanAdd(IWbemClassObject* instance)
{
    CWmipMapperSkeleton::CanAdd(instance);
    RequireUser();
    if (instance == nullptr)
        return;
    CheckVisitSegments(instance);
    ValidateVisit(false, instance);
}

void CWmipVisitMapper::CanModify(IWbemClassObject* instance)
{
    CWmipMapperSkeleton::CanModify(instance);
    if (instance != nullptr)
        ValidateVisit(true, instance);
}

void CWmipVisitMapper::CheckVisitSegments(IWbemClassObject* instance)
{
    const CAcsUser* user = RequireUser();
    const CBntAcsSystemOptions& options = user->GetSystemOptions();
    if (!options.IsCardholderSegmentationEnabled() || user->IsAllSegmentsUser())
        return;
    const auto reachable = [&](LONG personId) {
        const auto row = CLoginQuery::FirstRow(*GetDatabase(), "SELECT SEGMENTID FROM EMP WHERE ID = ?", {personId});
        return row && user->HasSegmentAccess(static_cast<LONG>(CLoginQuery::Integer(*row, 0, -1)), 0);
    };
    if (!reachable(Number(instance, L"CARDHOLDERID")))
        throw CWMIException(kVisitMapperSourceFile, __LINE__, WBEM_E_FAILED, CWmipMessages::kVisitSegmentPair);
    if (options.IsVisitorSegmentationEnabled() && !reachable(Number(instance, L"VISITORID")))
        throw CWMIException(kVisitMapperSourceFile, __LINE__, WBEM_E_FAILED, CWmipMessages::kVisitSegmentPair);
}

void CWmipVisitMapper::ValidateVisit(bool modifying, IWbemClassObject* instance)
{
    if (instance == nullptr)
        return;
    const CAcsUser* user = RequireUser();
    const LONG hostId = Number(instance, L"CARDHOLDERID");
    const LONG visitorId = Number(instance, L"VISITORID");
    if (!modifying)
    {
        CPerson host(hostId, nullptr, -9999, 101);
        if (hostId <= 0 || !host.Read(GetDatabaseUser(), -1))
            CWmipRecordChecks::ThrowNamed(kVisitMapperSourceFile, __LINE__, WBEM_E_INVALID_PARAMETER,
                                          CWmipMessages::kInvalidProperty, L"CARDHOLDERID");
        if (!host.IsVisitor() && !host.AllowsVisitors())
            throw CWMIException(kVisitMapperSourceFile, __LINE__, WBEM_E_FAILED, CWmipMessages::kHostTakesNoVisits);
        if (host.IsVisitor())
            throw CWMIException(kVisitMapperSourceFile, __LINE__, WBEM_E_FAILED, CWmipMessages::kHostIsVisitor);
        CPerson visitor(visitorId, nullptr, -9999, 101);
        ReadVisitor(visitor);
        if (user->GetSystemOptions().IsVisitorSegmentationEnabled())
        {
            host.ReadSegmentAssignments(GetDatabaseUser());
            visitor.ReadSegmentAssignments(GetDatabaseUser());
            const auto& hostSegments = host.GetSegmentAssignments();
            const auto& visitorSegments = visitor.GetSegmentAssignments();
            const bool common = std::any_of(visitorSegments.begin(), visitorSegments.end(),
                                            [&](LONG segment) { return hostSegments.count(segment) != 0; });
            if (!common)
                throw CWMIException(kVisitMapperSourceFile, __LINE__, WBEM_E_FAILED,
                                    CWmipMessages::kNoCommonVisitSegment);
        }
    }
    const CString timeInText = Text(instance, L"SCHEDULED_TIMEIN");
    const CString timeOutText = Text(instance, L"SCHEDULED_TIMEOUT");
    // A modify that gives one scheduled time is checked against the other one stored.
    CString effectiveTimeIn = timeInText;
    CString effectiveTimeOut = timeOutText;
    ComPtr<IWbemClassObject> stored;
    if (modifying)
    {
        CWmipObjectPath path(kWMIClassName);
        path.AddKey(L"ID", Number(instance, L"ID"));
        stored.Attach(GetCurrentInstance(&path));
    }
    if (stored != nullptr)
    {
        if (!timeInText.IsEmpty() && timeInText.CompareNoCase(Text(stored.Get(), L"SCHEDULED_TIMEIN")) != 0 &&
            !Text(stored.Get(), L"TIMEIN").IsEmpty())
            throw CWMIException(kVisitMapperSourceFile, __LINE__, WBEM_E_FAILED, CWmipMessages::kVisitTimeInFixed);
        if (!timeOutText.IsEmpty() && timeOutText.CompareNoCase(Text(stored.Get(), L"SCHEDULED_TIMEOUT")) != 0 &&
            !Text(stored.Get(), L"TIMEOUT").IsEmpty())
            throw CWMIException(kVisitMapperSourceFile, __LINE__, WBEM_E_FAILED, CWmipMessages::kVisitTimeOutFixed);
        if (effectiveTimeIn.IsEmpty())
            effectiveTimeIn = Text(stored.Get(), L"SCHEDULED_TIMEIN");
        if (effectiveTimeOut.IsEmpty())
            effectiveTimeOut = Text(stored.Get(), L"SCHEDULED_TIMEOUT");
    }
    const COleDateTime timeIn = WMIHelper::ToDateTimeUTC(effectiveTimeIn, GetDoor());
    const COleDateTime timeOut = WMIHelper::ToDateTimeUTC(effectiveTimeOut, GetDoor());
    if (timeIn.GetStatus() == COleDateTime::valid && timeOut.GetStatus() == COleDateTime::valid && timeOut <= timeIn)
        throw CWMIException(kVisitMapperSourceFile, __LINE__, WBEM_E_FAILED, CWmipMessages::kVisitTimeOrder);

    // An address goes into a mail header: a line break or other control character is refused
    // before anything is written.
    for (const CString& address : SplitEmailList(Text(instance, L"EMAIL_LIST")))
    {
        if (!CVisitEmailLink::IsValidEmailAddress(address))
            CWmipRecordChecks::ThrowNamed(kVisitMapperSourceFile, __LINE__, WBEM_E_INVALID_PARAMETER,
                                          CWmipMessages::kInvalidProperty, L"EMAIL_LIST");
    }
}

void CWmipVisitMapper::ReadVisitor(CPerson& visitor)
{
    if (visitor.GetID() <= 0 || !visitor.Read(GetDatabaseUser(), -1))
        CWmipRecordChecks::ThrowNamed(kVisitMapperSourceFile, __LINE__, WBEM_E_INVALID_PARAMETER,
                                      CWmipMessages::kInvalidProperty, L"VISITORID");
    if (!visitor.IsVisitor())
        throw CWMIException(kVisitMapperSourceFile, __LINE__, WBEM_E_FAILED, CWmipMessages::kVisitorIsCardholder);
}

std::vector<CString> CWmipVisitMapper::SplitEmailList(const CString& list)
{
    return SplitTrimmedList(list, L';');
}

CString CWmipVisitMapper::GetSuperclassName()
{
    return L"Bnt_Element";
}

bool CWmipVisitMapper::HasSuperclass()
{
    return true;
}

bool CWmipVisitMapper::IsAbstractClass()
{
    return false;
}

// --- Audit -----------------------------------------------------------------------------------------

CString CWmipVisitMapper::GetTransactionValues(Operation, IWbemClassObject* instance)
{
    const LONG visitorId = Number(instance, L"VISITORID");
    CString hostName;
    CString visitorName;
    VisitOf(instance).LookupNames(GetDatabase(), &hostName, &visitorName);
    CString text;
    text.FormatMessage(ResourceText(20528), visitorId, visitorName.GetString(), hostName.GetString());
    return text;
}

void CWmipVisitMapper::SetupReplTransaction(CBntCardholderTrans& transaction, Operation, IWbemClassObject* instance)
{
    transaction.SetRecordID(Number(instance, L"ID"));
}

// --- Write hooks ----------------------------------------------------------------------------------

void CWmipVisitMapper::BeforeWriteInstance(Operation operation, IWbemClassObject* instance)
{
    CWMIDebugLog::LogInfo(kVisitMapperSourceFile, __LINE__, L"CWmipVisitMapper::BeforeWriteInstance. Begin.");
    RequireUser();
    CVisit visit = VisitOf(instance);
    const LONG visitId = visit.GetID();
    const LONG visitorId = visit.GetVisitorID();
    try
    {
        if (operation == Operation::Modify)
            UpdateVisitEvent(instance);
        if (operation == Operation::Delete)
        {
            const auto manager = SetupVisitManager();
            if (manager->MustDeactivateVisitorBadges(visitorId, visitId))
                manager->SignoutVisitorBadges(visitorId, m_badgesToAnnounce);
            SendNotice(*manager, visit, 21417, visit.GetName(), CString());
        }
    }
    catch (const CDBException& e)
    {
        CWMIDebugLog::LogError(kVisitMapperSourceFile, __LINE__,
                               L"An error occurred in CWmipVisitMapper::BeforeWriteInstance", WBEM_E_FAILED, &e);
        throw CWMIException(kVisitMapperSourceFile, __LINE__, WBEM_E_FAILED, &e);
    }
    CWMIDebugLog::LogInfo(kVisitMapperSourceFile, __LINE__, L"CWmipVisitMapper::BeforeWriteInstance. Done.");
}

void CWmipVisitMapper::AfterWriteInstance(Operation operation, IWbemClassObject* instance)
{
    CWMIDebugLog::LogInfo(kVisitMapperSourceFile, __LINE__, L"CWmipVisitMapper::AfterWriteInstance. Begin.");
    RequireUser();
    CVisit visit = VisitOf(instance);
    const LONG visitId = visit.GetID();
    try
    {
        if (operation == Operation::Delete)
        {
            DeleteVisitEvent(instance);
            for (const LONGLONG badgeId : m_badgesToAnnounce)
                CWmipBadgeRecord::DownloadBadgeToPanel(badgeId, CWmipBadgeRecord::kRemoved,
                                                       CWmipBadgeRecord::kNoUseLimit);
            m_badgesToAnnounce.clear();
            return;
        }
        if (!visit.Read(GetDatabaseUser(), visitId).IsSuccess())
            throw CWMIException(kVisitMapperSourceFile, __LINE__, WBEM_E_FAILED, CWmipMessages::kVisitNotRead);
        const auto manager = SetupVisitManager();
        // The recipients follow the instance. A modify that does not carry EMAIL_LIST (no
        // column keeps it) keeps the plain addresses stored before.
        visit.GetEmailLinks().SetVisitID(visitId);
        _variant_t emailList;
        instance->Get(L"EMAIL_LIST", 0, &emailList, nullptr, nullptr);
        if (operation == Operation::Modify && (emailList.vt == VT_NULL || emailList.vt == VT_EMPTY) &&
            visit.ReadEmailRecipients(GetDatabaseUser()))
            visit.GetEmailLinks().KeepPlainAddresses();
        // A flag the write does not carry (a bus change names only what changes) is the stored
        // one, which the row written by now holds: its recipient is not dropped unasked.
        const auto included = [&](const wchar_t* flag) {
            _variant_t given;
            instance->Get(flag, 0, &given, nullptr, nullptr);
            if (given.vt != VT_NULL && given.vt != VT_EMPTY)
                return CWmipMethodParameters::IsTrue(instance, flag);
            return CWmipRecordChecks::HasRow(*GetDatabase(), L"VISIT", {{L"VISITID", visitId}, {flag, 1}});
        };
        if (included(L"EMAIL_INCLUDE_DEF_RECIPENTS"))
            visit.AddDefaultEmailRecipients(GetDatabaseUser());
        if (included(L"EMAIL_INCLUDE_HOST"))
            visit.AddHostEmailRecipient();
        if (included(L"EMAIL_INCLUDE_VISITOR"))
            visit.AddVisitorEmailRecipient();
        for (const CString& piece : SplitEmailList(Text(instance, L"EMAIL_LIST")))
        {
            CVisitEmailLink link(visitId, 0);
            if (link.SetEmailAddress(piece))
                visit.GetEmailLinks().Add(std::move(link));
        }
        visit.SaveEmailRecipients(GetDatabaseUser());
        std::vector<LONGLONG> changed;
        if (operation == Operation::Modify && visit.IsActive())
            RunBadgeUpdate(*manager, visit.GetVisitorID(), changed);
        if (operation == Operation::Add)
            SendNotice(*manager, visit, 21415, visit.GetName(), NoticeTime(visit.GetScheduledTimeIn()));
        else
            SendNotice(*manager, visit, 21416, visit.GetName(), CString());
        for (const LONGLONG badgeId : changed)
            CWmipBadgeRecord::DownloadBadgeToPanel(badgeId, CWmipBadgeRecord::kChanged, CWmipBadgeRecord::kNoUseLimit);
    }
    catch (const CDBException& e)
    {
        CWMIDebugLog::LogError(kVisitMapperSourceFile, __LINE__,
                               L"An error occurred in CWmipVisitMapper::AfterWriteInstance", WBEM_E_FAILED, &e);
        throw CWMIException(kVisitMapperSourceFile, __LINE__, WBEM_E_FAILED, &e);
    }
    CWMIDebugLog::LogInfo(kVisitMapperSourceFile, __LINE__, L"CWmipVisitMapper::AfterWriteInstance. Done.");
}

void CWmipVisitMapper::FilterUDFLayoutRecordset(CMultiFilterRecordset& recordset)
{
    recordset.AddFilterLong(L"TBLID", kVisitLayoutTable);
}

// --- Shared steps ------------------------------------------------------------------------------------

CVisit CWmipVisitMapper::VisitOf(IWbemClassObject* instance)
{
    return CVisit(Number(instance, L"ID"), Number(instance, L"CARDHOLDERID"), Number(instance, L"VISITORID"));
}

CString CWmipVisitMapper::NoticeTime(const CString& stored)
{
    return stored.IsEmpty() ? CString(L"Invalid DateTime") : stored;
}

CString CWmipVisitMapper::ResourceText(UINT id)
{
    CString text;
    brontel::resources::LoadResourceString(id, text);
    return text;
}

std::unique_ptr<CBntAcsDBMgrVisit> CWmipVisitMapper::SetupVisitManager()
{
    LUDFDbMgr defaults(GetDatabase());
    defaults.Read(0);
    auto manager = std::make_unique<CBntAcsDBMgrVisit>(GetDatabaseUser());
    manager->SetPrimaryDatabase(GetDatabase());
    manager->SetDefaults(defaults);
    return manager;
}

void CWmipVisitMapper::SendNotice(CBntAcsDBMgrVisit& manager, CVisit& visit, UINT resource, const CString& first,
                                  const CString& second)
{
    if (!manager.ReadEmailFields(visit) || !visit.ReadEmailRecipients(GetDatabaseUser()))
        return;
    CString text;
    text.FormatMessage(ResourceText(resource), first.GetString(), second.GetString());
    try
    {
        CBntEmailManager(&manager, GetDatabase()).SendEmail(visit, text, nullptr);
    }
    catch (const CDBException& e)
    {
        // The outbox is a courtesy to the recipients; the visit's change stands without it.
        CWMIDebugLog::LogError(kVisitMapperSourceFile, __LINE__, L"Unable to queue the visit notice.", WBEM_E_FAILED,
                               &e);
    }
}

void CWmipVisitMapper::RunBadgeUpdate(CBntAcsDBMgrVisit& manager, LONG visitorId, std::vector<LONGLONG>& announce)
{
    DlgVisitBadgeUpdate update(manager, visitorId, nullptr);
    if (update.DoModal() != DlgVisitBadgeUpdate::kAccepted)
        return;
    const auto& badges = update.GetBadgeMap();
    announce.insert(announce.end(), badges.begin(), badges.end());
}
