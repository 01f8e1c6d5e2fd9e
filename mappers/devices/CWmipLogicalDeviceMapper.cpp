#include "mappers/devices/CWmipLogicalDeviceMapper.h"

#include "common/AccessCodes.h"
#include "framework/CWmipMessages.h"
#include "framework/CWmipPropertyRefusal.h"
#include "inhouse/BntCoreDb/CBntDatabase.h"
#include "inhouse/BntCoreDb/CMultiFilterRecordset.h"
#include "inhouse/BntPanelModel/CBntAcDBTrigger.h"
#include "inhouse/BntUtility/CWMIException.h"
#include "mappers/devices/CWmipLogicalDeviceRules.h"
#include "platform/com/WbemConstants.h"

using brontel::utility::CWMIException;
using Rules = CWmipLogicalDeviceRules;

namespace {

constexpr wchar_t kLogicalDeviceMapperSource[] = L"WmipLogicalDeviceMapper";
constexpr LONG kDeviceIdType = 54;
constexpr int kDeviceChanged = 290;
constexpr CWmipLogicalMapper::Key kLogicalDeviceMapperKeys[] = {{L"SourceID", CWmipLogicalMapper::kSourceWord},
                                                                {L"ID", CWmipLogicalMapper::kDeviceWord}};
constexpr CWmipLogicalMapper::Rows kLogicalDeviceMapperRows{L"VEXLET_DEVICE.SUB_DEVICEID", CMultiFilterRecordset::Equal,
                                                            0};
constexpr CWmipLogicalMapper::Traits kLogicalDeviceMapperTraits{kLogicalDeviceMapperSource, AuditObject::kLogicalDevice,
                                                                kDeviceChanged, kLogicalDeviceMapperRows,
                                                                kLogicalDeviceMapperKeys};

}  // namespace

CWmipLogicalDeviceMapper::CWmipLogicalDeviceMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services)
    : CWmipMapperSkeleton(user, context, services, kWMIClassName, kLogicalDeviceMapperTraits)
{
}

HRESULT CWmipLogicalDeviceMapper::PutInstance(IWbemClassObject* instance, LONG flags, CString& path)
{
    LONG sourceId = 0;
    LONG id = 0;
    WriteInTransaction(instance, flags, [&](CBntDatabase& database, bool modify) {
        if (modify)
        {
            CanModify(instance);
            sourceId = CWmipPropertyRefusal::RequireNumber(kLogicalDeviceMapperSource, instance, L"SourceID");
            id = Rules::Number(instance, L"ID").value_or(0);
            if (id <= 0)
                CWmipPropertyRefusal::ThrowNamed(kLogicalDeviceMapperSource, __LINE__, WBEM_E_ILLEGAL_NULL,
                                                 CWmipMessages::kRequiredProperty, L"ID");
            if (!Rules::DeviceRowExists(&database, sourceId, id, 0))
                throw CWMIException(kLogicalDeviceMapperSource, __LINE__, WBEM_E_NOT_FOUND, CWmipMessages::kNotFound);
            database.ExecuteSQL(
                L"UPDATE VEXLET_DEVICE SET NAME = ? WHERE PANELID = ? AND VEXLET_DEVICEID = ? AND SUB_DEVICEID = 0",
                {CDBValue(Rules::RequiredName(kLogicalDeviceMapperSource, instance)), CDBValue(sourceId),
                 CDBValue(id)});
        }
        else
        {
            // The add's rules have refused a missing SourceID before the id is drawn.
            id = AddWithNewId(instance, kDeviceIdType);
            sourceId = CWmipPropertyRefusal::RequireNumber(kLogicalDeviceMapperSource, instance, L"SourceID");
            database.ExecuteSQL(
                L"INSERT INTO VEXLET_DEVICE (VEXLET_DEVICEID, PANELID, NAME, SUB_DEVICEID) VALUES (?, ?, ?, 0)",
                {CDBValue(id), CDBValue(sourceId),
                 CDBValue(Rules::RequiredName(kLogicalDeviceMapperSource, instance))});
        }
    });
    path.Format(L"Bnt_LogicalDevice.ID=%ld,SourceID=%ld", id, sourceId);
    return S_OK;
}

void CWmipLogicalDeviceMapper::RemoveDependents(IWbemClassObject* instance)
{
    CBntAcDBTrigger(GetDatabase())
        .VexletDeviceDelete(Rules::Number(instance, L"SourceID").value_or(0),
                            Rules::Number(instance, L"ID").value_or(0));
}

void CWmipLogicalDeviceMapper::Validate(IWbemClassObject* instance, bool create)
{
    const LONG sourceId = Rules::Number(instance, L"SourceID").value_or(0);
    if (sourceId <= 0)
        CWmipPropertyRefusal::ThrowNamed(kLogicalDeviceMapperSource, __LINE__, WBEM_E_ILLEGAL_NULL,
                                         CWmipMessages::kRequiredProperty, L"SourceID");
    // The source is looked up as the caller: one it may not see is one that is not there.
    if (!CallerCanSee(L"Bnt_LogicalSource", {{L"ID", sourceId}}))
        CWmipPropertyRefusal::ThrowNamed(kLogicalDeviceMapperSource, __LINE__, WBEM_E_INVALID_PARAMETER,
                                         CWmipMessages::kInvalidProperty, L"SourceID");
    const CString name = Rules::RequiredName(kLogicalDeviceMapperSource, instance);
    const bool kept = !create && Rules::DeviceRowExists(GetDatabase(), sourceId,
                                                        Rules::Number(instance, L"ID").value_or(0), 0, &name);
    Rules::CheckDeviceName(kLogicalDeviceMapperSource, GetDatabase(), name, kept);
}
