// CBntBadgeKey: what names one badge to the badge libraries: its record key (BADGE.BADGEKEY),
// its badge ID and its issue code; and the digit count of a badge ID, which the segment units
// limit.
//
// A plain value object.
#pragma once

#include "platform/win32/WinTypes.h"

class CBntBadgeKey
{
public:
    CBntBadgeKey(LONG badgeKey, LONGLONG badgeId, LONG issueCode)
        : m_badgeKey(badgeKey), m_badgeId(badgeId), m_issueCode(issueCode)
    {
    }

    LONG GetBadgeKey() const { return m_badgeKey; }
    LONGLONG GetBadgeID() const { return m_badgeId; }
    LONG GetIssueCode() const { return m_issueCode; }

    // The decimal digits of the badge ID without its sign (1 for 0).
    static LONG GetNumDigits(LONGLONG badgeId);

private:
    LONG m_badgeKey;
    LONGLONG m_badgeId;
    LONG m_issueCode;
};
