// What a write of CWmipClassMapper asks of it: the defaults, the value checks and the generated
// values of a write, and its audit and replication entries. The writer (CWmipInstanceWriter) asks
// them as hooks and they call nothing that writes, so the calls run one way: from the writes
// (CWmipClassMapperWrites.cpp) down to the writer and from it to these.
#include "framework/CWmipClassMapper.h"
#include "framework/CWmipMessages.h"
#include "framework/CWmipPropertyRefusal.h"
#include "framework/CWmipValueForm.h"

#include "framework/CWMITypeInfo.h"
#include "framework/CWmipObjectPath.h"
#include "framework/WMIHelper.h"
#include "inhouse/BntCommon/CBntCardholderTrans.h"
#include "inhouse/BntCoreDb/CBntDatabase.h"
#include "inhouse/BntCoreDb/CBntTransaction.h"
#include "inhouse/BntCoreDb/CDBException.h"
#include "inhouse/BntCoreDb/CDynamicRecordset.h"
#include "inhouse/BntLogin/CAcsUser.h"
#include "inhouse/BntUtility/CWMIDebugLog.h"
#include "inhouse/BntUtility/CWMIException.h"
#include "platform/com/BstrOwner.h"
#include "platform/com/CimTypes.h"
#include "platform/com/WbemConstants.h"
#include "platform/mfc/COleDateTime.h"
#include "platform/wmi/IWbemClassObject.h"
#include "platform/wmi/IWbemQualifierSet.h"

#include <limits>

using brontel::utility::CWMIDebugLog;
using brontel::utility::CWMIException;
using Operation = brontel::UserTranOperation::UserTransactionOperation;

namespace {

// The property's qualifier `name` of the object; false when it has none.
bool GetQualifier(IWbemClassObject* object, const CString& property, const wchar_t* name, _variant_t& value)
{
    if (object == nullptr)
        return false;
    ComPtr<IWbemQualifierSet> qualifiers;
    if (FAILED(object->GetPropertyQualifierSet(property, &qualifiers)) || qualifiers == nullptr)
        return false;
    return SUCCEEDED(qualifiers->Get(name, 0, &value, nullptr));
}

}  // namespace

HRESULT CWmipClassMapper::GetDefaultValue(IWbemClassObject* instance, const CString& property, VARIANT& value)
{
    const CWMITypeInfo* typeInfo = GetTypeInfo();
    CString text;
    _variant_t qualifier;
    if (GetQualifier(instance, property, L"DefaultValue", qualifier) && qualifier.vt == VT_BSTR &&
        qualifier.bstrVal != nullptr)
        text = qualifier.bstrVal;
    else if (typeInfo != nullptr)
        text = typeInfo->GetDefaultValue(property);
    if (!text.IsEmpty())
    {
        _variant_t result(static_cast<const wchar_t*>(text));
        VariantClear(&value);
        value = result.Detach();
        return S_OK;
    }

    const LONG idType = typeInfo != nullptr ? static_cast<LONG>(typeInfo->GetPropertyIDType(property)) : kNoIdType;
    if (idType == kNoIdType)
        return WBEM_E_NOT_FOUND;
    const CString tableDotColumn = GetTableDotColumn(property);
    const int dot = tableDotColumn.Find(L'.');
    CString message;
    message.Format(CWmipMessages::kNoGeneratedId, static_cast<const wchar_t*>(property));
    if (dot <= 0 || GetDatabase() == nullptr)
        throw CWMIException(kClassMapperLogSource, __LINE__, WBEM_E_UNEXPECTED, message);
    LONGLONG id = 0;
    try
    {
        // Kept above the values already stored, so a counter behind the table never repeats a key.
        CDynamicRecordset recordset(GetDatabase());
        recordset.SetTable(tableDotColumn.Left(dot));
        id = recordset.GetNextID(idType, tableDotColumn.Mid(dot + 1));
    }
    catch (const CDBException& e)
    {
        CWMIDebugLog::LogError(kClassMapperLogSource, __LINE__, message, 0, &e);
        throw CWMIException(kClassMapperLogSource, __LINE__, WBEM_E_UNEXPECTED, message);
    }
    const LONG type = typeInfo->GetPropertyType(property) & ~CIM_FLAG_ARRAY;
    const bool wide = type == CIM_SINT64 || type == CIM_UINT64;
    if (id <= 0 || (!wide && id > std::numeric_limits<LONG>::max()))
        throw CWMIException(kClassMapperLogSource, __LINE__, WBEM_E_UNEXPECTED, message);
    VariantClear(&value);
    if (wide)
    {
        CString decimal;
        decimal.Format(L"%I64d", id);
        _variant_t result(static_cast<const wchar_t*>(decimal));
        value = result.Detach();
    }
    else
    {
        value.vt = VT_I4;
        value.lVal = static_cast<LONG>(id);
    }
    return S_OK;
}

