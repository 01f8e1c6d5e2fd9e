#include "mappers/devices/CWmipCameraGroupCameraLinkMapper.h"

#include <memory>

#include "inhouse/BntCoreDb/CMultiFilterRecordset.h"

namespace
{

constexpr DWORD kViewPermission = 0x10000035;

// The device group type of camera groups.
constexpr int kCameraGroupType = 3;

}  // namespace

CWmipCameraGroupCameraLinkMapper::CWmipCameraGroupCameraLinkMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services)
    : CWmipDynamicClassMapper(user, context, services, GetWMIClassName())
{
    AddJoin(L"DEVICE_GROUP_LINK", L"DEVICEGROUPID", L"DEVICE_GROUP", L"DEVICEGROUPID");
    SetPermissions(kViewPermission, 0, 0, 0);
}

CWmipCameraGroupCameraLinkMapper::~CWmipCameraGroupCameraLinkMapper() = default;

const wchar_t* CWmipCameraGroupCameraLinkMapper::GetWMIClassName()
{
    return L"Bnt_CameraGroupCameraLink";
}

CWmipClassMapper* CWmipCameraGroupCameraLinkMapper::CreateMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services)
{
    return std::make_unique<CWmipCameraGroupCameraLinkMapper>(user, context, services).release();
}

void CWmipCameraGroupCameraLinkMapper::FilterInstanceRecordset(CMultiFilterRecordset* recordset)
{
    recordset->AddFilterInt(L"DEVICE_GROUP.TYPE", kCameraGroupType);
}
