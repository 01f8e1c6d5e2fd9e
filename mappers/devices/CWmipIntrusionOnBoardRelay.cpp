#include "mappers/devices/CWmipIntrusionOnBoardRelay.h"

#include <memory>

const CWmipIntrusionOnBoardRelay::MethodEntry CWmipIntrusionOnBoardRelay::kMethods[] = {
    {L"Activate", &CWmipIntrusionDeviceMapper::Activate},
    {L"Deactivate", &CWmipIntrusionDeviceMapper::Deactivate},
    {L"GetHardwareStatus", &CWmipIntrusionDeviceMapper::GetHardwareStatus},
};
const std::size_t CWmipIntrusionOnBoardRelay::kMethodCount = std::size(kMethods);

namespace {

const CWmipIntrusionDeviceMapper::Layout kLayout{
    L"WmipIntrusionOnBoardRelay",         IntrusionCategory::OnboardRelay,     false, 0x100000ED, 119, {64, 119, 10231},
    &LAAPProxy::SetIntrusionOnboardRelay, CWmipIntrusionOnBoardRelay::kMethods};

}  // namespace

CWmipIntrusionOnBoardRelay::CWmipIntrusionOnBoardRelay(const CAcsUser* user, IWbemContext* context,
                                                       IWbemServices* services)
    : CWmipIntrusionDeviceMapper(user, context, services, GetWMIClassName(), kLayout)
{
}

CWmipIntrusionOnBoardRelay::~CWmipIntrusionOnBoardRelay() = default;

const wchar_t* CWmipIntrusionOnBoardRelay::GetWMIClassName()
{
    return L"Bnt_OnBoardRelay";
}

CWmipClassMapper* CWmipIntrusionOnBoardRelay::CreateMapper(const CAcsUser* user, IWbemContext* context,
                                                           IWbemServices* services)
{
    return std::make_unique<CWmipIntrusionOnBoardRelay>(user, context, services).release();
}
