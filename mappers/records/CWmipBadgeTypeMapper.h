// CWmipBadgeTypeMapper: the mapper of Bnt_BadgeType, the badge types of BADGETYP, read only.
// Through WMI the stored class is shown shifted by one (0..3 as 1..4, anything else as 0); the
// bus front end shows it as stored.
//
// Built per request by its factory; the caller owns it. One request on one thread.
#pragma once

#include "framework/CWmipMapperSkeleton.h"

class CWmipBadgeTypeMapper : public CWmipMapperSkeleton<CWmipBadgeTypeMapper>
{
public:
    static constexpr const wchar_t* kWMIClassName = L"Bnt_BadgeType";

    // Hooks BADGETYP.BADGE_CLASS (ReadBadgeClass).
    CWmipBadgeTypeMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services);

private:
    // BadgeTypeClass from BADGE_CLASS.
    HRESULT ReadBadgeClass(IWbemClassObject& instance, const CMultiFilterRecordset& row, const CString& column);
};
