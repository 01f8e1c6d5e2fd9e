#include "framework/CWmipListItemMapper.h"
#include "inhouse/BntLogin/CAcsUser.h"

#include "inhouse/BntCoreDb/CDynamicRecordset.h"
#include "platform/com/CimTypes.h"
#include "platform/com/WbemConstants.h"
#include "platform/wmi/IWbemClassObject.h"
#include "platform/wmi/IWbemQualifierSet.h"

#include <memory>

MapperFactory CWmipListItemMapper::FactoryFor(const CWmipListDescriptor& descriptor)
{
    return [descriptor](const CAcsUser* user, IWbemContext* context, IWbemServices* services, Door door) {
        auto mapper = std::make_unique<CWmipListItemMapper>(descriptor, user, context, services);
        mapper->SetDoor(door);
        return mapper.release();
    };
}

CWmipListItemMapper::CWmipListItemMapper(const CWmipListDescriptor& descriptor, const CAcsUser* user,
                                         IWbemContext* context, IWbemServices* services)
    : CWmipClassMapper(user, context, services, descriptor.className), m_descriptor(descriptor)
{
    AddForeignKeyPropertyMapping(L"ID", L"ID", m_descriptor.table);
    AddForeignKeyPropertyMapping(L"Name", L"NAME", m_descriptor.table);
}

CWmipListItemMapper::~CWmipListItemMapper() = default;

BOOL CWmipListItemMapper::WMIStoresClassDefinition()
{
    return FALSE;
}

CString CWmipListItemMapper::GetSuperclassName()
{
    return L"Bnt_Element";
}

HRESULT CWmipListItemMapper::CreateClass(IWbemClassObject** classObject, BOOL system)
{
    if (classObject == nullptr)
        return WBEM_E_INVALID_PARAMETER;
    *classObject = nullptr;
    ComPtr<IWbemClassObject> created;
    HRESULT hr = CreateClassImpl(&created, system);
    if (SUCCEEDED(hr))
        hr = PutProperty(created.Get(), L"ID", CIM_SINT32, kPropertyKey | kPropertyRead | kPropertyNoEdit, 0, nullptr,
                         nullptr, 0, nullptr);
    if (SUCCEEDED(hr))
        hr = PutProperty(created.Get(), L"Name", CIM_STRING, kPropertyNotNull, CWmipListDescriptor::kNameLength,
                         nullptr, nullptr, 0, nullptr);
    ComPtr<IWbemQualifierSet> qualifiers;
    if (SUCCEEDED(hr))
        hr = created->GetQualifierSet(&qualifiers);
    if (SUCCEEDED(hr))
    {
        _variant_t name(static_cast<const wchar_t*>(m_descriptor.displayName));
        hr = qualifiers->Put(L"DisplayName", &name, 0);
    }
    if (FAILED(hr))
        return hr;
    *classObject = created.Detach();
    return S_OK;
}

CWmipMapper::DefinitionReuse CWmipListItemMapper::GetBuiltClassReuse()
{
    return DefinitionReuse::WhileRightsAndListsSame;
}

ProcessClauseResult CWmipListItemMapper::ProcessClause(CString& property, int& wqlOperator, CString& literal,
                                                       CString& extra)
{
    return KeepOnMappedColumn(property, CWmipClassMapper::ProcessClause(property, wqlOperator, literal, extra));
}

void CWmipListItemMapper::SetupInstanceRecordset(CDynamicRecordset* recordset)
{
    if (recordset == nullptr)
        return;
    recordset->SetTable(m_descriptor.table);
    recordset->AddColumnToSet(L"ID", m_descriptor.table);
    recordset->AddColumnToSet(L"NAME", m_descriptor.table);
}

void CWmipListItemMapper::FilterInstanceRecordsetBySegment(CMultiFilterRecordset* recordset)
{
    if (recordset != nullptr)
        RequireUser()->AddSegmentFilterWithTableCheck(*recordset);
}
