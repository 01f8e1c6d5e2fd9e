#include "mappers/records/CWmipAccountMapper.h"
#include "common/AccessCodes.h"
#include "framework/CWmipMessages.h"

#include <memory>

#include "framework/CWmipInstanceWriter.h"
#include "framework/CWmipObjectPath.h"
#include "framework/CWmipWriteFrame.h"
#include "framework/WMIHelper.h"
#include "inhouse/BntCommon/CBntCardholderTrans.h"
#include "inhouse/BntCore/CUserAction.h"
#include "inhouse/BntCoreDb/CDBException.h"
#include "inhouse/BntCoreDb/CDynamicRecordset.h"
#include "inhouse/BntDirectories/Directory.h"
#include "inhouse/BntDirectories/DirectoryAccount.h"
#include "inhouse/BntDirectories/DirectoryDBManager.h"
#include "inhouse/BntDirectories/DirectoryException.h"
#include "inhouse/BntLogin/CAcsUser.h"
#include "inhouse/BntUserDb/CPerson.h"
#include "inhouse/BntUtility/CWMIDebugLog.h"
#include "inhouse/BntUtility/CWMIException.h"
#include "mappers/records/helpers/CWmipPersonRecord.h"
#include "mappers/records/helpers/CWmipRecordChecks.h"
#include "platform/com/WbemConstants.h"
#include "platform/wmi/IWbemClassObject.h"

using brontel::utility::CWMIDebugLog;
using brontel::utility::CWMIException;
using Operation = brontel::UserTranOperation::UserTransactionOperation;
namespace directories = brontel::directories;

namespace {

constexpr const wchar_t* kAccountMapperSourceFile = L"wpAccountMapper.cpp";

}  // namespace

CWmipAccountMapper::CWmipAccountMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services)
    : CWmipMapperSkeleton(user, context, services, kWMIClassName, L"CWmipAccountMapper", true)
{
    AddJoin(L"EMP", L"ID", L"CARDHOLDER_ACCOUNT", L"EMPID");
    SetPermissions(Permission::kViewAccounts, Permission::kChangeAccounts, 0, Permission::kChangeAccounts);
    SetTransactionObject(AuditObject::kPersonAccount);
    SetReplTransactionObject(ReplicationObject::kPersonAccount);
}

void CWmipAccountMapper::SetupInstanceRecordset(CDynamicRecordset* recordset)
{
    CWmipPersonPartMapper::SetupInstanceRecordset(recordset);
    if (recordset != nullptr)
        recordset->AddColumnToSet(L"VISITOR", L"EMP", true);
}

void CWmipAccountMapper::FilterInstanceRecordset(CMultiFilterRecordset* recordset)
{
    if (recordset != nullptr)
        AddAdditionalPersonFilter(*recordset);
}

void CWmipAccountMapper::CanAdd(IWbemClassObject* instance)
{
    CWmipPersonPartMapper::CanAdd(instance);
    CheckPersonAccountAccess(instance);
}

void CWmipAccountMapper::CanDelete(IWbemClassObject* instance)
{
    CWmipPersonPartMapper::CanDelete(instance);
    CheckPersonAccountAccess(instance);
}

void CWmipAccountMapper::CheckPersonAccountAccess(IWbemClassObject* instance)
{
    if (instance == nullptr)
        return;
    const LONG personId = CWmipRecordChecks::RequireNumber(kAccountMapperSourceFile, instance, L"PersonID");
    const CAcsUser* user = RequireUser();
    try
    {
        CPerson person(personId, nullptr, -9999, 101);
        person.Read(GetDatabaseUser(), -1);
        if (!person.PermissionGranted(user, CUserAction(CUserAction::kChangeAccounts, false), false))
            throw CWMIException(kAccountMapperSourceFile, __LINE__, WBEM_E_ACCESS_DENIED, CWmipMessages::kAccessDenied);
    }
    catch (const CException& e)
    {
        CWMIDebugLog::LogError(kAccountMapperSourceFile, __LINE__, L"CheckPersonAccountAccess failed.", 0, &e);
        throw CWMIException(kAccountMapperSourceFile, __LINE__, WBEM_E_FAILED);
    }
}

