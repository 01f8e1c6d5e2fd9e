#include "mappers/records/CWmipPersonMapper.h"

#include <set>
#include <vector>

#include "common/AccessCodes.h"
#include "framework/CWmideFieldSet.h"
#include "framework/CWmipMapperRegistry.h"
#include "framework/CWmipMessages.h"
#include "framework/CWmipObjectPath.h"
#include "framework/WMIHelper.h"
#include "inhouse/BntAccessSets/CVisitSet.h"
#include "inhouse/BntCommon/CBntCardholderTrans.h"
#include "inhouse/BntCore/CUserAction.h"
#include "inhouse/BntCoreDb/CBntDatabase.h"
#include "inhouse/BntCoreDb/CDBException.h"
#include "inhouse/BntCoreDb/CDynamicRecordset.h"
#include "inhouse/BntCoreDb/CSQLStatement.h"
#include "inhouse/BntLogin/CAcsUser.h"
#include "inhouse/BntLogin/CSegmentIDSet.h"
#include "inhouse/BntUserDb/CPerson.h"
#include "inhouse/BntUtility/CWMIDebugLog.h"
#include "inhouse/BntUtility/CWMIException.h"
#include "mappers/records/helpers/CWmipAccessRules.h"
#include "mappers/records/helpers/CWmipPersonRecord.h"
#include "mappers/records/helpers/CWmipRecordChecks.h"
#include "platform/com/CimTypes.h"
#include "platform/com/WbemConstants.h"
#include "platform/mfc/COleDateTime.h"
#include "platform/wmi/IWbemClassObject.h"

using brontel::utility::CWMIDebugLog;
using brontel::utility::CWMIException;
using Operation = brontel::UserTranOperation::UserTransactionOperation;

namespace {

constexpr const wchar_t* kPersonMapperSourceFile = L"wpPersonMapper.cpp";

constexpr const wchar_t* kPrimarySegmentProperty = L"PRIMARYSEGMENTID";
constexpr const wchar_t* kIsGrantProperty = L"IsGrant";
// The properties kept in EMP under their own names (compared case-sensitively).
constexpr const wchar_t* kEmpProperties[] = {L"LASTNAME", L"FIRSTNAME",       L"MIDNAME",
                                             L"SSNO",     L"ALLOWEDVISITORS", L"LASTCHANGED"};
// The layout's object types of cardholders and visitors.
constexpr LONG kCardholderLayout = 1;
constexpr LONG kVisitorLayout = 9;
// Arguments by which CPerson is looked up by id alone.
constexpr LONG kPersonLookupOption = -9999;
constexpr LONG kPersonLookupKind = 101;
constexpr LONG kOwnDatabase = -1;
// BADGE.STATUS of an active badge.
constexpr LONG kPersonActiveBadge = 1;

bool IsEmpProperty(const CString& property)
{
    for (const wchar_t* name : kEmpProperties)
    {
        if (property.CompareNoCase(name) == 0)
            return true;
    }
    return false;
}

// The keys of the rows of table whose EMPID is the person, read in full before any is deleted.
std::vector<LONGLONG> KeysOf(CBntDatabase& database, const wchar_t* table, const wchar_t* keyColumn, LONG personId)
{
    CDynamicRecordset rows(&database);
    rows.SetTable(table);
    rows.AddColumnToSet(keyColumn, table);
    rows.AddFilterLong(CString(table) + L".EMPID", personId);
    rows.OpenForwardOnly();
    std::vector<LONGLONG> keys;
    for (; !rows.IsEOF(); rows.MoveNext())
        keys.push_back(rows.IsFieldNull(0) ? 0 : rows.GetLongLong(0));
    return keys;
}

}  // namespace

CWmipPersonMapper::CWmipPersonMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services)
    : CWmipMapperSkeleton(user, context, services)
{
    SetReplTransactionObject(ReplicationObject::kPerson);
}

CWmipPersonMapper::CWmipPersonMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services,
                                     const wchar_t* className)
    : CWmipMapperSkeleton(user, context, services, className)
{
    SetReplTransactionObject(ReplicationObject::kPerson);
}

int CWmipPersonMapper::GetPersonType()
{
    return kAnyPerson;
}

