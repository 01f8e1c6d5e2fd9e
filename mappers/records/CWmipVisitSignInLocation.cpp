#include "mappers/records/CWmipVisitSignInLocation.h"

namespace {
constexpr DWORD kViewLocations = 0x2000005E;
}  // namespace

CWmipVisitSignInLocation::CWmipVisitSignInLocation(const CAcsUser* user, IWbemContext* context, IWbemServices* services)
    : CWmipMapperSkeleton(user, context, services)
{
    SetPermissions(kViewLocations, 0, 0, 0);
}
