// CSegmentUnit: the limits and options of one segment unit (a row of SEGMENT_UNIT): how many
// digits a badge number may have and how many access levels (in all, temporary, standard) a badge
// may hold in the unit's segment, whether the segment is dynamic, and whether it is hidden from
// selection lists. Every rule reads the limits as the numbers these getters give (a limit of 0
// takes nothing): the mappers' per-badge rules and CAcsUser::GetMaxBadgeNumberLength alike, so a
// badge number one road stores is one every other road accepts.
//
// A value object loaded with the system options (CBntAcsSystemOptions) and read-only afterwards.
#pragma once

#include "platform/win32/WinTypes.h"

class CSegmentUnit
{
public:
    struct Limits
    {
        LONG maxBadgeNumberLength = 0;
        LONG maxAccessLevels = 0;
        LONG maxTemporaryAccessLevels = 0;
        LONG maxStandardAccessLevels = 0;
        // Access level records the segment may hold (not per badge).
        LONG maxAccessLevelRecords = 0;
    };

    CSegmentUnit(LONG segmentId, const Limits& limits, LONG dynamicSegmentOption, bool hidden)
        : m_segmentId(segmentId), m_limits(limits), m_dynamicSegmentOption(dynamicSegmentOption), m_hidden(hidden)
    {
    }

    LONG GetSegmentID() const { return m_segmentId; }
    LONG GetMaxBadgeNumberLength() const { return m_limits.maxBadgeNumberLength; }
    LONG GetMaxAccessLevels() const { return m_limits.maxAccessLevels; }
    LONG GetMaxTemporaryAccessLevels() const { return m_limits.maxTemporaryAccessLevels; }
    LONG GetMaxStandardAccessLevels() const { return m_limits.maxStandardAccessLevels; }
    LONG GetMaxAccessLevelRecords() const { return m_limits.maxAccessLevelRecords; }
    // 0 for a static segment; any other value names how the segment's membership is derived, and
    // such a segment is never assigned by hand.
    LONG GetDynamicSegmentOption() const { return m_dynamicSegmentOption; }
    // True for a unit kept out of selection lists (GetHiddenSegmentUnit finds it).
    bool IsHidden() const { return m_hidden; }

private:
    LONG m_segmentId;
    Limits m_limits;
    LONG m_dynamicSegmentOption;
    bool m_hidden;
};
