// CWmipAssociationMapper: the mapper of an association class, whose reference properties point
// at instances of other classes. Each reference property's value is the object path of the
// referenced instance, built by the referenced class's own mapper from the association's row;
// a WQL comparison on a reference property is handed to that mapper.
//
// Built per request by a MapperFactory and owned by the caller. The referenced mappers are
// built on first use, work for the same caller and live as long as this mapper (settings made
// on them persist for the request). One request on one thread.
#pragma once

#include "framework/CWmipDynamicClassMapper.h"

#include <map>
#include <memory>

class CWmipAssociationMapper : public CWmipDynamicClassMapper
{
public:
    CWmipAssociationMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services,
                           const wchar_t* className);
    ~CWmipAssociationMapper() override;

    // A comparison of a reference property with a one-key object path of the referenced class
    // becomes the referenced mapper's comparison of that key; a path with several keys, of
    // another class or that does not parse is dropped (ProcessClauseDrop) and the rows are
    // checked in memory. Other properties: CWmipDynamicClassMapper::ProcessClause.
    ProcessClauseResult ProcessClause(CString& property, int& wqlOperator, CString& literal, CString& extra) override;
    // The dynamic mapper's shape, then each referenced mapper's SetupAssociationRecordset and
    // the key columns of the referenced class that lie in the joined tables, from which the
    // referenced mapper builds its end's path.
    void SetupInstanceRecordset(CDynamicRecordset* recordset) override;
    // The base instance, with each reference property set to the referenced instance's object
    // path (GetObjectPath on the current row); a reference whose path cannot be built is left
    // empty.
    HRESULT CreateInstance(IWbemClassObject** instance) override;

    // The mapper of the class the reference property points to, built on first use through
    // the registry and kept (owned by this mapper; valid for its life); null when the property
    // is not a reference property or the class has no mapper.
    virtual CWmipClassMapper* GetReferencedClassMapper(const CString& property);

private:
    static void AddKeyColumns(CWmipClassMapper& referenced, CDynamicRecordset& recordset);

    std::map<CString, std::unique_ptr<CWmipClassMapper>, CStringNoCaseLess> m_referencedMappers;
};