int CWmipPersonMapper::GetUDFObjectType()
{
    switch (GetPersonType())
    {
    case kCardholder:
        return kCardholderLayout;
    case kVisitor:
        return kVisitorLayout;
    default:
        return 0;
    }
}

CString CWmipPersonMapper::GetUDFTableName()
{
    switch (GetPersonType())
    {
    case kCardholder:
        return L"UDFEMP";
    case kVisitor:
        return L"VISITOR_UDF";
    default:
        return CString();
    }
}

bool CWmipPersonMapper::IsSegmentationEnabled(const CBntAcsSystemOptions& options)
{
    const int kind = GetPersonType();
    return ((kind == kCardholder || kind == kAnyPerson) && options.IsCardholderSegmentationEnabled()) ||
           ((kind == kVisitor || kind == kAnyPerson) && options.IsVisitorSegmentationEnabled());
}

const CWmipUDFClassMapper::LayoutField* CWmipPersonMapper::FindLayoutField(const CString& property)
{
    for (const LayoutField& field : GetLayout())
    {
        if (field.property.CompareNoCase(property) == 0)
            return &field;
    }
    return nullptr;
}

ProcessClauseResult CWmipPersonMapper::ProcessClause(CString& property, int& wqlOperator, CString& literal,
                                                     CString& extra)
{
    const ProcessClauseResult result = CWmipClassMapper::ProcessClause(property, wqlOperator, literal, extra);
    if (result != ProcessClausePlain)
        return result;
    if (property.CompareNoCase(kIsGrantProperty) == 0)
        return ProcessClauseDrop;
    // A field the caller may not see may not be probed through a condition either.
    if (!CanAccessProperty(property))
        return result;
    return KeepOnMappedColumn(property, result);
}

CString CWmipPersonMapper::GetTableDotColumn(const CString& property)
{
    // WMI names are not case-sensitive: "id" is EMP.ID as much as "ID" is.
    if (property.CompareNoCase(L"ID") == 0)
        return L"EMP.ID";
    if (property.CompareNoCase(kPrimarySegmentProperty) == 0)
        return L"EMP.SEGMENTID";
    if (IsEmpProperty(property))
        return L"EMP." + property;
    // A user-defined field is the column of its own layout table; only the layout's fields are
    // columns, so a query cannot reach a column the class does not show.
    if (const LayoutField* field = FindLayoutField(property))
        return field->table + L"." + field->column;
    return CString();
}

CString CWmipPersonMapper::GetPropertyName(const CString& column, const CString& table)
{
    if (table.CompareNoCase(L"EMP") == 0 && column.CompareNoCase(L"SEGMENTID") == 0)
        return kPrimarySegmentProperty;
    return CWmipUDFClassMapper::GetPropertyName(column, table);
}

void CWmipPersonMapper::SetupInstanceRecordset(CDynamicRecordset* recordset)
{
    if (recordset == nullptr)
        return;
    const CString udfTable = GetUDFTableName();
    if (udfTable.IsEmpty())
    {
        recordset->SetTable(L"EMP");
        recordset->AddAllColumnsToSet(L"EMP");
        return;
    }
    recordset->SetupJoin(L"EMP", L"ID", udfTable, L"ID", CMultiFilterRecordset::LeftOuterJoin);
    recordset->AddAllColumnsToSet(L"EMP");
    recordset->AddAllColumnsToSet(udfTable);
    recordset->RemoveColumnFromSet(L"ID", udfTable);
}

void CWmipPersonMapper::FilterInstanceRecordset(CMultiFilterRecordset* recordset)
{
    if (recordset == nullptr)
        return;
    const int kind = GetPersonType();
    if (kind == kCardholder || kind == kVisitor)
        recordset->AddFilterInt(L"EMP.VISITOR", kind == kCardholder ? 0 : 1);
    AddAdditionalPersonFilter(*recordset);
}

WMIHelper::ProcessMethod CWmipPersonMapper::GetPropertyProcessMethod(const CString& column, const CString& table)
{
    if (table == L"EMP" && column == L"ALLOWEDVISITORS")
        return GetPersonType() == kCardholder ? WMIHelper::kProcessByOwnColumnName : WMIHelper::kProcessSkip;
    return CWmipUDFClassMapper::GetPropertyProcessMethod(column, table);
}

