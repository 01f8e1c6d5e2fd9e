#include "mappers/records/CWmipUserMapper.h"
#include "common/AccessCodes.h"
#include "framework/CWmipMessages.h"

#include <string>

#include "framework/CWmipMapperRegistry.h"
#include "framework/CWmipObjectPath.h"
#include "framework/CWmipSegmentSourceFilter.h"
#include "framework/CWMITypeInfo.h"
#include "framework/WMIHelper.h"
#include "inhouse/BntCommon/CBntCardholderTrans.h"
#include "inhouse/BntCoreDb/CBntDatabase.h"
#include "inhouse/BntCoreDb/CDBException.h"
#include "inhouse/BntCoreDb/CDynamicRecordset.h"
#include "inhouse/BntCoreDb/CRowCountSet.h"
#include "inhouse/BntCoreDb/CSQLStatement.h"
#include "inhouse/BntLogin/CAcsUser.h"
#include "inhouse/BntUserDb/CUserDBSet.h"
#include "inhouse/BntUtility/CPasswordHash.h"
#include "inhouse/BntUtility/CWMIDebugLog.h"
#include "inhouse/BntUtility/CWMIException.h"
#include "mappers/records/helpers/CWmipAccessRules.h"
#include "mappers/records/helpers/CWmipRecordChecks.h"
#include "mappers/records/helpers/CWmipUserRules.h"
#include "platform/com/WbemConstants.h"
#include "platform/wmi/IWbemClassObject.h"
#include "platform/wmi/IWbemQualifierSet.h"

using brontel::utility::CWMIDebugLog;
using brontel::utility::CWMIException;
using Operation = brontel::UserTranOperation::UserTransactionOperation;

namespace {

constexpr const wchar_t* kUserMapperSourceFile = L"wpUserMapper.cpp";
// The properties that keep their stored value on a modify (each declared "noedit" itself).
constexpr const wchar_t* kFixedProperties[] = {L"ID", L"Created", L"LastChanged", L"AutomaticallyCreated"};
constexpr LONG kValueListFlavor = 3;

constexpr auto UserNumberOr = &CWmipAccessRules::NumberOr;

// The permission groups written with a user, in the order they are compared.
struct GroupProperty
{
    CWmipUserRules::PermissionType type;
    const wchar_t* property;
    // The class that serves the groups of the type.
    const wchar_t* groupClass;
};
constexpr GroupProperty kGroupProperties[] = {
    {CWmipUserRules::System, L"SystemPermissionGroupID", L"Bnt_UserPermissionGroup"},
    {CWmipUserRules::Cardholder, L"CardPermissionGroupID", L"Bnt_UserPermissionGroup"},
    {CWmipUserRules::Monitoring, L"MonitoringPermissionGroupID", L"Bnt_UserPermissionGroup"},
    {CWmipUserRules::Report, L"ReportPermissionGroupID", L"Bnt_UserReportPermissionGroup"},
    {CWmipUserRules::Field, L"FieldPermissionID", L"Bnt_UserFieldPermissionGroup"},
};

void RefuseUser(int line)
{
    throw CWMIException(kUserMapperSourceFile, line, WBEM_E_FAILED, CWmipMessages::kAccessDenied);
}

// Writes the names and ids of the rows as the property's value lists.
void FillValueLists(IWbemClassObject* classObject, const wchar_t* property, CMultiFilterRecordset& rows,
                    const wchar_t* idColumn)
{
    IWbemQualifierSet* raw = nullptr;
    if (FAILED(WMIHelper::GetPropertyQualifierSet(classObject, property, &raw)) || raw == nullptr)
        return;
    ComPtr<IWbemQualifierSet> qualifiers;
    qualifiers.Attach(raw);
    CStringList names;
    CStringList ids;
    for (; !rows.IsEOF(); rows.MoveNext())
    {
        names.push_back(rows.GetText(L"NAME"));
        ids.push_back(CString(std::to_wstring(rows.GetLong(idColumn)).c_str()));
    }
    WMIHelper::PutQualStringArray(qualifiers.Get(), L"Values", names, kValueListFlavor);
    WMIHelper::PutQualStringArray(qualifiers.Get(), L"ValueMap", ids, kValueListFlavor);
}

// Removes the "Values" and "ValueMap" qualifiers of the five permission-group properties.
void RemovePermissionGroupLists(IWbemClassObject* classObject)
{
    for (const GroupProperty& group : kGroupProperties)
    {
        IWbemQualifierSet* raw = nullptr;
        if (FAILED(WMIHelper::GetPropertyQualifierSet(classObject, group.property, &raw)) || raw == nullptr)
            continue;
        ComPtr<IWbemQualifierSet> qualifiers;
        qualifiers.Attach(raw);
        qualifiers->Delete(L"ValueMap");
        qualifiers->Delete(L"Values");
    }
}

}  // namespace

