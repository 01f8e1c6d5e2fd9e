#include "inhouse/BntLogin/CSegmentIDSet.h"

#include <vector>

#include "inhouse/BntCoreDb/CMultiFilterRecordset.h"
#include "inhouse/BntLogin/CAcsUser.h"

CSegmentIDSet::CSegmentIDSet(const CAcsUser* user)
{
    if (user == nullptr || !user->IsLoggedIn())
    {
        return;
    }
    m_allSegments = !user->GetSystemOptions().SegmentsInUse() || user->IsAllSegmentsUser();
    if (!m_allSegments)
    {
        m_segmentIds = user->GetSegmentIDs();
    }
}

bool CSegmentIDSet::CanAccessMultipleSegments() const
{
    return m_allSegments || m_segmentIds.size() > 1;
}

LONG CSegmentIDSet::GetFirstSegmentID() const
{
    return m_allSegments || m_segmentIds.empty() ? 0 : *m_segmentIds.begin();
}

void CSegmentIDSet::AddSegmentFilterForSegmentTable(CMultiFilterRecordset& recordset) const
{
    if (m_allSegments)
    {
        return;
    }
    recordset.AddFilterLongIn(L"SEGMENT.SEGMENTID", std::vector<LONG>(m_segmentIds.begin(), m_segmentIds.end()),
                              CMultiFilterRecordset::AndFilter);
}

void CSegmentIDSet::AddSegmentFilterForSegmentTable(CMultiFilterRecordset* recordset) const
{
    if (recordset != nullptr)
    {
        AddSegmentFilterForSegmentTable(*recordset);
    }
}
