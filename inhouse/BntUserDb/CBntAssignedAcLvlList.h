// CBntAssignedAcLvlList: the access levels assigned to one badge (BADGELINK with each level's
// segment): level, segment and the assignment's activate and deactivate dates. A level is
// temporary when either date is valid, standard otherwise.
//
// A value object; one thread at a time.
#pragma once

#include <vector>

#include "platform/mfc/COleDateTime.h"
#include "platform/win32/WinTypes.h"

class CBntAssignedAcLvlList
{
public:
    struct Entry
    {
        LONG levelId = 0;
        LONG segmentId = 0;
        COleDateTime activate;
        COleDateTime deactivate;
        bool IsTemporary() const
        {
            return activate.GetStatus() == COleDateTime::valid || deactivate.GetStatus() == COleDateTime::valid;
        }
    };

    CBntAssignedAcLvlList() = default;

    const std::vector<Entry>& GetEntries() const { return m_entries; }
    // Appends a standard level (no dates) of the segment.
    void AddStandard(LONG levelId, LONG segmentId);
    void Add(Entry entry) { m_entries.push_back(entry); }
    void Clear() { m_entries.clear(); }

private:
    std::vector<Entry> m_entries;
};
