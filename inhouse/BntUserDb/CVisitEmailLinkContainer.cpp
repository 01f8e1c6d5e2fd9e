#include "inhouse/BntUserDb/CVisitEmailLinkContainer.h"

#include <algorithm>

#include "inhouse/BntCoreDb/CBntDatabase.h"
#include "inhouse/BntCoreDb/CLoginQuery.h"

void CVisitEmailLinkContainer::SetVisitID(LONG visitId)
{
    if (visitId != m_visitId)
    {
        m_links.clear();
    }
    m_visitId = visitId;
}

LONG CVisitEmailLinkContainer::NextRecipientNumber() const
{
    LONG last = 0;
    for (const CVisitEmailLink& link : m_links)
    {
        last = std::max(last, link.GetRecipientNumber());
    }
    return last + 1;
}

void CVisitEmailLinkContainer::Add(CVisitEmailLink link)
{
    if (link.GetRecipientNumber() <= 0)
    {
        link.SetRecipientNumber(NextRecipientNumber());
    }
    m_links.push_back(std::move(link));
}

void CVisitEmailLinkContainer::KeepPlainAddresses()
{
    std::erase_if(m_links, [](const CVisitEmailLink& link) {
        return link.IsHost() || link.IsVisitor() || link.GetSegmentID() != CVisitEmailLink::kNoSegment ||
               link.GetEmailAddress().IsEmpty();
    });
}

bool CVisitEmailLinkContainer::HasHost() const
{
    return std::any_of(m_links.begin(), m_links.end(), [](const CVisitEmailLink& link) { return link.IsHost(); });
}

bool CVisitEmailLinkContainer::HasVisitor() const
{
    return std::any_of(m_links.begin(), m_links.end(), [](const CVisitEmailLink& link) { return link.IsVisitor(); });
}

bool CVisitEmailLinkContainer::HasSegment(LONG segmentId) const
{
    return std::any_of(m_links.begin(), m_links.end(),
                       [segmentId](const CVisitEmailLink& link) { return link.GetSegmentID() == segmentId; });
}

void CVisitEmailLinkContainer::Read(CBntDatabase& database)
{
    m_links.clear();
    for (const auto& row : CLoginQuery::Rows(database,
                                             "SELECT EMAILID, ADDRESS, HOST, VISITOR, EMPID, SEGMENTID "
                                             "FROM VISIT_EMAIL_LINK WHERE VISITID = ? ORDER BY EMAILID",
                                             {m_visitId}))
    {
        CVisitEmailLink link(m_visitId, static_cast<LONG>(CLoginQuery::Integer(row, 0)));
        if (!row[1].IsNull())
        {
            link.SetEmailAddress(row[1].AsText());
        }
        link.SetHost(CLoginQuery::Integer(row, 2) != 0);
        link.SetVisitor(CLoginQuery::Integer(row, 3) != 0);
        link.SetPersonID(static_cast<LONG>(CLoginQuery::Integer(row, 4)));
        link.SetSegmentID(static_cast<LONG>(CLoginQuery::Integer(row, 5, CVisitEmailLink::kNoSegment)));
        m_links.push_back(std::move(link));
    }
}

void CVisitEmailLinkContainer::Save(CBntDatabase& database)
{
    database.ExecuteSQL(L"DELETE FROM VISIT_EMAIL_LINK WHERE VISITID = ?", {CDBValue(m_visitId)});
    LONG number = 0;
    for (CVisitEmailLink& link : m_links)
    {
        link.SetRecipientNumber(++number);
        database.ExecuteSQL(L"INSERT INTO VISIT_EMAIL_LINK (EMAILID, VISITID, ADDRESS, HOST, VISITOR, EMPID, "
                            L"SEGMENTID) VALUES (?, ?, ?, ?, ?, ?, ?)",
                            {CDBValue(number), CDBValue(m_visitId),
                             link.GetEmailAddress().IsEmpty() ? CDBValue() : CDBValue(link.GetEmailAddress()),
                             CDBValue(link.IsHost() ? 1 : 0), CDBValue(link.IsVisitor() ? 1 : 0),
                             link.GetPersonID() > 0 ? CDBValue(link.GetPersonID()) : CDBValue(),
                             CDBValue(link.GetSegmentID())});
    }
}
