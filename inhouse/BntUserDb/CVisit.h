// CVisit: one visit of a visitor to a host cardholder (a VISIT row with its event row in
// VISIT_EVENT): read, signed in (optionally with a new disposable badge or with an existing
// badge of the visitor) and signed out, with its e-mail recipients (CVisitEmailLinkContainer).
//
// A visit moves from scheduled (no TIMEIN_UTC) to active (signed in, not signed out) to signed
// out; each step is taken at most once: Signin and Signout change the row only while it is in
// the state they leave, so two concurrent sign-ins cannot both succeed.
//
// A per-call object over a database user it does not own; used on one thread. Database failures
// of the members that answer bool are written to the debug log and answer false.
#pragma once

#include "inhouse/BntUserDb/CVisitEmailLinkContainer.h"
#include "inhouse/BntUtility/CResult.h"
#include "platform/mfc/CString.h"
#include "platform/win32/WinTypes.h"

class CAcsUser;
class CBntDatabase;

class CVisit
{
public:
    // Codes of Read's failures.
    static constexpr DWORD kNoDatabase = 1;
    static constexpr DWORD kNotFound = 2;
    static constexpr DWORD kDatabaseFailure = 3;

    CVisit(LONG visitId, LONG hostId, LONG visitorId);

    // Reads the visit's row (host, visitor, the actual times, the event's name and scheduled
    // time in). A result with code 0 on success; kNotFound, kNoDatabase or kDatabaseFailure.
    CResult Read(const CAcsUser* user, LONG visitId);
    // Signed in and not yet signed out (as last read or changed here).
    bool IsActive() const;

    // Signs the visit in now. With badgeTypeId above 0 the visitor is issued a new badge of that
    // type (its badge id from the ID generator; GetIssuedBadgeID); otherwise, with badgeId above
    // 0, the badge must be one the visitor holds. The printer names where the new badge is
    // printed; nothing prints here. All or nothing, inside the caller's transaction when one is
    // open. False when the visit is missing or already signed in, the badge is another person's
    // or unknown, or the database fails.
    bool Signin(const CAcsUser* user, LONGLONG badgeId, LONG badgeTypeId, const CString* printer);
    // Signs the visit out now; false when it is not active (never signed in, or signed out
    // already) or the database fails.
    bool Signout(const CAcsUser* user);

    // "LASTNAME, FIRSTNAME" of the host and the visitor (empty for a missing row). Throws
    // CDBException.
    void LookupNames(CBntDatabase* database, CString* hostName, CString* visitorName) const;

    // Reads the stored recipients into the container; false without a database or on failure.
    bool ReadEmailRecipients(const CAcsUser* user);
    // Adds the default recipients of the host's primary segment (once); false when the host
    // cannot be read.
    bool AddDefaultEmailRecipients(const CAcsUser* user);
    // Adds the host or the visitor as a recipient (once).
    void AddHostEmailRecipient();
    void AddVisitorEmailRecipient();
    // Saves the container as the visit's recipients. Throws CDBException (a failed save must
    // fail the write it belongs to).
    void SaveEmailRecipients(const CAcsUser* user);

    LONG GetID() const { return m_id; }
    LONG GetHostID() const { return m_hostId; }
    LONG GetVisitorID() const { return m_visitorId; }
    LONG GetVisitEventID() const { return m_eventId; }
    // The event's name, used in notices.
    const CString& GetName() const { return m_name; }
    // "YYYY-MM-DD HH:MM:SS" texts (UTC for the actual times, local for the scheduled one);
    // empty when not set.
    const CString& GetTimeIn() const { return m_timeIn; }
    const CString& GetTimeOut() const { return m_timeOut; }
    const CString& GetScheduledTimeIn() const { return m_scheduledTimeIn; }
    // The badge id Signin issued; 0 when none.
    LONGLONG GetIssuedBadgeID() const { return m_issuedBadgeId; }
    CVisitEmailLinkContainer& GetEmailLinks() { return m_links; }

private:
    // The signing-in steps, in the caller's transaction; false refuses the sign-in.
    bool SigninLocked(CBntDatabase& database, const CAcsUser* user, LONGLONG badgeId, LONG badgeTypeId);

    LONG m_id;
    LONG m_hostId;
    LONG m_visitorId;
    LONG m_eventId = 0;
    CString m_name;
    CString m_timeIn;
    CString m_timeOut;
    CString m_scheduledTimeIn;
    LONGLONG m_issuedBadgeId = 0;
    CVisitEmailLinkContainer m_links;
};
