#include "mappers/devices/CWmipIntrusionZoneOutput.h"

#include <memory>

const CWmipIntrusionZoneOutput::MethodEntry CWmipIntrusionZoneOutput::kMethods[] = {
    {L"Activate", &CWmipIntrusionDeviceMapper::Activate},
    {L"Deactivate", &CWmipIntrusionDeviceMapper::Deactivate},
    {L"GetHardwareStatus", &CWmipIntrusionDeviceMapper::GetHardwareStatus},
};
const std::size_t CWmipIntrusionZoneOutput::kMethodCount = std::size(kMethods);

namespace {

const CWmipIntrusionDeviceMapper::Layout kLayout{
    L"WmipIntrusionZoneOutput",         IntrusionCategory::Zone,           true, 0x100000EA, 118, {64, 120, 10231},
    &LAAPProxy::SetIntrusionZoneOutput, CWmipIntrusionZoneOutput::kMethods};

}  // namespace

CWmipIntrusionZoneOutput::CWmipIntrusionZoneOutput(const CAcsUser* user, IWbemContext* context, IWbemServices* services)
    : CWmipIntrusionDeviceMapper(user, context, services, GetWMIClassName(), kLayout)
{
}

CWmipIntrusionZoneOutput::~CWmipIntrusionZoneOutput() = default;

const wchar_t* CWmipIntrusionZoneOutput::GetWMIClassName()
{
    return L"Bnt_IntrusionZoneOutput";
}

CWmipClassMapper* CWmipIntrusionZoneOutput::CreateMapper(const CAcsUser* user, IWbemContext* context,
                                                         IWbemServices* services)
{
    return std::make_unique<CWmipIntrusionZoneOutput>(user, context, services).release();
}
