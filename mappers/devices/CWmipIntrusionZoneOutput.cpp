#include "mappers/devices/CWmipIntrusionZoneOutput.h"

namespace {

constexpr CWmipIntrusionDeviceMapper::MethodEntry kIntrusionZoneOutputRows[] = {
    CWmipIntrusionDeviceMapper::ActivateRow(AuditObject::kIntrusionZone),
    CWmipIntrusionDeviceMapper::DeactivateRow(AuditObject::kIntrusionZone),
    // The status is audited under the off-board relays' object kind.
    CWmipIntrusionDeviceMapper::StatusRow({AuditOperation::kReadStatus, AuditObject::kIntrusionOffBoardRelay, 10231}),
};

constexpr CWmipIntrusionDeviceMapper::Layout kIntrusionZoneOutputLayout{
    CWmipIntrusionZoneOutput::kSource, IntrusionCategory::Zone, true, Permission::kViewIntrusionZones,
    &LAAPProxy::SetIntrusionZoneOutput};

}  // namespace

const std::span<const CWmipIntrusionDeviceMapper::MethodEntry> CWmipIntrusionZoneOutput::kMethods =
    kIntrusionZoneOutputRows;

CWmipIntrusionZoneOutput::CWmipIntrusionZoneOutput(const CAcsUser* user, IWbemContext* context, IWbemServices* services)
    : CWmipDeviceMapperSkeleton(user, context, services, kWMIClassName, kIntrusionZoneOutputLayout)
{
}
