#include "inhouse/BntPanelModel/CBadgeType.h"

#include "inhouse/BntCore/CUserAction.h"
#include "inhouse/BntCoreDb/CDBException.h"
#include "inhouse/BntCoreDb/CLoginQuery.h"
#include "inhouse/BntLogin/CAcsUser.h"
#include "inhouse/BntUtility/CWMIDebugLog.h"

using brontel::utility::CWMIDebugLog;

namespace {

constexpr wchar_t kSource[] = L"CBadgeType";
// A type of this segment is shared by every segment.
constexpr LONG kSharedSegment = -1;
// Segment access a write needs.
constexpr int kWriteAccess = 2;

}  // namespace

HRESULT CBadgeType::Read(const CAcsUser* user, LONG)
{
    CBntDatabase* database = user != nullptr ? user->GetDatabase() : nullptr;
    if (database == nullptr)
        return E_FAIL;
    try
    {
        const auto row = CLoginQuery::FirstRow(
            *database,
            "SELECT T.NAME, T.BADGE_CLASS, T.DISPOSABLE, T.DEFGROUP, T.SEGMENTID, C.ID_MODE, C.MANUAL_ID, "
            "C.DEFAULT_ISSUECODE, C.NEGATIVE_ID, C.VALID_DAYS FROM BADGETYP T LEFT JOIN BADGETYP_IDCONFIG C ON "
            "C.BADGETYPEID = T.ID WHERE T.ID = ?",
            {m_id});
        if (!row)
            return kNotFound;
        m_name = (*row)[0].IsNull() ? CString() : (*row)[0].AsText();
        m_class = static_cast<LONG>(CLoginQuery::Integer(*row, 1));
        m_disposable = CLoginQuery::Integer(*row, 2) != 0;
        m_defaultGroup = static_cast<LONG>(CLoginQuery::Integer(*row, 3));
        m_segmentId = static_cast<LONG>(CLoginQuery::Integer(*row, 4, kSharedSegment));
        m_idMode = static_cast<LONG>(CLoginQuery::Integer(*row, 5));
        m_manualId = CLoginQuery::Integer(*row, 6, 1) != 0;
        m_defaultIssueCode = static_cast<LONG>(CLoginQuery::Integer(*row, 7));
        m_negativeId = CLoginQuery::Integer(*row, 8) != 0;
        m_validDays = static_cast<LONG>(CLoginQuery::Integer(*row, 9));
        return S_OK;
    }
    catch (const CDBException& e)
    {
        CWMIDebugLog::LogError(kSource, __LINE__, L"Unable to read the badge type.", E_FAIL, &e);
        return E_FAIL;
    }
}

CString CBadgeType::DefaultPrintService(const CAcsUser* user) const
{
    CBntDatabase* database = user != nullptr ? user->GetDatabase() : nullptr;
    if (database == nullptr)
        return CString();
    try
    {
        const auto row =
            CLoginQuery::FirstRow(*database, "SELECT DEFAULT_PRINT_SERVICE FROM BADGETYP WHERE ID = ?", {m_id});
        return !row || (*row)[0].IsNull() ? CString() : (*row)[0].AsText();
    }
    catch (const CDBException& e)
    {
        CWMIDebugLog::LogError(kSource, __LINE__, L"Unable to read the badge type's print service.", E_FAIL, &e);
        return CString();
    }
}

bool CBadgeType::ReadSegmentAssignments(const CAcsUser*)
{
    m_segments = {m_segmentId};
    m_segmentsRead = true;
    return true;
}

bool CBadgeType::PermissionGranted(const CAcsUser* user, const CUserAction&) const
{
    if (user == nullptr)
        return false;
    if (!user->GetSystemOptions().IsBadgeTypeSegmentationEnabled() || m_segmentId == kSharedSegment)
        return true;
    return user->HasSegmentAccess(m_segmentId, kWriteAccess);
}

bool CBadgeType::HasSegmentAccess(LONG segmentId, const CAcsUser*) const
{
    return m_segmentId == kSharedSegment || m_segmentId == segmentId;
}

bool CBadgeType::CanAccessSameSegmentUnits(const CBadgeType& other, const CAcsUser*) const
{
    const std::set<LONG> mine = m_segmentsRead ? m_segments : std::set<LONG>{m_segmentId};
    const std::set<LONG> theirs = other.m_segmentsRead ? other.m_segments : std::set<LONG>{other.m_segmentId};
    return mine == theirs;
}

void CBadgeType::CalculateDates(COleDateTime& activate, COleDateTime& deactivate) const
{
    const COleDateTime now = COleDateTime::GetCurrentTime();
    activate = COleDateTime(now.GetYear(), now.GetMonth(), now.GetDay(), 0, 0, 0);
    if (m_validDays <= 0)
    {
        deactivate = COleDateTime();
        deactivate.SetStatus(COleDateTime::null);
        return;
    }
    deactivate = COleDateTime(static_cast<DATE>(activate) + m_validDays);
}
