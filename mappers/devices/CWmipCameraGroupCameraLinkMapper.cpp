#include "mappers/devices/CWmipCameraGroupCameraLinkMapper.h"

#include <memory>

#include "mappers/devices/CWmipCameraGroupMapper.h"

CWmipCameraGroupCameraLinkMapper::CWmipCameraGroupCameraLinkMapper(const CAcsUser* user, IWbemContext* context,
                                                                   IWbemServices* services)
    : CWmipDynamicClassMapper(user, context, services, GetWMIClassName())
{
    AddJoin(L"DEVICE_GROUP_LINK", L"DEVICEGROUPID", L"DEVICE_GROUP", L"DEVICEGROUPID");
    SetPermissions(CWmipCameraGroupMapper::kViewPermission, 0, 0, 0);
}

CWmipCameraGroupCameraLinkMapper::~CWmipCameraGroupCameraLinkMapper() = default;

const wchar_t* CWmipCameraGroupCameraLinkMapper::GetWMIClassName()
{
    return L"Bnt_CameraGroupCameraLink";
}

CWmipClassMapper* CWmipCameraGroupCameraLinkMapper::CreateMapper(const CAcsUser* user, IWbemContext* context,
                                                                 IWbemServices* services)
{
    return std::make_unique<CWmipCameraGroupCameraLinkMapper>(user, context, services).release();
}

void CWmipCameraGroupCameraLinkMapper::FilterInstanceRecordset(CMultiFilterRecordset* recordset)
{
    CWmipCameraGroupMapper::FilterCameraGroups(recordset);
}