HRESULT CWmipPersonMapper::CreateClass(IWbemClassObject** classObject, BOOL system)
{
    HRESULT hr = CWmipUDFClassMapper::CreateClass(classObject, system);
    if (FAILED(hr))
        return hr;
    ComPtr<IWbemClassObject> created;
    created.Attach(*classObject);
    *classObject = nullptr;
    hr = PutProperty(created.Get(), L"ID", CIM_SINT32, kPropertyKey | kPropertyRead | kPropertyNoEdit | kPropertyUnique,
                     0, nullptr, nullptr, 0, nullptr);
    if (FAILED(hr))
        return hr;
    if (GetPersonType() != kAnyPerson)
    {
        if (GetDatabase() == nullptr)
            return WBEM_E_FAILED;
        // Read afresh: the definition must follow a change of the segmentation switches.
        CBntAcsSystemOptions options;
        try
        {
            options.Load(*GetDatabase());
        }
        catch (const CDBException& e)
        {
            CWMIDebugLog::LogError(kPersonMapperSourceFile, __LINE__, L"Unable to read the system options.", 0, &e);
            return WBEM_E_FAILED;
        }
        if (IsSegmentationEnabled(options))
        {
            hr = PutProperty(created.Get(), kPrimarySegmentProperty, CIM_SINT32, kPropertyNotNull, 0, nullptr, nullptr,
                             0, nullptr);
            if (FAILED(hr))
                return hr;
        }
        if (GetPersonType() == kCardholder && !IsBusDoor())
        {
            hr = PutProperty(created.Get(), kIsGrantProperty, CIM_BOOLEAN, kPropertyRead | kPropertyNoEdit, 0, nullptr,
                             nullptr, 0, nullptr);
            if (FAILED(hr))
                return hr;
        }
    }
    *classObject = created.Detach();
    return S_OK;
}

CWmipMapper::DefinitionReuse CWmipPersonMapper::GetBuiltClassReuse()
{
    return CWmipUDFClassMapper::GetBuiltClassReuse();
}

HRESULT CWmipPersonMapper::GetDefaultValue(IWbemClassObject* instance, const CString& property, VARIANT& value)
{
    if (property.CompareNoCase(kPrimarySegmentProperty) != 0)
        return CWmipUDFClassMapper::GetDefaultValue(instance, property, value);
    const CSegmentIDSet segments(RequireUser());
    // Only a caller with one segment has an obvious one; the others must name it.
    if (segments.CanAccessMultipleSegments() || segments.GetSegmentIDs().empty())
        return WBEM_E_NOT_FOUND;
    VariantClear(&value);
    value.vt = VT_I4;
    value.lVal = segments.GetFirstSegmentID();
    return S_OK;
}

bool CWmipPersonMapper::IsSystemStamped(const CString& property)
{
    return property.CompareNoCase(L"LASTCHANGED") == 0;
}

HRESULT CWmipPersonMapper::IsValidValue(IWbemClassObject* instance, const CString& property, VARIANT& value)
{
    if (property.CompareNoCase(L"LASTCHANGED") == 0)
    {
        CString text;
        WMIHelper::DateTimeToString(text, WMIHelper::LocalToUtc(COleDateTime::GetCurrentTime()), 0, GetDoor());
        VariantClear(&value);
        value.vt = VT_BSTR;
        value.bstrVal = SysAllocString(text);
        return S_OK;
    }
    if (property.CompareNoCase(kPrimarySegmentProperty) == 0)
    {
        const CAcsUser* user = RequireUser();
        if (value.vt != VT_I4)
            CWmipRecordChecks::ThrowNamed(kPersonMapperSourceFile, __LINE__, WBEM_E_INVALID_PARAMETER,
                                          CWmipMessages::kInvalidValueType, kPrimarySegmentProperty);
        if (!user->HasSegmentAccess(value.lVal, CPerson::kWriteSegmentAccess))
            throw CWMIException(kPersonMapperSourceFile, __LINE__, WBEM_E_ACCESS_DENIED,
                                CWmipMessages::kSegmentAccessDenied);
        // A segment that does not exist would leave the person to all-segments callers alone.
        if (!user->GetSystemOptions().GetSegmentationUtility().NamesExistingSegment(*GetDatabase(), value.lVal))
            CWmipRecordChecks::ThrowNamed(kPersonMapperSourceFile, __LINE__, WBEM_E_INVALID_PARAMETER,
                                          CWmipMessages::kInvalidProperty, kPrimarySegmentProperty);
        return S_OK;
    }
    return CWmipUDFClassMapper::IsValidValue(instance, property, value);
}

