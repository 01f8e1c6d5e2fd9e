// CSegmentationUtility: the installation's rules for which segments are offered for selection
// when a record is given a segment.
//
// A small view over the system options it was made from (which must outlive it); read-only, so
// it may be used from any thread.
#pragma once

#include "platform/win32/WinTypes.h"

class CBntAcsSystemOptions;
class CBntDatabase;

class CSegmentationUtility
{
public:
    explicit CSegmentationUtility(const CBntAcsSystemOptions& options) : m_options(options) {}

    // True when the segment exists, is not the all-segments segment (-1) and its unit is not
    // hidden; false otherwise.
    bool ShouldDisplaySegmentInSelectionUI(LONG segmentId) const;
    // Whether a record may be placed in the segment as far as its existence goes: always while
    // the installation uses no segments, else only when the database holds the segment (read
    // now, not from the options, which were read at login). Throws CDBException.
    bool NamesExistingSegment(CBntDatabase& database, LONG segmentId) const;

private:
    const CBntAcsSystemOptions& m_options;
};
