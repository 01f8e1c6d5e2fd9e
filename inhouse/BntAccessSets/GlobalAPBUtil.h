// GlobalAPBUtil: the global anti-passback utility: moves a badge into an area as a granted
// access at a reader would, recording the badge's area per segment (APB_BADGE_LOCATION) with
// the reader, the time of the move and the user who made it.
//
// A per-call object over a database and user it does not own; not shared between threads.
#pragma once

#include "platform/mfc/COleDateTime.h"
#include "platform/win32/WinTypes.h"

class CAcsUser;
class CBntDatabase;

class GlobalAPBUtil
{
public:
    // `fromReplication` marks moves that arrive from another database (not recorded again).
    GlobalAPBUtil(CBntDatabase* database, const CAcsUser* user, bool fromReplication);

    // Places the badge in the area for the segment, as of timeUtc. True when the location was
    // recorded; false without a database, for an invalid time, or when the write failed.
    bool MoveBadgeToAreaViaGrant(LONGLONG badgeId, LONG segmentId, LONG areaId, LONG panelId, LONG readerId,
                                 const COleDateTime& timeUtc);

private:
    CBntDatabase* m_database;
    const CAcsUser* m_user;
    bool m_fromReplication;
};
