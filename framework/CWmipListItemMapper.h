// CWmipListItemMapper: the mapper of one user-defined list class: one instance per row of the
// list table, with the properties ID (key) and Name; the class derives from Bnt_Element and
// its definition is built from the list's descriptor. Lists are read through the provider:
// the mapper keeps the framework's permissions (view without check, writes not supported).
//
// Built per request by FactoryFor's factory (through CWmipMapperRegistry::GetMapper with the
// list-object cache, or as the list class's registered factory) and owned by the caller; the
// descriptor is copied. One request on one thread.
#pragma once

#include "framework/CWmipClassMapper.h"
#include "framework/CWmipListObjectClassCache.h"
#include "framework/MapperFactory.h"

class CWmipListItemMapper : public CWmipClassMapper
{
public:
    // The factory of the list's mapper (the descriptor is copied into it), which the schema's load
    // installs in the registry (CWmipMapperRegistry::SetListMapperFactory).
    static MapperFactory FactoryFor(const CWmipListDescriptor& descriptor);

    CWmipListItemMapper(const CWmipListDescriptor& descriptor, const CAcsUser* user, IWbemContext* context,
                        IWbemServices* services);
    ~CWmipListItemMapper() override;

    // FALSE: the definition comes from the installation's lists.
    BOOL WMIStoresClassDefinition() override;
    // CreateClassImpl, then ID (sint32; "key", "read", "noedit") and Name (string; "not_null",
    // "maxlen" 255) and the class qualifier "DisplayName" with the list's name. S_OK; the first
    // failure.
    HRESULT CreateClass(IWbemClassObject** classObject, BOOL system) override;
    // The list's name from its DDTBL row: while the list stamp (and the caller's rights) stand.
    DefinitionReuse GetBuiltClassReuse() override;
    // ID and Name become their columns (answer 1); other properties as the base.
    ProcessClauseResult ProcessClause(CString& property, int& wqlOperator, CString& literal, CString& extra) override;
    // The list table with its ID and NAME columns.
    void SetupInstanceRecordset(CDynamicRecordset* recordset) override;
    // A user-defined list table holds its rows' segments when it has a SEGMENTID column (the
    // installation defines the table, so no declaration can name it); else the list is shared.
    void FilterInstanceRecordsetBySegment(CMultiFilterRecordset* recordset) override;
    // "Bnt_Element".
    CString GetSuperclassName() override;

    const CWmipListDescriptor& GetDescriptor() const { return m_descriptor; }

private:
    // Set at construction.
    const CWmipListDescriptor m_descriptor;
};
