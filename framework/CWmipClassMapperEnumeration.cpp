// The enumeration half of CWmipClassMapper: the instance recordset (shape, filters, query,
// ordering and paging), the row-by-row reading, counting and keyed reads, and the building of
// one instance from the current row.
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
#include "framework/WqlInstancePropertySource.h"
#include "inhouse/BntCoreDb/CBntDatabase.h"
#include "inhouse/BntCoreDb/CDBException.h"
#include "inhouse/BntCoreDb/CDynamicRecordset.h"
#include "inhouse/BntCoreDb/CRowCountSet.h"
#include "inhouse/BntLogin/CAcsUser.h"
#include "inhouse/BntUtility/CWMIDebugLog.h"
#include "inhouse/BntUtility/CWMIException.h"
#include "platform/com/CimTypes.h"
#include "platform/com/WbemConstants.h"
#include "platform/wmi/IWbemClassObject.h"

#include <charconv>
#include <memory>
#include <optional>
#include <utility>

using brontel::utility::CWMIDebugLog;
using brontel::utility::CWMIException;

namespace {

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

// The real table behind a name the recordset qualifies its columns with (alias or table), among
// the recordset's table names.
CString RealTable(const std::vector<std::pair<CString, CString>>& tableNames, const CString& name)
{
    for (const auto& [alias, table] : tableNames)
    {
        if (alias.CompareNoCase(name) == 0)
            return table;
    }
    return name;
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

// Moves the recordset past the current row when the scope ends without having done so.
class RowAdvance
{
public:
    explicit RowAdvance(CMultiFilterRecordset& recordset) : m_recordset(recordset) {}
    ~RowAdvance()
    {
        if (m_done)
            return;
        try
        {
            if (m_recordset.IsOpen() && !m_recordset.IsEOF())
                m_recordset.MoveNext();
        }
        catch (const CException&)
        {
            m_recordset.Close();
        }
    }
    RowAdvance(const RowAdvance&) = delete;
    RowAdvance& operator=(const RowAdvance&) = delete;
    void Advance()
    {
        m_done = true;
        m_recordset.MoveNext();
    }

private:
    CMultiFilterRecordset& m_recordset;
    bool m_done = false;
};

}  // namespace

HRESULT CWmipClassMapper::CreateInstance(IWbemClassObject** instance)
{
    if (instance == nullptr)
        return WBEM_E_INVALID_PARAMETER;
    *instance = nullptr;
    if (m_recordset == nullptr || !m_recordset->IsOpen() || m_recordset->IsEOF())
        return WBEM_E_FAILED;

    // The class is fetched on the first row; the mapper holds it for the rest of the
    // enumeration, so later rows borrow it without a reference of their own.
    if (m_instanceClass == nullptr)
    {
        ComPtr<IWbemClassObject> fetched;
        const HRESULT fetchResult = GetInstanceClass(fetched);
        if (FAILED(fetchResult))
            return fetchResult;
    }
    IWbemClassObject* const classObject = m_instanceClass.Get();
    ComPtr<IWbemClassObject> built;
    HRESULT hr = SpawnRowInstance(classObject, built);
    if (FAILED(hr))
        return hr;
    if (built == nullptr)
        return WBEM_E_FAILED;

    const std::vector<ColumnPlan>& plans = GetColumnPlans(classObject);
    for (int index = 0; index < static_cast<int>(plans.size()); ++index)
    {
        const ColumnPlan& plan = plans[static_cast<size_t>(index)];
        switch (plan.method)
        {
        case WMIHelper::kProcessSkip:
            break;
        case WMIHelper::kProcessByColumnName:
        case WMIHelper::kProcessByPropertyName:
        case WMIHelper::kProcessByOwnColumnName:
        case WMIHelper::kProcessByRegisteredName:
            hr = PutColumn(built.Get(), plan, index);
            break;
        case WMIHelper::kProcessByMapper:
        case WMIHelper::kProcessByMapperSecond:
        case WMIHelper::kProcessByMapperThird: {
            IWbemClassObject* target = built.Get();
            hr = ProcessInstanceProperty(&target, plan.column, plan.table);
            if (FAILED(hr))
                throw CWMIException(kSourceFile, __LINE__, hr);
            hr = S_OK;
            break;
        }
        default: {
            // A number no processing method has is a mapper's fault, never a column to guess at.
            CString text;
            text.Format(L"The column %s has the unknown processing method %d.", plan.column.GetString(), plan.method);
            throw CWMIException(kSourceFile, __LINE__, WBEM_E_FAILED, text);
        }
        }
        if (FAILED(hr))
            return hr;
    }
    *instance = built.Detach();
    return S_OK;
}

HRESULT CWmipClassMapper::SpawnRowInstance(IWbemClassObject* classObject, ComPtr<IWbemClassObject>& built)
{
    for (ComPtr<IWbemClassObject>& kept : m_rowInstances)
    {
        // Only a reference of this mapper's own left: nobody can see the instance change.
        WbemClassObject* own = kept == nullptr ? nullptr : WbemClassObject::FromInterface(kept.Get());
        if (own != nullptr && own->IsSoleReference() && SUCCEEDED(own->Respawn(classObject)))
        {
            built = kept;
            return S_OK;
        }
    }
    const HRESULT hr = classObject->SpawnInstance(0, &built);
    if (FAILED(hr))
        return hr;
    m_rowInstances[m_nextRowInstance] = built;
    m_nextRowInstance = (m_nextRowInstance + 1) % m_rowInstances.size();
    return hr;
}

const std::vector<CWmipClassMapper::ColumnPlan>& CWmipClassMapper::GetColumnPlans(IWbemClassObject* classObject)
{
    if (m_planRecordset == m_recordset.get() && m_planRecordset != nullptr)
        return m_columnPlans;
    m_columnPlans.clear();
    m_planRecordset = nullptr;
    const CRecordsetQuery& shape = m_recordset->GetQuery();
    const auto& columns = shape.GetColumns();
    const std::vector<std::pair<CString, CString>> tableNames = shape.GetTableNames();
    const WbemClassObject* definition = WbemClassObject::FromInterface(classObject);
    std::vector<ColumnPlan> plans;
    plans.reserve(columns.size());
    for (const auto& entry : columns)
    {
        ColumnPlan plan;
        plan.column = entry.alias.IsEmpty() ? entry.column : entry.alias;
        plan.table = RealTable(tableNames, entry.table);
        plan.method = GetPropertyProcessMethod(plan.column, plan.table);
        if (plan.method == WMIHelper::kProcessByColumnName || plan.method == WMIHelper::kProcessByOwnColumnName)
            plan.property = plan.column;
        else if (plan.method == WMIHelper::kProcessByPropertyName || plan.method == WMIHelper::kProcessByRegisteredName)
            plan.property = GetPropertyName(plan.column, plan.table);
        if (!plan.property.IsEmpty())
        {
            // A column the class defines no property for (a join key, a helper column) is not
            // shown; an instance has exactly the properties of the class it is spawned from.
            plan.shown = SUCCEEDED(classObject->Get(plan.property, 0, nullptr, &plan.type, nullptr));
            // A column left without a slot is put by name, as on any other class object.
            if (plan.shown && definition != nullptr)
                definition->FindSlot(plan.property, &plan.slot);
        }
        plans.push_back(std::move(plan));
    }
    m_columnPlans = std::move(plans);
    m_planRecordset = m_recordset.get();
    return m_columnPlans;
}

HRESULT CWmipClassMapper::PutColumn(IWbemClassObject* instance, const ColumnPlan& plan, int index)
{
    if (!plan.shown || m_recordset->IsFieldNull(index))
        return S_OK;

    const CString& property = plan.property;
    const CIMTYPE type = plan.type;
    const WbemClassObject::PropertySlot* slot = &plan.slot;
    if ((type & CIM_FLAG_ARRAY) != 0)
    {
        if ((type & ~CIM_FLAG_ARRAY) == CIM_UINT8)
            return WMIHelper::PutByteArray(instance, property, m_recordset->GetBytes(index), slot);
        return S_OK;
    }
    switch (type)
    {
    case CIM_BOOLEAN:
        return WMIHelper::PutBool(instance, property, m_recordset->GetBool(index), slot);
    case CIM_SINT8:
    case CIM_UINT8:
    case CIM_SINT16:
    case CIM_UINT16:
    case CIM_SINT32:
        return WMIHelper::PutNumber(instance, property, m_recordset->GetLong(index), slot);
    case CIM_UINT32:
        return WMIHelper::PutUnsignedNumber(instance, property, static_cast<ULONG>(m_recordset->GetLongLong(index)),
                                            slot);
    case CIM_SINT64:
    case CIM_UINT64:
        return WMIHelper::PutNumber64(instance, property, m_recordset->GetLongLong(index), slot);
    case CIM_REAL32:
    case CIM_REAL64: {
        _variant_t value(m_recordset->GetDouble(index));
        return WMIHelper::PutVariant(instance, property, &value, 0, slot);
    }
    case CIM_DATETIME: {
        // Date-time columns hold local wall-clock time unless the class keeps UTC.
        COleDateTime value = m_recordset->GetDateTime(index);
        if (!IsUseUTC())
            value = LocalToUtc(value);
        if (value.GetStatus() != COleDateTime::valid)
            return S_OK;
        return WMIHelper::PutDateTime(instance, property, value, slot);
    }
    default:
        return WMIHelper::PutText(instance, property, m_recordset->GetTextView(index), 0, slot);
    }
}

CMultiFilterRecordset* CWmipClassMapper::GetInstanceRecordset() const
{
    return m_recordset.get();
}

HRESULT CWmipClassMapper::GetInstanceClass(ComPtr<IWbemClassObject>& classObject)
{
    if (m_instanceClass == nullptr)
    {
        const HRESULT hr = GetHeldClass(m_instanceClass, FALSE);
        if (FAILED(hr))
            return hr;
    }
    classObject = m_instanceClass;
    return S_OK;
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

bool CWmipClassMapper::IsStoredAsCipher(const CString& property)
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
        if (IsStoredAsCipher(property))
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
    EndEnumeration();
    m_instanceClass = nullptr;
    m_rowInstances = {};
    try
    {
        bool stored = true;
        std::unique_ptr<CDynamicRecordset> recordset = PrepareRecordset(stored);
        // A class of methods only has no instances to read: the enumeration is empty.
        if (recordset == nullptr)
            return stored ? FALSE : TRUE;
        const CWmipQuery* query = GetQuery();
        const bool superset = query != nullptr && query->IsWhereClauseSuperset();
        if (!m_orderByFields.empty() || m_endingRecord != 0)
            ApplyOrdering(*recordset);
        m_rowsToSkip = 0;
        m_rowsLeft = -1;
        if (m_endingRecord != 0)
        {
            const LONG first = m_startingRecord < 1 ? 1 : m_startingRecord;
            if (superset)
            {
                // Pages count matching rows, which only the in-memory check can tell.
                m_rowsToSkip = first - 1;
                m_rowsLeft = m_endingRecord >= first ? m_endingRecord - first + 1 : 0;
            }
            else
            {
                recordset->SetPaging(first, m_endingRecord);
            }
        }
        recordset->Open(CMultiFilterRecordset::kReadOnly);
        m_recordset = std::move(recordset);
        return TRUE;
    }
    catch (const CDBException& e)
    {
        CWMIDebugLog::LogError(kSourceFile, __LINE__,
                               CString(L"Unable to open the instances of ") + GetClassName() + L".", 0, &e);
        return FALSE;
    }
}

bool CWmipClassMapper::HasMoreInstances() const
{
    try
    {
        return m_recordset != nullptr && m_recordset->IsOpen() && !m_recordset->IsEOF() && m_rowsLeft != 0;
    }
    catch (const CException&)
    {
        return false;
    }
}

bool CWmipClassMapper::InstanceMatchesQuery(IWbemClassObject* instance) const
{
    const CWmipQuery* query = GetQuery();
    if (query == nullptr || !query->IsWhereClauseSuperset())
        return true;
    return query->Matches(WqlInstancePropertySource(instance));
}

HRESULT CWmipClassMapper::NextInstance(IWbemClassObject** instance, LONG /*flags*/)
{
    if (instance == nullptr)
        return WBEM_E_INVALID_PARAMETER;
    *instance = nullptr;
    if (!HasMoreInstances())
        return WBEM_S_NO_MORE_DATA;
    try
    {
        while (HasMoreInstances())
        {
            ComPtr<IWbemClassObject> built;
            HRESULT hr = S_OK;
            {
                RowAdvance advance(*m_recordset);
                try
                {
                    hr = CreateInstance(&built);
                }
                catch (const CDBException& e)
                {
                    // A stored value that fits no property (text in a number column, a number
                    // too large) spoils its own row only: the row is named in the log and
                    // passed over, the enumeration goes on.
                    if (e.GetState().Left(2) != L"22")
                        throw;
                    LogSkippedRow(&e);
                    built = nullptr;
                }
                if (IsRowValueFailure(hr))
                    LogSkippedRow(nullptr);
                advance.Advance();
            }
            if (IsRowValueFailure(hr))
                continue;
            if (FAILED(hr))
                return hr;
            if (built == nullptr || !InstanceMatchesQuery(built.Get()))
                continue;
            if (m_rowsToSkip > 0)
            {
                --m_rowsToSkip;
                continue;
            }
            if (m_rowsLeft > 0)
                --m_rowsLeft;
            *instance = built.Detach();
            return S_OK;
        }
        return S_FALSE;
    }
    catch (const CWMIException& e)
    {
        return FAILED(e.GetHResult()) ? e.GetHResult() : WBEM_E_FAILED;
    }
    catch (const CDBException& e)
    {
        CWMIDebugLog::LogError(kSourceFile, __LINE__,
                               CString(L"Unable to read an instance of ") + GetClassName() + L".", 0, &e);
        EndEnumeration();
        return WBEM_E_FAILED;
    }
}

bool CWmipClassMapper::IsRowValueFailure(HRESULT result)
{
    return result == WBEM_E_TYPE_MISMATCH || result == WBEM_E_VALUE_OUT_OF_RANGE;
}

void CWmipClassMapper::LogSkippedRow(const CException* error)
{
    CString path;
    // The row is named by its keys when they can be read, else by its class alone.
    if (m_recordset == nullptr || FAILED(GetObjectPath(*m_recordset, path)))
        path = GetClassName() + L" (keys unreadable)";
    CWMIDebugLog::LogError(kSourceFile, __LINE__,
                           L"Row skipped: a stored value of " + path + L" does not fit its property.",
                           WBEM_E_TYPE_MISMATCH, error);
}

void CWmipClassMapper::EndEnumeration()
{
    m_columnPlans.clear();
    m_planRecordset = nullptr;
    if (m_recordset != nullptr)
    {
        m_recordset->Close();
        m_recordset.reset();
    }
}

LONG CWmipClassMapper::GetTotalRowCount(bool log)
{
    try
    {
        bool stored = true;
        std::unique_ptr<CDynamicRecordset> recordset = PrepareRecordset(stored);
        if (recordset == nullptr)
            return 0;
        const CWmipQuery* query = GetQuery();
        if (query == nullptr || !query->IsWhereClauseSuperset())
        {
            CRowCountSet counter(GetDatabase());
            counter.SetRecordset(*recordset);
            return counter.GetRowCount();
        }
        // The SQL selects a superset: only the built instances can be counted. The pass runs
        // on its own recordset so an enumeration in progress is left as it stands.
        recordset->Open(CMultiFilterRecordset::kReadOnly);
        std::swap(m_recordset, recordset);
        // The plans of the enumeration in progress are left for it; the pass makes its own.
        std::vector<ColumnPlan> savedPlans;
        std::swap(m_columnPlans, savedPlans);
        const CMultiFilterRecordset* savedPlanRecordset = std::exchange(m_planRecordset, nullptr);
        struct Restore
        {
            CWmipClassMapper& mapper;
            std::unique_ptr<CDynamicRecordset>& saved;
            std::vector<ColumnPlan>& savedPlans;
            const CMultiFilterRecordset* savedPlanRecordset;
            ~Restore()
            {
                if (mapper.m_recordset != nullptr)
                    mapper.m_recordset->Close();
                std::swap(mapper.m_recordset, saved);
                std::swap(mapper.m_columnPlans, savedPlans);
                mapper.m_planRecordset = savedPlanRecordset;
            }
        } restore{*this, recordset, savedPlans, savedPlanRecordset};
        LONG count = 0;
        while (m_recordset->IsOpen() && !m_recordset->IsEOF())
        {
            ComPtr<IWbemClassObject> built;
            HRESULT hr = S_OK;
            {
                RowAdvance advance(*m_recordset);
                hr = CreateInstance(&built);
                advance.Advance();
            }
            if (SUCCEEDED(hr) && built != nullptr && InstanceMatchesQuery(built.Get()))
                ++count;
        }
        return count;
    }
    catch (const CDBException& e)
    {
        if (e.IsConnectionLost())
            throw;
        if (log)
            CWMIDebugLog::LogError(kSourceFile, __LINE__,
                                   CString(L"Unable to count the instances of ") + GetClassName() + L".", 0, &e);
        throw CWMIException(kSourceFile, __LINE__, WBEM_E_INVALID_QUERY);
    }
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
    std::unique_ptr<CWmipQuery> query = path.GetQuery();
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