CWmipUserMapper::CWmipUserMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services, Door door)
    : CWmipMapperSkeleton(user, context, services)
{
    SetDoor(door);
    CWmipUserRules::SetUserPermissions(*this);
    static constexpr ColumnHook kHooks[] = {
        {L"USERS", L"LOGONPWD", Withheld},
    };
    SetColumnHooks(kHooks);
    SetTransactionObject(AuditObject::kUser);
    SetReplTransactionObject(ReplicationObject::kUser);
}

bool CWmipUserMapper::KeepsNoEditValue(const CString& property)
{
    for (const wchar_t* fixed : kFixedProperties)
    {
        if (property.CompareNoCase(fixed) == 0)
            return true;
    }
    return false;
}

HRESULT CWmipUserMapper::GetDefaultValue(IWbemClassObject* instance, const CString& property, VARIANT& value)
{
    if (property.CompareNoCase(L"AutomaticallyCreated") == 0)
    {
        VariantClear(&value);
        value.vt = VT_BOOL;
        value.boolVal = VARIANT_FALSE;
        return S_OK;
    }
    if (property.CompareNoCase(L"DatabaseID") == 0 || property.CompareNoCase(L"ReportPermissionGroupID") == 0)
    {
        VariantClear(&value);
        value.vt = VT_I4;
        value.lVal = property.CompareNoCase(L"DatabaseID") == 0 ? RequireUser()->GetDatabaseID() : 0;
        return S_OK;
    }
    return CWmipMapperSkeleton::GetDefaultValue(instance, property, value);
}

HRESULT CWmipUserMapper::IsValidValue(IWbemClassObject* instance, const CString& property, VARIANT& value)
{
    if (property.CompareNoCase(L"Password") != 0)
        return CWmipMapperSkeleton::IsValidValue(instance, property, value);
    if (value.vt != VT_BSTR || value.bstrVal == nullptr)
        return WBEM_E_INVALID_PARAMETER;
    const CString password(value.bstrVal);
    if (password.GetLength() < kMinPasswordLength || password.GetLength() > kMaxPasswordLength)
        return WBEM_E_INVALID_PARAMETER;
    // Stored as the salted hash the login verifies, never as given.
    const CString hash = Utf8ToCString(CPasswordHash::Hash(CStringToUtf8(password)));
    VariantClear(&value);
    value.vt = VT_BSTR;
    value.bstrVal = SysAllocStringLen(hash.GetString(), static_cast<UINT>(hash.GetLength()));
    return value.bstrVal != nullptr ? S_OK : WBEM_E_OUT_OF_MEMORY;
}

void CWmipUserMapper::CanAdd(IWbemClassObject* instance)
{
    CWmipMapperSkeleton::CanAdd(instance);
    int automatic = 0;
    if (instance != nullptr && SUCCEEDED(WMIHelper::GetBool(instance, L"AutomaticallyCreated", automatic)) &&
        automatic != 0)
        CWmipRecordChecks::ThrowNamed(kUserMapperSourceFile, __LINE__, WBEM_E_FAILED,
                                      CWmipMessages::kNotEditableProperty, L"AutomaticallyCreated");
}

CString CWmipUserMapper::GetTransactionValues(Operation, IWbemClassObject* instance)
{
    CString logonId;
    WMIHelper::GetString(instance, L"LogonID", logonId);
    CString text;
    text.Format(L"%s(%d)", logonId.GetString(), UserNumberOr(instance, L"ID", 0));
    return text;
}

void CWmipUserMapper::SetupReplTransaction(CBntCardholderTrans& transaction, Operation, IWbemClassObject* instance)
{
    transaction.SetRecordID(UserNumberOr(instance, L"ID", 0));
}

void CWmipUserMapper::BeforeWriteInstance(Operation operation, IWbemClassObject* instance)
{
    CWMIDebugLog::LogInfo(kUserMapperSourceFile, __LINE__, L"CWmipUserMapper::BeforeWriteInstance. Begin.");
    try
    {
        CheckUser(operation, instance);
    }
    catch (const CWMIException& e)
    {
        CWMIDebugLog::LogError(kUserMapperSourceFile, __LINE__,
                               CString(L"Error while checking the user. ") + e.GetMessage());
        throw;
    }
    catch (const CException& e)
    {
        CWMIDebugLog::LogError(kUserMapperSourceFile, __LINE__, L"Error while checking the user.", 0, &e);
        throw;
    }
    catch (...)
    {
        // A check that could not run must not let the write through.
        CWMIDebugLog::LogError(kUserMapperSourceFile, __LINE__, L"Error while checking the user.");
        throw CWMIException(kUserMapperSourceFile, __LINE__, WBEM_E_FAILED);
    }
    CWMIDebugLog::LogInfo(kUserMapperSourceFile, __LINE__, L"CWmipUserMapper::BeforeWriteInstance. Done.");
}

