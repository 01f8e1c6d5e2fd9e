#include "mappers/records/CWmipVisitSignInLocation.h"

#include "common/AccessCodes.h"

CWmipVisitSignInLocation::CWmipVisitSignInLocation(const CAcsUser* user, IWbemContext* context, IWbemServices* services)
    : CWmipMapperSkeleton(user, context, services)
{
    SetPermissions(Permission::kViewVisitStations, 0, 0, 0);
}
