// CWmipBadgeLastLocationMapper: the mapper of Bnt_BadgeLastLocation, the last place each badge
// was used (LASTLOCATION), read only, its date-times exchanged in UTC.
//
// Built per request by its factory; the caller owns it. One request on one thread.
#pragma once

#include "common/AccessCodes.h"
#include "framework/CWmipMapperSkeleton.h"

class CWmipBadgeLastLocationMapper : public CWmipMapperSkeleton<CWmipBadgeLastLocationMapper>
{
public:
    static constexpr const wchar_t* kWMIClassName = L"Bnt_BadgeLastLocation";

    // View with the badge view right; add, modify and delete not supported.
    CWmipBadgeLastLocationMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services)
        : CWmipMapperSkeleton(user, context, services)
    {
        SetPermissions(Permission::kViewBadges, 0, 0, 0);
    }

    // True: EVENT_TIME_UTC is UTC.
    bool IsUseUTC() override { return true; }
};
