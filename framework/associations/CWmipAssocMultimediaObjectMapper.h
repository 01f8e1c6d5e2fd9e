// CWmipAssocMultimediaObjectMapper: the base of the associations between a person and the
// person's multimedia objects (Bnt_CardholderMultimediaObject, Bnt_VisitorMultimediaObject): one
// instance per MMOBJS row of a person of the association's kind, Person pointing at the person
// (EMP.ID) and MultimediaObject at the object (its three keys). Only the person kinds the caller
// may see are listed (CWmipAssocPersonMapper). Read-only.
//
// Built per request through a derived mapper; the caller owns it. One request on one thread.
#pragma once

#include "framework/associations/CWmipAssocPersonMapper.h"

class CWmipAssocMultimediaObjectMapper : public CWmipAssocPersonMapper
{
protected:
    // visitors: the association of visitors (EMP.VISITOR 1) rather than cardholders (0).
    CWmipAssocMultimediaObjectMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services,
                                     const wchar_t* className, bool visitors);
};
