// CSegmentIDSet: the segments a logged-in user may reach, as a set: its primary segment, its
// linked segments and the member units of its linked groups (CAcsUser::GetSegmentIDs), or every
// segment for an all-segments user or an installation without segments.
//
// A value object taken from a user at one moment; it does not follow later changes of the user.
// Read-only after construction.
#pragma once

#include <set>

#include "platform/win32/WinTypes.h"

class CAcsUser;
class CMultiFilterRecordset;

class CSegmentIDSet
{
public:
    // The segments of the user; a null or logged-out user reaches none.
    explicit CSegmentIDSet(const CAcsUser* user);

    // True when the set reaches every segment.
    bool IsAllSegments() const { return m_allSegments; }
    // True when more than one segment can be reached (always for every segment).
    bool CanAccessMultipleSegments() const;
    // The lowest segment id of the set; 0 when the set is empty or reaches every segment.
    LONG GetFirstSegmentID() const;
    const std::set<LONG>& GetSegmentIDs() const { return m_segmentIds; }

    // Restricts a recordset over SEGMENT to the set's segments (SEGMENT.SEGMENTID IN the set,
    // joined with AND); adds nothing for a set that reaches every segment. An empty set matches
    // no row. Throws the recordset's CDBException.
    void AddSegmentFilterForSegmentTable(CMultiFilterRecordset& recordset) const;
    void AddSegmentFilterForSegmentTable(CMultiFilterRecordset* recordset) const;

private:
    bool m_allSegments = false;
    std::set<LONG> m_segmentIds;
};
