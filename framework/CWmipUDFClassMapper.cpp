#include "framework/CWmipUDFClassMapper.h"
#include "framework/CWmipSegmentSourceFilter.h"

#include "framework/CWMITypeInfo.h"
#include "framework/CWmipMessages.h"
#include "framework/CWmipPropertyRefusal.h"
#include "framework/IWmipUserDirectory.h"
#include "framework/WMIHelper.h"
#include "inhouse/BntCoreDb/CDBException.h"
#include "inhouse/BntCoreDb/CDynamicRecordset.h"
#include "inhouse/BntCoreDb/CSqlText.h"
#include "inhouse/BntLogin/CAcsUser.h"
#include "inhouse/BntLogin/CDefinitionStamps.h"
#include "inhouse/BntUtility/CWMIDebugLog.h"
#include "inhouse/BntUtility/CWMIException.h"
#include "platform/com/CimTypes.h"
#include "platform/com/WbemConstants.h"
#include "platform/wmi/IWbemClassObject.h"
#include "platform/wmi/IWbemQualifierSet.h"

using brontel::utility::CWMIDebugLog;
using brontel::utility::CWMIException;

namespace {

constexpr const wchar_t* kUDFClassMapperSourceFile = L"wpUDFClassMapper.cpp";
constexpr LONG kPropagatedFlavor = WBEM_FLAVOR_FLAG_PROPAGATE_TO_INSTANCE | WBEM_FLAVOR_FLAG_PROPAGATE_TO_DERIVED_CLASS;

CString TextOf(const VARIANT& value)
{
    _variant_t text;
    if (value.vt == VT_BSTR)
        return CString(value.bstrVal != nullptr ? value.bstrVal : L"");
    if (FAILED(VariantChangeType(&text, &value, 0, VT_BSTR)))
        return CString();
    return CString(text.bstrVal != nullptr ? text.bstrVal : L"");
}

// Binds the value to the column's filter: integers as integers, everything else as text.
void AddValueFilter(CMultiFilterRecordset& recordset, const CString& column, const VARIANT& value, int comparison)
{
    _variant_t number;
    if (value.vt != VT_BSTR && SUCCEEDED(VariantChangeType(&number, &value, 0, VT_I8)))
        recordset.AddFilterLongLong(column, number.llVal, comparison);
    else
        recordset.AddFilterText(column, TextOf(value), comparison);
}

std::vector<CString> SplitList(const CString& text)
{
    return text.IsEmpty() ? std::vector<CString>()
                          : WMIHelper::SplitString(text, CWmipUDFClassMapper::kValueListSeparator);
}

}  // namespace

CWmipUDFClassMapper::CWmipUDFClassMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services,
                                         const wchar_t* className)
    : CWmipClassMapper(user, context, services, className)
{
}

CWmipUDFClassMapper::~CWmipUDFClassMapper() = default;

BOOL CWmipUDFClassMapper::WMIStoresClassDefinition()
{
    return FALSE;
}

LONG CWmipUDFClassMapper::GetPropertyType(const CString& /*column*/, const CString& /*table*/)
{
    return 0;
}

HRESULT CWmipUDFClassMapper::ProcessClassProperty(IWbemClassObject* /*classObject*/, const CString& /*column*/,
                                                  const CString& /*table*/)
{
    return WBEM_E_NOT_SUPPORTED;
}

