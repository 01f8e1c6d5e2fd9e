#include "inhouse/BntLogin/CSegmentationUtility.h"

#include "inhouse/BntLogin/CBntAcsSystemOptions.h"

bool CSegmentationUtility::ShouldDisplaySegmentInSelectionUI(LONG segmentId) const
{
    const CSegment* segment = m_options.GetSegment(segmentId);
    if (segment == nullptr || segment->IsStandardAllSegmentsSegment())
    {
        return false;
    }
    return m_options.GetHiddenSegmentUnit(segmentId) == nullptr;
}
