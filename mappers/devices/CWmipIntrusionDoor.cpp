#include "mappers/devices/CWmipIntrusionDoor.h"

#include <memory>

const CWmipIntrusionDoor::MethodEntry CWmipIntrusionDoor::kMethods[] = {
    {L"Open", &CWmipIntrusionDeviceMapper::Open},
    {L"SetMode", &CWmipIntrusionDeviceMapper::SetMode},
    {L"GetHardwareStatus", &CWmipIntrusionDeviceMapper::GetHardwareStatus},
};
const std::size_t CWmipIntrusionDoor::kMethodCount = std::size(kMethods);

namespace {

const CWmipIntrusionDeviceMapper::Layout kLayout{
    L"WmipIntrusionDoor",        IntrusionCategory::Door, false, 0x100000F0, 121, {64, 121, 10237}, nullptr,
    CWmipIntrusionDoor::kMethods};

}  // namespace

CWmipIntrusionDoor::CWmipIntrusionDoor(const CAcsUser* user, IWbemContext* context, IWbemServices* services)
    : CWmipIntrusionDeviceMapper(user, context, services, GetWMIClassName(), kLayout)
{
}

CWmipIntrusionDoor::~CWmipIntrusionDoor() = default;

const wchar_t* CWmipIntrusionDoor::GetWMIClassName()
{
    return L"Bnt_IntrusionDoor";
}

CWmipClassMapper* CWmipIntrusionDoor::CreateMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services)
{
    return std::make_unique<CWmipIntrusionDoor>(user, context, services).release();
}
