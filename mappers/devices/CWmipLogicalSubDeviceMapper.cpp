#include "mappers/devices/CWmipLogicalSubDeviceMapper.h"

#include "common/AccessCodes.h"
#include "framework/CWmipMessages.h"
#include "framework/CWmipPropertyRefusal.h"
#include "inhouse/BntCoreDb/CMultiFilterRecordset.h"
#include "inhouse/BntPanelModel/CBntAcDBTrigger.h"
#include "mappers/devices/CWmipLogicalDeviceRules.h"
#include "platform/com/WbemConstants.h"

using Rules = CWmipLogicalDeviceRules;

namespace {

constexpr wchar_t kLogicalSubDeviceMapperSource[] = L"WmipLogicalSubDeviceMapper";
constexpr int kSubDeviceChanged = 292;
constexpr CWmipLogicalMapper::Key kLogicalSubDeviceMapperKeys[] = {{L"SourceID", CWmipLogicalMapper::kSourceWord},
                                                                   {L"DeviceID", CWmipLogicalMapper::kDeviceWord},
                                                                   {L"ID", CWmipLogicalMapper::kSubDeviceWord}};
constexpr CWmipLogicalMapper::Rows kLogicalSubDeviceMapperRows{L"VEXLET_DEVICE.SUB_DEVICEID",
                                                               CMultiFilterRecordset::NotEqual, 0};
constexpr CWmipLogicalMapper::Traits kLogicalSubDeviceMapperTraits{
    kLogicalSubDeviceMapperSource, AuditObject::kLogicalSubDevice, kSubDeviceChanged, kLogicalSubDeviceMapperRows,
    kLogicalSubDeviceMapperKeys};

}  // namespace

CWmipLogicalSubDeviceMapper::CWmipLogicalSubDeviceMapper(const CAcsUser* user, IWbemContext* context,
                                                         IWbemServices* services)
    : CWmipMapperSkeleton(user, context, services, kWMIClassName, kLogicalSubDeviceMapperTraits)
{
}

void CWmipLogicalSubDeviceMapper::RemoveDependents(IWbemClassObject* instance)
{
    CBntAcDBTrigger(GetDatabase())
        .VexletSubDeviceDelete(Rules::Number(instance, L"SourceID").value_or(0),
                               Rules::Number(instance, L"DeviceID").value_or(0),
                               Rules::Number(instance, L"ID").value_or(0));
}

void CWmipLogicalSubDeviceMapper::Validate(IWbemClassObject* instance, bool create)
{
    const LONG sourceId = CWmipPropertyRefusal::RequireNumber(kLogicalSubDeviceMapperSource, instance, L"SourceID");
    // The source and the device are looked up as the caller: one it may not see is one that is
    // not there.
    if (!CallerCanSee(L"Bnt_LogicalSource", {{L"ID", sourceId}}))
        CWmipPropertyRefusal::ThrowNamed(kLogicalSubDeviceMapperSource, __LINE__, WBEM_E_INVALID_PARAMETER,
                                         CWmipMessages::kInvalidProperty, L"SourceID");
    const LONG deviceId = CWmipPropertyRefusal::RequireNumber(kLogicalSubDeviceMapperSource, instance, L"DeviceID");
    if (!CallerCanSee(L"Bnt_LogicalDevice", {{L"SourceID", sourceId}, {L"ID", deviceId}}))
        CWmipPropertyRefusal::ThrowNamed(kLogicalSubDeviceMapperSource, __LINE__, WBEM_E_INVALID_PARAMETER,
                                         CWmipMessages::kInvalidProperty, L"DeviceID");
    const CString name = Rules::RequiredName(kLogicalSubDeviceMapperSource, instance);
    const bool kept = !create && Rules::DeviceRowExists(GetDatabase(), sourceId, deviceId,
                                                        Rules::Number(instance, L"ID").value_or(0), &name);
    Rules::CheckDeviceName(kLogicalSubDeviceMapperSource, GetDatabase(), name, kept);
}
