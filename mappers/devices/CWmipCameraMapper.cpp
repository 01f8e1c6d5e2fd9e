#include "mappers/devices/CWmipCameraMapper.h"

#include <memory>

#include "hardware/LAAPProxy.h"

namespace {

constexpr wchar_t kSource[] = L"WmipCameraMapper";

// Viewing cameras is also what reading their status needs.
constexpr DWORD kViewCamerasPermission = 0x1000006D;
constexpr DeviceAudit kStatusAudit{64, 15, 10227};

}  // namespace

const MapperMethodEntry<CWmipCameraMapper> CWmipCameraMapper::kMethods[] = {
    {L"GetHardwareStatus", &CWmipCameraMapper::GetHardwareStatus},
};
const std::size_t CWmipCameraMapper::kMethodCount = std::size(kMethods);

CWmipCameraMapper::CWmipCameraMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services)
    : CWmipDynamicClassMapper(user, context, services, GetWMIClassName())
{
    AddJoin(L"ACCESSPANE", L"PANELID", L"CCTVDEVICE", L"PANELID");
    SetPermissions(kViewCamerasPermission, 0, 0, 0);
}

CWmipCameraMapper::~CWmipCameraMapper() = default;

const wchar_t* CWmipCameraMapper::GetWMIClassName()
{
    return L"Bnt_Camera";
}

CWmipClassMapper* CWmipCameraMapper::CreateMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services)
{
    return std::make_unique<CWmipCameraMapper>(user, context, services).release();
}

HRESULT CWmipCameraMapper::ExecuteMethod(CWmipObjectPath* path, const wchar_t* methodName, LONG, IWbemContext*,
                                         IWbemClassObject* inParams, IWbemObjectSink* sink)
{
    return CWmipDeviceMethod::Dispatch(*this, kSource, path, methodName,
                                       std::span<const MapperMethodEntry<CWmipCameraMapper>>(kMethods), inParams, sink);
}

HRESULT CWmipCameraMapper::GetHardwareStatus(IWbemClassObject* instance, IWbemClassObject*, IWbemObjectSink* sink)
{
    return CWmipDeviceMethod::RunStatus(*this, kSource, kViewCamerasPermission, instance, sink, kStatusAudit, [&] {
        const LONG cameraId = CWmipDeviceMethod::Number(instance, L"ID");
        const LONG panelId = CWmipDeviceMethod::Number(instance, L"PanelID");
        LAAPProxy proxy;
        proxy.SetHostName(CWmipDeviceMethod::Text(instance, L"Workstation"));
        // The call's own answer is not examined: a server that cannot be reached leaves the
        // flag false, which reads as offline.
        bool online = false;
        proxy.GetDeviceStatus(panelId, cameraId, &online);
        return online ? 1UL : 0UL;
    });
}
