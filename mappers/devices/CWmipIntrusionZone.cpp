#include "mappers/devices/CWmipIntrusionZone.h"

namespace {

constexpr CWmipIntrusionDeviceMapper::MethodEntry kIntrusionZoneRows[] = {
    {L"Bypass",
     &CWmipIntrusionDeviceMapper::Bypass,
     Permission::kDisarmAreasBypassZones,
     {AuditOperation::kModify, AuditObject::kIntrusionZone, 10232}},
    {L"UnBypass",
     &CWmipIntrusionDeviceMapper::UnBypass,
     Permission::kArmAreasUnbypassZones,
     {AuditOperation::kModify, AuditObject::kIntrusionZone, 10233}},
    CWmipIntrusionDeviceMapper::StatusRow({AuditOperation::kModify, AuditObject::kIntrusionZone, 10234}),
};

constexpr CWmipIntrusionDeviceMapper::Layout kIntrusionZoneLayout{CWmipIntrusionZone::kSource, IntrusionCategory::Zone,
                                                                  false, Permission::kViewIntrusionZones, nullptr};

}  // namespace

const std::span<const CWmipIntrusionDeviceMapper::MethodEntry> CWmipIntrusionZone::kMethods = kIntrusionZoneRows;

CWmipIntrusionZone::CWmipIntrusionZone(const CAcsUser* user, IWbemContext* context, IWbemServices* services)
    : CWmipDeviceMapperSkeleton(user, context, services, kWMIClassName, kIntrusionZoneLayout)
{
}
