// The enumeration half of CWmipClassMapper: the instance recordset's shape, filters, query and
// ordering, the ordering's checks, and keyed reads; the rows are read by CWmipInstanceReader.
#include "framework/CWmipClassMapper.h"

#include "common/StringHelpers.h"

#include "framework/CWMITypeInfo.h"
#include "framework/CWmipMapperRegistry.h"
#include "framework/CWmipMessages.h"
#include "framework/CWmipObjectPath.h"
#include "framework/CWmipQuery.h"
#include "framework/CWmipQueryRefusal.h"
#include "framework/WMIHelper.h"
#include "framework/wql/WqlEvaluator.h"
#include "inhouse/BntCoreDb/CBntDatabase.h"
#include "inhouse/BntCoreDb/CDynamicRecordset.h"
#include "inhouse/BntLogin/CAcsUser.h"
#include "inhouse/BntUtility/CWMIDebugLog.h"
#include "inhouse/BntUtility/CWMIException.h"
#include "platform/com/WbemConstants.h"
#include "platform/wmi/IWbemClassObject.h"

#include <charconv>
#include <memory>
#include <utility>

using brontel::utility::CWMIDebugLog;
using brontel::utility::CWMIException;

namespace {

// The class mapper's source name in the log: the mapper's reads and writes are split over
// several files (this one among them) but log as the one mapper they are, so a reader of the log
// finds every line of a request's road under one name.
constexpr const wchar_t* kSourceFile = L"wpClassMapper.cpp";

// Splits "TABLE.COLUMN" at its last point; a text without one is a bare column.
void SplitTableDotColumn(const CString& tableDotColumn, CString& table, CString& column)
{
    const int dot = tableDotColumn.ReverseFind(L'.');
    if (dot < 0)
    {
        table.Empty();
        column = tableDotColumn;
        return;
    }
    table = tableDotColumn.Left(dot);
    column = tableDotColumn.Mid(dot + 1);
}

// The key value of an instance as text, for the comparison with a path's key value.
bool KeyValueMatches(IWbemClassObject* instance, const CString& key, const CString& expected)
{
    _variant_t raw;
    if (FAILED(instance->Get(key, 0, &raw, nullptr, nullptr)))
        return false;
    const VARIANT& v = raw;
    if (v.vt == VT_EMPTY || v.vt == VT_NULL)
        return false;
    // Text keys compare as the database compares them: ASCII letters folded, nothing else, and
    // over the whole stored text (a NUL inside it does not end the comparison).
    if (v.vt == VT_BSTR)
    {
        const std::wstring stored(v.bstrVal != nullptr ? v.bstrVal : L"", SysStringLen(v.bstrVal));
        return WqlEvaluator::CompareFoldingAsciiCase(CStringToUtf8(CString(stored)), CStringToUtf8(expected)) == 0;
    }
    if (v.vt == VT_BOOL)
    {
        const bool flag = v.boolVal != VARIANT_FALSE;
        return expected.CompareNoCase(flag ? L"TRUE" : L"FALSE") == 0 || expected == (flag ? L"1" : L"0");
    }
    _variant_t wide;
    if (SUCCEEDED(VariantChangeType(&wide, &raw, 0, VT_I8)))
    {
        const std::string narrow = CStringToUtf8(expected);
        LONGLONG parsed = 0;
        const auto [end, ec] = std::from_chars(narrow.data(), narrow.data() + narrow.size(), parsed);
        return ec == std::errc() && end == narrow.data() + narrow.size() &&
               parsed == static_cast<const VARIANT&>(wide).llVal;
    }
    _variant_t text;
    if (FAILED(VariantChangeType(&text, &raw, 0, VT_BSTR)))
        return false;
    return CString(static_cast<const VARIANT&>(text).bstrVal).CompareNoCase(expected) == 0;
}

}  // namespace

HRESULT CWmipClassMapper::CreateInstance(IWbemClassObject** instance)
{
    return m_reader.BuildInstance(instance);
}

CMultiFilterRecordset* CWmipClassMapper::GetInstanceRecordset() const
{
    return m_reader.Recordset();
}

std::unique_ptr<CDynamicRecordset> CWmipClassMapper::PrepareRecordset(bool& stored)
{
    stored = true;
    CBntDatabase* database = GetDatabase();
    if (database == nullptr)
    {
        CWMIDebugLog::LogError(kSourceFile, __LINE__,
                               CString(L"No database connection to enumerate the class ") + GetClassName() + L".");
        return nullptr;
    }
    auto recordset = std::make_unique<CDynamicRecordset>(database);
    SetupInstanceRecordset(recordset.get());
    const CRecordsetQuery& shape = recordset->GetQuery();
    if (!shape.HasTable() || shape.GetColumns().empty())
    {
        stored = false;
        return nullptr;
    }
    FilterInstanceRecordset(recordset.get());
    FilterInstanceRecordsetBySegment(recordset.get());
    const CWmipQuery* query = GetQuery();
    if (query != nullptr && !query->GetWhereClause().IsEmpty())
        recordset->AppendFilter(query->GetWhereClause(), query->GetWhereParameters());
    return recordset;
}

bool CWmipClassMapper::IsWithheldProperty(const CString& property)
{
    CString table;
    CString column;
    SplitTableDotColumn(GetTableDotColumn(property), table, column);
    const ColumnHook* hook = column.IsEmpty() ? nullptr : FindColumnHook(column, table);
    return hook != nullptr && hook->read == &CWmipClassMapper::Withheld;
}

