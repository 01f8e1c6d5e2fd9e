// CWmipBadgePropertiesMapper: the mapper of Bnt_BadgeProperties, the smart-card properties of a
// badge (BADGEPROPS), keyed by the badge's BADGEKEY.
//
// Built per request by its factory; the caller owns it. One request on one thread.
#pragma once

#include "common/AccessCodes.h"
#include "framework/CWmipMapperSkeleton.h"
#include "mappers/records/CWmipBadgeExtensionMapper.h"

class CWmipBadgePropertiesMapper : public CWmipMapperSkeleton<CWmipBadgePropertiesMapper, CWmipBadgeExtensionMapper>
{
public:
    static constexpr const wchar_t* kWMIClassName = L"Bnt_BadgeProperties";

    CWmipBadgePropertiesMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services)
        : CWmipMapperSkeleton(user, context, services, kWMIClassName)
    {
        // Audited as the card properties of a badge.
        SetTransactionObject(AuditObject::kUser);
    }
};