void CWmipUserMapper::CheckUser(Operation operation, IWbemClassObject* instance)
{
    const CAcsUser* caller = RequireUser();
    CBntDatabase& database = *GetDatabase();
    const LONG userId = UserNumberOr(instance, L"ID", 0);
    // A modify that leaves a property out keeps its stored value, and is checked with it.
    ComPtr<IWbemClassObject> stored;
    if (operation == Operation::Modify)
    {
        CWmipObjectPath path(kWMIClassName);
        path.AddKey(L"ID", userId);
        stored.Attach(GetCurrentInstance(&path));
    }
    // The stored user is checked as a whole too: a write that lowers its groups or moves its
    // primary segment still needs a caller who covers everything the user holds now.
    if (operation != Operation::Add && !CWmipUserRules::CanManageUser(*caller, database, userId))
        RefuseUser(__LINE__);
    const auto effective = [&](const wchar_t* property) {
        LONG value = 0;
        if (SUCCEEDED(WMIHelper::GetNumber(instance, property, value)) || stored == nullptr)
            return value;
        return UserNumberOr(stored.Get(), property, 0);
    };
    // A group the write gives the user (not one it holds already) is looked up as the caller, so
    // that a group of another segment is answered as a missing one; a group of every segment
    // serves every caller.
    const auto hidden = [&](const GroupProperty& group) {
        LONG given = 0;
        if (FAILED(WMIHelper::GetNumber(instance, group.property, given)) ||
            (stored != nullptr && given == UserNumberOr(stored.Get(), group.property, 0)) ||
            CWmipUserRules::PermissionGroupServesEverySegment(database, group.type, given))
            return false;
        return !CallerCanSee(group.groupClass, {{L"ID", given}});
    };
    // A group id names a group of its property's type, or none (0): any other is refused as the
    // invalid value it is, before it is compared with the caller's rights.
    for (const GroupProperty& group : kGroupProperties)
        if (!CWmipUserRules::PermissionGroupExists(database, group.type, effective(group.property)) || hidden(group))
            CWmipRecordChecks::ThrowNamed(kUserMapperSourceFile, __LINE__, WBEM_E_INVALID_PARAMETER,
                                          CWmipMessages::kInvalidProperty, group.property);
    for (const GroupProperty& group : kGroupProperties)
        if (!CWmipUserRules::CanGrantPermissionGroup(*caller, database, group.type, effective(group.property), userId))
            RefuseUser(__LINE__);
    if (!caller->HasSegmentAccess(effective(L"PrimarySegmentID"), CAcsUser::kWriteSegmentAccess))
        RefuseUser(__LINE__);

    CString logonId;
    if (FAILED(WMIHelper::GetString(instance, L"LogonID", logonId)) && stored != nullptr)
        WMIHelper::GetString(stored.Get(), L"LogonID", logonId);
    CUserDBSet users(&database);
    users.AddFilterUserID(userId);
    users.OpenForwardOnly();
    const bool renamed = users.IsEOF() || users.GetText(L"LOGONID").CompareNoCase(logonId) != 0;
    users.Close();
    if (renamed && !IsLogonIDUnused(logonId))
        CWmipRecordChecks::ThrowNamed(kUserMapperSourceFile, __LINE__, WBEM_E_FAILED, CWmipMessages::kNotUniqueProperty,
                                      L"LogonID");

    const LONG databaseId = UserNumberOr(instance, L"DatabaseID", 0);
    if (databaseId != -1 && databaseId != 0 && databaseId != caller->GetDatabaseID())
        CWmipRecordChecks::ThrowNamed(kUserMapperSourceFile, __LINE__, WBEM_E_FAILED, CWmipMessages::kInvalidProperty,
                                      L"DatabaseID");
    // A zone is looked up as the caller: one of another segment is answered as a missing one.
    const LONG zoneId = UserNumberOr(instance, L"MonitoringZoneID", 0);
    if (zoneId > 0 && !CallerCanSee(L"Bnt_MonitoringZone", {{L"ID", zoneId}}))
        CWmipRecordChecks::ThrowNamed(kUserMapperSourceFile, __LINE__, WBEM_E_FAILED, CWmipMessages::kInvalidProperty,
                                      L"MonitoringZoneID");
}

