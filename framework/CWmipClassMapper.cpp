#include "framework/CWmipClassMapper.h"

#include "common/AccessCodes.h"
#include "framework/CWmipMessages.h"
#include "framework/CWmipPropertyRefusal.h"
#include "framework/CWmipQueryRefusal.h"

#include "framework/CWMITypeInfo.h"
#include "framework/CWmipInstanceWriter.h"
#include "framework/CWmipMapperRegistry.h"
#include "framework/CWmipObjectPath.h"
#include "framework/CWmipSegmentSourceFilter.h"
#include "framework/CWmipWriteFrame.h"
#include "framework/WMIHelper.h"
#include "inhouse/BntCommon/CBntCardholderTrans.h"
#include "inhouse/BntCoreDb/CBntDatabase.h"
#include "inhouse/BntCoreDb/CDBException.h"
#include "inhouse/BntCoreDb/CDynamicRecordset.h"
#include "inhouse/BntLogin/CAcsUser.h"
#include "inhouse/BntUtility/CWMIDebugLog.h"
#include "inhouse/BntUtility/CWMIException.h"
#include "platform/com/CimTypes.h"
#include "platform/com/SafeArray.h"
#include "platform/com/WbemConstants.h"
#include "platform/wmi/IWbemClassObject.h"
#include "platform/wmi/IWbemQualifierSet.h"

#include <algorithm>
#include <utility>
#include <vector>

using brontel::utility::CWMIDebugLog;
using brontel::utility::CWMIException;

namespace {

// The class mapper's source name in the log: the mapper's reads and writes are split over
// several files (this one among them) but log as the one mapper they are, so a reader of the log
// finds every line of a request's road under one name.
constexpr const wchar_t* kSourceFile = L"wpClassMapper.cpp";

// The class's declared segment property (its SEGMENTID column with the segment option
// "segments"); empty when the class declares none.
CString FindDeclaredSegment(const CWMITypeInfo* typeInfo)
{
    if (typeInfo == nullptr)
        return {};
    for (const auto& [property, tableDotColumn] : typeInfo->GetPropertyColumns())
    {
        if (typeInfo->GetSegmentationOption(property) != SegmentOptionSegments)
            continue;
        const int dot = tableDotColumn.Find(L'.');
        if (dot > 0 && tableDotColumn.Mid(dot + 1).CompareNoCase(L"SEGMENTID") == 0)
            return property;
    }
    return {};
}

// The values a name gives: each element of a one-dimensional array (a parameter that names
// several records of one class), else the value itself; none for an array it cannot read.
std::vector<_variant_t> ElementsOf(const VARIANT& value)
{
    if ((value.vt & VT_ARRAY) == 0)
        return {_variant_t(value)};
    std::vector<_variant_t> elements;
    const VARTYPE element = value.vt & ~VT_ARRAY;
    LONG lower = 0;
    LONG upper = -1;
    if (value.parray == nullptr || SafeArrayGetDim(value.parray) != 1 ||
        FAILED(SafeArrayGetLBound(value.parray, 1, &lower)) || FAILED(SafeArrayGetUBound(value.parray, 1, &upper)))
        return elements;
    for (LONG index = lower; index <= upper; ++index)
    {
        VARIANT raw;
        VariantInit(&raw);
        const HRESULT hr = element == VT_VARIANT ? SafeArrayGetElement(value.parray, &index, &raw)
                                                 : SafeArrayGetElement(value.parray, &index, &raw.llVal);
        if (FAILED(hr))
            return {};
        if (element != VT_VARIANT)
            raw.vt = element;
        _variant_t held;
        held.Attach(raw);
        elements.push_back(std::move(held));
    }
    return elements;
}

// The owners a write of the class names by its own properties (its segment sources), as records
// the write must be able to see: a record is never written under an owner the caller cannot see.
void AppendOwnerRecords(const CWMITypeInfo& typeInfo, std::vector<CWMITypeInfo::NamedRecord>& records)
{
    for (const CWMITypeInfo::SegmentSource& source : typeInfo.GetSegmentSources())
    {
        if (source.kind != CWMITypeInfo::SegmentSource::Kind::Owner)
            continue;
        const bool byProperties = std::none_of(source.names.begin(), source.names.end(), [&](const CString& name) {
            return name.Find(L'.') >= 0 || typeInfo.GetReferenceProperties().count(name) != 0;
        });
        // An owner the class also declares as a named record is answered on that record's road.
        const bool declared = std::any_of(records.begin(), records.end(), [&](const CWMITypeInfo::NamedRecord& named) {
            return named.method.IsEmpty() && named.referencedClass.CompareNoCase(source.ownerClass) == 0 &&
                   named.names.size() == source.names.size() &&
                   std::all_of(source.names.begin(), source.names.end(), [&](const CString& name) {
                       return std::any_of(named.names.begin(), named.names.end(),
                                          [&](const CString& other) { return other.CompareNoCase(name) == 0; });
                   });
        });
        if (byProperties && !declared)
            records.push_back(
                {CString(), source.names, source.ownerClass, source.ownerKeys, NamedRecordRoad::kFramework});
    }
}

}  // namespace

