#include "mappers/devices/CWmipLogicalDeviceMapper.h"
#include "framework/CWmipMessages.h"

#include <memory>

#include "framework/WMIHelper.h"
#include "inhouse/BntCore/CBntIDGenerator.h"
#include "inhouse/BntCoreDb/CBntDatabase.h"
#include "inhouse/BntCoreDb/CBntTransaction.h"
#include "inhouse/BntCoreDb/CMultiFilterRecordset.h"
#include "inhouse/BntPanelModel/CBntAcDBTrigger.h"
#include "inhouse/BntUtility/CWMIException.h"
#include "mappers/devices/CWmipLogicalDeviceRules.h"
#include "platform/com/WbemConstants.h"

using brontel::utility::CWMIException;
using Rules = CWmipLogicalDeviceRules;
using Operation = brontel::UserTranOperation::UserTransactionOperation;

namespace
{

constexpr wchar_t kSource[] = L"WmipLogicalDeviceMapper";
constexpr DWORD kView = 0x1000010C;
constexpr DWORD kAdd = 0x1000010D;
constexpr DWORD kModify = 0x1000010E;
constexpr DWORD kDelete = 0x1000010F;
constexpr LONG kAuditObject = 147;
constexpr LONG kDeviceIdType = 54;
constexpr int kDeviceChanged = 290;
constexpr std::size_t kSourceWord = 12;
constexpr std::size_t kDeviceWord = 52;

}  // namespace

CWmipLogicalDeviceMapper::CWmipLogicalDeviceMapper(const CAcsUser* user, IWbemContext* context,
                                                   IWbemServices* services)
    : CWmipDynamicClassMapper(user, context, services, GetWMIClassName())
{
    SetPermissions(kView, kAdd, kModify, kDelete);
}

CWmipLogicalDeviceMapper::~CWmipLogicalDeviceMapper() = default;

const wchar_t* CWmipLogicalDeviceMapper::GetWMIClassName()
{
    return L"Bnt_LogicalDevice";
}

CWmipClassMapper* CWmipLogicalDeviceMapper::CreateMapper(const CAcsUser* user, IWbemContext* context,
                                                         IWbemServices* services)
{
    return std::make_unique<CWmipLogicalDeviceMapper>(user, context, services).release();
}

HRESULT CWmipLogicalDeviceMapper::PutInstance(IWbemClassObject* instance, LONG flags, CString& path)
{
    if (instance == nullptr)
        throw CWMIException(kSource, __LINE__, WBEM_E_INVALID_PARAMETER);
    CBntDatabase* database = GetDatabase();
    if (database == nullptr)
        throw CWMIException(kSource, __LINE__, WBEM_E_FAILED,
                            CWmipMessages::kNoConnection);
    const bool modify = (flags & WBEM_FLAG_UPDATE_ONLY) != 0;
    const Operation operation = modify ? Operation::Modify : Operation::Add;
    LONG sourceId = 0;
    LONG id = 0;
    {
        // The checks, the write and the audit stand or fall together, so two writers cannot
        // both pass the name check.
        CBntTransaction transaction(*database);
        if (modify) {
            CanModify(instance);
            sourceId = Rules::RequiredNumber(kSource, instance, L"SourceID");
            id = Rules::Number(instance, L"ID").value_or(0);
            if (id <= 0)
                Rules::Refuse(kSource, __LINE__, WBEM_E_ILLEGAL_NULL, Rules::kRequired, L"ID");
            if (!Rules::DeviceRowExists(database, sourceId, id, 0))
                throw CWMIException(kSource, __LINE__, WBEM_E_NOT_FOUND, Rules::kNotFound);
            database->ExecuteSQL(
                L"UPDATE VEXLET_DEVICE SET NAME = ? WHERE PANELID = ? AND VEXLET_DEVICEID = ? AND SUB_DEVICEID = 0",
                {CDBValue(Rules::RequiredName(kSource, instance)), CDBValue(sourceId), CDBValue(id)});
        } else {
            CanAdd(instance);
            CString offending;
            if (FAILED(ValidateValuesForGeneratedProperties(instance, true, offending)))
                Rules::Refuse(kSource, __LINE__, WBEM_E_FAILED, Rules::kNotEditable, offending);
            sourceId = Rules::RequiredNumber(kSource, instance, L"SourceID");
            id = CBntIDGenerator(GetDatabaseUser()).GetNextID(kDeviceIdType, -1);
            if (id <= 0)
                Rules::Refuse(kSource, __LINE__, WBEM_E_PROVIDER_FAILURE, Rules::kNoId, L"ID");
            WMIHelper::PutNumber(instance, L"ID", id);
            database->ExecuteSQL(
                L"INSERT INTO VEXLET_DEVICE (VEXLET_DEVICEID, PANELID, NAME, SUB_DEVICEID) VALUES (?, ?, ?, 0)",
                {CDBValue(id), CDBValue(sourceId), CDBValue(Rules::RequiredName(kSource, instance))});
        }
        LogTransaction(operation, instance);
        transaction.Commit();
    }
    AfterWriteInstance(operation, instance);
    path.Format(L"Bnt_LogicalDevice.ID=%ld,SourceID=%ld", id, sourceId);
    return S_OK;
}