bool CWmipClassMapper::KeepsNoEditValue(const CString&)
{
    return true;
}

bool CWmipClassMapper::IsSystemStamped(const CString&)
{
    return false;
}

HRESULT CWmipClassMapper::IsValidValue(IWbemClassObject* instance, const CString& property, VARIANT& value)
{
    return CheckValueForm(instance, property, value);
}

HRESULT CWmipClassMapper::CheckValueForm(IWbemClassObject* instance, const CString& property, const VARIANT& value)
{
    if (value.vt != VT_BSTR || value.bstrVal == nullptr)
        return S_OK;
    const CWMITypeInfo* typeInfo = GetTypeInfo();
    CIMTYPE type = typeInfo != nullptr ? typeInfo->GetPropertyType(property) : CIM_EMPTY;
    if (type == CIM_EMPTY && instance != nullptr)
        instance->Get(property, 0, nullptr, &type, nullptr);
    _variant_t maxlen;
    LONG limit = 0;
    // The length the caller's definition allows now, never the one a client's copy of an older
    // definition carries.
    if (GetQualifier(GetCallerDefinition().Get(), property, L"maxlen", maxlen))
    {
        _variant_t number;
        if (SUCCEEDED(VariantChangeType(&number, &maxlen, 0, VT_I4)))
            limit = number.lVal;
    }
    else if (typeInfo != nullptr && (type & ~CIM_FLAG_ARRAY) == CIM_STRING)
    {
        limit = typeInfo->GetPropertyLength(property);
    }
    return CWmipValueForm::Fault(type, limit, value, GetDoor()).IsEmpty() ? S_OK : WBEM_E_INVALID_PARAMETER;
}

void CWmipClassMapper::CheckValueForms(IWbemClassObject* instance)
{
    if (instance == nullptr || FAILED(instance->BeginEnumeration(WBEM_FLAG_NONSYSTEM_ONLY)))
        return;
    CString offending;
    BstrOwner name;
    VARIANT value;
    VariantInit(&value);
    while (offending.IsEmpty() && instance->Next(0, name.Receive(), &value, nullptr, nullptr) == S_OK)
    {
        const CString property(name.Get());
        if (FAILED(CheckValueForm(instance, property, value)))
            offending = property;
        VariantClear(&value);
    }
    instance->EndEnumeration();
    if (!offending.IsEmpty())
        CWmipPropertyRefusal::ThrowNamed(kClassMapperLogSource, __LINE__, WBEM_E_INVALID_PARAMETER,
                                         CWmipMessages::kInvalidProperty, offending);
}

