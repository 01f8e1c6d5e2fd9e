// CVisitEmailLinkContainer: the e-mail recipients of one visit, read from and saved to
// VISIT_EMAIL_LINK as a whole.
//
// Owned by its visit (CVisit); used on one thread.
#pragma once

#include <vector>

#include "inhouse/BntUserDb/CVisitEmailLink.h"

class CBntDatabase;

class CVisitEmailLinkContainer
{
public:
    // Prepares the container for the visit: the links of any other visit are dropped.
    void SetVisitID(LONG visitId);
    LONG GetVisitID() const { return m_visitId; }

    // Drops the host, visitor and default-recipient links, keeping the plain addresses.
    void KeepPlainAddresses();
    // Adds the link (numbered after the last one when its number is not positive).
    void Add(CVisitEmailLink link);
    // The next free recipient number.
    LONG NextRecipientNumber() const;
    const std::vector<CVisitEmailLink>& GetLinks() const { return m_links; }
    bool HasHost() const;
    bool HasVisitor() const;
    bool HasSegment(LONG segmentId) const;

    // Replaces the links by the visit's stored rows. Throws CDBException.
    void Read(CBntDatabase& database);
    // Replaces the visit's stored rows by the links, numbered 1, 2, ... in order. Runs inside the
    // caller's transaction when one is open. Throws CDBException.
    void Save(CBntDatabase& database);

private:
    LONG m_visitId = 0;
    std::vector<CVisitEmailLink> m_links;
};
