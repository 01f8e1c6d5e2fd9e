// The reading half of CWmipClassMapper's enumeration (see CWmipInstanceReader.h).
#include "framework/CWmipInstanceReader.h"

#include "framework/CWmipClassMapperHooks.h"
#include "framework/CWmipMessages.h"
#include "framework/CWmipQuery.h"
#include "framework/CWmipStoredValueRefusal.h"
#include "framework/DateTimeText.h"
#include "framework/WMIHelper.h"
#include "framework/WqlInstancePropertySource.h"
#include "inhouse/BntCoreDb/CDBException.h"
#include "inhouse/BntCoreDb/CDynamicRecordset.h"
#include "inhouse/BntCoreDb/CRowCountSet.h"
#include "inhouse/BntUtility/CWMIDebugLog.h"
#include "inhouse/BntUtility/CWMIException.h"
#include "platform/com/CimTypes.h"
#include "platform/com/WbemConstants.h"
#include "platform/wmi/CimValue.h"
#include "platform/wmi/IWbemClassObject.h"
#include "platform/win32/UnicodeConversion.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>
#include <utility>

using brontel::utility::CWMIDebugLog;
using brontel::utility::CWMIException;

namespace {

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

// The values of a served instance for the in-memory check, but a date-time read to its stored
// microsecond where the door's form serves whole seconds (the bus's), so that the check compares
// what the SQL compared.
class StoredDateTimeSource final : public WqlPropertySource
{
public:
    StoredDateTimeSource(const WqlPropertySource& served, const std::vector<std::pair<CString, CDBValue>>& stored)
        : m_served(served), m_stored(stored)
    {
    }
    bool GetValue(const CString& property, CDBValue& value) const override
    {
        for (const auto& [name, text] : m_stored)
        {
            if (name.CompareNoCase(property) == 0)
            {
                value = text;
                return true;
            }
        }
        return m_served.GetValue(property, value);
    }
    std::optional<bool> IsA(const CString& property, const CString& className) const override
    {
        return m_served.IsA(property, className);
    }
    bool IsBoolean(const CString& property) const override { return m_served.IsBoolean(property); }
    std::optional<CDBValue> ReadDateTime(const CString& property, const CString& text) const override
    {
        return m_served.ReadDateTime(property, text);
    }
    bool IsText(const CString& property) const override { return m_served.IsText(property); }

private:
    const WqlPropertySource& m_served;
    const std::vector<std::pair<CString, CDBValue>>& m_stored;
};

}  // namespace

CWmipInstanceReader::CWmipInstanceReader(CWmipClassMapperHooks& mapper)
    : m_mapper(mapper), m_recordset(mapper.m_instanceRows)
{
}

CWmipInstanceReader::~CWmipInstanceReader()
{
    End();
}

