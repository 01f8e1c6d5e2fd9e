#include "inhouse/BntUserDb/CBaseUser.h"

namespace {

// The field group of a user who sees every user-defined field without a permission list.
constexpr LONG kAllFieldsGroup = -1;

bool MayGrant(LONG userGroupId, LONG groupId)
{
    return userGroupId == 0 || userGroupId == groupId;
}

}  // namespace

bool CBaseUser::HasUDFAuthority(CBntDatabase*, LONG userGroupId, LONG groupId)
{
    return userGroupId == kAllFieldsGroup || MayGrant(userGroupId, groupId);
}

bool CBaseUser::HasReportAuthority(CBntDatabase*, LONG userGroupId, LONG groupId)
{
    return MayGrant(userGroupId, groupId);
}
