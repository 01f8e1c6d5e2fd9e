#include "mappers/records/CWmipAccessLevelUserMapper.h"

#include "common/AccessCodes.h"
#include "mappers/records/helpers/CWmipRecordChecks.h"

namespace {

// The right to view which users manage which access levels.

}  // namespace

CWmipAccessLevelUserMapper::CWmipAccessLevelUserMapper(const CAcsUser* user, IWbemContext* context,
                                                       IWbemServices* services)
    : CWmipMapperSkeleton(user, context, services)
{
    AddJoin(L"USERS_ACCESSLEVEL_LINK", L"USERID", L"USERS", L"USERID");
    AddJoin(L"USERS_ACCESSLEVEL_LINK", L"ACCESSLVID", L"ACCESSLVL", L"ACCESSLVID");
}

HRESULT CWmipAccessLevelUserMapper::CanView()
{
    return CWmipRecordChecks::HoldsAll(*RequireUser(), {Permission::kViewLevelManagers});
}
