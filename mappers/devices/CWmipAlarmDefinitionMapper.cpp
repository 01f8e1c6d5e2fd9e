#include "mappers/devices/CWmipAlarmDefinitionMapper.h"

#include "common/AccessCodes.h"

CWmipAlarmDefinitionMapper::CWmipAlarmDefinitionMapper(const CAcsUser* user, IWbemContext* context,
                                                       IWbemServices* services)
    : CWmipMapperSkeleton(user, context, services)
{
    AddJoin(L"ALARM", L"TXTID", L"TEXTOBJ", L"TXTID");
    SetPermissions(Permission::kViewEventConfiguration, 0, 0, 0);
}