HRESULT CWmipAccountMapper::PutInstance(IWbemClassObject* instance, LONG flags, CString& path)
{
    // A link is only ever created: an update-only put meets the unsupported modify.
    LONG key = 0;
    try
    {
        OpenOwnPut(instance, flags, OwnPutOpening::kPermissionThenGenerated, [&](CBntDatabase&) {
            const LONG directoryId =
                CWmipRecordChecks::RequireNumber(kAccountMapperSourceFile, instance, L"DirectoryID");
            const LONG personId = CWmipRecordChecks::RequireNumber(kAccountMapperSourceFile, instance, L"PersonID");
            _variant_t accountValue;
            if (FAILED(WMIHelper::GetVariant(instance, L"AccountID", &accountValue.GetVARIANT())) ||
                IsEmptyValue(accountValue.GetVARIANT()))
                CWmipRecordChecks::ThrowNamed(kAccountMapperSourceFile, __LINE__, WBEM_E_ILLEGAL_NULL,
                                              CWmipMessages::kRequiredProperty, L"AccountID");
            // The value checks of every write hold here too (AccountID is at most 128 characters).
            if (FAILED(IsValidValue(instance, L"AccountID", accountValue.GetVARIANT())))
                CWmipRecordChecks::ThrowNamed(kAccountMapperSourceFile, __LINE__, WBEM_E_INVALID_PARAMETER,
                                              CWmipMessages::kInvalidProperty, L"AccountID");
            CString accountId;
            WMIHelper::GetString(instance, L"AccountID", accountId);

            key = Link(instance, directoryId, personId, accountId);
        });
    }
    catch (const CDBException& e)
    {
        CWmipWriteFrame::ThrowNotWritten(kAccountMapperSourceFile, __LINE__, L"CWmipAccountMapper::PutInstance failed.",
                                         e, CWmipMessages::kInstanceNotWritten);
    }
    CWmipObjectPath written(GetClassName());
    written.AddKey(L"ID", key);
    written.GetPath(path);
    return S_OK;
}

LONG CWmipAccountMapper::Link(IWbemClassObject* instance, LONG directoryId, LONG personId, const CString& accountId)
{
    // A person beyond the caller's segments meets the person check's own refusal here.
    PassOwnPutChecks(instance);
    const CAcsUser* user = RequireUser();
    const directories::DirectoryDBManager manager(GetDatabase(), &user->GetSystemOptions());
    const std::unique_ptr<directories::Directory> directory = manager.LoadDirectory(directoryId);
    if (directory == nullptr)
        CWmipRecordChecks::ThrowNamed(kAccountMapperSourceFile, __LINE__, WBEM_E_INVALID_PARAMETER,
                                      CWmipMessages::kInvalidProperty, L"DirectoryID");
    std::unique_ptr<directories::DirectoryAccount> account;
    try
    {
        account = directory->GetAccount(accountId);
    }
    catch (const directories::DirectoryException&)
    {
        account.reset();
    }
    if (account == nullptr)
        throw CWMIException(kAccountMapperSourceFile, __LINE__, WBEM_E_FAILED, CWmipMessages::kNoDirectoryAccount);
    CWmipPersonRecord::ReadNamed(kAccountMapperSourceFile, *GetDatabase(), personId);
    try
    {
        manager.LinkCardholderAccount(personId, *account);
    }
    catch (const directories::AccountAlreadyLinkedException&)
    {
        throw CWMIException(kAccountMapperSourceFile, __LINE__, WBEM_E_FAILED, CWmipMessages::kAccountAlreadyLinked);
    }
    catch (const directories::DirectoryException&)
    {
        throw CWMIException(kAccountMapperSourceFile, __LINE__, WBEM_E_FAILED);
    }
    const HRESULT put = WMIHelper::PutNumber(instance, L"ID", account->GetPrimaryKey());
    if (FAILED(put))
        throw CWMIException(kAccountMapperSourceFile, __LINE__, put);
    LogTransaction(Operation::Add, instance);
    CWMIDebugLog::LogInfo(kAccountMapperSourceFile, __LINE__, L"PutInstance: AfterWriteInstance.");
    AfterWriteInstance(Operation::Add, instance);
    return account->GetPrimaryKey();
}

CString CWmipAccountMapper::GetTransactionValues(Operation /*operation*/, IWbemClassObject* instance)
{
    return FormatPersonAuditText(instance, false);
}

void CWmipAccountMapper::SetupReplTransaction(CBntCardholderTrans& transaction, Operation operation,
                                              IWbemClassObject* instance)
{
    CWmipPersonPartMapper::SetupReplTransaction(transaction, operation, instance);
    LONG linkId = 0;
    WMIHelper::GetNumber(instance, L"ID", linkId);
    transaction.SetRecordID(linkId);
}
