#include "inhouse/BntLogin/CBntAcsSystemOptions.h"

#include "inhouse/BntCoreDb/CBntDatabase.h"
#include "inhouse/BntLogin/CLoginQuery.h"

namespace {

constexpr char kOptionQuery[] = "SELECT NUMBERVALUE FROM CONFIG_VALUE WHERE CONFIGID = ?";

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
    m_segments.clear();
    for (const auto& row : CLoginQuery::Rows(database, "SELECT SEGMENTID, NAME, TYPE FROM SEGMENT", {})) {
        const auto id = static_cast<LONG>(CLoginQuery::Integer(row, 0));
        m_segments.emplace(id, CSegment(id, row[1].IsNull() ? CString() : row[1].AsText(),
                                        static_cast<LONG>(CLoginQuery::Integer(row, 2))));
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
