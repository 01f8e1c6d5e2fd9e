// CWmipAssocMultimediaObjectMapper: the base of the associations between a person and the
// person's multimedia objects (Bnt_CardholderMultimediaObject, Bnt_VisitorMultimediaObject): one
// instance per MMOBJS row of a person of the association's kind, Person pointing at the person
// (EMP.ID) and MultimediaObject at the object (its three keys). Only the person kinds the caller
// may see are listed. Read-only (the association base's permissions).
//
// Built per request through a derived mapper; the caller owns it. One request on one thread.
#pragma once

#include "framework/associations/CWmipAssociationMapper.h"

class CWmipAssocMultimediaObjectMapper : public CWmipAssociationMapper
{
public:
    // EMP.VISITOR of the association's persons, then the kinds the caller may see.
    void FilterInstanceRecordset(CMultiFilterRecordset* recordset) override;

protected:
    // visitors: the association of visitors (EMP.VISITOR 1) rather than cardholders (0).
    CWmipAssocMultimediaObjectMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services,
                                     const wchar_t* className, bool visitors);

private:
    // Set at construction.
    const bool m_visitors;
};
