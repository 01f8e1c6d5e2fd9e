#include "inhouse/BntLogin/CBntAcsSystemOptions.h"

#include "inhouse/BntCoreDb/CBntDatabase.h"
#include "inhouse/BntCoreDb/CLoginQuery.h"

namespace {

constexpr char kOptionQuery[] = "SELECT NUMBERVALUE FROM CONFIG_VALUE WHERE CONFIGID = ?";

constexpr char kSegmentUnitQuery[] =
    "SELECT SEGMENTID, MAX_BADGE_NUMBER_LENGTH, MAX_ACCESS_LEVELS, MAX_TEMPORARY_ACCESS_LEVELS, "
    "MAX_STANDARD_ACCESS_LEVELS, DYNAMIC_OPTION, HIDDEN, MAX_ACCESS_LEVEL_RECORDS FROM SEGMENT_UNIT";

LONG ReadOption(CBntDatabase& database, LONG id)
{
    const auto row = CLoginQuery::FirstRow(database, kOptionQuery, {id});
    return row ? static_cast<LONG>(CLoginQuery::Integer(*row, 0)) : 0;
}

}  // namespace

void CBntAcsSystemOptions::Load(CBntDatabase& database)
{
    m_segmentsInUse = ReadOption(database, kSegmentsInUseId) != 0;
    m_serverType = ReadOption(database, kServerTypeId);
    m_flagWord = ReadOption(database, kFlagWordId);
    m_onityLocks = ReadOption(database, kOnityLocksId) != 0;
    m_cardholderSegmentation = ReadOption(database, kCardholderSegmentationId) != 0;
    m_visitorSegmentation = ReadOption(database, kVisitorSegmentationId) != 0;
    m_badgeTypeSegmentation = ReadOption(database, kBadgeTypeSegmentationId) != 0;
    m_enterpriseRegion = ReadOption(database, kEnterpriseRegionId) != 0;
    m_segments.clear();
    for (const auto& row : CLoginQuery::Rows(database, "SELECT SEGMENTID, NAME, TYPE FROM SEGMENT", {}))
    {
        const auto id = static_cast<LONG>(CLoginQuery::Integer(row, 0));
        m_segments.emplace(id, CSegment(id, row[1].IsNull() ? CString() : row[1].AsText(),
                                        static_cast<LONG>(CLoginQuery::Integer(row, 2))));
    }
    m_segmentUnits.clear();
    for (const auto& row : CLoginQuery::Rows(database, kSegmentUnitQuery, {}))
    {
        const auto id = static_cast<LONG>(CLoginQuery::Integer(row, 0));
        CSegmentUnit::Limits limits;
        limits.maxBadgeNumberLength = static_cast<LONG>(CLoginQuery::Integer(row, 1));
        limits.maxAccessLevels = static_cast<LONG>(CLoginQuery::Integer(row, 2));
        limits.maxTemporaryAccessLevels = static_cast<LONG>(CLoginQuery::Integer(row, 3));
        limits.maxStandardAccessLevels = static_cast<LONG>(CLoginQuery::Integer(row, 4));
        limits.maxAccessLevelRecords = static_cast<LONG>(CLoginQuery::Integer(row, 7));
        m_segmentUnits.emplace(id, CSegmentUnit(id, limits, static_cast<LONG>(CLoginQuery::Integer(row, 5)),
                                                CLoginQuery::Integer(row, 6) != 0));
    }
}

bool CBntAcsSystemOptions::SegmentsInUse(CBntDatabase* database)
{
    return database != nullptr && ReadOption(*database, kSegmentsInUseId) != 0;
}

const CSegment* CBntAcsSystemOptions::GetSegment(LONG segmentId) const
{
    const auto found = m_segments.find(segmentId);
    return found == m_segments.end() ? nullptr : &found->second;
}

const CSegmentUnit* CBntAcsSystemOptions::GetSegmentUnit(LONG segmentId) const
{
    const auto found = m_segmentUnits.find(segmentId);
    return found == m_segmentUnits.end() || found->second.IsHidden() ? nullptr : &found->second;
}

const CSegmentUnit* CBntAcsSystemOptions::GetHiddenSegmentUnit(LONG segmentId) const
{
    const auto found = m_segmentUnits.find(segmentId);
    return found == m_segmentUnits.end() || !found->second.IsHidden() ? nullptr : &found->second;
}

const CSegmentUnit* CBntAcsSystemOptions::GetSystemSegmentUnit() const
{
    const auto found = m_segmentUnits.find(-1);
    return found == m_segmentUnits.end() ? nullptr : &found->second;
}