const std::vector<CWmipUDFClassMapper::LayoutField>& CWmipUDFClassMapper::GetLayout()
{
    if (m_layoutRead)
        return m_layout;
    m_layoutRead = true;
    if (GetDatabase() == nullptr)
        return m_layout;
    try
    {
        CDynamicRecordset layout(GetDatabase());
        layout.SetupJoin(L"UDFOBJS", L"DDFLDID", L"DDFLD", L"DDFLDID");
        layout.AddJoin(L"UDFOBJS", L"TBLID", L"DDTBL", L"ID");
        for (const wchar_t* column : {L"LFIELD", L"LABEL", L"USER_PERM_UDFID"})
            layout.AddColumnToSet(column, L"UDFOBJS");
        for (const wchar_t* column : {L"DDFLDID", L"FLDNAME", L"CIMTYPE", L"MAXLEN", L"REQUIRED", L"ISUNIQUE",
                                      L"POSSIBLE_VALUES", L"POSSIBLE_LABELS", L"LISTID"})
            layout.AddColumnToSet(column, L"DDFLD");
        layout.AddColumnToSet(L"TBLNAME", L"DDTBL");
        FilterUDFLayoutRecordset(layout);
        layout.AddOrderBy(L"LFIELD", L"UDFOBJS");
        layout.AddOrderBy(L"UDFOBJSID", L"UDFOBJS");
        layout.OpenForwardOnly();
        std::vector<LONG> listIds;
        for (; !layout.IsEOF(); layout.MoveNext())
        {
            LayoutField field;
            field.fieldId = layout.GetLong(L"DDFLD.DDFLDID");
            field.column = layout.GetText(L"DDFLD.FLDNAME");
            field.table = layout.GetText(L"DDTBL.TBLNAME");
            // Names from the catalogue become SQL identifiers: anything else is not a field.
            if (!CSqlText::IsValidIdentifier(std::wstring_view(field.column, field.column.GetLength()), false) ||
                !CSqlText::IsValidIdentifier(std::wstring_view(field.table, field.table.GetLength()), false))
            {
                CWMIDebugLog::LogError(kUDFClassMapperSourceFile, __LINE__,
                                       L"Layout field with an invalid name skipped: " + field.table + L"." +
                                           field.column);
                continue;
            }
            field.property = field.column;
            field.cimType = layout.GetLong(L"DDFLD.CIMTYPE");
            field.maxLength = layout.GetInt(L"DDFLD.MAXLEN");
            field.required = layout.GetBool(L"DDFLD.REQUIRED");
            field.unique = layout.GetBool(L"DDFLD.ISUNIQUE");
            field.label = layout.GetText(L"UDFOBJS.LABEL");
            field.possibleValues = SplitList(layout.GetText(L"DDFLD.POSSIBLE_VALUES"));
            field.possibleLabels = SplitList(layout.GetText(L"DDFLD.POSSIBLE_LABELS"));
            listIds.push_back(layout.GetLong(L"DDFLD.LISTID"));
            m_layout.push_back(std::move(field));
        }
        for (std::size_t i = 0; i < m_layout.size(); ++i)
        {
            if (listIds[i] <= 0)
                continue;
            CDynamicRecordset list(GetDatabase());
            list.SetTable(L"DDTBL");
            list.AddColumnToSet(L"TBLNAME", L"DDTBL");
            list.AddFilterLong(L"DDTBL.ID", listIds[i]);
            list.OpenForwardOnly();
            const CString table = list.IsEOF() ? CString() : list.GetText(0);
            if (CSqlText::IsValidIdentifier(std::wstring_view(table, table.GetLength()), false))
                m_layout[i].listTable = table;
        }
    }
    catch (const CDBException& e)
    {
        CWMIDebugLog::LogError(kUDFClassMapperSourceFile, __LINE__,
                               L"Unable to read the user-defined-field layout of " + GetClassName(), 0, &e);
        m_layout.clear();
        m_layoutFailed = true;
    }
    return m_layout;
}

const CWmipUDFClassMapper::LayoutField* CWmipUDFClassMapper::FindField(const CString& property)
{
    for (const LayoutField& field : GetLayout())
    {
        if (field.property.CompareNoCase(property) == 0)
            return &field;
    }
    return nullptr;
}