void CWmipPersonMapper::AddAdditionalFields(CWmideFieldSet& fieldSet)
{
    if (fieldSet.GetTableName() != L"EMP")
        return;
    const bool visitor = GetPersonType() == kVisitor;
    if (visitor)
        fieldSet.AddIntUnit(L"ALLOWEDVISITORS", 0);
    fieldSet.AddIntUnit(L"VISITOR", visitor ? 1 : 0);
    fieldSet.AddIntUnit(L"ASSET_GROUPID", 0);
    fieldSet.AddIntUnit(L"GUARD", 0);
}

CString CWmipPersonMapper::GetSuperclassName()
{
    return GetPersonType() == kAnyPerson ? L"Bnt_Element" : kWMIClassName;
}

bool CWmipPersonMapper::HasSuperclass()
{
    return true;
}

bool CWmipPersonMapper::IsAbstractClass()
{
    return GetPersonType() == kAnyPerson;
}

HRESULT CWmipPersonMapper::GetSuperclassDefinition(IWbemClassObject** parent, BOOL system)
{
    if (GetPersonType() == kAnyPerson)
        return CWmipUDFClassMapper::GetSuperclassDefinition(parent, system);
    CWmipPersonMapper person(GetDatabaseUser(), GetContext(), GetServices());
    person.SetUserEntry(GetUserEntry());
    return person.CreateClass(parent, system);
}

void CWmipPersonMapper::CanModify(IWbemClassObject* instance)
{
    CWmipUDFClassMapper::CanModify(instance);
    if (instance != nullptr)
        CheckPersonWriteAccess(true, instance);
}

void CWmipPersonMapper::CanDelete(IWbemClassObject* instance)
{
    CWmipUDFClassMapper::CanDelete(instance);
    if (instance == nullptr)
        return;
    CheckPersonWriteAccess(false, instance);
    // A visit names its host; deleting the host would leave the visit without one. A visitor's
    // own visits go with the visitor (the schema cascades them).
    const LONG personId = CWmipRecordChecks::RequireNumber(kPersonMapperSourceFile, instance, L"ID");
    if (CWmipRecordChecks::HasRow(*GetDatabase(), L"VISIT", {{L"EMPID", personId}}))
        throw CWMIException(kPersonMapperSourceFile, __LINE__, WBEM_E_FAILED, CWmipMessages::kHostOfVisits);
}

void CWmipPersonMapper::CanViewAll()
{
    CWmipUDFClassMapper::CanViewAll();
    const CAcsUser* user = RequireUser();
    if (user->IsAllSegmentsUser())
        return;
    if (IsSegmentationEnabled(user->GetSystemOptions()))
        throw CWMIException(kPersonMapperSourceFile, __LINE__, WBEM_E_ACCESS_DENIED,
                            CWmipMessages::kSegmentAccessDenied);
}

