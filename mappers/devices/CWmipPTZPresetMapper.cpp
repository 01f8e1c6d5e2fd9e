#include "mappers/devices/CWmipPTZPresetMapper.h"

#include "common/AccessCodes.h"

CWmipPTZPresetMapper::CWmipPTZPresetMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services)
    : CWmipMapperSkeleton(user, context, services)
{
    SetPermissions(Permission::kViewLiveVideo, 0, 0, 0);
}
