#include "mappers/devices/CWmipIntrusionOffBoardRelay.h"

namespace {

constexpr CWmipIntrusionDeviceMapper::MethodEntry kIntrusionOffBoardRelayRows[] = {
    CWmipIntrusionDeviceMapper::ActivateRow(AuditObject::kIntrusionOffBoardRelay),
    CWmipIntrusionDeviceMapper::DeactivateRow(AuditObject::kIntrusionOffBoardRelay),
    CWmipIntrusionDeviceMapper::ToggleRow(AuditObject::kIntrusionOffBoardRelay),
    CWmipIntrusionDeviceMapper::StatusRow({AuditOperation::kReadStatus, AuditObject::kIntrusionOffBoardRelay, 10231}),
};

constexpr CWmipIntrusionDeviceMapper::Layout kIntrusionOffBoardRelayLayout{
    CWmipIntrusionOffBoardRelay::kSource, IntrusionCategory::OffboardRelay, false,
    Permission::kViewIntrusionOffBoardRelays, &LAAPProxy::SetIntrusionOffboardRelay};

}  // namespace

const std::span<const CWmipIntrusionDeviceMapper::MethodEntry> CWmipIntrusionOffBoardRelay::kMethods =
    kIntrusionOffBoardRelayRows;

CWmipIntrusionOffBoardRelay::CWmipIntrusionOffBoardRelay(const CAcsUser* user, IWbemContext* context,
                                                         IWbemServices* services)
    : CWmipDeviceMapperSkeleton(user, context, services, kWMIClassName, kIntrusionOffBoardRelayLayout)
{
}