void CWmipPersonMapper::CheckPersonWriteAccess(bool isModify, IWbemClassObject* instance)
{
    if (instance == nullptr)
        return;
    const LONG personId = CWmipRecordChecks::RequireNumber(kPersonMapperSourceFile, instance, L"ID");
    const CAcsUser* user = RequireUser();
    try
    {
        CPerson person(personId, nullptr, kPersonLookupOption, kPersonLookupKind);
        person.Read(GetDatabaseUser(), kOwnDatabase);
        const CUserAction action(isModify ? CUserAction::kModify : CUserAction::kDelete, false);
        if (!person.PermissionGranted(user, action, false))
            throw CWMIException(kPersonMapperSourceFile, __LINE__, WBEM_E_ACCESS_DENIED, CWmipMessages::kAccessDenied);
        if (!isModify || GetDatabase() == nullptr)
            return;
        std::set<LONG> badgeTypes;
        CDynamicRecordset badges(GetDatabase());
        badges.SetTable(L"BADGE");
        badges.AddColumnToSet(L"TYPE", L"BADGE");
        badges.AddFilterLong(L"BADGE.EMPID", personId);
        badges.AddFilterLong(L"BADGE.STATUS", kPersonActiveBadge);
        badges.OpenForwardOnly();
        for (; !badges.IsEOF(); badges.MoveNext())
        {
            if (!badges.IsFieldNull(0))
                badgeTypes.insert(badges.GetLong(0));
        }
        badges.Close();
        for (const LONG badgeType : badgeTypes)
            CheckBadgeTypeRequiredFields(instance, badgeType);
    }
    catch (const CException& e)
    {
        CWMIDebugLog::LogError(kPersonMapperSourceFile, __LINE__, L"CheckPersonWriteAccess failed.", 0, &e);
        throw CWMIException(kPersonMapperSourceFile, __LINE__, WBEM_E_FAILED);
    }
}

CString CWmipPersonMapper::GetTransactionValues(Operation /*operation*/, IWbemClassObject* instance)
{
    LONG personId = 0;
    WMIHelper::GetNumber(instance, L"ID", personId);
    CString lastName;
    CString firstName;
    const bool hasLastName = SUCCEEDED(WMIHelper::GetString(instance, L"LASTNAME", lastName));
    const bool hasFirstName = SUCCEEDED(WMIHelper::GetString(instance, L"FIRSTNAME", firstName));
    const bool named = hasLastName || hasFirstName;
    // A modify that does not carry the names (a segment move) names the person as stored.
    if (!named)
        return CWmipPersonRecord::FormatAuditText(
            personId, CWmipPersonRecord::NameOf(CWmipPersonRecord::Read(*GetDatabase(), personId), false));
    return CWmipPersonRecord::FormatAuditText(personId, lastName + L", " + firstName);
}

void CWmipPersonMapper::SetupReplTransaction(CBntCardholderTrans& transaction, Operation /*operation*/,
                                             IWbemClassObject* instance)
{
    LONG personId = 0;
    WMIHelper::GetNumber(instance, L"ID", personId);
    transaction.SetPersonID(personId);
}

void CWmipPersonMapper::BeforeWriteInstance(Operation operation, IWbemClassObject* instance)
{
    if (operation == Operation::Delete)
        DeleteDependents(CWmipRecordChecks::RequireNumber(kPersonMapperSourceFile, instance, L"ID"));
    else if (operation == Operation::Modify)
        ChangePrimarySegment(instance);
}

void CWmipPersonMapper::DeleteDependents(LONG personId)
{
    // Badges, accounts, access requests, then a visitor's visit events; the first failure fails the delete
    // and the write's transaction takes back what was already deleted.
    DeleteThroughMapper(L"Bnt_Badge", L"BADGE", L"BADGEKEY", L"BADGEKEY", personId,
                        CWmipMessages::kBadgeNotDeletedWithPerson);
    DeleteThroughMapper(L"Bnt_Account", L"CARDHOLDER_ACCOUNT", L"CARDHOLDER_ACCOUNTID", L"ID", personId,
                        CWmipMessages::kAccountNotDeletedWithPerson);
    // A request for access asks on the person's behalf: it goes with the person.
    CSQLStatement requests;
    requests.SetFrom(L"ACCESS_REQUEST");
    requests.AddToWhere(CString(), L"EMPID", CDBValue(personId));
    GetDatabase()->ExecuteSQL(requests, CSQLStatement::Kind::Delete);
    if (GetPersonType() != kVisitor)
        return;
    try
    {
        std::vector<CDBValue> values;
        const CString statement = CVisitSet::BuildDeleteSingleVisitsEventsForVisitorQuery(personId, values);
        GetDatabase()->ExecuteSQL(statement, values);
    }
    catch (const CDBException& e)
    {
        CWMIDebugLog::LogError(kPersonMapperSourceFile, __LINE__, L"Unable to delete the visitor's visit events.", 0,
                               &e);
        throw CWMIException(kPersonMapperSourceFile, __LINE__, WBEM_E_FAILED);
    }
}

