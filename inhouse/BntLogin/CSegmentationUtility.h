// CSegmentationUtility: the installation's rules for which segments are offered for selection
// when a record is given a segment.
//
// A small view over the system options it was made from (which must outlive it); read-only, so
// it may be used from any thread.
#pragma once

#include "platform/win32/WinTypes.h"

class CBntAcsSystemOptions;

class CSegmentationUtility
{
public:
    explicit CSegmentationUtility(const CBntAcsSystemOptions& options) : m_options(options) {}

    // True when the segment exists, is not the all-segments segment (-1) and its unit is not
    // hidden; false otherwise.
    bool ShouldDisplaySegmentInSelectionUI(LONG segmentId) const;

private:
    const CBntAcsSystemOptions& m_options;
};
