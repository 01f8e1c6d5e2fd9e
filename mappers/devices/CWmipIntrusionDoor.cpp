#include "mappers/devices/CWmipIntrusionDoor.h"

namespace {

constexpr CWmipIntrusionDeviceMapper::MethodEntry kIntrusionDoorRows[] = {
    {L"Open",
     &CWmipIntrusionDeviceMapper::Open,
     Permission::kControlDoorsAndPanels,
     {AuditOperation::kOpenDoor, AuditObject::kIntrusionDoor, 10235}},
    {L"SetMode",
     &CWmipIntrusionDeviceMapper::SetMode,
     Permission::kControlDevices,
     {AuditOperation::kModify, AuditObject::kIntrusionDoor, 10236}},
    CWmipIntrusionDeviceMapper::StatusRow({AuditOperation::kReadStatus, AuditObject::kIntrusionDoor, 10237}),
};

constexpr CWmipIntrusionDeviceMapper::Layout kIntrusionDoorLayout{CWmipIntrusionDoor::kSource, IntrusionCategory::Door,
                                                                  false, Permission::kViewIntrusionDoors, nullptr};

}  // namespace

const std::span<const CWmipIntrusionDeviceMapper::MethodEntry> CWmipIntrusionDoor::kMethods = kIntrusionDoorRows;

CWmipIntrusionDoor::CWmipIntrusionDoor(const CAcsUser* user, IWbemContext* context, IWbemServices* services)
    : CWmipDeviceMapperSkeleton(user, context, services, kWMIClassName, kIntrusionDoorLayout)
{
}