void CWmipPersonMapper::DeleteThroughMapper(const wchar_t* className, const wchar_t* table, const wchar_t* keyColumn,
                                            const wchar_t* keyProperty, LONG personId, const wchar_t* failureMessage)
{
    try
    {
        for (const LONGLONG key : KeysOf(*GetDatabase(), table, keyColumn, personId))
        {
            // On this mapper's connection, so the nested delete joins this delete's transaction.
            std::unique_ptr<CWmipClassMapper> mapper(
                CWmipMapperRegistry::GetMapper(GetDatabaseUser(), GetContext(), GetServices(), className, GetDoor()));
            if (mapper == nullptr)
                throw CWMIException(kPersonMapperSourceFile, __LINE__, WBEM_E_INVALID_CLASS);
            mapper->SetUserEntry(GetUserEntry());
            mapper->SetBypassAuthorization(1);
            CWmipObjectPath path(className);
            path.AddKey(keyProperty, static_cast<LONG>(key));
            const HRESULT hr = mapper->DeleteInstance(&path);
            if (FAILED(hr))
                throw CWMIException(kPersonMapperSourceFile, __LINE__, hr);
        }
    }
    catch (const CWMIException& e)
    {
        CWMIDebugLog::LogError(kPersonMapperSourceFile, __LINE__, failureMessage, e.GetHResult());
        throw CWMIException(kPersonMapperSourceFile, __LINE__, e.GetHResult(), failureMessage);
    }
    catch (const CException& e)
    {
        CWMIDebugLog::LogError(kPersonMapperSourceFile, __LINE__, failureMessage, 0, &e);
        throw CWMIException(kPersonMapperSourceFile, __LINE__, WBEM_E_FAILED, failureMessage);
    }
}

void CWmipPersonMapper::ChangePrimarySegment(IWbemClassObject* instance)
{
    const LONG personId = CWmipRecordChecks::RequireNumber(kPersonMapperSourceFile, instance, L"ID");
    LONG newSegment = 0;
    if (FAILED(WMIHelper::GetNumber(instance, kPrimarySegmentProperty, newSegment)))
        return;
    try
    {
        CPerson person(personId, nullptr, kPersonLookupOption, kPersonLookupKind);
        if (!person.Read(GetDatabaseUser(), kOwnDatabase) || !person.ReadSegmentAssignments(GetDatabaseUser()))
            return;
        const LONG oldSegment = person.GetPrimarySegmentID();
        if (oldSegment == newSegment)
            return;
        person.RemoveSegmentAssignment(oldSegment, false);
        person.AssignSegment(newSegment);
        std::set<LONG> removedUnits;
        if (!person.DetermineRemovedSegmentUnitIDs(removedUnits, {oldSegment}, GetDatabaseUser()))
            throw CWMIException(kPersonMapperSourceFile, __LINE__, WBEM_E_FAILED);
        if (removedUnits.empty())
            return;
        CPerson::DeleteInvalidAccess(personId, GetDatabaseUser(), removedUnits, true, true);
        // The panels must hear of the revoked access as of any other change of a badge's access.
        for (const LONGLONG badgeId : KeysOf(*GetDatabase(), L"BADGE", L"ID", personId))
            CWmipAccessRules::SendBadgeDownloadNotice(badgeId);
    }
    catch (const CException& e)
    {
        CWMIDebugLog::LogError(kPersonMapperSourceFile, __LINE__, L"Unable to remove the access of the former segment.",
                               0, &e);
        throw CWMIException(kPersonMapperSourceFile, __LINE__, WBEM_E_FAILED);
    }
}

void CWmipPersonMapper::FilterUDFLayoutRecordset(CMultiFilterRecordset& recordset)
{
    if (GetPersonType() == kAnyPerson)
    {
        recordset.AddFilterLong(L"UDFOBJS.DBOBJTYPE", kCardholderLayout);
        recordset.AddFilterText(L"DDTBL.TBLNAME", L"EMP");
        return;
    }
    recordset.AddFilterLong(L"UDFOBJS.DBOBJTYPE", GetUDFObjectType());
}
