#include "mappers/devices/CWmipCameraGroupMapper.h"

#include <memory>

#include "inhouse/BntCoreDb/CMultiFilterRecordset.h"

namespace {

// The device group type of camera groups.
constexpr int kCameraGroupType = 3;

}  // namespace

CWmipCameraGroupMapper::CWmipCameraGroupMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services)
    : CWmipDynamicClassMapper(user, context, services, GetWMIClassName())
{
    SetPermissions(kViewPermission, 0, 0, 0);
}

CWmipCameraGroupMapper::~CWmipCameraGroupMapper() = default;

const wchar_t* CWmipCameraGroupMapper::GetWMIClassName()
{
    return L"Bnt_CameraGroup";
}

CWmipClassMapper* CWmipCameraGroupMapper::CreateMapper(const CAcsUser* user, IWbemContext* context,
                                                       IWbemServices* services)
{
    return std::make_unique<CWmipCameraGroupMapper>(user, context, services).release();
}

void CWmipCameraGroupMapper::FilterCameraGroups(CMultiFilterRecordset* recordset)
{
    recordset->AddFilterInt(L"DEVICE_GROUP.TYPE", kCameraGroupType);
}

void CWmipCameraGroupMapper::FilterInstanceRecordset(CMultiFilterRecordset* recordset)
{
    FilterCameraGroups(recordset);
}