HRESULT CWmipClassMapper::ValidateValuesForGeneratedProperties(IWbemClassObject* instance, bool create,
                                                               CString& propertyName)
{
    const CWMITypeInfo* typeInfo = GetTypeInfo();
    if (typeInfo == nullptr || instance == nullptr)
        return S_OK;
    ComPtr<IWbemClassObject> current;
    bool currentRead = false;
    for (const auto& [property, column] : typeInfo->GetPropertyColumns())
    {
        if (typeInfo->GetPropertyIDType(property) == kNoIdType)
            continue;
        _variant_t given;
        if (FAILED(instance->Get(property, 0, &given, nullptr, nullptr)) || IsEmptyValue(given))
            continue;
        if (create)
        {
            if (!HasAutoGeneratedKeys())
                continue;
            propertyName = property;
            return WBEM_E_INVALID_PARAMETER;
        }
        if (typeInfo->IsPropertyAKeyProperty(property))
            continue;
        if (!currentRead)
        {
            currentRead = true;
            CWmipObjectPath path(GetClassName());
            bool complete = true;
            for (const auto& [key, keyColumn] : typeInfo->GetKeyProperties())
            {
                _variant_t keyValue;
                _variant_t text;
                complete = complete && SUCCEEDED(instance->Get(key, 0, &keyValue, nullptr, nullptr)) &&
                           !IsEmptyValue(keyValue) && SUCCEEDED(VariantChangeType(&text, &keyValue, 0, VT_BSTR)) &&
                           path.AddKey(key, text.bstrVal);
            }
            if (complete)
                current.Attach(GetCurrentInstance(&path));
        }
        if (current == nullptr)
            continue;
        _variant_t stored;
        _variant_t givenText;
        _variant_t storedText;
        current->Get(property, 0, &stored, nullptr, nullptr);
        const bool same = !IsEmptyValue(stored) && SUCCEEDED(VariantChangeType(&givenText, &given, 0, VT_BSTR)) &&
                          SUCCEEDED(VariantChangeType(&storedText, &stored, 0, VT_BSTR)) &&
                          CString(givenText.bstrVal) == CString(storedText.bstrVal);
        if (!same)
        {
            propertyName = property;
            return WBEM_E_INVALID_PARAMETER;
        }
    }
    return S_OK;
}

void CWmipClassMapper::AddAdditionalFields(CWmideFieldSet& /*fieldSet*/) {}

void CWmipClassMapper::LogTransaction(Operation operation, IWbemClassObject* instance)
{
    CAcsUser* user = nullptr;
    const HRESULT hr = GetUser(&user);
    if (FAILED(hr) || user == nullptr)
        throw CWMIException(kClassMapperLogSource, __LINE__, FAILED(hr) ? hr : WBEM_E_FAILED,
                            CWmipMessages::kNoIdentity);

    const brontel::UserTranObject::UserTransactionObject object = GetTransactionObject();
    if (object != 0)
    {
        const CString text = GetTransactionValues(operation, instance);
        // An unaudited write must not stand: inside a write this undoes the whole write.
        if (!user->LogTransToDB(operation, object, text, GetDatabase()))
            throw CWMIException(kClassMapperLogSource, __LINE__, WBEM_E_FAILED, CWmipMessages::kAuditNotRecorded);
    }

    const LONG replicated = GetReplTransactionObject();
    if (replicated == 0 || user->GetSystemOptions().ServerType() == 0)
        return;
    const LONG action = operation == Operation::Add      ? CBntCardholderTrans::kAdded
                        : operation == Operation::Delete ? CBntCardholderTrans::kDeleted
                                                         : CBntCardholderTrans::kModified;
    const COleDateTime now = COleDateTime::GetCurrentTime();
    CBntCardholderTrans transaction(action, replicated, &now);
    transaction.SetUserID(user->GetUserID());
    SetupReplTransaction(transaction, operation, instance);
    LogReplication(transaction);
}

void CWmipClassMapper::LogReplication(const CBntCardholderTrans& transaction)
{
    CBntDatabase* database = GetDatabase();
    if (database == nullptr || m_databaseUser == nullptr)
    {
        CWMIDebugLog::LogError(kClassMapperLogSource, __LINE__, CWmipMessages::kReplicationNotLogged);
        return;
    }
    try
    {
        CBntTransaction savepoint(*database);
        if (!transaction.Log(m_databaseUser))
        {
            CWMIDebugLog::LogError(kClassMapperLogSource, __LINE__, CWmipMessages::kReplicationNotLogged);
            return;
        }
        savepoint.Commit();
    }
    catch (const CException& e)
    {
        CWMIDebugLog::LogError(kClassMapperLogSource, __LINE__, CWmipMessages::kReplicationNotLogged, 0, &e);
    }
}