bool CWmipUserMapper::IsLogonIDUnused(const CString& logonId)
{
    CUserDBSet users(GetDatabase());
    users.AddFilterLogonID(logonId);
    users.OpenForwardOnly();
    return users.IsEOF();
}

void CWmipUserMapper::AfterWriteInstance(Operation operation, IWbemClassObject* instance)
{
    CWMIDebugLog::LogInfo(kUserMapperSourceFile, __LINE__, L"CWmipUserMapper::AfterWriteInstance. Begin.");
    const LONG userId = UserNumberOr(instance, L"ID", 0);
    if (operation == Operation::Delete)
    {
        CSQLStatement accounts;
        accounts.SetFrom(L"USER_ACCOUNT");
        accounts.AddToWhere(CString(), L"USERID", CDBValue(userId));
        GetDatabase()->ExecuteSQL(accounts, CSQLStatement::Kind::Delete);
    }
    else if (operation == Operation::Modify)
    {
        CUserDBSet user(GetDatabase());
        user.AddFilterUserID(userId);
        user.Open();
        if (!user.IsEOF())
        {
            user.Edit();
            user.SetDateTime(L"LASTCHANGED", COleDateTime::GetCurrentTime());
            user.Update();
        }
    }
    CWMIDebugLog::LogInfo(kUserMapperSourceFile, __LINE__, L"CWmipUserMapper::AfterWriteInstance. Done.");
}

void CWmipUserMapper::RefreshAvailablePermissionGroups(IWbemClassObject* classObject, const CAcsUser* user)
{
    if (classObject == nullptr)
        throw CWMIException(kUserMapperSourceFile, __LINE__, WBEM_E_UNEXPECTED);
    if (user == nullptr || user->GetDatabase() == nullptr)
        throw CWMIException(kUserMapperSourceFile, __LINE__, WBEM_E_FAILED, CWmipMessages::kNoIdentity);
    // Each property lists the groups of its own type, read as the class that serves them reads
    // them for the user (its segments decide; an all-segments user reads them all).
    CBntDatabase* database = user->GetDatabase();
    for (const GroupProperty& group : kGroupProperties)
    {
        const CWMITypeInfo* groups = CWmipMapperRegistry::Instance()->GetTypeInfo(group.groupClass, true);
        if (groups == nullptr || groups->GetKeyProperties().size() != 1)
            throw CWMIException(kUserMapperSourceFile, __LINE__, WBEM_E_FAILED);
        const CString& key = groups->GetKeyProperties().front().second;
        const CString table = key.Left(key.Find(L'.'));
        const CString idColumn = key.Mid(key.Find(L'.') + 1);
        CDynamicRecordset rows(database);
        rows.SetTable(table);
        rows.AddColumnToSet(idColumn);
        rows.AddColumnToSet(L"NAME");
        // The system, cardholder and monitoring groups share one table.
        if (group.type != CWmipUserRules::Report && group.type != CWmipUserRules::Field)
            rows.AddFilterLong(L"TYPE", group.type);
        CWmipSegmentSourceFilter::Apply(*user, *groups, rows, database);
        rows.AddOrderBy(idColumn);
        rows.Open(CMultiFilterRecordset::kReadOnly);
        FillValueLists(classObject, group.property, rows, idColumn);
    }
}

CWmipMapper::DefinitionReuse CWmipUserMapper::GetShapedClassReuse()
{
    return DefinitionReuse::Never;
}

HRESULT CWmipUserMapper::ProcessClassPermissions(IWbemClassObject* classObject)
{
    const HRESULT hr = CWmipMapperSkeleton::ProcessClassPermissions(classObject);
    if (FAILED(hr) || classObject == nullptr)
        return hr;
    CAcsUser* caller = nullptr;
    const HRESULT found = GetUser(&caller);
    // The shared lists hold every group: an all-segments caller reads them all.
    if (SUCCEEDED(found) && caller != nullptr && caller->IsAllSegmentsUser())
        return hr;
    // The shared lists go first, so that a caller whose own lists cannot be read gets none.
    RemovePermissionGroupLists(classObject);
    if (FAILED(found) || caller == nullptr)
        return FAILED(found) ? found : WBEM_E_FAILED;
    try
    {
        RefreshAvailablePermissionGroups(classObject, caller);
    }
    catch (const CWMIException& e)
    {
        CWMIDebugLog::LogError(kUserMapperSourceFile, __LINE__, L"Unable to read the permission groups.",
                               e.GetHResult(), nullptr, &e);
        return e.GetHResult();
    }
    catch (const CDBException& e)
    {
        CWMIDebugLog::LogError(kUserMapperSourceFile, __LINE__, L"Unable to read the permission groups.", WBEM_E_FAILED,
                               &e);
        return WBEM_E_FAILED;
    }
    return S_OK;
}
