#include "mappers/records/CWmipBadgeStatusMapper.h"

#include "common/AccessCodes.h"
#include "framework/CWmipClassCache.h"
#include "framework/CWmipMessages.h"
#include "framework/CWmipPropertyRefusal.h"
#include "framework/WMIHelper.h"
#include "inhouse/BntCoreDb/CDBException.h"
#include "inhouse/BntCoreDb/CDynamicRecordset.h"
#include "inhouse/BntCoreDb/CRowCountSet.h"
#include "inhouse/BntLogin/CAcsUser.h"
#include "inhouse/BntUtility/CWMIDebugLog.h"
#include "inhouse/BntUtility/CWMIException.h"
#include "platform/com/WbemConstants.h"
#include "framework/WmipHostServices.h"

using brontel::utility::CWMIDebugLog;
using brontel::utility::CWMIException;
using Operation = brontel::UserTranOperation::UserTransactionOperation;

namespace {

constexpr const wchar_t* kBadgeStatusMapperSourceFile = L"wpBadgeStatusMapper.cpp";
// ID type of the badge status counter.
constexpr LONG kStatusIdType = 32780;
// Statuses 0 and 1 (the active status) belong to the system.
constexpr LONG kHighestSystemStatus = 1;

[[noreturn]] void RefuseStatus(int line, const wchar_t* message)
{
    throw CWMIException(kBadgeStatusMapperSourceFile, line, WBEM_E_FAILED, message);
}

LONG CountStatuses(CBntDatabase* database, const wchar_t* table, const wchar_t* column, const CDBValue& value,
                   std::optional<LONG> otherThanId)
{
    CDynamicRecordset rows(database);
    rows.SetTable(table);
    rows.AddColumnToSet(column, table);
    rows.SetFilter(CString(table) + L"." + column + L" = ?", {value});
    if (otherThanId)
        rows.AddFilterLong(CString(table) + L".ID", *otherThanId, CMultiFilterRecordset::NotEqual);
    CRowCountSet count(database);
    count.SetRecordset(rows);
    return count.GetRowCount();
}

}  // namespace

CWmipBadgeStatusMapper::CWmipBadgeStatusMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services)
    : CWmipMapperSkeleton(user, context, services)
{
    SetPermissions(Permission::kViewBadgeStatuses, Permission::kAddBadgeStatuses, Permission::kModifyBadgeStatuses,
                   Permission::kDeleteBadgeStatuses);
    SetTransactionObject(AuditObject::kBadgeStatus);
}

HRESULT CWmipBadgeStatusMapper::GetDefaultValue(IWbemClassObject* instance, const CString& property, VARIANT& value)
{
    if (property.CompareNoCase(L"ID") != 0)
        return CWmipMapperSkeleton::GetDefaultValue(instance, property, value);
    try
    {
        CDynamicRecordset statuses(GetDatabase());
        statuses.SetTable(L"BADGSTAT");
        const LONGLONG next = statuses.GetNextID(kStatusIdType, L"ID");
        VariantClear(&value);
        value.vt = VT_I4;
        value.lVal = static_cast<LONG>(next);
        return S_OK;
    }
    catch (const CDBException& e)
    {
        CWMIDebugLog::LogError(kBadgeStatusMapperSourceFile, __LINE__, L"Unable to draw a badge status ID.", 0, &e);
        CWmipPropertyRefusal::ThrowNamed(kBadgeStatusMapperSourceFile, __LINE__, WBEM_E_UNEXPECTED,
                                         CWmipMessages::kNoGeneratedId, L"ID");
    }
}

void CWmipBadgeStatusMapper::CanAdd(IWbemClassObject* instance)
{
    CWmipMapperSkeleton::CanAdd(instance);
    if (instance != nullptr)
        CheckWrite(false, instance);
}

void CWmipBadgeStatusMapper::CanModify(IWbemClassObject* instance)
{
    CWmipMapperSkeleton::CanModify(instance);
    if (instance != nullptr)
        CheckWrite(true, instance);
}

void CWmipBadgeStatusMapper::CheckWrite(bool modify, IWbemClassObject* instance)
{
    const CAcsUser* user = RequireUser();
    if (user->GetSystemOptions().IsEquivalentToEnterpriseRegion())
        RefuseStatus(__LINE__, CWmipMessages::kBadgeStatusRootOnly);
    LONG id = 0;
    const bool hasId = SUCCEEDED(WMIHelper::GetNumber(instance, L"ID", id));
    if (modify && hasId && id >= 0 && id <= kHighestSystemStatus)
        RefuseStatus(__LINE__, CWmipMessages::kBadgeStatusSystemField);
    CString name;
    WMIHelper::GetString(instance, L"Name", name);
    try
    {
        if (CountStatuses(GetDatabase(), L"BADGSTAT", L"NAME", CDBValue(name),
                          modify && hasId ? std::optional<LONG>(id) : std::nullopt) > 0)
            RefuseStatus(__LINE__, CWmipMessages::kBadgeStatusNameTaken);
    }
    catch (const CDBException& e)
    {
        CWMIDebugLog::LogError(kBadgeStatusMapperSourceFile, __LINE__, L"Unable to check the badge status.", 0, &e);
        throw CWMIException(kBadgeStatusMapperSourceFile, __LINE__, WBEM_E_FAILED);
    }
}

void CWmipBadgeStatusMapper::CanDelete(IWbemClassObject* instance)
{
    CWmipMapperSkeleton::CanDelete(instance);
    if (instance == nullptr)
        return;
    const CAcsUser* user = RequireUser();
    if (user->GetSystemOptions().IsEquivalentToEnterpriseRegion())
        RefuseStatus(__LINE__, CWmipMessages::kBadgeStatusDeleteRootOnly);
    LONG id = 0;
    WMIHelper::GetNumber(instance, L"ID", id);
    if (id >= 0 && id <= kHighestSystemStatus)
        RefuseStatus(__LINE__, CWmipMessages::kBadgeStatusSystemNotDeleted);
    try
    {
        if (CountStatuses(GetDatabase(), L"BADGE", L"STATUS", CDBValue(id), std::nullopt) > 0)
            RefuseStatus(__LINE__, CWmipMessages::kBadgeStatusInUse);
    }
    catch (const CDBException& e)
    {
        CWMIDebugLog::LogError(kBadgeStatusMapperSourceFile, __LINE__, L"Unable to check the badge status.", 0, &e);
        throw CWMIException(kBadgeStatusMapperSourceFile, __LINE__, WBEM_E_FAILED);
    }
}

CString CWmipBadgeStatusMapper::GetTransactionValues(Operation, IWbemClassObject* instance)
{
    CString name;
    WMIHelper::GetString(instance, L"Name", name);
    CString text;
    text.Format(L"%s (%s)", static_cast<const wchar_t*>(name), L"NAME");
    return text;
}

void CWmipBadgeStatusMapper::AfterWriteInstance(Operation, IWbemClassObject*)
{
    CWMIDebugLog::LogInfo(kBadgeStatusMapperSourceFile, __LINE__,
                          L"CWmipBadgeStatusMapper::AfterWriteInstance. Begin.");
    const CAcsUser* user = RequireUser();
    if (CWmipClassCache* cache = WmipHostServices::ClassCache())
        cache->RemoveClass(L"Bnt_Badge", user);
    CWMIDebugLog::LogInfo(kBadgeStatusMapperSourceFile, __LINE__, L"CWmipBadgeStatusMapper::AfterWriteInstance. Done.");
}