CWmipClassMapper::CWmipClassMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services,
                                   const wchar_t* className)
    : CWmipClassMapperHooks(context, services, className), m_databaseUser(user)
{
    SetRegisteredColumnSource([this]() { return GetRegisteredColumns(); });
    SetPermissions(kNoPermissionCheck, 0, 0, 0);
}

CWmipClassMapper::~CWmipClassMapper()
{
    EndEnumeration();
}

BOOL CWmipClassMapper::WMIStoresClassDefinition()
{
    return TRUE;
}

ProcessClauseResult CWmipClassMapper::ProcessClause(CString& property, int& wqlOperator, CString& literal,
                                                    CString& extra)
{
    const CWMITypeInfo* typeInfo = GetTypeInfo();
    const CIMTYPE type = typeInfo != nullptr ? typeInfo->GetPropertyType(property) & ~CIM_FLAG_ARRAY : CIM_EMPTY;
    // A literal that is no number compared with a number, or no date-time compared with a
    // date-time, would match nothing (or anything, compared as text): it is refused.
    CWmipQueryRefusal::CheckLiteral(kSourceFile, __LINE__, property, type, wqlOperator, literal, GetDoor());
    if (type != CIM_DATETIME)
        return ProcessClausePlain;
    return CWmipMapper::ProcessClause(property, wqlOperator, literal, extra);
}

ProcessClauseResult CWmipClassMapper::KeepOnMappedColumn(CString& property, ProcessClauseResult result)
{
    if (result != ProcessClausePlain)
        return result;
    const CString column = GetTableDotColumn(property);
    if (column.IsEmpty())
        return result;
    property = column;
    return ProcessClauseKeep;
}

bool CWmipClassMapper::HasAutoGeneratedKeys()
{
    return true;
}

bool CWmipClassMapper::IsMethodSupported(const wchar_t* methodName)
{
    const CWMITypeInfo* typeInfo = GetTypeInfo();
    return methodName != nullptr && typeInfo != nullptr && typeInfo->HasMethod(CString(methodName));
}

HRESULT CWmipClassMapper::ExecuteMethod(CWmipObjectPath* /*path*/, const wchar_t* /*methodName*/, LONG /*flags*/,
                                        IWbemContext* /*context*/, IWbemClassObject* /*inParams*/,
                                        IWbemObjectSink* /*sink*/)
{
    return WBEM_E_NOT_SUPPORTED;
}

void CWmipClassMapper::SetupAssociationRecordset(CDynamicRecordset* /*recordset*/) {}

