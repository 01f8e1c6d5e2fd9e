#include "mappers/devices/CWmipCameraMapper.h"

#include "common/AccessCodes.h"
#include "hardware/LAAPProxy.h"

namespace {

// Viewing cameras is also what reading their status needs.
constexpr MapperMethodEntry<CWmipCameraMapper> kCameraMapperRows[] = {
    {L"GetHardwareStatus",
     &CWmipCameraMapper::GetHardwareStatus,
     Permission::kViewVideoDevices,
     {AuditOperation::kReadStatus, AuditObject::kCamera, 10227}},
};

}  // namespace

const std::span<const MapperMethodEntry<CWmipCameraMapper>> CWmipCameraMapper::kMethods = kCameraMapperRows;

CWmipCameraMapper::CWmipCameraMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services)
    : CWmipDeviceMapperSkeleton(user, context, services)
{
    AddJoin(L"ACCESSPANE", L"PANELID", L"CCTVDEVICE", L"PANELID");
    SetPermissions(Permission::kViewVideoDevices, 0, 0, 0);
}

HRESULT CWmipCameraMapper::GetHardwareStatus(DeviceMethodCall& call)
{
    return CWmipDeviceMethod::RunStatus(*this, kSource, call.sink, [&] {
        const LONG cameraId = CWmipDeviceMethod::Number(call.instance, L"ID");
        const LONG panelId = CWmipDeviceMethod::Number(call.instance, L"PanelID");
        LAAPProxy proxy;
        proxy.SetHostName(CWmipDeviceMethod::Text(call.instance, L"Workstation"));
        // The call's own answer is not examined: a server that cannot be reached leaves the
        // flag false, which reads as offline.
        bool online = false;
        proxy.GetDeviceStatus(panelId, cameraId, &online);
        return online ? 1UL : 0UL;
    });
}
