#include "inhouse/BntUserDb/CBntAcsDBMgrVisit.h"

#include "inhouse/BntCoreDb/CBntDatabase.h"
#include "inhouse/BntCoreDb/CDBClock.h"
#include "inhouse/BntCoreDb/CDBException.h"
#include "inhouse/BntCoreDb/CLoginQuery.h"
#include "inhouse/BntPanelModel/CBadgeTypeContainer.h"
#include "inhouse/BntUdf/LUDFDbMgr.h"
#include "inhouse/BntUserDb/CVisit.h"

namespace {

// BADGE.STATUS of an active badge.
constexpr LONG kActiveBadgeStatus = 1;

}  // namespace

void CBntAcsDBMgrVisit::SetDefaults(const LUDFDbMgr& defaults)
{
    m_disposableBadges = defaults.AllowsDisposableBadges();
    m_visitorBadges = defaults.AllowsVisitorBadges();
    m_signInSeconds = defaults.GetDefaultSignInSeconds();
    m_signOutSeconds = defaults.GetDefaultSignOutSeconds();
}

CBntDatabase& CBntAcsDBMgrVisit::RequireDatabase() const
{
    if (m_database == nullptr)
    {
        throw CDBException(CDBException::kRetRefused, L"08003", 0, L"The database is not open.");
    }
    return *m_database;
}

bool CBntAcsDBMgrVisit::ReadEmailFields(CVisit& visit) const
{
    return visit.Read(m_user, visit.GetID()).IsSuccess();
}

bool CBntAcsDBMgrVisit::FillBadgeTypeContainer(int)
{
    return CBadgeTypeContainer::Instance().Read(m_user, -1, true);
}

bool CBntAcsDBMgrVisit::MustDeactivateVisitorBadges(LONG visitorId, LONG visitId) const
{
    const auto row = CLoginQuery::FirstRow(RequireDatabase(),
                                           "SELECT COUNT(*) FROM VISIT WHERE VISITORID = ? AND VISITID <> ? "
                                           "AND TIMEIN_UTC IS NOT NULL AND TIMEOUT_UTC IS NULL",
                                           {visitorId, visitId});
    return !row || CLoginQuery::Integer(*row, 0) == 0;
}

void CBntAcsDBMgrVisit::SignoutVisitorBadges(LONG visitorId, std::vector<LONGLONG>& signedOut) const
{
    CBntDatabase& database = RequireDatabase();
    const CDBValue now = CDBClock::LocalNow();
    const auto rows = CLoginQuery::Rows(database,
                                        "SELECT BADGEKEY, ID FROM BADGE WHERE EMPID = ? AND STATUS = ? "
                                        "AND (DEACTIVATE IS NULL OR DEACTIVATE > ?)",
                                        {visitorId, kActiveBadgeStatus, now});
    for (const auto& row : rows)
    {
        database.ExecuteSQL(L"UPDATE BADGE SET DEACTIVATE = ?, LASTCHANGED = ? WHERE BADGEKEY = ?",
                            {now, now, CDBValue(CLoginQuery::Integer(row, 0))});
        signedOut.push_back(CLoginQuery::Integer(row, 1));
    }
}
