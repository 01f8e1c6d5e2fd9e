#include "inhouse/BntCore/CBntIDGenerator.h"

#include <limits>

#include "inhouse/BntCore/CBadgeIDConfig.h"
#include "inhouse/BntCoreDb/CBntDatabase.h"
#include "inhouse/BntCoreDb/CDBException.h"
#include "inhouse/BntCoreDb/CLoginQuery.h"
#include "inhouse/BntLogin/CAcsUser.h"
#include "inhouse/BntUtility/CWMIDebugLog.h"

using brontel::utility::CWMIDebugLog;

namespace {

constexpr wchar_t kSource[] = L"CBntIDGenerator";
// The counter of badge IDs drawn outside any range.
constexpr LONG kBadgeIDType = 1;
// Draws tried before the generator gives up on IDs that badges already carry.
constexpr int kMaxBadgeIDDraws = 1000;

}  // namespace

CBntIDGenerator::CBntIDGenerator(const CAcsUser* user) : m_database(user != nullptr ? user->GetDatabase() : nullptr) {}

CBntIDGenerator::CBntIDGenerator(CBntDatabase* database) : m_database(database) {}

LONG CBntIDGenerator::GetNextID(LONG idType, LONG) const
{
    if (m_database == nullptr)
    {
        CWMIDebugLog::LogError(kSource, __LINE__, L"No database to draw an identifier from.", E_POINTER);
        return 0;
    }
    try
    {
        const LONGLONG next = m_database->GetNextID(idType);
        if (next <= 0 || next > std::numeric_limits<LONG>::max())
        {
            CString text;
            text.Format(L"The identifier counter of type %d is out of range.", idType);
            CWMIDebugLog::LogError(kSource, __LINE__, text, E_FAIL);
            return 0;
        }
        return static_cast<LONG>(next);
    }
    catch (const CDBException& e)
    {
        CString text;
        text.Format(L"Unable to draw an identifier of type %d.", idType);
        CWMIDebugLog::LogError(kSource, __LINE__, text, E_FAIL, &e);
        return 0;
    }
}

bool CBntIDGenerator::IsValidBadgeID(LONGLONG badgeId, LONG badgeTypeId, const CBadgeIDConfig* config) const
{
    if (config != nullptr && config->AreRangesRead())
        return config->Allows(badgeId);
    CBadgeIDConfig read;
    return read.ReadRanges(m_database, badgeTypeId) && read.Allows(badgeId);
}

LONGLONG CBntIDGenerator::GetNextBadgeID(const CBadgeIDConfig& ranges, LONG) const
{
    if (m_database == nullptr)
    {
        CWMIDebugLog::LogError(kSource, __LINE__, L"No database to draw a badge ID from.", E_POINTER);
        return -1;
    }
    try
    {
        for (int draw = 0; draw < kMaxBadgeIDDraws; ++draw)
        {
            LONGLONG candidate = -1;
            if (ranges.GetRanges().empty())
            {
                candidate = m_database->GetNextID(kBadgeIDType);
            }
            else
            {
                for (const CBadgeIDConfig::Range& range : ranges.GetRanges())
                {
                    const auto row = CLoginQuery::FirstRow(
                        *m_database,
                        "UPDATE BADGEID_RANGE SET NEXT_ID = MAX(NEXT_ID, RANGE_START) + 1 WHERE BADGEID_RANGEID = ? "
                        "AND MAX(NEXT_ID, RANGE_START) <= RANGE_END RETURNING NEXT_ID - 1",
                        {range.id});
                    if (row)
                    {
                        candidate = CLoginQuery::Integer(*row, 0);
                        break;
                    }
                }
                if (candidate < 0)
                {
                    CWMIDebugLog::LogError(kSource, __LINE__, L"The badge ID ranges of the badge type are used up.",
                                           E_FAIL);
                    return -1;
                }
            }
            if (candidate <= 0)
                return -1;
            if (!CLoginQuery::FirstRow(*m_database, "SELECT 1 FROM BADGE WHERE ID = ?", {candidate}))
                return candidate;
        }
        CWMIDebugLog::LogError(kSource, __LINE__, L"No free badge ID was found.", E_FAIL);
    }
    catch (const CDBException& e)
    {
        CWMIDebugLog::LogError(kSource, __LINE__, L"Unable to draw a badge ID.", E_FAIL, &e);
    }
    return -1;
}
