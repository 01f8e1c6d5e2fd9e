#include "inhouse/BntLogin/CSegmentationUtility.h"

#include "inhouse/BntCoreDb/CLoginQuery.h"
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

bool CSegmentationUtility::NamesExistingSegment(CBntDatabase& database, LONG segmentId) const
{
    return !m_options.SegmentsInUse() ||
           CLoginQuery::FirstRow(database, "SELECT SEGMENTID FROM SEGMENT WHERE SEGMENTID = ?", {segmentId})
               .has_value();
}
