#include "mappers/devices/CWmipIntrusionZoneOutput.h"

#include <memory>

#include "framework/CWmipMapperRegistry.h"

const CWmipIntrusionZoneOutput::MethodEntry CWmipIntrusionZoneOutput::kMethods[] = {
    {L"Activate", &CWmipIntrusionDeviceMapper::Activate},
    {L"Deactivate", &CWmipIntrusionDeviceMapper::Deactivate},
    {L"GetHardwareStatus", &CWmipIntrusionDeviceMapper::GetHardwareStatus},
};
const std::size_t CWmipIntrusionZoneOutput::kMethodCount = std::size(kMethods);

namespace
{

const CWmipIntrusionDeviceMapper::Layout kLayout{
    L"WmipIntrusionZoneOutput", IntrusionCategory::Zone, true, 0x100000EA, 118, {64, 120, 10231}, &LAAPProxy::SetIntrusionZoneOutput, CWmipIntrusionZoneOutput::kMethods};

// Puts the mapper into GetMapper's name chain while the library loads.
struct NameChainEntry
{
    NameChainEntry()
    {
        CWmipMapperRegistry::AddToMapperChain(CWmipIntrusionZoneOutput::GetWMIClassName(), &CWmipIntrusionZoneOutput::CreateMapper);
    }
};
const NameChainEntry theNameChainEntry;

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

CWmipClassMapper* CWmipIntrusionZoneOutput::CreateMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services)
{
    return std::make_unique<CWmipIntrusionZoneOutput>(user, context, services).release();
}