HRESULT CWmipUDFClassMapper::CreateClass(IWbemClassObject** classObject, BOOL system)
{
    if (classObject == nullptr)
        return WBEM_E_INVALID_PARAMETER;
    *classObject = nullptr;
    ComPtr<IWbemClassObject> created;
    HRESULT hr = CreateClassImpl(&created, system);
    if (FAILED(hr))
        return hr;

    const auto has = [&](const CString& property) {
        _variant_t value;
        return SUCCEEDED(created->Get(property, 0, &value, nullptr, nullptr));
    };
    // The caller's definition never holds a field its field permission group may not view: no read,
    // query, order, event or type description of the caller's can then name or serve it. (The
    // superclass was built for the caller alike, so none is inherited either.)
    const auto leftOut = [&](const CString& property) { return !system && !CanAccessProperty(property); };

    if (const CWMITypeInfo* typeInfo = GetTypeInfo())
    {
        std::vector<CString> declared;
        for (const auto& [key, column] : typeInfo->GetKeyProperties())
            declared.push_back(key);
        for (const auto& [property, column] : typeInfo->GetPropertyColumns())
            declared.push_back(property);
        for (const CString& property : declared)
        {
            if (has(property) || leftOut(property))
                continue;
            int flags = 0;
            flags |= typeInfo->IsPropertyAKeyProperty(property) ? kPropertyKey : 0;
            flags |= typeInfo->IsPropertyRequired(property) ? kPropertyNotNull : 0;
            flags |= typeInfo->IsPropertyReadOnly(property) ? kPropertyRead : 0;
            flags |= typeInfo->IsPropertyViewOnly(property) ? kPropertyRead | kPropertyNoEdit : 0;
            const CString defaultValue = typeInfo->GetDefaultValue(property);
            hr = PutProperty(created.Get(), property, typeInfo->GetPropertyType(property), flags,
                             typeInfo->GetPropertyLength(property), nullptr, nullptr, 0, defaultValue);
            if (FAILED(hr))
                return hr;
        }
    }

    // The lists are those of the caller, or for the system's definition of the connection's
    // user (the bus builds a caller's definition on the caller's own connection).
    const CAcsUser* user = GetDatabaseUser();
    if (!system)
    {
        CAcsUser* caller = nullptr;
        hr = GetUser(&caller);
        if (FAILED(hr))
            return hr;
        user = caller;
    }
    const std::vector<LayoutField>& layout = GetLayout();
    // A definition without its layout's fields is no definition of the class: the build fails,
    // so that nothing keeps it.
    if (m_layoutFailed)
        return WBEM_E_FAILED;
    for (const LayoutField& field : layout)
    {
        const int method = GetPropertyProcessMethod(field.column, field.table);
        if (method == WMIHelper::kProcessSkip)
            continue;
        if (method == WMIHelper::kProcessByMapper)
        {
            hr = ProcessClassProperty(created.Get(), field.column, field.table);
            if (SUCCEEDED(hr))
                continue;
            if (hr != WBEM_E_NOT_SUPPORTED)
                return hr;
        }
        const bool byName =
            method == WMIHelper::kProcessByPropertyName || method == WMIHelper::kProcessByRegisteredName;
        const CString property = byName ? GetPropertyName(field.column, field.table) : field.column;
        if (has(property) || leftOut(property))
            continue;
        const LONG ownType = GetPropertyType(field.column, field.table);
        const LONG cimType = ownType != 0 ? ownType : field.cimType;
        const int flags = (field.required ? kPropertyNotNull : 0) | (field.unique ? kPropertyUnique : 0);
        hr = PutProperty(created.Get(), property, cimType, flags, cimType == CIM_STRING ? field.maxLength : 0,
                         field.label, nullptr, field.fieldId, nullptr);
        if (FAILED(hr))
            return hr;
        if (!field.possibleValues.empty() && field.possibleValues.size() == field.possibleLabels.size())
        {
            ComPtr<IWbemQualifierSet> qualifiers;
            hr = created->GetPropertyQualifierSet(property, &qualifiers);
            if (SUCCEEDED(hr))
                hr = WMIHelper::PutQualStringArray(
                    qualifiers.Get(), L"ValueMap",
                    CStringList(field.possibleValues.begin(), field.possibleValues.end()), kPropagatedFlavor);
            if (SUCCEEDED(hr))
                hr = WMIHelper::PutQualStringArray(
                    qualifiers.Get(), L"Values", CStringList(field.possibleLabels.begin(), field.possibleLabels.end()),
                    kPropagatedFlavor);
            if (FAILED(hr))
                return hr;
        }
        else if (!field.listTable.IsEmpty())
        {
            CString extra;
            hr = PutListValueQualifiers(created.Get(), property, field.listTable, extra, user, 0);
            if (FAILED(hr))
                return hr;
        }
    }
    *classObject = created.Detach();
    return S_OK;
}