HRESULT CWmipClassMapper::GetObjectPath(CMultiFilterRecordset& recordset, CString& path)
{
    const CWMITypeInfo* typeInfo = GetTypeInfo();
    if (typeInfo == nullptr || typeInfo->GetKeyProperties().empty())
        return WBEM_E_FAILED;
    CWmipObjectPath objectPath(GetClassName());
    try
    {
        for (const auto& [key, column] : typeInfo->GetKeyProperties())
        {
            const CString tableDotColumn = column.IsEmpty() ? GetTableDotColumn(key) : column;
            if (tableDotColumn.IsEmpty() || recordset.IsFieldNull(tableDotColumn))
                return WBEM_E_FAILED;
            if (!objectPath.AddKey(key, recordset.GetText(tableDotColumn)))
                return WBEM_E_FAILED;
        }
    }
    catch (const CDBException& e)
    {
        CWMIDebugLog::LogError(kSourceFile, __LINE__, L"Unable to read the key columns of the object path.", 0, &e);
        return WBEM_E_FAILED;
    }
    objectPath.GetPath(path);
    return S_OK;
}

bool CWmipClassMapper::IsVisitorClass()
{
    return false;
}

CString CWmipClassMapper::GetTableDotColumn(const CString& property)
{
    const auto foreign = m_foreignKeys.find(property);
    if (foreign != m_foreignKeys.end())
        return foreign->second;
    CString column;
    const CWMITypeInfo* typeInfo = GetTypeInfo();
    if (typeInfo != nullptr && typeInfo->GetColumnForProperty(property, column))
        return column;
    return CString();
}

bool CWmipClassMapper::IsQueryableProperty(const CString& property)
{
    if (property.CompareNoCase(L"__CLASS") == 0 || m_foreignKeys.contains(property))
        return true;
    const CWMITypeInfo* typeInfo = GetTypeInfo();
    return typeInfo != nullptr && typeInfo->HasProperty(property);
}

void CWmipClassMapper::SetupInstanceRecordset(CDynamicRecordset* /*recordset*/) {}

void CWmipClassMapper::FilterInstanceRecordset(CMultiFilterRecordset* /*recordset*/) {}

void CWmipClassMapper::FilterInstanceRecordsetBySegment(CMultiFilterRecordset* recordset)
{
    CAcsUser* user = RequireUser();
    // A user every segment is open to gets no filter on any table: the class's declarations
    // and the join need no walk on each request.
    if (recordset == nullptr || user->IsAllSegmentsUser())
        return;
    const CWMITypeInfo* typeInfo = GetTypeInfo();
    if (typeInfo == nullptr)
    {
        // Deny by default: a class nobody described has no declared segments.
        recordset->AppendFilter(L"0 = 1");
        return;
    }
    CWmipSegmentSourceFilter::Apply(*user, *typeInfo, *recordset, GetDatabase());
}

void CWmipClassMapper::RequireReachableSegment(IWbemClassObject* instance)
{
    const CString property = FindDeclaredSegment(GetTypeInfo());
    LONG segment = 0;
    if (instance == nullptr || property.IsEmpty() || FAILED(WMIHelper::GetNumber(instance, property, segment)))
        return;
    // Nor in one that does not exist: an all-segments caller reaches every id, and a row placed
    // in a missing segment would be seen again by all-segments callers alone.
    CAcsUser* user = RequireUser();
    if (!user->HasSegmentAccess(segment, 0) ||
        !user->GetSystemOptions().GetSegmentationUtility().NamesExistingSegment(*GetDatabase(), segment))
        CWmipPropertyRefusal::ThrowNamed(kSourceFile, __LINE__, WBEM_E_INVALID_PARAMETER,
                                         CWmipMessages::kInvalidProperty, property);
}

bool CWmipClassMapper::CallerCanSee(const wchar_t* className,
                                    std::initializer_list<std::pair<const wchar_t*, LONG>> keys)
{
    CWmipObjectPath path(className);
    for (const auto& [key, value] : keys)
        path.AddKey(key, value);
    return CallerCanSee(path);
}

bool CWmipClassMapper::CallerCanSee(const CWmipObjectPath& record)
{
    RequireUser();
    std::unique_ptr<CWmipClassMapper> mapper(CWmipMapperRegistry::GetMapper(
        GetDatabaseUser(), GetContext(), GetServices(), record.GetClassName(), GetDoor()));
    if (mapper == nullptr)
        throw CWMIException(kSourceFile, __LINE__, WBEM_E_INVALID_CLASS);
    mapper->SetUserEntry(GetUserEntry());
    mapper->m_resolvingNamedRecord = true;
    ComPtr<IWbemClassObject> instance;
    instance.Attach(mapper->ReadMatching(record));
    return instance != nullptr;
}

