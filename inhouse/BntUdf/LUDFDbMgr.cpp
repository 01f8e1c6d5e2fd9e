#include "inhouse/BntUdf/LUDFDbMgr.h"

#include "inhouse/BntLogin/CLoginQuery.h"

namespace {

LONG ConfigNumber(CBntDatabase& database, LONG id, LONG fallback)
{
    const auto row = CLoginQuery::FirstRow(database, "SELECT NUMBERVALUE FROM CONFIG_VALUE WHERE CONFIGID = ?", {id});
    return row && !(*row)[0].IsNull() ? static_cast<LONG>(CLoginQuery::Integer(*row, 0)) : fallback;
}

LONG TimeOfDay(CBntDatabase& database, LONG id, LONG fallback)
{
    const LONG seconds = ConfigNumber(database, id, fallback);
    return seconds >= 0 && seconds < LUDFDbMgr::kSecondsPerDay ? seconds : fallback;
}

}  // namespace

bool LUDFDbMgr::Read(LONG)
{
    if (m_database == nullptr) {
        return false;
    }
    m_signIn = TimeOfDay(*m_database, kDefaultSignInId, kDefaultSignInSeconds);
    m_signOut = TimeOfDay(*m_database, kDefaultSignOutId, kDefaultSignOutSeconds);
    m_disposable = ConfigNumber(*m_database, kAllowDisposableBadgesId, 1) != 0;
    m_visitorBadges = ConfigNumber(*m_database, kAllowVisitorBadgesId, 1) != 0;
    return true;
}
