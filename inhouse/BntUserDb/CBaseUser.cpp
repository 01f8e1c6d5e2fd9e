#include "inhouse/BntUserDb/CBaseUser.h"

namespace {

bool MayGrant(LONG userGroupId, LONG groupId)
{
    return userGroupId == 0 || userGroupId == groupId;
}

}  // namespace

bool CBaseUser::HasUDFAuthority(CBntDatabase*, LONG userGroupId, LONG groupId)
{
    return MayGrant(userGroupId, groupId);
}

bool CBaseUser::HasReportAuthority(CBntDatabase*, LONG userGroupId, LONG groupId)
{
    return MayGrant(userGroupId, groupId);
}