void CWmipClassMapper::RequireVisibleNamedRecords(IWbemClassObject* values, const wchar_t* method)
{
    const CWMITypeInfo* typeInfo = GetTypeInfo();
    if (typeInfo == nullptr || values == nullptr)
        return;
    const CString called(method != nullptr ? method : L"");
    std::vector<CWMITypeInfo::NamedRecord> records = typeInfo->GetNamedRecords();
    if (called.IsEmpty())
        AppendOwnerRecords(*typeInfo, records);
    for (const CWMITypeInfo::NamedRecord& named : records)
    {
        if (named.road != NamedRecordRoad::kFramework || named.method.CompareNoCase(called) != 0 ||
            named.names.size() != named.referencedKeys.size())
            continue;
        // The values of each name; a name without value leaves the record unnamed.
        std::vector<std::vector<_variant_t>> given;
        for (const CString& name : named.names)
        {
            _variant_t value;
            if (FAILED(values->Get(name, 0, &value, nullptr, nullptr)) || IsEmptyValue(value))
                break;
            given.push_back(ElementsOf(value));
        }
        if (given.size() != named.names.size())
            continue;
        // A single name may give several records (an array); the names of a composite record
        // give one value each.
        const std::size_t records = named.names.size() == 1 ? given.front().size() : 1;
        for (std::size_t r = 0; r < records; ++r)
        {
            CWmipObjectPath record(named.referencedClass);
            bool complete = true;
            for (std::size_t i = 0; complete && i < named.names.size(); ++i)
            {
                _variant_t text;
                complete = r < given[i].size() && SUCCEEDED(VariantChangeType(&text, &given[i][r], 0, VT_BSTR)) &&
                           record.AddKey(named.referencedKeys[i], static_cast<const VARIANT&>(text).bstrVal);
            }
            if (!complete || CallerCanSee(record))
                continue;
            // A record hidden from the caller gets the answer a missing one gets, so the refusal
            // tells nothing about records of other segments.
            CWmipPropertyRefusal::ThrowNamed(kSourceFile, __LINE__, WBEM_E_INVALID_PARAMETER,
                                             CWmipMessages::kInvalidProperty, named.names.back());
        }
    }
}

HRESULT CWmipClassMapper::WriteInstance(IWbemClassObject* instance, LONG flags, CString& path)
{
    // Every value's form first, on every road into the write (each door, a method's own put).
    CheckValueForms(instance);
    // A class that takes no write of this kind says so next, whatever the write names.
    const bool update = (flags & WBEM_FLAG_UPDATE_ONLY) != 0;
    const bool addable = !update && GetAddPermission() != 0;
    const bool modifiable = (flags & WBEM_FLAG_CREATE_ONLY) == 0 && GetModifyPermission() != 0;
    if (!addable && !modifiable)
    {
        if (update)
            CanModify(nullptr);
        else
            CanAdd(nullptr);
    }
    return PutInstance(instance, flags, path);
}

void CWmipClassMapper::OpenOwnPut(IWbemClassObject* instance, LONG flags, OwnPutOpening opening,
                                  const std::function<void(CBntDatabase& database)>& write)
{
    if (instance == nullptr)
        throw CWMIException(kSourceFile, __LINE__, WBEM_E_INVALID_PARAMETER);
    const bool create = (flags & WBEM_FLAG_UPDATE_ONLY) == 0;
    CWmipWriteFrame::Run(
        *this,
        [&] {
            if (!create)
                CanModify(nullptr);
            else
                CanAdd(opening == OwnPutOpening::kPermissionWithInstance ? instance : nullptr);
            CString offending;
            if (opening == OwnPutOpening::kPermissionThenGenerated && create &&
                FAILED(ValidateValuesForGeneratedProperties(instance, true, offending)))
                CWmipPropertyRefusal::ThrowNamed(kSourceFile, __LINE__, WBEM_E_FAILED,
                                                 CWmipMessages::kNotEditableProperty, offending);
        },
        instance, nullptr,
        [&](CBntDatabase& database) {
            CWMIDebugLog::LogInfo(kSourceFile, __LINE__, L"Passed preliminary authorization checks.");
            RequireUser();
            write(database);
            return S_OK;
        });
}

