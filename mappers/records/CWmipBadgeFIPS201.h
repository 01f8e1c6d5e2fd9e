// CWmipBadgeFIPS201: the mapper of Bnt_BadgeFIPS201, the FIPS 201 credential data of a badge
// (BADGE_FIPS201), keyed by the badge's BADGEKEY. FASCN and GUID are bytes shown as upper-case
// hexadecimal text; a query compares them with the bytes its hexadecimal literal names.
//
// Built per request by its factory; the caller owns it. One request on one thread.
#pragma once

#include <optional>

#include "common/AccessCodes.h"
#include "framework/CWmipMapperSkeleton.h"
#include "mappers/records/CWmipBadgeExtensionMapper.h"

class CWmipBadgeFIPS201 : public CWmipMapperSkeleton<CWmipBadgeFIPS201, CWmipBadgeExtensionMapper>
{
public:
    static constexpr const wchar_t* kWMIClassName = L"Bnt_BadgeFIPS201";

    // Hooks BADGE_FIPS201.FASCN and GUID (ReadHexColumn).
    CWmipBadgeFIPS201(const CAcsUser* user, IWbemContext* context, IWbemServices* services)
        : CWmipMapperSkeleton(user, context, services, kWMIClassName)
    {
        static constexpr ColumnHook kHooks[] = {
            {L"BADGE_FIPS201", L"FASCN", Reader<&CWmipBadgeFIPS201::ReadHexColumn>},
            {L"BADGE_FIPS201", L"GUID", Reader<&CWmipBadgeFIPS201::ReadHexColumn>},
        };
        SetColumnHooks(kHooks);
        // Audited as a badge.
        SetTransactionObject(AuditObject::kBadge);
    }

    // FASCN and GUID: the literal (quoted or not) must be an even number of hexadecimal digits,
    // else CWMIException 0x80041017; it is bound as those bytes, never pasted into the SQL.
    // Other properties: the base.
    ProcessClauseResult ProcessClause(CString& property, int& wqlOperator, CString& literal, CString& extra) override;
    // True: byte values travel as arrays.
    bool IsUseByteArray() override { return true; }
    // The literal's hexadecimal digits (quotes removed), or nothing when it is not a non-empty,
    // even-length run of hexadecimal digits.
    static std::optional<CString> HexDigitsOf(const CString& literal);

private:
    // FASCN and GUID as hexadecimal text (empty when null).
    HRESULT ReadHexColumn(IWbemClassObject& instance, const CMultiFilterRecordset& row, const CString& column);
};
