#include "mappers/devices/CWmipIntrusionOnBoardRelay.h"

namespace {

constexpr CWmipIntrusionDeviceMapper::MethodEntry kIntrusionOnBoardRelayRows[] = {
    CWmipIntrusionDeviceMapper::ActivateRow(AuditObject::kIntrusionOnBoardRelay),
    CWmipIntrusionDeviceMapper::DeactivateRow(AuditObject::kIntrusionOnBoardRelay),
    CWmipIntrusionDeviceMapper::StatusRow({AuditOperation::kReadStatus, AuditObject::kIntrusionOnBoardRelay, 10231}),
};

constexpr CWmipIntrusionDeviceMapper::Layout kIntrusionOnBoardRelayLayout{
    CWmipIntrusionOnBoardRelay::kSource, IntrusionCategory::OnboardRelay, false,
    Permission::kViewIntrusionOnBoardRelays, &LAAPProxy::SetIntrusionOnboardRelay};

}  // namespace

const std::span<const CWmipIntrusionDeviceMapper::MethodEntry> CWmipIntrusionOnBoardRelay::kMethods =
    kIntrusionOnBoardRelayRows;

CWmipIntrusionOnBoardRelay::CWmipIntrusionOnBoardRelay(const CAcsUser* user, IWbemContext* context,
                                                       IWbemServices* services)
    : CWmipDeviceMapperSkeleton(user, context, services, kWMIClassName, kIntrusionOnBoardRelayLayout)
{
}
