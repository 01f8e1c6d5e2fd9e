#include "mappers/devices/CWmipLogicalMapper.h"

#include "common/AccessCodes.h"
#include "framework/CWmipMessages.h"
#include "framework/WMIHelper.h"
#include "inhouse/BntCore/CBntIDGenerator.h"
#include "inhouse/BntCoreDb/CBntDatabase.h"
#include "inhouse/BntCoreDb/CBntTransaction.h"
#include "inhouse/BntUtility/CWMIException.h"
#include "mappers/devices/CWmipLogicalDeviceRules.h"
#include "platform/com/WbemConstants.h"

using brontel::utility::CWMIException;
using Operation = brontel::UserTranOperation::UserTransactionOperation;

CWmipLogicalMapper::CWmipLogicalMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services,
                                       const wchar_t* className, const wchar_t* source, LONG auditObject)
    : CWmipDynamicClassMapper(user, context, services, className), m_source(source), m_auditObject(auditObject)
{
    SetPermissions(Permission::kViewLogicalDevices, Permission::kAddLogicalDevices, Permission::kModifyLogicalDevices,
                   Permission::kDeleteLogicalDevices);
}

CWmipLogicalMapper::~CWmipLogicalMapper() = default;

void CWmipLogicalMapper::CanAdd(IWbemClassObject* instance)
{
    CWmipDynamicClassMapper::CanAdd(instance);
    if (instance != nullptr)
        Validate(instance, true);
}

void CWmipLogicalMapper::CanModify(IWbemClassObject* instance)
{
    CWmipDynamicClassMapper::CanModify(instance);
    if (instance != nullptr)
        Validate(instance, false);
}

brontel::UserTranObject::UserTransactionObject CWmipLogicalMapper::GetTransactionObject()
{
    return m_auditObject;
}

LONG CWmipLogicalMapper::AddWithNewId(IWbemClassObject* instance, LONG idType)
{
    CanAdd(instance);
    CString offending;
    if (FAILED(ValidateValuesForGeneratedProperties(instance, true, offending)))
        CWmipLogicalDeviceRules::Refuse(m_source, __LINE__, WBEM_E_FAILED, CWmipLogicalDeviceRules::kNotEditable,
                                        offending);
    const LONG id = CBntIDGenerator(GetDatabaseUser()).GetNextID(idType, -1);
    if (id <= 0)
        CWmipLogicalDeviceRules::Refuse(m_source, __LINE__, WBEM_E_PROVIDER_FAILURE, CWmipLogicalDeviceRules::kNoId,
                                        L"ID");
    WMIHelper::PutNumber(instance, L"ID", id);
    return id;
}

void CWmipLogicalMapper::WriteInTransaction(IWbemClassObject* instance, LONG flags,
                                            const std::function<void(CBntDatabase& database, bool modify)>& write)
{
    if (instance == nullptr)
        throw CWMIException(m_source, __LINE__, WBEM_E_INVALID_PARAMETER);
    CBntDatabase* database = GetDatabase();
    if (database == nullptr)
        throw CWMIException(m_source, __LINE__, WBEM_E_FAILED, CWmipMessages::kNoConnection);
    const bool modify = (flags & WBEM_FLAG_UPDATE_ONLY) != 0;
    const Operation operation = modify ? Operation::Modify : Operation::Add;
    // The notice is prepared inside the write, so a failure to prepare it takes the write back;
    // it leaves for the servers only once the write has committed.
    CBntTransaction transaction(*database);
    write(*database, modify);
    LogTransaction(operation, instance);
    AfterWriteInstance(operation, instance);
    transaction.Commit();
}
