// CWmipAssocBadgeOwnerMapper: the base of the associations between a person and the person's
// badges (Bnt_CardholderBadge, Bnt_VisitorBadge): one instance per BADGE row of a person of the
// association's kind, Person pointing at the person (EMP.ID) and Badge at the badge (BADGEKEY).
// Only the person kinds the caller may see are listed. Read-only (the association base's
// permissions).
//
// Built per request through a derived mapper; the caller owns it. One request on one thread.
#pragma once

#include "framework/associations/CWmipAssociationMapper.h"

class CWmipAssocBadgeOwnerMapper : public CWmipAssociationMapper
{
public:
    // EMP.VISITOR of the association's persons, then the kinds the caller may see.
    void FilterInstanceRecordset(CMultiFilterRecordset* recordset) override;

protected:
    // visitors: the association of visitors (EMP.VISITOR 1) rather than cardholders (0).
    CWmipAssocBadgeOwnerMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services,
                               const wchar_t* className, bool visitors);

private:
    // Set at construction.
    const bool m_visitors;
};
