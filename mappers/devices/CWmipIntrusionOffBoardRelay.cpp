#include "mappers/devices/CWmipIntrusionOffBoardRelay.h"

#include <memory>

const CWmipIntrusionOffBoardRelay::MethodEntry CWmipIntrusionOffBoardRelay::kMethods[] = {
    {L"Activate", &CWmipIntrusionDeviceMapper::Activate},
    {L"Deactivate", &CWmipIntrusionDeviceMapper::Deactivate},
    {L"Toggle", &CWmipIntrusionDeviceMapper::Toggle},
    {L"GetHardwareStatus", &CWmipIntrusionDeviceMapper::GetHardwareStatus},
};
const std::size_t CWmipIntrusionOffBoardRelay::kMethodCount = std::size(kMethods);

namespace {

const CWmipIntrusionDeviceMapper::Layout kLayout{L"WmipIntrusionOffBoardRelay",
                                                 IntrusionCategory::OffboardRelay,
                                                 false,
                                                 0x100000EE,
                                                 120,
                                                 {64, 120, 10231},
                                                 &LAAPProxy::SetIntrusionOffboardRelay,
                                                 CWmipIntrusionOffBoardRelay::kMethods};

}  // namespace

CWmipIntrusionOffBoardRelay::CWmipIntrusionOffBoardRelay(const CAcsUser* user, IWbemContext* context,
                                                         IWbemServices* services)
    : CWmipIntrusionDeviceMapper(user, context, services, GetWMIClassName(), kLayout)
{
}

CWmipIntrusionOffBoardRelay::~CWmipIntrusionOffBoardRelay() = default;

const wchar_t* CWmipIntrusionOffBoardRelay::GetWMIClassName()
{
    return L"Bnt_OffBoardRelay";
}

CWmipClassMapper* CWmipIntrusionOffBoardRelay::CreateMapper(const CAcsUser* user, IWbemContext* context,
                                                            IWbemServices* services)
{
    return std::make_unique<CWmipIntrusionOffBoardRelay>(user, context, services).release();
}
