#include "inhouse/BntUserDb/CBntEmailManager.h"

#include "inhouse/BntCoreDb/CBntDatabase.h"
#include "inhouse/BntCoreDb/CDBClock.h"
#include "inhouse/BntCoreDb/CDBException.h"
#include "inhouse/BntUserDb/CVisit.h"

LONG CBntEmailManager::SendEmail(CVisit& visit, const CString& text, CVisitEmailLinkContainer* extra)
{
    if (m_database == nullptr)
    {
        throw CDBException(CDBException::kRetRefused, L"08003", 0, L"The database is not open.");
    }
    LONG queued = Queue(visit.GetEmailLinks(), visit.GetID(), text);
    if (extra != nullptr)
    {
        queued += Queue(*extra, visit.GetID(), text);
    }
    return queued;
}

LONG CBntEmailManager::Queue(const CVisitEmailLinkContainer& links, LONG visitId, const CString& text)
{
    const CDBValue now = CDBClock::UtcNow();
    LONG queued = 0;
    for (const CVisitEmailLink& link : links.GetLinks())
    {
        m_database->ExecuteSQL(
            L"INSERT INTO EMAIL_OUTBOX (VISITID, ADDRESS, EMPID, SEGMENTID, BODY, QUEUED_UTC) "
            L"VALUES (?, ?, ?, ?, ?, ?)",
            {CDBValue(visitId), link.GetEmailAddress().IsEmpty() ? CDBValue() : CDBValue(link.GetEmailAddress()),
             link.GetPersonID() > 0 ? CDBValue(link.GetPersonID()) : CDBValue(),
             link.GetSegmentID() != CVisitEmailLink::kNoSegment ? CDBValue(link.GetSegmentID()) : CDBValue(),
             CDBValue(text), now});
        ++queued;
    }
    return queued;
}