HRESULT CWmipInstanceReader::BuildInstance(IWbemClassObject** instance)
{
    if (instance == nullptr)
        return WBEM_E_INVALID_PARAMETER;
    *instance = nullptr;
    if (m_recordset == nullptr || !m_recordset->IsOpen() || m_recordset->IsEOF())
        return WBEM_E_FAILED;

    // The class is fetched on the first row; the reader holds it for the rest of the
    // enumeration, so later rows borrow it without a reference of their own.
    if (m_instanceClass == nullptr)
    {
        const HRESULT fetchResult = m_mapper.GetHeldClass(m_instanceClass, FALSE);
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

    m_rowDateTimes.clear();
    const std::vector<ColumnPlan>& plans = GetColumnPlans(classObject);
    for (int index = 0; index < static_cast<int>(plans.size()); ++index)
    {
        const ColumnPlan& plan = plans[static_cast<size_t>(index)];
        try
        {
            hr = PutPlannedColumn(built.Get(), plan, index);
        }
        catch (const CDBException& e)
        {
            // The database could not read the stored value as the column's type (a text in a
            // number column, a number beyond 64 bits, a text that is no date-time): the row is
            // there, so it is named, never passed over.
            if (e.GetState().Left(2) != L"22")
                throw;
            RefuseStoredValue(plan, index, e.m_strError);
        }
        if (hr == WBEM_E_VALUE_OUT_OF_RANGE || hr == WBEM_E_TYPE_MISMATCH)
        {
            CString reason;
            if (plan.type == CIM_DATETIME)
                reason = CWmipMessages::kStoredDateOutOfRange;
            else
                reason.Format(CWmipMessages::kStoredValueOutOfRange, CimValue::TypeName(plan.type).c_str());
            RefuseStoredValue(plan, index, reason);
        }
        if (FAILED(hr))
            return hr;
    }
    *instance = built.Detach();
    return S_OK;
}

HRESULT CWmipInstanceReader::PutPlannedColumn(IWbemClassObject* instance, const ColumnPlan& plan, int index)
{
    switch (plan.method)
    {
    case WMIHelper::kProcessSkip:
        return S_OK;
    case WMIHelper::kProcessByColumnName:
    case WMIHelper::kProcessByPropertyName:
    case WMIHelper::kProcessByOwnColumnName:
    case WMIHelper::kProcessByRegisteredName:
        return PutColumn(instance, plan, index);
    case WMIHelper::kProcessByMapper:
    case WMIHelper::kProcessByMapperSecond:
    case WMIHelper::kProcessByMapperThird: {
        IWbemClassObject* target = instance;
        const HRESULT hr = m_mapper.ProcessInstanceProperty(&target, plan.column, plan.table);
        if (FAILED(hr))
            throw CWMIException(kClassMapperLogSource, __LINE__, hr);
        return S_OK;
    }
    default: {
        // A number no processing method has is a mapper's fault, never a column to guess at.
        CString text;
        text.Format(L"The column %s has the unknown processing method %d.", plan.column.GetString(), plan.method);
        throw CWMIException(kClassMapperLogSource, __LINE__, WBEM_E_FAILED, text);
    }
    }
}

void CWmipInstanceReader::RefuseStoredValue(const ColumnPlan& plan, int index, const CString& reason)
{
    CString path;
    try
    {
        // The row is named by its keys when they can be read (a key may be the value refused).
        if (FAILED(m_mapper.GetObjectPath(*m_recordset, path)))
            path.Empty();
    }
    catch (const CException&)
    {
        path.Empty();
    }
    if (path.IsEmpty())
        path = m_mapper.GetClassName() + L" (keys unreadable)";
    CString property = plan.property;
    if (property.IsEmpty())
        property = m_mapper.GetPropertyName(plan.column, plan.table);
    if (property.IsEmpty())
        property = plan.column;
    throw CWmipStoredValueRefusal(kClassMapperLogSource, __LINE__, path, property, m_recordset->GetValue(index),
                                  reason);
}

HRESULT CWmipInstanceReader::SpawnRowInstance(IWbemClassObject* classObject, ComPtr<IWbemClassObject>& built)
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

const std::vector<CWmipInstanceReader::ColumnPlan>& CWmipInstanceReader::GetColumnPlans(IWbemClassObject* classObject)
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
        plan.method = m_mapper.GetPropertyProcessMethod(plan.column, plan.table);
        if (plan.method == WMIHelper::kProcessByColumnName || plan.method == WMIHelper::kProcessByOwnColumnName)
            plan.property = plan.column;
        else if (plan.method == WMIHelper::kProcessByPropertyName || plan.method == WMIHelper::kProcessByRegisteredName)
            plan.property = m_mapper.GetPropertyName(plan.column, plan.table);
        if (!plan.property.IsEmpty())
        {
            // A column the class defines no property for (a join key, a helper column) is not
            // shown; an instance has exactly the properties of the class it is spawned from. A
            // column left without a slot is put by name, as on any other class object.
            plan.shown =
                (definition != nullptr && SUCCEEDED(definition->FindSlot(plan.property, &plan.slot, &plan.type))) ||
                SUCCEEDED(classObject->Get(plan.property, 0, nullptr, &plan.type, nullptr));
        }
        plans.push_back(std::move(plan));
    }
    m_columnPlans = std::move(plans);
    m_planRecordset = m_recordset.get();
    m_isoDates = m_mapper.IsBusDoor();
    return m_columnPlans;
}

