#include "inhouse/BntUserDb/CVisit.h"

#include "inhouse/BntCore/CBntIDGenerator.h"
#include "inhouse/BntCoreDb/CBntDatabase.h"
#include "inhouse/BntCoreDb/CBntTransaction.h"
#include "inhouse/BntCoreDb/CDBClock.h"
#include "inhouse/BntCoreDb/CDBException.h"
#include "inhouse/BntCoreDb/CLoginQuery.h"
#include "inhouse/BntLogin/CAcsUser.h"
#include "inhouse/BntPanelModel/CBadgeType.h"
#include "inhouse/BntUtility/CWMIDebugLog.h"

using brontel::utility::CWMIDebugLog;

namespace {

constexpr wchar_t kVisitSource[] = L"CVisit";
// ID type of the generator's badge keys.
constexpr LONG kBadgeKeyType = 25;
// BADGE.STATUS of an active badge.
constexpr LONG kVisitBadgeActiveStatus = 1;

CBntDatabase* UserDatabase(const CAcsUser* user)
{
    return user != nullptr ? user->GetDatabase() : nullptr;
}

CString TextOf(const CDBValue& value)
{
    return value.IsNull() ? CString() : value.AsText();
}

// A date-time as a column holds it; NULL for a null or invalid value.
CDBValue VisitDateValue(const COleDateTime& value)
{
    SYSTEMTIME time{};
    if (value.GetStatus() != COleDateTime::valid || !value.GetAsSystemTime(time))
    {
        return CDBValue();
    }
    return CDBClock::FromSystemTime(time);
}

CString PersonName(CBntDatabase& database, LONG personId)
{
    const auto row = CLoginQuery::FirstRow(database, "SELECT LASTNAME, FIRSTNAME FROM EMP WHERE ID = ?", {personId});
    return row ? TextOf((*row)[0]) + L", " + TextOf((*row)[1]) : CString();
}

}  // namespace

CVisit::CVisit(LONG visitId, LONG hostId, LONG visitorId) : m_id(visitId), m_hostId(hostId), m_visitorId(visitorId)
{
    m_links.SetVisitID(visitId);
}

CResult CVisit::Read(const CAcsUser* user, LONG visitId)
{
    CBntDatabase* database = UserDatabase(user);
    if (database == nullptr)
    {
        return CResult(kNoDatabase, L"No database.");
    }
    try
    {
        const auto row = CLoginQuery::FirstRow(
            *database,
            "SELECT VISIT.EMPID, VISIT.VISITORID, VISIT.TIMEIN_UTC, VISIT.TIMEOUT_UTC, VISIT.VISIT_EVENTID, "
            "VISIT_EVENT.NAME, VISIT_EVENT.SCHEDULED_TIMEIN FROM VISIT "
            "LEFT JOIN VISIT_EVENT ON VISIT_EVENT.VISIT_EVENTID = VISIT.VISIT_EVENTID WHERE VISIT.VISITID = ?",
            {visitId});
        if (!row)
        {
            return CResult(kNotFound, L"The visit does not exist.");
        }
        m_id = visitId;
        m_hostId = static_cast<LONG>(CLoginQuery::Integer(*row, 0));
        m_visitorId = static_cast<LONG>(CLoginQuery::Integer(*row, 1));
        m_timeIn = TextOf((*row)[2]);
        m_timeOut = TextOf((*row)[3]);
        m_eventId = static_cast<LONG>(CLoginQuery::Integer(*row, 4));
        m_name = TextOf((*row)[5]);
        m_scheduledTimeIn = TextOf((*row)[6]);
        m_links.SetVisitID(visitId);
        return CResult();
    }
    catch (const CDBException& e)
    {
        CWMIDebugLog::LogError(kVisitSource, __LINE__, L"Unable to read the visit.", 0, &e);
        return CResult(kDatabaseFailure, L"Unable to read the visit.");
    }
}

bool CVisit::IsActive() const
{
    return !m_timeIn.IsEmpty() && m_timeOut.IsEmpty();
}

bool CVisit::Signin(const CAcsUser* user, LONGLONG badgeId, LONG badgeTypeId, const CString*)
{
    CBntDatabase* database = UserDatabase(user);
    if (database == nullptr)
    {
        return false;
    }
    try
    {
        CBntTransaction transaction(*database);
        if (!SigninLocked(*database, user, badgeId, badgeTypeId))
        {
            return false;
        }
        transaction.Commit();
    }
    catch (const CDBException& e)
    {
        CWMIDebugLog::LogError(kVisitSource, __LINE__, L"Unable to sign the visit in.", 0, &e);
        m_issuedBadgeId = 0;
        return false;
    }
    return Read(user, m_id).IsSuccess();
}