CWmipMapper::DefinitionReuse CWmipUDFClassMapper::GetBuiltClassReuse()
{
    // A list table whose writes set no list stamp (one the installation added) may change unseen:
    // a definition whose value lists read it is made anew for every request. One whose triggers
    // set it stands on them.
    CBntDatabase* database = GetDatabase();
    bool readsLists = false;
    for (const LayoutField& field : GetLayout())
    {
        if (field.listTable.IsEmpty())
            continue;
        if (database == nullptr || !CDefinitionStamps::SetsListStamp(*database, field.listTable))
            return DefinitionReuse::Never;
        readsLists = true;
    }
    return readsLists ? DefinitionReuse::WhileRightsListsAndTriggersSame : DefinitionReuse::WhileRightsAndListsSame;
}

bool CWmipUDFClassMapper::HasPerPropertyPermissions()
{
    // Every layout field may be restricted by the field permission group's list.
    return !GetLayout().empty();
}

bool CWmipUDFClassMapper::CanAccessProperty(const CString& property)
{
    return HasFieldRight(property, FALSE);
}

bool CWmipUDFClassMapper::CanEditProperty(const CString& property)
{
    return HasFieldRight(property, FALSE) && HasFieldRight(property, TRUE);
}

bool CWmipUDFClassMapper::IsQueryableProperty(const CString& property)
{
    if (FindField(property) != nullptr)
        return CanAccessProperty(property);
    return CWmipClassMapper::IsQueryableProperty(property);
}

HRESULT CWmipUDFClassMapper::PutInstance(IWbemClassObject* instance, LONG flags, CString& path)
{
    if (instance != nullptr)
    {
        // Every key the system generates: a put that gives none of them creates a record.
        bool creates = (flags & WBEM_FLAG_CREATE_ONLY) != 0;
        if (const CWMITypeInfo* typeInfo = GetTypeInfo())
        {
            for (const auto& [key, column] : typeInfo->GetKeyProperties())
            {
                _variant_t value;
                creates = creates || FAILED(instance->Get(key, 0, &value, nullptr, nullptr)) || IsEmptyValue(value);
            }
        }
        for (const LayoutField& field : GetLayout())
        {
            _variant_t value;
            if (FAILED(instance->Get(field.property, 0, &value, nullptr, nullptr)) || IsEmptyValue(value))
                continue;
            if (!CanAccessProperty(field.property) || (creates && !CanEditProperty(field.property)))
                throw CWMIException(kUDFClassMapperSourceFile, __LINE__, WBEM_E_ACCESS_DENIED,
                                    CWmipMessages::kAccessDenied);
        }
    }
    return CWmipClassMapper::PutInstance(instance, flags, path);
}

HRESULT CWmipUDFClassMapper::ProcessClassPermissions(IWbemClassObject* classObject)
{
    HRESULT hr = CWmipClassMapper::ProcessClassPermissions(classObject);
    if (FAILED(hr) || classObject == nullptr)
        return hr;
    for (const LayoutField& field : GetLayout())
    {
        _variant_t present;
        if (FAILED(classObject->Get(field.property, 0, &present, nullptr, nullptr)))
            continue;
        // A field the caller may not view is not in the caller's build (CreateClass).
        if (CanAccessProperty(field.property) && !CanEditProperty(field.property))
        {
            ComPtr<IWbemQualifierSet> qualifiers;
            hr = classObject->GetPropertyQualifierSet(field.property, &qualifiers);
            for (const wchar_t* name : {L"read", L"noedit"})
            {
                _variant_t on(true);
                if (SUCCEEDED(hr))
                    hr = qualifiers->Put(name, &on, kPropagatedFlavor);
            }
        }
        if (FAILED(hr))
            return hr;
    }
    return S_OK;
}

