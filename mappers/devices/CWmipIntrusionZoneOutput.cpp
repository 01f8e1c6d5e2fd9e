#include "mappers/devices/CWmipIntrusionZoneOutput.h"

namespace {

constexpr CWmipIntrusionDeviceMapper::MethodEntry kRows[] = {
    CWmipIntrusionDeviceMapper::ActivateRow(AuditObject::kIntrusionZone),
    CWmipIntrusionDeviceMapper::DeactivateRow(AuditObject::kIntrusionZone),
    // The status is audited under the off-board relays' object kind.
    CWmipIntrusionDeviceMapper::StatusRow({AuditOperation::kReadStatus, AuditObject::kIntrusionOffBoardRelay, 10231}),
};

constexpr CWmipIntrusionDeviceMapper::Layout kLayout{CWmipIntrusionZoneOutput::kSource, IntrusionCategory::Zone, true,
                                                     Permission::kViewIntrusionZones,
                                                     &LAAPProxy::SetIntrusionZoneOutput};

}  // namespace

const std::span<const CWmipIntrusionDeviceMapper::MethodEntry> CWmipIntrusionZoneOutput::kMethods = kRows;

CWmipIntrusionZoneOutput::CWmipIntrusionZoneOutput(const CAcsUser* user, IWbemContext* context, IWbemServices* services)
    : CWmipDeviceMapperSkeleton(user, context, services, kWMIClassName, kLayout)
{
}
