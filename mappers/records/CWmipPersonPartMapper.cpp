#include "mappers/records/CWmipPersonPartMapper.h"

#include "common/AccessCodes.h"
#include "framework/WMIHelper.h"
#include "inhouse/BntCommon/CBntCardholderTrans.h"
#include "inhouse/BntCoreDb/CDBException.h"
#include "inhouse/BntCoreDb/CMultiFilterRecordset.h"
#include "inhouse/BntLogin/CAcsUser.h"
#include "inhouse/BntUtility/CWMIDebugLog.h"
#include "inhouse/BntUtility/CWMIException.h"
#include "mappers/records/helpers/CWmipPersonRecord.h"
#include "platform/com/WbemConstants.h"
#include "platform/mfc/COleDateTime.h"

using brontel::utility::CWMIDebugLog;
using brontel::utility::CWMIException;
using Operation = brontel::UserTranOperation::UserTransactionOperation;

namespace {

constexpr const wchar_t* kPersonPartMapperSourceFile = L"wpPersonPartMapper.cpp";

}  // namespace

CWmipPersonPartMapper::CWmipPersonPartMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services,
                                             const wchar_t* className, const wchar_t* mapperName, bool replicatePerson)
    : CWmipDynamicClassMapper(user, context, services, className),
      m_logPrefix(CString(mapperName) + L"::AfterWriteInstance. "), m_replicatePerson(replicatePerson)
{
}

HRESULT CWmipPersonPartMapper::CanView()
{
    const HRESULT hr = CanPerformOperation(GetViewPermission(), nullptr);
    if (FAILED(hr))
        return hr;
    const CMultiFilterRecordset* recordset = GetInstanceRecordset();
    if (recordset == nullptr || !recordset->IsOpen() || recordset->IsEOF())
        return hr;
    const CAcsUser* user = RequireUser();
    const bool granted = recordset->GetLong(L"EMP.VISITOR") == 0
                             ? user->HasPermission(Permission::kViewCardholders) &&
                                   user->HasPermission(Permission::kViewCardholdersSecond)
                             : user->HasPermission(Permission::kViewVisitors);
    return granted ? S_OK : WBEM_E_ACCESS_DENIED;
}

void CWmipPersonPartMapper::AfterWriteInstance(Operation /*operation*/, IWbemClassObject* instance)
{
    CAcsUser* user = nullptr;
    if (FAILED(GetUser(&user)) || user == nullptr)
        return;
    CWMIDebugLog::LogInfo(kPersonPartMapperSourceFile, __LINE__, m_logPrefix + L"Begin.");
    LONG personId = 0;
    WMIHelper::GetNumber(instance, L"PersonID", personId);
    try
    {
        CWmipPersonRecord::TouchLastChanged(*GetDatabase(), personId);
    }
    catch (const CDBException& e)
    {
        CWMIDebugLog::LogError(kPersonPartMapperSourceFile, __LINE__, L"Unable to mark the person as changed.", 0, &e);
        throw CWMIException(kPersonPartMapperSourceFile, __LINE__, WBEM_E_FAILED);
    }
    if (m_replicatePerson && user->GetSystemOptions().ServerType() != 0)
    {
        const COleDateTime now = COleDateTime::GetCurrentTime();
        CBntCardholderTrans transaction(CBntCardholderTrans::kModified, ReplicationObject::kPerson, &now);
        transaction.SetUserID(user->GetUserID());
        transaction.SetPersonID(personId);
        LogReplication(transaction);
    }
    CWMIDebugLog::LogInfo(kPersonPartMapperSourceFile, __LINE__, m_logPrefix + L"Done.");
}

CString CWmipPersonPartMapper::FormatPersonAuditText(IWbemClassObject* instance, bool withMiddleName)
{
    LONG personId = 0;
    WMIHelper::GetNumber(instance, L"PersonID", personId);
    CWmipPersonRecord::Row row;
    if (GetDatabase() != nullptr)
        row = CWmipPersonRecord::Read(*GetDatabase(), personId);
    return CWmipPersonRecord::FormatAuditText(personId, CWmipPersonRecord::NameOf(row, withMiddleName));
}

void CWmipPersonPartMapper::SetupReplTransaction(CBntCardholderTrans& transaction, Operation /*operation*/,
                                                 IWbemClassObject* instance)
{
    LONG personId = 0;
    WMIHelper::GetNumber(instance, L"PersonID", personId);
    transaction.SetPersonID(personId);
}