void CWmipClassMapper::PassOwnPutChecks(IWbemClassObject* instance)
{
    CanAdd(instance);
    CWMIDebugLog::LogInfo(kSourceFile, __LINE__, L"Passed all authorization checks.");
}

const CWmipClassMapper::ColumnHook* CWmipClassMapper::FindColumnHook(const CString& column, const CString& table) const
{
    for (const ColumnHook& hook : m_columnHooks)
    {
        if (table.CompareNoCase(hook.table) == 0 && column.CompareNoCase(hook.column) == 0)
            return &hook;
    }
    return nullptr;
}

WMIHelper::ProcessMethod CWmipClassMapper::GetPropertyProcessMethod(const CString& column, const CString& table)
{
    if (FindColumnHook(column, table) != nullptr)
        return WMIHelper::kProcessByMapper;
    const WMIHelper::ProcessMethod method = WMIHelper::GetPropertyProcessMethod(column, table, IsVisitorClass());
    if (method != WMIHelper::kProcessByColumnName || table.IsEmpty())
        return method;
    const CString property = GetPropertyName(column, table);
    return property.CompareNoCase(column) == 0 ? method : WMIHelper::kProcessByRegisteredName;
}

CString CWmipClassMapper::GetPropertyName(const CString& column, const CString& table)
{
    const CString tableDotColumn = table.IsEmpty() ? column : table + L"." + column;
    for (const auto& [property, mapped] : m_foreignKeys)
    {
        if (mapped.CompareNoCase(tableDotColumn) == 0)
            return property;
    }
    CString property;
    const CWMITypeInfo* typeInfo = GetTypeInfo();
    if (typeInfo != nullptr && typeInfo->GetPropertyForColumn(tableDotColumn, property))
        return property;
    return column;
}

HRESULT CWmipClassMapper::ProcessInstanceProperty(IWbemClassObject** instance, const CString& column,
                                                  const CString& table)
{
    const ColumnHook* hook = FindColumnHook(column, table);
    if (hook == nullptr)
        return WBEM_E_NOT_SUPPORTED;
    const CMultiFilterRecordset* row = GetInstanceRecordset();
    if (instance == nullptr || *instance == nullptr || row == nullptr)
        return WBEM_E_INVALID_PARAMETER;
    return hook->read(*this, **instance, *row, column);
}

CString CWmipClassMapper::GetSuperclassName()
{
    const CWMITypeInfo* typeInfo = GetTypeInfo();
    return typeInfo != nullptr ? typeInfo->GetParentTypeName() : CString();
}

bool CWmipClassMapper::HasSuperclass()
{
    return !GetSuperclassName().IsEmpty();
}

bool CWmipClassMapper::IsAbstractClass()
{
    return false;
}

HRESULT CWmipClassMapper::CanView()
{
    return CanPerformOperation(m_viewPermission, nullptr);
}

void CWmipClassMapper::ThrowIfDenied(HRESULT hr)
{
    if (hr == WBEM_E_ACCESS_DENIED)
        throw CWMIException(kSourceFile, __LINE__, hr, CWmipMessages::kAccessDenied);
    if (FAILED(hr))
        throw CWMIException(kSourceFile, __LINE__, hr, CWmipMessages::ForResult(hr));
}

void CWmipClassMapper::CanAdd(IWbemClassObject* instance)
{
    ThrowIfDenied(CanPerformOperation(m_addPermission, instance));
}

void CWmipClassMapper::CanModify(IWbemClassObject* instance)
{
    ThrowIfDenied(CanPerformOperation(m_modifyPermission, instance));
}

void CWmipClassMapper::CanDelete(IWbemClassObject* instance)
{
    ThrowIfDenied(CanPerformOperation(m_deletePermission, instance));
}

