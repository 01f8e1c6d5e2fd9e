#include "mappers/devices/CWmipLogicalSubDeviceMapper.h"

#include "common/AccessCodes.h"
#include "framework/WMIHelper.h"
#include "inhouse/BntCoreDb/CMultiFilterRecordset.h"
#include "inhouse/BntPanelModel/CBntAcDBTrigger.h"
#include "mappers/devices/CWmipLogicalDeviceRules.h"
#include "platform/com/WbemConstants.h"

using Rules = CWmipLogicalDeviceRules;
using Operation = brontel::UserTranOperation::UserTransactionOperation;

namespace {

constexpr wchar_t kSource[] = L"WmipLogicalSubDeviceMapper";
constexpr int kSubDeviceChanged = 292;
constexpr std::size_t kSourceWord = 12;
constexpr std::size_t kSubDeviceWord = 28;
constexpr std::size_t kDeviceWord = 52;

}  // namespace

CWmipLogicalSubDeviceMapper::CWmipLogicalSubDeviceMapper(const CAcsUser* user, IWbemContext* context,
                                                         IWbemServices* services)
    : CWmipMapperSkeleton(user, context, services, kWMIClassName, kSource, AuditObject::kLogicalSubDevice)
{
}

void CWmipLogicalSubDeviceMapper::FilterInstanceRecordset(CMultiFilterRecordset* recordset)
{
    recordset->AddFilterLong(L"VEXLET_DEVICE.SUB_DEVICEID", 0, CMultiFilterRecordset::NotEqual);
}

CString CWmipLogicalSubDeviceMapper::GetTransactionValues(Operation, IWbemClassObject* instance)
{
    CString name;
    WMIHelper::GetString(instance, L"Name", name);
    CString text;
    text.Format(L"%s(%d,%d,%d)", name.GetString(), Rules::Number(instance, L"SourceID").value_or(0),
                Rules::Number(instance, L"DeviceID").value_or(0), Rules::Number(instance, L"ID").value_or(0));
    return text;
}

void CWmipLogicalSubDeviceMapper::BeforeWriteInstance(Operation operation, IWbemClassObject* instance)
{
    if (operation == Operation::Delete)
        CBntAcDBTrigger(GetDatabase())
            .VexletSubDeviceDelete(Rules::Number(instance, L"SourceID").value_or(0),
                                   Rules::Number(instance, L"DeviceID").value_or(0),
                                   Rules::Number(instance, L"ID").value_or(0));
}

void CWmipLogicalSubDeviceMapper::AfterWriteInstance(Operation operation, IWbemClassObject* instance)
{
    const LONG sourceId = Rules::Number(instance, L"SourceID").value_or(0);
    Rules::Notify(kSubDeviceChanged, Rules::Action(operation), Rules::PanelSegment(GetDatabase(), sourceId),
                  {{kSourceWord, sourceId},
                   {kDeviceWord, Rules::Number(instance, L"DeviceID").value_or(0)},
                   {kSubDeviceWord, Rules::Number(instance, L"ID").value_or(0)}});
}

void CWmipLogicalSubDeviceMapper::Validate(IWbemClassObject* instance, bool create)
{
    const LONG sourceId = Rules::RequiredNumber(kSource, instance, L"SourceID");
    if (!Rules::PanelExists(GetDatabase(), sourceId, false))
        Rules::Refuse(kSource, __LINE__, WBEM_E_INVALID_PARAMETER, Rules::kInvalid, L"SourceID");
    const LONG deviceId = Rules::RequiredNumber(kSource, instance, L"DeviceID");
    if (!Rules::DeviceRowExists(GetDatabase(), sourceId, deviceId, 0))
        Rules::Refuse(kSource, __LINE__, WBEM_E_INVALID_PARAMETER, Rules::kInvalid, L"DeviceID");
    const CString name = Rules::RequiredName(kSource, instance);
    const bool kept = !create && Rules::DeviceRowExists(GetDatabase(), sourceId, deviceId,
                                                        Rules::Number(instance, L"ID").value_or(0), &name);
    Rules::CheckDeviceName(kSource, GetDatabase(), name, kept);
}