HRESULT CWmipInstanceReader::PutColumn(IWbemClassObject* instance, const ColumnPlan& plan, int index)
{
    if (!plan.shown || m_recordset->IsFieldNull(index))
        return S_OK;

    const CString& property = plan.property;
    const CIMTYPE type = plan.type;
    const WbemClassObject::PropertySlot* slot = &plan.slot;
    if ((type & CIM_FLAG_ARRAY) != 0)
    {
        if ((type & ~CIM_FLAG_ARRAY) == CIM_UINT8)
            return WMIHelper::PutByteArray(instance, property, m_recordset->GetBytesView(index), slot);
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
    case CIM_UINT32: {
        // A stored number the type cannot hold is refused, never cut to the type's bits.
        const LONGLONG value = m_recordset->GetLongLong(index);
        std::int64_t low = 0;
        std::int64_t high = 0;
        if (!CimValue::IntegerRange(type, &low, &high) || value < low || value > high)
            return WBEM_E_VALUE_OUT_OF_RANGE;
        if (type == CIM_UINT32)
            return WMIHelper::PutUnsignedNumber(instance, property, static_cast<ULONG>(value), slot);
        return WMIHelper::PutNumber(instance, property, static_cast<LONG>(value), slot);
    }
    case CIM_SINT64:
    case CIM_UINT64: {
        const LONGLONG value = m_recordset->GetLongLong(index);
        if (type == CIM_UINT64 && value < 0)
            return WBEM_E_VALUE_OUT_OF_RANGE;
        return WMIHelper::PutNumber64(instance, property, value, slot);
    }
    case CIM_REAL32:
    case CIM_REAL64: {
        _variant_t value(m_recordset->GetDouble(index));
        return WMIHelper::PutVariant(instance, property, &value, 0, slot);
    }
    case CIM_DATETIME: {
        // Date-time columns hold local wall-clock time unless the class keeps UTC.
        const TIMESTAMP_STRUCT stored = m_recordset->GetTimestamp(index);
        DateTimeText::Parts utc;
        if (m_isoDates && stored.fraction != 0 && WMIHelper::StoredToUtc(stored, !m_mapper.IsUseUTC(), utc))
            m_rowDateTimes.emplace_back(property, CDBValue(DateTimeText::FormatColumn(utc)));
        return WMIHelper::PutStoredDateTime(instance, property, stored, !m_mapper.IsUseUTC(), m_isoDates, slot);
    }
    default: {
        // Served, a text whose bytes are no UTF-8 would read as another text (U+FFFD for each
        // ill-formed part), one a client writing back what it read would store. The stored bytes
        // are looked at only where the text read holds a U+FFFD.
        const std::wstring_view text = m_recordset->GetTextView(index);
        if (text.find(UnicodeConversion::kReplacementCharacter) != std::wstring_view::npos)
        {
            const CDBValue stored = m_recordset->GetValue(index);
            if (stored.GetKind() == CDBValue::Kind::Text && !UnicodeConversion::IsWellFormedUtf8(stored.GetUtf8()))
                RefuseStoredValue(plan, index, CWmipMessages::kStoredTextNotUtf8);
        }
        return WMIHelper::PutText(instance, property, text, 0, slot);
    }
    }
}

BOOL CWmipInstanceReader::Begin()
{
    End();
    m_instanceClass = nullptr;
    m_rowInstances = {};
    try
    {
        bool stored = true;
        std::unique_ptr<CDynamicRecordset> recordset = m_mapper.PrepareRecordset(stored);
        // A class of methods only has no instances to read: the enumeration is empty.
        if (recordset == nullptr)
            return stored ? FALSE : TRUE;
        const CWmipQuery* query = m_mapper.GetQuery();
        const bool superset = query != nullptr && query->IsWhereClauseSuperset();
        if (m_mapper.HasOrderByFields() || m_mapper.GetEndingRecord() != 0)
            m_mapper.ApplyOrdering(*recordset);
        m_rowsToSkip = 0;
        m_rowsLeft = -1;
        if (m_mapper.GetEndingRecord() != 0)
        {
            const LONG first = m_mapper.GetStartingRecord() < 1 ? 1 : m_mapper.GetStartingRecord();
            if (superset)
            {
                // Pages count matching rows, which only the in-memory check can tell.
                m_rowsToSkip = first - 1;
                m_rowsLeft = m_mapper.GetEndingRecord() >= first ? m_mapper.GetEndingRecord() - first + 1 : 0;
            }
            else
            {
                recordset->SetPaging(first, m_mapper.GetEndingRecord());
            }
        }
        recordset->Open(CMultiFilterRecordset::kReadOnly);
        m_recordset = std::move(recordset);
        return TRUE;
    }
    catch (const CDBException& e)
    {
        CWMIDebugLog::LogError(kClassMapperLogSource, __LINE__,
                               CString(L"Unable to open the instances of ") + m_mapper.GetClassName() + L".", 0, &e);
        return FALSE;
    }
}

