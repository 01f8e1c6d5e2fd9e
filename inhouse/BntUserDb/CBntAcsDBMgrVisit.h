// CBntAcsDBMgrVisit: the visit manager: the visit options of the installation (from LUDFDbMgr),
// the badge types a sign-in may issue (the process-wide badge type list), and the visitor's
// badges that a sign-out ends.
//
// A per-call object over a user and a database it does not own; used on one thread.
#pragma once

#include <vector>

#include "platform/mfc/CString.h"
#include "platform/win32/WinTypes.h"

class CAcsUser;
class CBntDatabase;
class CVisit;
class LUDFDbMgr;

class CBntAcsDBMgrVisit
{
public:
    explicit CBntAcsDBMgrVisit(const CAcsUser* user) : m_user(user) {}

    // The database the manager works on (the caller's connection).
    void SetPrimaryDatabase(CBntDatabase* database) { m_database = database; }
    // Takes the visit options that the manager read.
    void SetDefaults(const LUDFDbMgr& defaults);

    bool AllowsDisposableBadges() const { return m_disposableBadges; }
    bool AllowsVisitorBadges() const { return m_visitorBadges; }
    LONG GetDefaultSignInSeconds() const { return m_signInSeconds; }
    LONG GetDefaultSignOutSeconds() const { return m_signOutSeconds; }

    // Reads the visit (its row and its event). False when it cannot be read.
    bool ReadEmailFields(CVisit& visit) const;

    // Reads every badge type into the process-wide badge type list (CBadgeTypeContainer); the
    // argument is the original library's option. True on success.
    bool FillBadgeTypeContainer(int);

    // True when the visitor has no active visit besides visitId, so that the visitor's badges
    // must end with this one. Throws CDBException.
    bool MustDeactivateVisitorBadges(LONG visitorId, LONG visitId) const;
    // Ends the visitor's active badges now (DEACTIVATE set to the current local time) and adds
    // their badge ids to signedOut. Runs inside the caller's transaction when one is open.
    // Throws CDBException.
    void SignoutVisitorBadges(LONG visitorId, std::vector<LONGLONG>& signedOut) const;

private:
    CBntDatabase& RequireDatabase() const;

    const CAcsUser* m_user;
    CBntDatabase* m_database = nullptr;
    bool m_disposableBadges = true;
    bool m_visitorBadges = true;
    LONG m_signInSeconds = 0;
    LONG m_signOutSeconds = 0;
};
