// CWmipBadgeTWICPrivacyKey: the mapper of Bnt_BadgeTWICPrivacyKey, the FASCN and TWIC privacy key
// of a badge (BADGE_FIPS201), keyed by the badge's BADGEKEY; the FASCN is shown as its bytes.
// The bus front end never exposes the class.
//
// Built per request by its factory; the caller owns it. One request on one thread.
#pragma once

#include "common/AccessCodes.h"
#include "framework/CWmipMapperSkeleton.h"
#include "mappers/records/CWmipBadgeExtensionMapper.h"

class CWmipBadgeTWICPrivacyKey : public CWmipMapperSkeleton<CWmipBadgeTWICPrivacyKey, CWmipBadgeExtensionMapper>
{
public:
    static constexpr const wchar_t* kWMIClassName = L"Bnt_BadgeTWICPrivacyKey";

    // Hooks BADGE_FIPS201.FASCN (ReadFascn).
    CWmipBadgeTWICPrivacyKey(const CAcsUser* user, IWbemContext* context, IWbemServices* services)
        : CWmipMapperSkeleton(user, context, services, kWMIClassName)
    {
        static constexpr ColumnHook kHooks[] = {
            {L"BADGE_FIPS201", L"FASCN", Reader<&CWmipBadgeTWICPrivacyKey::ReadFascn>},
        };
        SetColumnHooks(kHooks);
        // Audited as a badge.
        SetTransactionObject(AuditObject::kBadge);
    }

    // True: byte values travel as arrays.
    bool IsUseByteArray() override { return true; }

private:
    // FASCN as a byte array (unset when null).
    HRESULT ReadFascn(IWbemClassObject& instance, const CMultiFilterRecordset& row, const CString& column);
};