bool CWmipInstanceReader::HasMore() const
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

bool CWmipInstanceReader::InstanceMatchesQuery(IWbemClassObject* instance) const
{
    const CWmipQuery* query = m_mapper.GetQuery();
    if (query == nullptr || !query->IsWhereClauseSuperset())
        return true;
    const WqlInstancePropertySource served(instance, m_mapper.GetDoor());
    if (m_rowDateTimes.empty())
        return query->Matches(served);
    return query->Matches(StoredDateTimeSource(served, m_rowDateTimes));
}

HRESULT CWmipInstanceReader::Next(IWbemClassObject** instance)
{
    if (instance == nullptr)
        return WBEM_E_INVALID_PARAMETER;
    *instance = nullptr;
    if (!HasMore())
        return WBEM_S_NO_MORE_DATA;
    try
    {
        while (HasMore())
        {
            ComPtr<IWbemClassObject> built;
            HRESULT hr = S_OK;
            {
                RowAdvance advance(*m_recordset);
                hr = m_mapper.CreateInstance(&built);
                advance.Advance();
            }
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
    catch (const CWmipStoredValueRefusal&)
    {
        // Its text names the value, the property and the row: it goes to the caller whole.
        End();
        throw;
    }
    catch (const CWMIException& e)
    {
        return FAILED(e.GetHResult()) ? e.GetHResult() : WBEM_E_FAILED;
    }
    catch (const CDBException& e)
    {
        CWMIDebugLog::LogError(kClassMapperLogSource, __LINE__,
                               CString(L"Unable to read an instance of ") + m_mapper.GetClassName() + L".", 0, &e);
        End();
        return WBEM_E_FAILED;
    }
}

void CWmipInstanceReader::End()
{
    m_columnPlans.clear();
    m_planRecordset = nullptr;
    if (m_recordset != nullptr)
    {
        m_recordset->Close();
        m_recordset.reset();
    }
}

LONG CWmipInstanceReader::CountRows(bool log)
{
    try
    {
        bool stored = true;
        std::unique_ptr<CDynamicRecordset> recordset = m_mapper.PrepareRecordset(stored);
        if (recordset == nullptr)
            return 0;
        const CWmipQuery* query = m_mapper.GetQuery();
        if (query == nullptr || !query->IsWhereClauseSuperset())
        {
            CRowCountSet counter(m_mapper.GetDatabase());
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
            CWmipInstanceReader& reader;
            std::unique_ptr<CDynamicRecordset>& saved;
            std::vector<ColumnPlan>& savedPlans;
            const CMultiFilterRecordset* savedPlanRecordset;
            ~Restore()
            {
                if (reader.m_recordset != nullptr)
                    reader.m_recordset->Close();
                std::swap(reader.m_recordset, saved);
                std::swap(reader.m_columnPlans, savedPlans);
                reader.m_planRecordset = savedPlanRecordset;
            }
        } restore{*this, recordset, savedPlans, savedPlanRecordset};
        LONG count = 0;
        while (m_recordset->IsOpen() && !m_recordset->IsEOF())
        {
            ComPtr<IWbemClassObject> built;
            HRESULT hr = S_OK;
            {
                RowAdvance advance(*m_recordset);
                hr = m_mapper.CreateInstance(&built);
                advance.Advance();
            }
            // A row that cannot be built fails the count as it fails the page that meets it.
            if (FAILED(hr))
                throw CWMIException(kClassMapperLogSource, __LINE__, hr);
            if (built != nullptr && InstanceMatchesQuery(built.Get()))
                ++count;
        }
        return count;
    }
    catch (const CDBException& e)
    {
        if (e.IsConnectionLost())
            throw;
        if (log)
            CWMIDebugLog::LogError(kClassMapperLogSource, __LINE__,
                                   CString(L"Unable to count the instances of ") + m_mapper.GetClassName() + L".", 0,
                                   &e);
        throw CWMIException(kClassMapperLogSource, __LINE__, WBEM_E_INVALID_QUERY);
    }
}