void CWmipClassMapper::CanViewAll()
{
    if (FAILED(CanView()))
        throw CWMIException(kSourceFile, __LINE__, WBEM_E_ACCESS_DENIED, CWmipMessages::kAccessDenied);
    if (!HasPerPropertyPermissions())
        return;
    ComPtr<IWbemClassObject> classObject;
    const HRESULT hr = GetHeldClass(classObject, FALSE);
    if (FAILED(hr))
        throw CWMIException(kSourceFile, __LINE__, hr);
    bool allowed = true;
    if (FAILED(WMIHelper::ForEachProperty(classObject.Get(), WBEM_FLAG_NONSYSTEM_ONLY,
                                          [&](const CString& property, const VARIANT&, CIMTYPE) {
                                              allowed = CanAccessProperty(property);
                                              return allowed;
                                          })))
        throw CWMIException(kSourceFile, __LINE__, WBEM_E_FAILED);
    if (!allowed)
        throw CWMIException(kSourceFile, __LINE__, WBEM_E_ACCESS_DENIED, CWmipMessages::kAccessDenied);
}

brontel::UserTranObject::UserTransactionObject CWmipClassMapper::GetTransactionObject() const
{
    return m_transactionObject;
}

CString CWmipClassMapper::GetTransactionValues(brontel::UserTranOperation::UserTransactionOperation /*operation*/,
                                               IWbemClassObject* /*instance*/)
{
    return CString();
}

LONG CWmipClassMapper::GetReplTransactionObject() const
{
    return m_replTransactionObject;
}

void CWmipClassMapper::SetupReplTransaction(CBntCardholderTrans& /*transaction*/,
                                            brontel::UserTranOperation::UserTransactionOperation /*operation*/,
                                            IWbemClassObject* /*instance*/)
{
}

void CWmipClassMapper::BeforeWriteInstance(brontel::UserTranOperation::UserTransactionOperation /*operation*/,
                                           IWbemClassObject* /*instance*/)
{
}

void CWmipClassMapper::AfterWriteInstance(brontel::UserTranOperation::UserTransactionOperation /*operation*/,
                                          IWbemClassObject* /*instance*/)
{
}

void CWmipClassMapper::SetPermissions(DWORD view, DWORD add, DWORD modify, DWORD remove)
{
    m_viewPermission = view;
    m_addPermission = add;
    m_modifyPermission = modify;
    m_deletePermission = remove;
}

CAcsUser* CWmipClassMapper::RequireUser()
{
    CAcsUser* user = nullptr;
    const HRESULT hr = GetUser(&user);
    if (FAILED(hr) || user == nullptr)
        throw CWMIException(kSourceFile, __LINE__, FAILED(hr) ? hr : WBEM_E_FAILED, CWmipMessages::kNoIdentity);
    return user;
}

HRESULT CWmipClassMapper::CanPerformOperation(DWORD permissionId, IWbemClassObject* /*instance*/)
{
    if (m_bypassAuthorization != 0)
        return S_OK;
    if (permissionId == 0)
        return WBEM_E_NOT_SUPPORTED;
    if (permissionId == kNoPermissionCheck)
        return S_OK;
    const CAcsUser* user = RequireUser();
    return user->HasPermission(permissionId) ? S_OK : WBEM_E_ACCESS_DENIED;
}

std::vector<CString> CWmipClassMapper::GetRegisteredColumns() const
{
    std::vector<CString> columns;
    const CWMITypeInfo* typeInfo = GetTypeInfo();
    if (typeInfo != nullptr)
    {
        for (const auto& [property, column] : typeInfo->GetPropertyColumns())
            columns.push_back(column);
    }
    for (const auto& [property, column] : m_foreignKeys)
        columns.push_back(column);
    return columns;
}

void CWmipClassMapper::AddForeignKeyPropertyMapping(const wchar_t* property, const wchar_t* column,
                                                    const wchar_t* table)
{
    if (property == nullptr || column == nullptr || table == nullptr)
        return;
    m_foreignKeys[CString(property)] = CString(table) + L"." + CString(column);
}

