#include "framework/associations/CWmipAssociationMapper.h"

#include "framework/CWMITypeInfo.h"
#include "framework/CWmipMapperRegistry.h"
#include "framework/CWmipObjectPath.h"
#include "framework/WMIHelper.h"
#include "inhouse/BntCoreDb/CDynamicRecordset.h"
#include "inhouse/BntUtility/CWMIDebugLog.h"
#include "platform/com/WbemConstants.h"
#include "platform/wmi/IWbemClassObject.h"

#include <algorithm>

using brontel::utility::CWMIDebugLog;

namespace {

constexpr const wchar_t* kAssociationMapperSourceFile = L"wpAssociationMapper.cpp";

CString QuoteLiteral(const CString& text)
{
    CString quoted(L"\"");
    for (int i = 0; i < text.GetLength(); ++i)
    {
        if (text[i] == L'"' || text[i] == L'\\')
            quoted += L'\\';
        quoted += text[i];
    }
    quoted += L'"';
    return quoted;
}

}  // namespace

CWmipAssociationMapper::CWmipAssociationMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services,
                                               const wchar_t* className)
    : CWmipDynamicClassMapper(user, context, services, className)
{
}

CWmipAssociationMapper::~CWmipAssociationMapper()
{
    // The referenced mappers' recordsets close before this mapper's connection goes back.
    m_referencedMappers.clear();
}

CWmipClassMapper* CWmipAssociationMapper::GetReferencedClassMapper(const CString& property)
{
    const auto found = m_referencedMappers.find(property);
    if (found != m_referencedMappers.end())
        return found->second.get();
    const CWMITypeInfo* typeInfo = GetTypeInfo();
    if (typeInfo == nullptr)
        return nullptr;
    const auto& references = typeInfo->GetReferenceProperties();
    const auto reference = references.find(property);
    if (reference == references.end())
        return nullptr;
    std::unique_ptr<CWmipClassMapper> mapper(CWmipMapperRegistry::Instance()->GetMapperUsingRegistry(
        GetDatabaseUser(), GetContext(), GetServices(), reference->second, GetDoor()));
    if (mapper == nullptr)
        return nullptr;
    mapper->SetUserEntry(GetUserEntry());
    CWmipClassMapper* result = mapper.get();
    m_referencedMappers.emplace(property, std::move(mapper));
    return result;
}

ProcessClauseResult CWmipAssociationMapper::ProcessClause(CString& property, int& wqlOperator, CString& literal,
                                                          CString& extra)
{
    const CWMITypeInfo* typeInfo = GetTypeInfo();
    if (typeInfo == nullptr || typeInfo->GetReferenceProperties().count(property) == 0)
        return CWmipDynamicClassMapper::ProcessClause(property, wqlOperator, literal, extra);

    CWmipClassMapper* referenced = GetReferencedClassMapper(property);
    CString pathText;
    if (referenced == nullptr || !WMIHelper::UnquoteWqlLiteral(literal, pathText))
        return ProcessClauseDrop;
    const std::unique_ptr<CWmipObjectPath> path = CWmipObjectPath::CreateFromPath(pathText);
    if (path == nullptr || path->GetKeyCount() != 1 ||
        path->GetClassName().CompareNoCase(referenced->GetClassName()) != 0)
        return ProcessClauseDrop;

    CString keyProperty = path->GetKeyNames().front();
    CString keyLiteral = QuoteLiteral(path->GetKeyValues().front());
    const ProcessClauseResult result = referenced->ProcessClause(keyProperty, wqlOperator, keyLiteral, extra);
    if (result == ProcessClauseDrop)
        return ProcessClauseDrop;
    if (result == ProcessClausePlain)
    {
        // The referenced class's own column, so the query's check of plain columns (which
        // knows this class's columns) is not asked about another class's.
        const CString column = referenced->GetTableDotColumn(keyProperty);
        if (column.IsEmpty())
            return ProcessClauseDrop;
        keyProperty = column;
    }
    property = keyProperty;
    literal = keyLiteral;
    return ProcessClauseKeep;
}

void CWmipAssociationMapper::SetupInstanceRecordset(CDynamicRecordset* recordset)
{
    CWmipDynamicClassMapper::SetupInstanceRecordset(recordset);
    const CWMITypeInfo* typeInfo = GetTypeInfo();
    if (typeInfo == nullptr || recordset == nullptr)
        return;
    for (const auto& [property, referencedClass] : typeInfo->GetReferenceProperties())
    {
        CWmipClassMapper* referenced = GetReferencedClassMapper(property);
        if (referenced == nullptr)
            continue;
        referenced->SetupAssociationRecordset(recordset);
        AddKeyColumns(*referenced, *recordset);
    }
}

void CWmipAssociationMapper::AddKeyColumns(CWmipClassMapper& referenced, CDynamicRecordset& recordset)
{
    const CWMITypeInfo* typeInfo = referenced.GetTypeInfo();
    if (typeInfo == nullptr)
        return;
    const auto tables = recordset.GetQuery().GetTableNames();
    for (const auto& [key, tableDotColumn] : typeInfo->GetKeyProperties())
    {
        const int dot = tableDotColumn.Find(L'.');
        if (dot <= 0)
            continue;
        const CString table = tableDotColumn.Left(dot);
        const bool joined = std::any_of(tables.begin(), tables.end(),
                                        [&](const auto& named) { return named.first.CompareNoCase(table) == 0; });
        if (joined)
            recordset.AddColumnToSet(tableDotColumn.Mid(dot + 1), table, true);
    }
}

HRESULT CWmipAssociationMapper::CreateInstance(IWbemClassObject** instance)
{
    const HRESULT hr = CWmipDynamicClassMapper::CreateInstance(instance);
    if (FAILED(hr))
        return hr;
    const CWMITypeInfo* typeInfo = GetTypeInfo();
    CMultiFilterRecordset* recordset = GetInstanceRecordset();
    if (typeInfo == nullptr || recordset == nullptr)
        return hr;
    for (const auto& [property, referencedClass] : typeInfo->GetReferenceProperties())
    {
        CWmipClassMapper* referenced = GetReferencedClassMapper(property);
        CString path;
        if (referenced == nullptr || FAILED(referenced->GetObjectPath(*recordset, path)))
        {
            CWMIDebugLog::LogError(kAssociationMapperSourceFile, __LINE__,
                                   CString(L"Unable to build the object path of the reference ") + property + L".");
            continue;
        }
        const HRESULT put = WMIHelper::PutString(*instance, property, path, 0);
        if (FAILED(put))
        {
            (*instance)->Release();
            *instance = nullptr;
            return put;
        }
    }
    return hr;
}