bool CVisit::SigninLocked(CBntDatabase& database, const CAcsUser* user, LONGLONG badgeId, LONG badgeTypeId)
{
    const CDBValue now = CDBClock::UtcNow();
    // Only a visit not signed in yet changes: a second sign-in finds no row to change.
    if (database.ExecuteSQL(L"UPDATE VISIT SET TIMEIN_UTC = ?, LASTCHANGED_UTC = ? "
                            L"WHERE VISITID = ? AND TIMEIN_UTC IS NULL AND TIMEOUT_UTC IS NULL",
                            {now, now, CDBValue(m_id)}) != 1)
    {
        return false;
    }
    const auto visitor = CLoginQuery::FirstRow(database, "SELECT VISITORID FROM VISIT WHERE VISITID = ?", {m_id});
    m_visitorId = visitor ? static_cast<LONG>(CLoginQuery::Integer(*visitor, 0)) : m_visitorId;
    m_issuedBadgeId = 0;
    if (badgeTypeId > 0)
    {
        // The new badge follows its type: an ID of the type's ranges and the type's validity.
        CBadgeType type(badgeTypeId);
        if (FAILED(type.Read(user, -1)))
        {
            return false;
        }
        const CBntIDGenerator generator(user);
        const LONG badgeKey = generator.GetNextID(kBadgeKeyType);
        const LONGLONG newBadgeId = generator.GetNextBadgeID(type.GetIDConfig());
        if (badgeKey <= 0 || newBadgeId <= 0)
        {
            return false;
        }
        COleDateTime activate;
        COleDateTime deactivate;
        type.CalculateDates(activate, deactivate);
        database.ExecuteSQL(L"INSERT INTO BADGE (BADGEKEY, ID, ISSUECODE, TYPE, STATUS, EMPID, ACTIVATE, DEACTIVATE, "
                            L"LASTCHANGED) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)",
                            {CDBValue(badgeKey), CDBValue(newBadgeId), CDBValue(type.GetDefaultIssueCode()),
                             CDBValue(badgeTypeId), CDBValue(kVisitBadgeActiveStatus), CDBValue(m_visitorId),
                             VisitDateValue(activate), VisitDateValue(deactivate), CDBClock::LocalNow()});
        m_issuedBadgeId = newBadgeId;
    }
    else if (badgeId > 0)
    {
        // The badge (its latest issue) must already be the visitor's: a badge of another person
        // is never handed over by a sign-in.
        const auto badge =
            CLoginQuery::FirstRow(database, "SELECT EMPID FROM BADGE WHERE ID = ? ORDER BY ISSUECODE DESC", {badgeId});
        if (!badge || (*badge)[0].IsNull() || CLoginQuery::Integer(*badge, 0) != m_visitorId)
        {
            return false;
        }
    }
    return true;
}

bool CVisit::Signout(const CAcsUser* user)
{
    CBntDatabase* database = UserDatabase(user);
    if (database == nullptr)
    {
        return false;
    }
    try
    {
        const CDBValue now = CDBClock::UtcNow();
        if (database->ExecuteSQL(L"UPDATE VISIT SET TIMEOUT_UTC = ?, LASTCHANGED_UTC = ? "
                                 L"WHERE VISITID = ? AND TIMEIN_UTC IS NOT NULL AND TIMEOUT_UTC IS NULL",
                                 {now, now, CDBValue(m_id)}) != 1)
        {
            return false;
        }
    }
    catch (const CDBException& e)
    {
        CWMIDebugLog::LogError(kVisitSource, __LINE__, L"Unable to sign the visit out.", 0, &e);
        return false;
    }
    return Read(user, m_id).IsSuccess();
}

void CVisit::LookupNames(CBntDatabase* database, CString* hostName, CString* visitorName) const
{
    if (database == nullptr)
    {
        return;
    }
    if (hostName != nullptr)
    {
        *hostName = PersonName(*database, m_hostId);
    }
    if (visitorName != nullptr)
    {
        *visitorName = PersonName(*database, m_visitorId);
    }
}

bool CVisit::ReadEmailRecipients(const CAcsUser* user)
{
    CBntDatabase* database = UserDatabase(user);
    if (database == nullptr)
    {
        return false;
    }
    try
    {
        m_links.SetVisitID(m_id);
        m_links.Read(*database);
        return true;
    }
    catch (const CDBException& e)
    {
        CWMIDebugLog::LogError(kVisitSource, __LINE__, L"Unable to read the visit's e-mail recipients.", 0, &e);
        return false;
    }
}

bool CVisit::AddDefaultEmailRecipients(const CAcsUser* user)
{
    CBntDatabase* database = UserDatabase(user);
    if (database == nullptr)
    {
        return false;
    }
    const auto host = CLoginQuery::FirstRow(*database, "SELECT SEGMENTID FROM EMP WHERE ID = ?", {m_hostId});
    if (!host)
    {
        return false;
    }
    const LONG segment = static_cast<LONG>(CLoginQuery::Integer(*host, 0, -1));
    if (!m_links.HasSegment(segment))
    {
        CVisitEmailLink link(m_id, 0);
        link.SetSegmentID(segment);
        m_links.Add(std::move(link));
    }
    return true;
}

void CVisit::AddHostEmailRecipient()
{
    if (m_links.HasHost())
    {
        return;
    }
    CVisitEmailLink link(m_id, 0);
    link.SetHost(true);
    link.SetPersonID(m_hostId);
    m_links.Add(std::move(link));
}

void CVisit::AddVisitorEmailRecipient()
{
    if (m_links.HasVisitor())
    {
        return;
    }
    CVisitEmailLink link(m_id, 0);
    link.SetVisitor(true);
    link.SetPersonID(m_visitorId);
    m_links.Add(std::move(link));
}

void CVisit::SaveEmailRecipients(const CAcsUser* user)
{
    CBntDatabase* database = UserDatabase(user);
    if (database == nullptr)
    {
        throw CDBException(CDBException::kRetRefused, L"08003", 0, L"The database is not open.");
    }
    m_links.SetVisitID(m_id);
    m_links.Save(*database);
}