void CWmipClassMapper::AddAdditionalPersonFilter(CMultiFilterRecordset& recordset)
{
    const CAcsUser* user = RequireUser();
    if (m_resolvingNamedRecord)
        return;
    const bool cardholders =
        user->HasPermission(Permission::kViewCardholders) && user->HasPermission(Permission::kViewCardholdersSecond);
    const bool visitors = user->HasPermission(Permission::kViewVisitors);
    if (cardholders && visitors)
        return;
    const int visitorFilter = cardholders ? 0 : (visitors ? 1 : 2);
    recordset.AddFilterInt(L"EMP.VISITOR", visitorFilter);
}

CBntDatabase* CWmipClassMapper::GetDatabase() const
{
    return m_databaseUser != nullptr ? m_databaseUser->GetDatabase() : nullptr;
}

CWMITypeInfo* CWmipClassMapper::GetTypeInfo() const
{
    if (!m_typeInfoResolved)
    {
        m_typeInfo = CWmipMapperRegistry::Instance()->GetTypeInfo(GetClassName(), true);
        m_typeInfoResolved = true;
    }
    return m_typeInfo;
}

const std::vector<CString>& CWmipClassMapper::GetJoins() const
{
    static const std::vector<CString> none;
    return none;
}

HRESULT CWmipClassMapper::CreateClassShell(IWbemClassObject** classObject, BOOL /*system*/)
{
    if (classObject == nullptr)
        return WBEM_E_INVALID_PARAMETER;
    *classObject = nullptr;
    // The shell shows none of the properties that depend on the caller's rights, so it is
    // built as the system: a caller that is refused or cannot be resolved still gets it.
    ComPtr<IWbemClassObject> source;
    HRESULT hr = GetHeldClass(source, TRUE);
    if (FAILED(hr))
        return hr;
    ComPtr<IWbemClassObject> shell;
    hr = source->Clone(&shell);
    if (FAILED(hr))
        return hr;
    std::vector<CString> names;
    WMIHelper::ForEachProperty(shell.Get(), WBEM_FLAG_NONSYSTEM_ONLY,
                               [&](const CString& name, const VARIANT&, CIMTYPE) {
                                   names.push_back(name);
                                   return true;
                               });
    for (const CString& name : names)
        shell->Delete(name);
    *classObject = shell.Detach();
    return S_OK;
}

HRESULT CWmipClassMapper::GetSuperclassDefinition(IWbemClassObject** parent)
{
    return GetObject(GetSuperclassName(), parent, 1, 0);
}

HRESULT CWmipClassMapper::CreateClassImpl(IWbemClassObject** classObject)
{
    if (classObject == nullptr)
        return WBEM_E_INVALID_PARAMETER;
    *classObject = nullptr;
    ComPtr<IWbemClassObject> created;
    HRESULT hr = S_OK;
    if (HasSuperclass())
    {
        ComPtr<IWbemClassObject> parent;
        hr = GetSuperclassDefinition(&parent);
        if (FAILED(hr))
            return hr;
        if (parent == nullptr)
            return WBEM_E_FAILED;
        hr = parent->SpawnDerivedClass(0, &created);
    }
    else
    {
        hr = GetObject(nullptr, &created, 1, 0);
    }
    if (FAILED(hr))
        return hr;
    if (created == nullptr)
        return WBEM_E_FAILED;

    _variant_t name(static_cast<const wchar_t*>(GetClassName()));
    hr = created->Put(L"__class", 0, &name, CIM_STRING);
    if (FAILED(hr))
        return hr;
    hr = MarkDynamic(created.Get());
    if (FAILED(hr))
        return hr;
    *classObject = created.Detach();
    return S_OK;
}

HRESULT CWmipClassMapper::MarkDynamic(IWbemClassObject* definition)
{
    ComPtr<IWbemQualifierSet> qualifiers;
    HRESULT hr = definition->GetQualifierSet(&qualifiers);
    if (FAILED(hr))
        return hr;
    _variant_t dynamic(true);
    hr = qualifiers->Put(L"Dynamic", &dynamic, 0);
    if (FAILED(hr))
        return hr;
    _variant_t provider(L"BntProvider");
    return qualifiers->Put(L"Provider", &provider, 0);
}
