// The badge and PIN options of CAcsUser: configuration values read on each call, so a change
// made by an administrator counts from the next request on.
#include <algorithm>

#include "inhouse/BntCoreDb/CLoginQuery.h"
#include "inhouse/BntLogin/CAcsUser.h"
#include "inhouse/BntLogin/CBntAcsSystemOptions.h"
#include "inhouse/BntLogin/CSegmentUnit.h"

namespace {

constexpr LONG kBadgeIDModeId = 1601;
constexpr LONG kManualBadgeIDId = 1602;
constexpr LONG kDefaultIssueCodeId = 1603;
constexpr LONG kMaxActiveBadgesId = 1604;
// A 64-bit badge ID has at most 19 digits: a segment without a unit has no limit of its own.
constexpr LONG kUnlimitedDigits = 19;

LONG ReadBadgeOption(CBntDatabase* database, LONG id, LONG fallback)
{
    if (database == nullptr)
        return fallback;
    const auto row = CLoginQuery::FirstRow(*database, "SELECT NUMBERVALUE FROM CONFIG_VALUE WHERE CONFIGID = ?", {id});
    return row ? static_cast<LONG>(CLoginQuery::Integer(*row, 0, fallback)) : fallback;
}

LONG DigitsOf(const CSegmentUnit* unit)
{
    return unit == nullptr ? kUnlimitedDigits : unit->GetMaxBadgeNumberLength();
}

}  // namespace

LONG CAcsUser::GetBadgeIDMode() const
{
    return ReadBadgeOption(GetDatabase(), kBadgeIDModeId, 0);
}

bool CAcsUser::IsManualBadgeIDAllowed() const
{
    return ReadBadgeOption(GetDatabase(), kManualBadgeIDId, 1) != 0;
}

LONG CAcsUser::GetDefaultIssueCode() const
{
    return ReadBadgeOption(GetDatabase(), kDefaultIssueCodeId, 0);
}

LONG CAcsUser::GetMaxActiveBadgesPerPerson() const
{
    return ReadBadgeOption(GetDatabase(), kMaxActiveBadgesId, 1);
}

LONG CAcsUser::GetPinLengthKind() const
{
    return ReadBadgeOption(GetDatabase(), CBntAcsSystemOptions::kPinLengthKindId, 4);
}

bool CAcsUser::IsPinEditable() const
{
    return ReadBadgeOption(GetDatabase(), CBntAcsSystemOptions::kPinEditableId, 1) != 0;
}

bool CAcsUser::ArePinsUnique() const
{
    return ReadBadgeOption(GetDatabase(), CBntAcsSystemOptions::kPinsUniqueId, 0) != 0;
}

LONG CAcsUser::GetMaxBadgeNumberLength(const std::vector<LONG>& segmentIds) const
{
    const CBntAcsSystemOptions& options = GetSystemOptions();
    if (segmentIds.empty())
        return DigitsOf(options.GetSystemSegmentUnit());
    LONG digits = kUnlimitedDigits;
    for (const LONG segment : segmentIds)
    {
        const CSegmentUnit* unit = options.GetSegmentUnit(segment);
        digits = std::min(digits, DigitsOf(unit != nullptr ? unit : options.GetHiddenSegmentUnit(segment)));
    }
    return digits;
}