void CWmipLogicalDeviceMapper::FilterInstanceRecordset(CMultiFilterRecordset* recordset)
{
    recordset->AddFilterLong(L"VEXLET_DEVICE.SUB_DEVICEID", 0);
}

void CWmipLogicalDeviceMapper::CanAdd(IWbemClassObject* instance)
{
    CWmipDynamicClassMapper::CanAdd(instance);
    if (instance != nullptr)
        Validate(instance, true);
}

void CWmipLogicalDeviceMapper::CanModify(IWbemClassObject* instance)
{
    CWmipDynamicClassMapper::CanModify(instance);
    if (instance != nullptr)
        Validate(instance, false);
}

brontel::UserTranObject::UserTransactionObject CWmipLogicalDeviceMapper::GetTransactionObject()
{
    return kAuditObject;
}

CString CWmipLogicalDeviceMapper::GetTransactionValues(Operation, IWbemClassObject* instance)
{
    CString name;
    WMIHelper::GetString(instance, L"Name", name);
    CString text;
    text.Format(L"%s(%d,%d)", name.GetString(), Rules::Number(instance, L"SourceID").value_or(0),
                Rules::Number(instance, L"ID").value_or(0));
    return text;
}

void CWmipLogicalDeviceMapper::BeforeWriteInstance(Operation operation, IWbemClassObject* instance)
{
    if (operation == Operation::Delete)
        CBntAcDBTrigger(GetDatabase())
            .VexletDeviceDelete(Rules::Number(instance, L"SourceID").value_or(0), Rules::Number(instance, L"ID").value_or(0));
}

void CWmipLogicalDeviceMapper::AfterWriteInstance(Operation operation, IWbemClassObject* instance)
{
    const LONG sourceId = Rules::Number(instance, L"SourceID").value_or(0);
    Rules::Notify(kDeviceChanged, Rules::Action(operation), Rules::PanelSegment(GetDatabase(), sourceId),
                  {{kSourceWord, sourceId}, {kDeviceWord, Rules::Number(instance, L"ID").value_or(0)}});
}

void CWmipLogicalDeviceMapper::Validate(IWbemClassObject* instance, bool create)
{
    const LONG sourceId = Rules::Number(instance, L"SourceID").value_or(0);
    if (sourceId <= 0)
        Rules::Refuse(kSource, __LINE__, WBEM_E_ILLEGAL_NULL, Rules::kRequired, L"SourceID");
    if (!Rules::PanelExists(GetDatabase(), sourceId, true))
        Rules::Refuse(kSource, __LINE__, WBEM_E_INVALID_PARAMETER, Rules::kInvalid, L"SourceID");
    const CString name = Rules::RequiredName(kSource, instance);
    const bool kept = !create && Rules::DeviceRowExists(GetDatabase(), sourceId,
                                                        Rules::Number(instance, L"ID").value_or(0), 0, &name);
    Rules::CheckDeviceName(kSource, GetDatabase(), name, kept);
}
