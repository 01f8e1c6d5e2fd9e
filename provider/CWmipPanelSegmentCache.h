// CWmipPanelSegmentCache: which segment each panel belongs to, for the hardware event road: the
// whole panel-to-segment table of the database in memory, reloaded by the first lookup after
// the configured span (stored value 34, seconds) has passed.
//
// Owned by one security event mapper, whose processor thread is its only user: no lock.
#pragma once

#include <map>

#include "platform/win32/Clock.h"
#include "platform/win32/WinTypes.h"

class CWmipPanelSegmentCache
{
public:
    // Last load time now, the span from stored value 34, then a load. The span is measured on
    // the clock's steady time (the clock is not owned and outlives the cache).
    explicit CWmipPanelSegmentCache(const IClock& clock = IClock::Process());
    virtual ~CWmipPanelSegmentCache() = default;
    CWmipPanelSegmentCache(const CWmipPanelSegmentCache&) = delete;
    CWmipPanelSegmentCache& operator=(const CWmipPanelSegmentCache&) = delete;

    // The panel's segment; -1 when segments are not in use, for a panel id of 0 or less (an
    // event without a controller, logged as information) and for a panel the cache does not
    // hold (logged as an error; the cache is not reloaded for a miss): a panel whose row cannot
    // be read is such a panel, passed over by the load with a log line naming it. Reloads first
    // when the span has passed since the last load.
    LONG GetSegmentID(LONG panelId);

private:
    void Load();

    // Set at construction.
    const IClock& m_clock;
    const ULONGLONG m_spanMs;

    ULONGLONG m_lastLoad;
    std::map<LONG, LONG> m_panels;
    bool m_segmentsInUse = false;
};
