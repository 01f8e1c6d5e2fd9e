#include "mappers/devices/CWmipIntrusionZone.h"

#include <memory>

const CWmipIntrusionZone::MethodEntry CWmipIntrusionZone::kMethods[] = {
    {L"Bypass", &CWmipIntrusionDeviceMapper::Bypass},
    {L"UnBypass", &CWmipIntrusionDeviceMapper::UnBypass},
    {L"GetHardwareStatus", &CWmipIntrusionDeviceMapper::GetHardwareStatus},
};
const std::size_t CWmipIntrusionZone::kMethodCount = std::size(kMethods);

namespace {

const CWmipIntrusionDeviceMapper::Layout kLayout{
    L"WmipIntrusionZone",        IntrusionCategory::Zone, false, 0x100000EA, 118, {6, 118, 10234}, nullptr,
    CWmipIntrusionZone::kMethods};

}  // namespace

CWmipIntrusionZone::CWmipIntrusionZone(const CAcsUser* user, IWbemContext* context, IWbemServices* services)
    : CWmipIntrusionDeviceMapper(user, context, services, GetWMIClassName(), kLayout)
{
}

CWmipIntrusionZone::~CWmipIntrusionZone() = default;

const wchar_t* CWmipIntrusionZone::GetWMIClassName()
{
    return L"Bnt_IntrusionZone";
}

CWmipClassMapper* CWmipIntrusionZone::CreateMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services)
{
    return std::make_unique<CWmipIntrusionZone>(user, context, services).release();
}
