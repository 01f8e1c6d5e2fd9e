// CBntEmailManager: the visit notices. Nothing is mailed from this program: each notice is queued
// in the installation's outbox (EMAIL_OUTBOX), one row per recipient of the visit, for the
// installation's mail service to deliver.
//
// A per-call object over a visit manager it does not own; used on one thread.
#pragma once

#include "platform/mfc/CString.h"
#include "platform/win32/WinTypes.h"

class CAcsUser;
class CBntAcsDBMgrVisit;
class CBntDatabase;
class CVisit;
class CVisitEmailLinkContainer;

class CBntEmailManager
{
public:
    // The database the rows are written to is the one given; the manager is the original
    // library's source of the visit options.
    CBntEmailManager(CBntAcsDBMgrVisit* manager, CBntDatabase* database) : m_manager(manager), m_database(database) {}

    // Queues text for every recipient of the visit's link container and of extra (may be null).
    // The number of rows queued; throws CDBException.
    LONG SendEmail(CVisit& visit, const CString& text, CVisitEmailLinkContainer* extra);

private:
    LONG Queue(const CVisitEmailLinkContainer& links, LONG visitId, const CString& text);

    CBntAcsDBMgrVisit* m_manager;
    CBntDatabase* m_database;
};
