// CWmipAssocPersonMapper: the base of the associations between a person and the rows of a
// table that names the person by EMPID (badges, multimedia objects, directory accounts): the
// table joined to EMP, its rows narrowed to the persons of the association's kind (EMP.VISITOR)
// and to the person kinds the caller may see. Read-only (the association base's permissions).
//
// Built per request through a derived mapper; the caller owns it. One request on one thread.
#pragma once

#include "framework/associations/CWmipAssociationMapper.h"

class CWmipAssocPersonMapper : public CWmipAssociationMapper
{
public:
    // The association's persons of every kind.
    static constexpr int kAnyPerson = -1;

    // EMP.VISITOR of the association's persons (unless kAnyPerson), then the kinds the caller
    // may see.
    void FilterInstanceRecordset(CMultiFilterRecordset* recordset) override;

protected:
    // table: the table whose EMPID names the person. visitor: EMP.VISITOR of the association's
    // persons, 0 for cardholders, 1 for visitors, or kAnyPerson.
    CWmipAssocPersonMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services,
                           const wchar_t* className, const wchar_t* table, int visitor);

    int GetPersonKind() const { return m_visitor; }

private:
    // Set at construction.
    const int m_visitor;
};