CWmipMapper::DefinitionReuse CWmipUDFClassMapper::GetShapedClassReuse()
{
    return DefinitionReuse::WhileRightsAndListsSame;
}

bool CWmipUDFClassMapper::HasFieldRight(const CString& property, BOOL forEdit)
{
    const LayoutField* field = FindField(property);
    if (field == nullptr)
        return true;
    CAcsUser* user = nullptr;
    IWmipUserDirectory* directory = GetUserDirectory();
    if (directory == nullptr || FAILED(GetUser(&user)) || user == nullptr)
        return false;
    return directory->HasUDFPermission(user, field->fieldId, forEdit) != FALSE;
}

bool CWmipUDFClassMapper::ListHoldsValue(const LayoutField& field, const VARIANT& value)
{
    _variant_t id;
    if (FAILED(VariantChangeType(&id, &value, 0, VT_I8)))
        return false;
    CAcsUser* user = nullptr;
    GetUser(&user);
    CDynamicRecordset list(GetDatabase());
    list.SetTable(field.listTable);
    list.AddColumnToSet(L"ID", field.listTable);
    list.AddFilterLongLong(field.listTable + L".ID", id.llVal);
    if (user != nullptr)
        user->AddSegmentFilterWithTableCheck(list);
    list.OpenForwardOnly();
    return !list.IsEOF();
}

void CWmipUDFClassMapper::CheckUnique(IWbemClassObject* instance, const LayoutField& field, const VARIANT& value)
{
    CDynamicRecordset rows(GetDatabase());
    rows.SetTable(field.table);
    rows.AddColumnToSet(field.column, field.table);
    AddValueFilter(rows, field.table + L"." + field.column, value, CMultiFilterRecordset::Equal);
    // The instance's own row does not count: its key columns in the field's table differ.
    std::vector<CString> keys;
    if (const CWMITypeInfo* typeInfo = GetTypeInfo())
    {
        for (const auto& [key, column] : typeInfo->GetKeyProperties())
            keys.push_back(key);
    }
    for (const CString& key : keys)
    {
        _variant_t keyValue;
        if (instance == nullptr || FAILED(instance->Get(key, 0, &keyValue, nullptr, nullptr)) || IsEmptyValue(keyValue))
            continue;
        std::vector<CString> columns{GetTableDotColumn(key)};
        const auto foreign = GetForeignKeyMappings().find(key);
        if (foreign != GetForeignKeyMappings().end())
            columns.push_back(foreign->second);
        for (const CString& column : columns)
        {
            if (column.Left(field.table.GetLength() + 1).CompareNoCase(field.table + L".") == 0)
            {
                AddValueFilter(rows, column, keyValue, CMultiFilterRecordset::NotEqual);
                break;
            }
        }
    }
    rows.OpenForwardOnly();
    if (!rows.IsEOF())
        CWmipPropertyRefusal::ThrowNamed(kUDFClassMapperSourceFile, __LINE__, WBEM_E_FAILED,
                                         CWmipMessages::kNotUniqueProperty, field.property);
}

HRESULT CWmipUDFClassMapper::IsValidValue(IWbemClassObject* instance, const CString& property, VARIANT& value)
{
    HRESULT hr = CWmipClassMapper::IsValidValue(instance, property, value);
    if (FAILED(hr))
        return hr;
    const LayoutField* field = FindField(property);
    if (field == nullptr || IsEmptyValue(value))
        return S_OK;
    try
    {
        if (!field->possibleValues.empty())
        {
            const CString text = TextOf(value);
            bool listed = false;
            for (const CString& possible : field->possibleValues)
                listed = listed || possible == text;
            if (!listed)
                return WBEM_E_INVALID_PARAMETER;
        }
        else if (!field->listTable.IsEmpty() && !ListHoldsValue(*field, value))
        {
            return WBEM_E_INVALID_PARAMETER;
        }
        if (field->unique)
            CheckUnique(instance, *field, value);
    }
    catch (const CDBException& e)
    {
        CWMIDebugLog::LogError(kUDFClassMapperSourceFile, __LINE__, L"Unable to check the value of " + property, 0, &e);
        return WBEM_E_FAILED;
    }
    return S_OK;
}

