#include "mappers/devices/CWmipLogicalDeviceMapper.h"

#include "common/AccessCodes.h"
#include "framework/WMIHelper.h"
#include "inhouse/BntCoreDb/CBntDatabase.h"
#include "inhouse/BntCoreDb/CMultiFilterRecordset.h"
#include "inhouse/BntPanelModel/CBntAcDBTrigger.h"
#include "inhouse/BntUtility/CWMIException.h"
#include "mappers/devices/CWmipLogicalDeviceRules.h"
#include "platform/com/WbemConstants.h"

using brontel::utility::CWMIException;
using Rules = CWmipLogicalDeviceRules;
using Operation = brontel::UserTranOperation::UserTransactionOperation;

namespace {

constexpr wchar_t kSource[] = L"WmipLogicalDeviceMapper";
constexpr LONG kDeviceIdType = 54;
constexpr int kDeviceChanged = 290;
constexpr std::size_t kSourceWord = 12;
constexpr std::size_t kDeviceWord = 52;

}  // namespace

CWmipLogicalDeviceMapper::CWmipLogicalDeviceMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services)
    : CWmipMapperSkeleton(user, context, services, kWMIClassName, kSource, AuditObject::kLogicalDevice)
{
}

HRESULT CWmipLogicalDeviceMapper::PutInstance(IWbemClassObject* instance, LONG flags, CString& path)
{
    // A device is written only on a source the caller may see; a hidden one is answered as
    // one that does not exist.
    if (instance != nullptr &&
        !CallerCanSee(L"Bnt_LogicalSource", {{L"ID", Rules::Number(instance, L"SourceID").value_or(0)}}))
        Rules::Refuse(kSource, __LINE__, WBEM_E_INVALID_PARAMETER, Rules::kInvalid, L"SourceID");
    LONG sourceId = 0;
    LONG id = 0;
    WriteInTransaction(instance, flags, [&](CBntDatabase& database, bool modify) {
        if (modify)
        {
            CanModify(instance);
            sourceId = Rules::RequiredNumber(kSource, instance, L"SourceID");
            id = Rules::Number(instance, L"ID").value_or(0);
            if (id <= 0)
                Rules::Refuse(kSource, __LINE__, WBEM_E_ILLEGAL_NULL, Rules::kRequired, L"ID");
            if (!Rules::DeviceRowExists(&database, sourceId, id, 0))
                throw CWMIException(kSource, __LINE__, WBEM_E_NOT_FOUND, Rules::kNotFound);
            database.ExecuteSQL(
                L"UPDATE VEXLET_DEVICE SET NAME = ? WHERE PANELID = ? AND VEXLET_DEVICEID = ? AND SUB_DEVICEID = 0",
                {CDBValue(Rules::RequiredName(kSource, instance)), CDBValue(sourceId), CDBValue(id)});
        }
        else
        {
            // The add's rules have refused a missing SourceID before the id is drawn.
            id = AddWithNewId(instance, kDeviceIdType);
            sourceId = Rules::RequiredNumber(kSource, instance, L"SourceID");
            database.ExecuteSQL(
                L"INSERT INTO VEXLET_DEVICE (VEXLET_DEVICEID, PANELID, NAME, SUB_DEVICEID) VALUES (?, ?, ?, 0)",
                {CDBValue(id), CDBValue(sourceId), CDBValue(Rules::RequiredName(kSource, instance))});
        }
    });
    path.Format(L"Bnt_LogicalDevice.ID=%ld,SourceID=%ld", id, sourceId);
    return S_OK;
}

void CWmipLogicalDeviceMapper::FilterInstanceRecordset(CMultiFilterRecordset* recordset)
{
    recordset->AddFilterLong(L"VEXLET_DEVICE.SUB_DEVICEID", 0);
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
            .VexletDeviceDelete(Rules::Number(instance, L"SourceID").value_or(0),
                                Rules::Number(instance, L"ID").value_or(0));
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