HRESULT CWmipClassMapper::Withheld(CWmipClassMapper& /*mapper*/, IWbemClassObject& /*instance*/,
                                   const CMultiFilterRecordset& /*row*/, const CString& /*column*/)
{
    return S_OK;
}

bool CWmipClassMapper::IsSecretProperty(const CString& property)
{
    if (IsWithheldProperty(property))
        return true;
    CString table;
    CString column;
    SplitTableDotColumn(GetTableDotColumn(property), table, column);
    const ColumnHook* hook = column.IsEmpty() ? nullptr : FindColumnHook(column, table);
    return hook != nullptr && hook->storesCipher;
}

void CWmipClassMapper::SetOrderByFields(const CString& fields)
{
    std::vector<CString> order = SplitTrimmedList(fields, L',');
    for (const CString& property : order)
        if (IsSecretProperty(property))
            throw CWmipQueryRefusal::Withheld(kSourceFile, __LINE__, property, CWmipQueryRefusal::Use::Order);
    m_orderByFields = std::move(order);
}

void CWmipClassMapper::ApplyOrdering(CDynamicRecordset& recordset)
{
    const CWMITypeInfo* typeInfo = GetTypeInfo();
    std::vector<CString> columns;
    bool valid = true;
    for (const CString& property : m_orderByFields)
    {
        // A name of no property is not valid even where the mapper would make a column of it,
        // which the database would not know.
        const CString column =
            typeInfo == nullptr || typeInfo->HasProperty(property) ? GetTableDotColumn(property) : CString();
        if (column.IsEmpty())
        {
            valid = false;
            break;
        }
        columns.push_back(column);
    }
    if (!valid)
        columns.clear();

    // The keys close the ordering so that pages never overlap or skip rows of equal values.
    if (typeInfo != nullptr)
    {
        for (const auto& [key, keyColumn] : typeInfo->GetKeyProperties())
        {
            const CString column = keyColumn.IsEmpty() ? GetTableDotColumn(key) : keyColumn;
            if (column.IsEmpty())
                continue;
            bool present = false;
            for (const CString& existing : columns)
                present = present || existing.CompareNoCase(column) == 0;
            if (!present)
                columns.push_back(column);
        }
    }
    for (const CString& tableDotColumn : columns)
    {
        CString table;
        CString column;
        SplitTableDotColumn(tableDotColumn, table, column);
        recordset.AddOrderBy(column, table, m_sortDescending);
    }
}

BOOL CWmipClassMapper::BeginEnumeration()
{
    return m_reader.Begin();
}

bool CWmipClassMapper::HasMoreInstances() const
{
    return m_reader.HasMore();
}

HRESULT CWmipClassMapper::NextInstance(IWbemClassObject** instance, LONG /*flags*/)
{
    return m_reader.Next(instance);
}

void CWmipClassMapper::EndEnumeration()
{
    m_reader.End();
}

LONG CWmipClassMapper::GetTotalRowCount(bool log)
{
    return m_reader.CountRows(log);
}

IWbemClassObject* CWmipClassMapper::GetCurrentInstance(CWmipObjectPath* path)
{
    if (path == nullptr)
        throw CWMIException(kSourceFile, __LINE__, WBEM_E_INVALID_PARAMETER);
    // A class path names no instance: taking the first row instead would aim an instance
    // method (a door, a clock) at whatever device happens to come first.
    if (path->GetKeyCount() <= 0)
        throw CWMIException(kSourceFile, __LINE__, WBEM_E_INVALID_OBJECT_PATH, CWmipMessages::kInvalidObjectPath);
    // A path that names part of the keys, or a property that is no key, identifies no instance.
    const CWMITypeInfo* typeInfo = GetTypeInfo();
    if (path->GetKeyCount() > 0 && typeInfo != nullptr && !typeInfo->NamesExactlyTheKeys(path->GetKeyNames()))
        return nullptr;
    return ReadMatching(*path);
}

IWbemClassObject* CWmipClassMapper::ReadMatching(const CWmipObjectPath& path)
{
    std::unique_ptr<CWmipQuery> query = CWmipQuery::CreateFromObjectPath(path);
    if (query == nullptr)
        throw CWMIException(kSourceFile, __LINE__, WBEM_E_INVALID_OBJECT_PATH);
    CWmipQuery* previous = GetQuery();
    struct Detach
    {
        CWmipClassMapper& mapper;
        CWmipQuery* previous;
        ~Detach()
        {
            mapper.EndEnumeration();
            mapper.SetQueryAttachment(previous);
        }
    } detach{*this, previous};

    SetQuery(query.get());
    if (!BeginEnumeration())
        throw CWMIException(kSourceFile, __LINE__, WBEM_E_FAILED);
    // Only a row that carries the path's own key values is the instance: a row the SQL let
    // through for another reason (a dropped comparison, a duplicate of a join) is not.
    while (HasMoreInstances())
    {
        IWbemClassObject* raw = nullptr;
        const HRESULT hr = NextInstance(&raw, 0);
        if (FAILED(hr))
            throw CWMIException(kSourceFile, __LINE__, hr);
        ComPtr<IWbemClassObject> candidate;
        candidate.Attach(raw);
        if (candidate == nullptr)
            continue;
        bool matches = true;
        for (int i = 0; i < path.GetKeyCount() && matches; ++i)
        {
            matches = KeyValueMatches(candidate.Get(), path.GetKeyNames()[static_cast<size_t>(i)],
                                      path.GetKeyValues()[static_cast<size_t>(i)]);
        }
        if (matches)
            return candidate.Detach();
    }
    return nullptr;
}