void CWmipUDFClassMapper::CheckBadgeTypeRequiredFields(IWbemClassObject* instance, LONG badgeType)
{
    std::vector<CString> required;
    try
    {
        CDynamicRecordset links(GetDatabase());
        links.SetupJoin(L"BDGREQFLDLINK", L"DDFLDID", L"DDFLD", L"DDFLDID");
        links.AddColumnToSet(L"FLDNAME", L"DDFLD");
        links.AddFilterLong(L"BDGREQFLDLINK.BADGETYPEID", badgeType);
        links.AddOrderBy(L"DDFLDID", L"DDFLD");
        links.OpenForwardOnly();
        for (; !links.IsEOF(); links.MoveNext())
            required.push_back(links.GetText(0));
    }
    catch (const CDBException& e)
    {
        CWMIDebugLog::LogError(kUDFClassMapperSourceFile, __LINE__, L"Unable to read the badge type's required fields.",
                               0, &e);
        throw CWMIException(kUDFClassMapperSourceFile, __LINE__, WBEM_E_FAILED);
    }
    for (const CString& property : required)
    {
        _variant_t value;
        if (instance == nullptr || FAILED(instance->Get(property, 0, &value, nullptr, nullptr)) || IsEmptyValue(value))
            CWmipPropertyRefusal::ThrowNamed(kUDFClassMapperSourceFile, __LINE__, WBEM_E_ILLEGAL_NULL,
                                             CWmipMessages::kRequiredProperty, property);
    }
}

HRESULT CWmipUDFClassMapper::PutListValueQualifiers(IWbemClassObject* classObject, const wchar_t* property,
                                                    const wchar_t* table, CString& extra, const CAcsUser* user,
                                                    int flag)
{
    if (classObject == nullptr || property == nullptr || table == nullptr)
        return WBEM_E_INVALID_PARAMETER;
    CBntDatabase* database = user != nullptr ? user->GetDatabase() : nullptr;
    std::shared_ptr<CAcsUser> administrator;
    if (database == nullptr)
    {
        administrator = CWMITypeInfo::GetSAUser();
        database = administrator != nullptr ? administrator->GetDatabase() : nullptr;
    }
    if (database == nullptr)
        return WBEM_E_FAILED;
    CStringList ids;
    CStringList names;
    try
    {
        CDynamicRecordset rows(database);
        rows.SetTable(table);
        rows.AddColumnToSet(L"ID", table);
        rows.AddColumnToSet(L"NAME", table);
        if (user != nullptr)
            CWmipSegmentSourceFilter::ApplyToList(*user, table, rows, database);
        if (!extra.IsEmpty())
            rows.AppendFilter(extra);
        rows.AddOrderBy(flag != 0 ? L"NAME" : L"ID", table);
        rows.OpenForwardOnly();
        for (; !rows.IsEOF(); rows.MoveNext())
        {
            ids.push_back(rows.GetText(0));
            names.push_back(rows.GetText(1));
        }
    }
    catch (const CDBException& e)
    {
        CWMIDebugLog::LogError(kUDFClassMapperSourceFile, __LINE__, CString(L"Unable to read the list ") + table, 0,
                               &e);
        return WBEM_E_FAILED;
    }
    ComPtr<IWbemQualifierSet> qualifiers;
    HRESULT hr = classObject->GetPropertyQualifierSet(property, &qualifiers);
    if (FAILED(hr))
        return hr;
    hr = WMIHelper::PutQualStringArray(qualifiers.Get(), L"ValueMap", ids, kPropagatedFlavor);
    if (SUCCEEDED(hr))
        hr = WMIHelper::PutQualStringArray(qualifiers.Get(), L"Values", names, kPropagatedFlavor);
    return hr;
}
