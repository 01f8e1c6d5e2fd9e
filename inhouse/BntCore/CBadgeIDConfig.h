// CBadgeIDConfig: the badge ID ranges of one badge type (BADGEID_RANGE): the IDs the type's
// badges may carry and from which the generator draws. A type without ranges may use any ID.
//
// A value object owned by its badge type; one thread at a time.
#pragma once

#include <vector>

#include "platform/win32/WinTypes.h"

class CBntDatabase;

class CBadgeIDConfig
{
public:
    struct Range
    {
        LONG id = 0;
        LONGLONG start = 0;
        LONGLONG end = 0;
    };

    // Reads the ranges of the badge type, replacing those held. True on success (a type
    // without ranges included); false without a database or when the read fails (logged).
    bool ReadRanges(CBntDatabase* database, LONG badgeTypeId);
    bool AreRangesRead() const { return m_rangesRead; }
    LONG GetBadgeTypeID() const { return m_badgeTypeId; }
    const std::vector<Range>& GetRanges() const { return m_ranges; }
    // True when the ranges allow the ID (always without ranges).
    bool Allows(LONGLONG badgeId) const;

private:
    LONG m_badgeTypeId = 0;
    bool m_rangesRead = false;
    std::vector<Range> m_ranges;
};
