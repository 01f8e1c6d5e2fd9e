#include "framework/CWmipInstanceWriter.h"
#include "framework/CWmipMessages.h"

#include "common/Crypto.h"
#include "common/StringHelpers.h"
#include "framework/CWMITypeInfo.h"
#include "framework/CWmipClassMapperHooks.h"
#include "framework/CWmipObjectPath.h"
#include "framework/CWmipPropertyRefusal.h"
#include "framework/CWmipWriteFrame.h"
#include "framework/IntegerValue.h"
#include "framework/WMIHelper.h"
#include "inhouse/BntCoreDb/CBntDatabase.h"
#include "inhouse/BntCoreDb/CDBException.h"
#include "inhouse/BntCoreDb/CDynamicRecordset.h"
#include "inhouse/BntCoreDb/CSQLStatement.h"
#include "inhouse/BntUtility/CWMIDebugLog.h"
#include "inhouse/BntUtility/CWMIException.h"
#include "platform/com/BstrOwner.h"
#include "platform/com/SafeArray.h"
#include "platform/com/WbemConstants.h"
#include "platform/wmi/IWbemClassObject.h"
#include "platform/wmi/IWbemQualifierSet.h"

#include <algorithm>
#include <iterator>
#include <limits>
#include <string>
#include <utility>

using brontel::utility::CWMIDebugLog;
using brontel::utility::CWMIException;
using Operation = brontel::UserTranOperation::UserTransactionOperation;

namespace {

void SplitColumn(const CString& tableDotColumn, CString& table, CString& column)
{
    const int dot = tableDotColumn.Find(L'.');
    table = dot < 0 ? CString() : tableDotColumn.Left(dot);
    column = dot < 0 ? tableDotColumn : tableDotColumn.Mid(dot + 1);
}

bool QualifierIsTrue(IWbemQualifierSet* qualifiers, const wchar_t* name)
{
    _variant_t value;
    if (qualifiers == nullptr || FAILED(qualifiers->Get(name, 0, &value, nullptr)))
        return false;
    const VARIANT& raw = value;
    if (raw.vt == VT_BOOL)
        return raw.boolVal != VARIANT_FALSE;
    _variant_t converted;
    return SUCCEEDED(VariantChangeType(&converted, &value, 0, VT_BOOL)) &&
           static_cast<const VARIANT&>(converted).boolVal != VARIANT_FALSE;
}

bool IsNullVariant(const VARIANT& value)
{
    return value.vt == VT_NULL || value.vt == VT_EMPTY;
}

// The value as text; false when it does not convert.
bool AsText(const VARIANT& value, CString& text)
{
    if (value.vt == VT_BSTR)
    {
        text = value.bstrVal != nullptr ? CString(value.bstrVal, static_cast<int>(SysStringLen(value.bstrVal)))
                                        : CString();
        return true;
    }
    _variant_t converted;
    if (FAILED(VariantChangeType(&converted, &value, 0, VT_BSTR)))
        return false;
    const VARIANT& raw = converted;
    text = raw.bstrVal != nullptr ? CString(raw.bstrVal, static_cast<int>(SysStringLen(raw.bstrVal))) : CString();
    return true;
}

// An integral value of any integer kind, or of decimal text (white space around it allowed);
// false for anything else, and for a VT_UI8 beyond the signed 64-bit range.
bool AsInteger(const VARIANT& value, LONGLONG& result)
{
    std::optional<LONGLONG> number;
    if (value.vt == VT_BSTR)
        number = IntegerValue::FromText(value.bstrVal != nullptr
                                            ? std::wstring_view(value.bstrVal, SysStringLen(value.bstrVal))
                                            : std::wstring_view(),
                                        IntegerValue::TextRule::Trimmed);
    else if (value.vt != VT_UI8 || value.ullVal <= static_cast<ULONGLONG>(std::numeric_limits<LONGLONG>::max()))
        number = IntegerValue::FromVariant(value);
    if (!number)
        return false;
    result = *number;
    return true;
}

bool InRange(LONGLONG value, CIMTYPE type, const VARIANT& source)
{
    switch (type)
    {
    case CIM_SINT8:
        return value >= -128 && value <= 127;
    case CIM_UINT8:
        return value >= 0 && value <= 255;
    case CIM_SINT16:
        return value >= -32768 && value <= 32767;
    case CIM_UINT16:
        return value >= 0 && value <= 65535;
    case CIM_SINT32:
        return value >= std::numeric_limits<LONG>::min() && value <= std::numeric_limits<LONG>::max();
    case CIM_UINT32:
        // uint32 travels in VT_I4 with its bits kept.
        return (value >= 0 && value <= 0xFFFFFFFFLL) || (source.vt == VT_I4 && value < 0);
    case CIM_UINT64:
        return value >= 0;
    default:
        return true;
    }
}

enum class ByteArray
{
    Read,
    Invalid,
    TooLarge,
};

// The bytes of a one-dimensional uint8 array of at most kMaxBinaryBytes.
ByteArray ByteArrayOf(const VARIANT& value, std::vector<BYTE>& bytes)
{
    if (value.vt != (VT_ARRAY | VT_UI1) || value.parray == nullptr || SafeArrayGetDim(value.parray) != 1)
        return ByteArray::Invalid;
    LONG lower = 0;
    LONG upper = -1;
    if (FAILED(SafeArrayGetLBound(value.parray, 1, &lower)) || FAILED(SafeArrayGetUBound(value.parray, 1, &upper)))
        return ByteArray::Invalid;
    const LONGLONG count = static_cast<LONGLONG>(upper) - lower + 1;
    if (count < 0)
        return ByteArray::Invalid;
    if (count > static_cast<LONGLONG>(CWmipInstanceWriter::kMaxBinaryBytes))
        return ByteArray::TooLarge;
    void* data = nullptr;
    if (FAILED(SafeArrayAccessData(value.parray, &data)))
        return ByteArray::Invalid;
    const BYTE* begin = static_cast<const BYTE*>(data);
    bytes.assign(begin, begin + count);
    SafeArrayUnaccessData(value.parray);
    return ByteArray::Read;
}

}  // namespace

CWmipInstanceWriter::CWmipInstanceWriter(CWmipClassMapperHooks& mapper) : m_mapper(mapper) {}

void CWmipInstanceWriter::ThrowProperty(int line, HRESULT hr, const wchar_t* message, const CString& property) const
{
    CWmipPropertyRefusal::ThrowNamed(kClassMapperLogSource, line, hr, message, property);
}

void CWmipInstanceWriter::AddColumn(Property& property, const CString& tableDotColumn) const
{
    if (tableDotColumn.IsEmpty() || tableDotColumn.Find(L'.') <= 0)
        return;
    for (const CString& existing : property.columns)
    {
        if (existing.CompareNoCase(tableDotColumn) == 0)
            return;
    }
    property.columns.push_back(tableDotColumn);
}

void CWmipInstanceWriter::LoadProperties()
{
    const HRESULT hr = m_mapper.GetHeldClass(m_class, FALSE);
    if (FAILED(hr))
        throw CWMIException(kClassMapperLogSource, __LINE__, hr);

    const CWMITypeInfo* typeInfo = m_mapper.GetTypeInfo();
    std::vector<std::pair<CString, CIMTYPE>> names;
    if (FAILED(m_class->BeginEnumeration(WBEM_FLAG_NONSYSTEM_ONLY)))
        throw CWMIException(kClassMapperLogSource, __LINE__, WBEM_E_FAILED);
    BstrOwner name;
    CIMTYPE type = CIM_EMPTY;
    while (m_class->Next(0, name.Receive(), nullptr, &type, nullptr) == S_OK)
        names.emplace_back(CString(name.Get()), type);
    m_class->EndEnumeration();

    for (const auto& [propertyName, propertyType] : names)
    {
        Property property;
        property.name = propertyName;
        property.type = propertyType;
        ComPtr<IWbemQualifierSet> qualifiers;
        m_class->GetPropertyQualifierSet(propertyName, &qualifiers);
        property.key = QualifierIsTrue(qualifiers.Get(), L"key") ||
                       (typeInfo != nullptr && typeInfo->IsPropertyAKeyProperty(propertyName));
        property.read = QualifierIsTrue(qualifiers.Get(), L"read");
        property.noEdit = QualifierIsTrue(qualifiers.Get(), L"noedit") && m_mapper.KeepsNoEditValue(propertyName);
        property.notNull = QualifierIsTrue(qualifiers.Get(), L"not_null");
        property.encrypted = QualifierIsTrue(qualifiers.Get(), L"EncryptedTextField");
        CString registered;
        if (typeInfo != nullptr && typeInfo->GetColumnForProperty(propertyName, registered))
            AddColumn(property, registered);
        AddColumn(property, m_mapper.GetTableDotColumn(propertyName));
        const auto foreign = m_mapper.GetForeignKeyMappings().find(propertyName);
        if (foreign != m_mapper.GetForeignKeyMappings().end())
            AddColumn(property, foreign->second);
        if (!property.columns.empty())
            m_properties.push_back(std::move(property));
    }

    for (const Property& property : m_properties)
    {
        if (property.key)
        {
            CString column;
            SplitColumn(property.columns.front(), m_mainTable, column);
            break;
        }
    }
    if (m_mainTable.IsEmpty() && !m_properties.empty())
    {
        CString column;
        SplitColumn(m_properties.front().columns.front(), m_mainTable, column);
    }
    if (m_mainTable.IsEmpty())
        throw CWMIException(kClassMapperLogSource, __LINE__, WBEM_E_NOT_SUPPORTED, CWmipMessages::kNoTableToWrite);
    AddJoinLinks();
}

void CWmipInstanceWriter::AddJoinLinks()
{
    for (const CString& join : m_mapper.GetJoins())
    {
        const int comma = join.Find(L',');
        if (comma <= 0)
            continue;
        const CString sides[2] = {join.Left(comma).Trim(), join.Mid(comma + 1).Trim()};
        for (int side = 0; side < 2; ++side)
        {
            CString table;
            CString column;
            SplitColumn(sides[side], table, column);
            if (table.CompareNoCase(m_mainTable) != 0)
                continue;
            // A join on a main-table key column links the other table's row to the instance.
            for (Property& property : m_properties)
            {
                if (property.key && property.columns.front().CompareNoCase(sides[side]) == 0)
                    AddColumn(property, sides[1 - side]);
            }
        }
    }
}

bool CWmipInstanceWriter::IsWritableTable(const CString& table) const
{
    if (table.CompareNoCase(m_mainTable) == 0)
        return true;
    // A further table holds the instance's own row only when every key names its row there
    // too; a table joined on part of the key (the owner of a multi-key row) is a lookup, and
    // writing or deleting it would touch another record.
    int keys = 0;
    int linked = 0;
    for (const Property& property : m_properties)
    {
        if (!property.key)
            continue;
        ++keys;
        const bool inTable = std::any_of(property.columns.begin(), property.columns.end(), [&](const CString& column) {
            CString keyTable;
            CString keyColumn;
            SplitColumn(column, keyTable, keyColumn);
            return keyTable.CompareNoCase(table) == 0;
        });
        linked += inTable ? 1 : 0;
    }
    return keys > 0 && linked == keys;
}

CWmideUnit CWmipInstanceWriter::MakeUnit(const CString& property, const CString& table, const CString& column,
                                         const VARIANT& value, CIMTYPE cimType, bool encrypted) const
{
    if (IsNullVariant(value))
        return CWmideUnit::Null(column);

    if (table.CompareNoCase(L"BADGE") == 0 && column.CompareNoCase(L"PIN") == 0)
    {
        CString pin;
        if (!AsText(value, pin))
            ThrowProperty(__LINE__, WBEM_E_INVALID_PARAMETER, CWmipMessages::kInvalidProperty, property);
        // Only a PIN of digits is stored; anything else stores no PIN at all.
        if (!WMIHelper::IsValidPINCode(pin))
            return CWmideUnit::Null(column);
        std::vector<BYTE> cipher;
        if (!brontel::crypto::Crypto().EncryptPinString(pin, cipher))
            ThrowProperty(__LINE__, WBEM_E_FAILED, CWmipMessages::kValueNotEncrypted, property);
        return CWmideUnit::Bytes(column, std::move(cipher));
    }

    if ((value.vt & VT_ARRAY) != 0)
    {
        std::vector<BYTE> bytes;
        const ByteArray read = ByteArrayOf(value, bytes);
        if (read != ByteArray::Read)
            ThrowProperty(__LINE__, WBEM_E_INVALID_PARAMETER,
                          read == ByteArray::TooLarge ? CWmipMessages::kBinaryTooLarge
                                                      : CWmipMessages::kInvalidProperty,
                          property);
        return CWmideUnit::Bytes(column, std::move(bytes));
    }

    const CIMTYPE baseType = cimType & ~CIM_FLAG_ARRAY;
    if ((cimType & CIM_FLAG_ARRAY) != 0 && baseType != CIM_UINT8)
        ThrowProperty(__LINE__, WBEM_E_INVALID_PARAMETER, CWmipMessages::kInvalidProperty, property);

    if (encrypted)
    {
        CString text;
        if (!AsText(value, text))
            ThrowProperty(__LINE__, WBEM_E_INVALID_PARAMETER, CWmipMessages::kInvalidProperty, property);
        std::vector<BYTE> cipher;
        if (!brontel::crypto::Crypto().EncryptString(text, cipher))
            ThrowProperty(__LINE__, WBEM_E_FAILED, CWmipMessages::kValueNotEncrypted, property);
        return CWmideUnit::Bytes(column, std::move(cipher));
    }

    if (IsIntegerCimType(baseType))
    {
        LONGLONG number = 0;
        if (!AsInteger(value, number) || !InRange(number, baseType, value))
            ThrowProperty(__LINE__, WBEM_E_INVALID_PARAMETER, CWmipMessages::kInvalidProperty, property);
        if (baseType == CIM_UINT32 && number < 0)
            number = static_cast<LONGLONG>(static_cast<ULONG>(static_cast<LONG>(number)));
        if (baseType == CIM_SINT64 || baseType == CIM_UINT64 || baseType == CIM_UINT32)
            return CWmideUnit::Int64(column, number);
        return CWmideUnit::Int(column, static_cast<LONG>(number));
    }
    switch (baseType)
    {
    case CIM_BOOLEAN: {
        _variant_t converted;
        if (FAILED(VariantChangeType(&converted, &value, 0, VT_BOOL)))
            ThrowProperty(__LINE__, WBEM_E_INVALID_PARAMETER, CWmipMessages::kInvalidProperty, property);
        return CWmideUnit::Bool(column, static_cast<const VARIANT&>(converted).boolVal != VARIANT_FALSE);
    }
    case CIM_REAL32:
    case CIM_REAL64: {
        _variant_t converted;
        if (FAILED(VariantChangeType(&converted, &value, 0, VT_R8)))
            ThrowProperty(__LINE__, WBEM_E_INVALID_PARAMETER, CWmipMessages::kInvalidProperty, property);
        return CWmideUnit::Double(column, static_cast<const VARIANT&>(converted).dblVal);
    }
    case CIM_DATETIME: {
        CString text;
        if (!AsText(value, text))
            ThrowProperty(__LINE__, WBEM_E_INVALID_PARAMETER, CWmipMessages::kInvalidProperty, property);
        const COleDateTime utc = WMIHelper::ToDateTimeUTC(text, m_mapper.GetDoor());
        const COleDateTime stored = m_mapper.IsUseUTC() ? utc : WMIHelper::UtcToLocal(utc);
        if (stored.GetStatus() != COleDateTime::valid)
            ThrowProperty(__LINE__, WBEM_E_INVALID_PARAMETER, CWmipMessages::kInvalidProperty, property);
        return CWmideUnit::DateTime(column, stored);
    }
    case CIM_REFERENCE:
    case CIM_OBJECT:
        ThrowProperty(__LINE__, WBEM_E_INVALID_PARAMETER, CWmipMessages::kInvalidProperty, property);
    default: {
        CString text;
        if (!AsText(value, text))
            ThrowProperty(__LINE__, WBEM_E_INVALID_PARAMETER, CWmipMessages::kInvalidProperty, property);
        if (m_mapper.IsUseByteArray() && baseType == CIM_STRING)
        {
            // Binary columns of such classes travel as hexadecimal text.
            std::vector<BYTE> bytes;
            if (!HexStringToBytes(text.GetWString(), bytes))
                ThrowProperty(__LINE__, WBEM_E_INVALID_PARAMETER, CWmipMessages::kInvalidProperty, property);
            return CWmideUnit::Bytes(column, std::move(bytes));
        }
        if (baseType == CIM_UINT8)
            ThrowProperty(__LINE__, WBEM_E_INVALID_PARAMETER, CWmipMessages::kInvalidProperty, property);
        return CWmideUnit::Text(column, text);
    }
    }
}

bool CWmipInstanceWriter::BuildKeyPath(IWbemClassObject* instance, CWmipObjectPath& path,
                                       const Property** missing) const
{
    for (const Property& property : m_properties)
    {
        if (!property.key)
            continue;
        _variant_t value;
        CString text;
        LONGLONG number = 0;
        // Integer keys go into the path as numbers, everything else as quoted text.
        const CIMTYPE base = property.type & ~CIM_FLAG_ARRAY;
        const bool integral = base == CIM_SINT8 || base == CIM_UINT8 || base == CIM_SINT16 || base == CIM_UINT16 ||
                              base == CIM_SINT32 || base == CIM_UINT32;
        if (FAILED(instance->Get(property.name, 0, &value, nullptr, nullptr)) ||
            CWmipClassMapperHooks::IsEmptyValue(value) ||
            !((integral && AsInteger(value, number) && number >= std::numeric_limits<LONG>::min() &&
               number <= std::numeric_limits<LONG>::max() && path.AddKey(property.name, static_cast<LONG>(number))) ||
              (!integral && AsText(value, text) && path.AddKey(property.name, text))))
        {
            if (missing != nullptr)
                *missing = &property;
            return false;
        }
    }
    return true;
}

ComPtr<IWbemClassObject> CWmipInstanceWriter::ReadCurrent(IWbemClassObject* instance, const Property** missing) const
{
    CWmipObjectPath path(m_mapper.GetClassName());
    if (!BuildKeyPath(instance, path, missing))
        return nullptr;
    ComPtr<IWbemClassObject> current;
    current.Attach(m_mapper.GetCurrentInstance(&path));
    return current;
}

bool CWmipInstanceWriter::RowExists(const CString& table, const std::vector<CWmideUnit>& keys) const
{
    if (keys.empty())
        return false;
    CDynamicRecordset recordset(m_mapper.GetDatabase());
    recordset.SetTable(table);
    recordset.AddColumnToSet(keys.front().GetColumnName(), table);
    for (const CWmideUnit& key : keys)
    {
        const CString column = table + L"." + key.GetColumnName();
        const CDBValue& value = key.GetValue();
        switch (value.GetKind())
        {
        case CDBValue::Kind::Null:
            recordset.AddFilterNull(column, true);
            break;
        case CDBValue::Kind::Integer:
            recordset.AddFilterLongLong(column, value.GetInteger());
            break;
        default:
            recordset.AddFilterText(column, value.AsText());
            break;
        }
    }
    recordset.OpenForwardOnly();
    return !recordset.IsEOF();
}

void CWmipInstanceWriter::StageLinkedTables(IWbemClassObject* instance, bool create)
{
    // The key units of each table, in the order the tables first appear (main table first).
    std::vector<std::pair<CString, std::vector<CWmideUnit>>> keyUnits;
    keyUnits.emplace_back(m_mainTable, std::vector<CWmideUnit>());
    for (const Property& property : m_properties)
    {
        if (!property.key)
            continue;
        _variant_t value;
        if (FAILED(instance->Get(property.name, 0, &value, nullptr, nullptr)) ||
            CWmipClassMapperHooks::IsEmptyValue(value))
            ThrowProperty(__LINE__, WBEM_E_ILLEGAL_NULL, CWmipMessages::kRequiredProperty, property.name);
        for (const CString& tableDotColumn : property.columns)
        {
            CString table;
            CString column;
            SplitColumn(tableDotColumn, table, column);
            if (!IsWritableTable(table))
                continue;
            auto entry = std::find_if(keyUnits.begin(), keyUnits.end(),
                                      [&](const auto& item) { return item.first.CompareNoCase(table) == 0; });
            if (entry == keyUnits.end())
            {
                keyUnits.emplace_back(table, std::vector<CWmideUnit>());
                entry = std::prev(keyUnits.end());
            }
            entry->second.push_back(MakeUnit(property.name, table, column, value, property.type, false));
        }
    }
    for (auto& [table, units] : keyUnits)
    {
        const bool isMain = table.CompareNoCase(m_mainTable) == 0;
        const bool update = !create && (isMain || RowExists(table, units));
        CWmideFieldSet& fieldSet =
            m_stage.GetFieldSet(table, update ? CWmideFieldSet::Mode::Update : CWmideFieldSet::Mode::Insert);
        for (CWmideUnit& unit : units)
            fieldSet.AddKeyUnit(std::move(unit));
    }
}

void CWmipInstanceWriter::StageProperty(IWbemClassObject* instance, const Property& property, bool create,
                                        IWbemClassObject* current)
{
    if (property.key)
        return;
    _variant_t value;
    if (m_mapper.IsSystemStamped(property.name))
    {
        // Whatever the client sent or left out, the system's stamp is written; the instance
        // carries it on to the audit text.
        const HRESULT hr = m_mapper.IsValidValue(instance, property.name, value.GetVARIANT());
        if (FAILED(hr) || CWmipClassMapperHooks::IsEmptyValue(value))
            ThrowProperty(__LINE__, FAILED(hr) ? hr : WBEM_E_FAILED, CWmipMessages::kInvalidProperty, property.name);
        WMIHelper::PutVariant(instance, property.name, &value, 0);
        StageValue(property, value, create);
        return;
    }
    if (FAILED(instance->Get(property.name, 0, &value, nullptr, nullptr)))
        value = _variant_t();
    const bool empty = CWmipClassMapperHooks::IsEmptyValue(value) != FALSE;

    if (!create)
    {
        if (property.read || property.noEdit)
        {
            // Settable on create only: a value must be the stored one, and is not written again.
            if (empty)
                return;
            _variant_t stored;
            if (current != nullptr)
                current->Get(property.name, 0, &stored, nullptr, nullptr);
            CString table;
            CString column;
            SplitColumn(property.columns.front(), table, column);
            const CWmideUnit given = MakeUnit(property.name, table, column, value, property.type, property.encrypted);
            const CWmideUnit kept =
                CWmipClassMapperHooks::IsEmptyValue(stored)
                    ? CWmideUnit::Null(column)
                    : MakeUnit(property.name, table, column, stored, property.type, property.encrypted);
            if (!(given.GetValue() == kept.GetValue()))
                ThrowProperty(__LINE__, WBEM_E_FAILED, CWmipMessages::kNotEditableProperty, property.name);
            return;
        }
        // A property the client left without value keeps what is stored.
        if (IsNullVariant(value))
            return;
        if (empty && property.notNull)
            ThrowProperty(__LINE__, WBEM_E_ILLEGAL_NULL, CWmipMessages::kRequiredProperty, property.name);
    }
    else if (empty)
    {
        _variant_t defaultValue;
        const HRESULT hr = m_mapper.GetDefaultValue(instance, property.name, defaultValue.GetVARIANT());
        if (FAILED(hr) || CWmipClassMapperHooks::IsEmptyValue(defaultValue))
        {
            if (property.notNull)
                ThrowProperty(__LINE__, WBEM_E_ILLEGAL_NULL, CWmipMessages::kRequiredProperty, property.name);
            return;
        }
        value = defaultValue;
        // The instance carries its defaults on, to the audit text and the object path.
        WMIHelper::PutVariant(instance, property.name, &value, 0);
    }

    if (!CWmipClassMapperHooks::IsEmptyValue(value))
    {
        const HRESULT hr = m_mapper.IsValidValue(instance, property.name, value.GetVARIANT());
        if (FAILED(hr))
            ThrowProperty(__LINE__, hr, CWmipMessages::kInvalidProperty, property.name);
    }
    StageValue(property, value, create);
}

void CWmipInstanceWriter::StageValue(const Property& property, VARIANT& value, bool create)
{
    const bool clear = CWmipClassMapperHooks::IsEmptyValue(value) != FALSE;
    for (const CString& tableDotColumn : property.columns)
    {
        CString table;
        CString column;
        SplitColumn(tableDotColumn, table, column);
        if (!IsWritableTable(table))
            continue;
        CWmideFieldSet& fieldSet =
            m_stage.GetFieldSet(table, create ? CWmideFieldSet::Mode::Insert : CWmideFieldSet::Mode::Update);
        fieldSet.AddUnit(clear ? CWmideUnit::Null(column)
                               : MakeUnit(property.name, table, column, value, property.type, property.encrypted));
    }
}

void CWmipInstanceWriter::OpenPut(IWbemClassObject* instance, LONG flags, ComPtr<IWbemClassObject>& current,
                                  bool& create)
{
    // Create or update: the flags decide; a put without either is an update exactly when
    // the instance names every key and that instance exists.
    const bool createOnly = (flags & WBEM_FLAG_CREATE_ONLY) != 0;
    create = createOnly;
    const Property* missing = nullptr;
    if ((flags & WBEM_FLAG_UPDATE_ONLY) != 0)
    {
        current = ReadCurrent(instance, &missing);
        if (missing != nullptr)
            ThrowProperty(__LINE__, WBEM_E_ILLEGAL_NULL, CWmipMessages::kRequiredProperty, missing->name);
        if (current == nullptr)
            throw CWMIException(kClassMapperLogSource, __LINE__, WBEM_E_NOT_FOUND, CWmipMessages::kNotFound);
    }
    else
    {
        current = ReadCurrent(instance, &missing);
        if (create && current != nullptr)
            throw CWMIException(kClassMapperLogSource, __LINE__, WBEM_E_ALREADY_EXISTS,
                                CWmipMessages::kInstanceAlreadyExists);
        create = current == nullptr;
    }
    if (create)
        m_mapper.CanAdd(nullptr);
    else
        m_mapper.CanModify(nullptr);
}

void CWmipInstanceWriter::WriteInstance(IWbemClassObject* instance, LONG flags, bool create, IWbemClassObject* current,
                                        CBntDatabase& database)
{
    const bool createOnly = (flags & WBEM_FLAG_CREATE_ONLY) != 0;
    const Operation operation = create ? Operation::Add : Operation::Modify;
    CString offending;
    if (FAILED(m_mapper.ValidateValuesForGeneratedProperties(instance, create, offending)))
    {
        // Only the system makes such a key: a put that gives one names a stored instance, and
        // when none is there it has nothing to change.
        const bool generatedKey = std::any_of(m_properties.begin(), m_properties.end(), [&](const Property& one) {
            return one.key && one.name.CompareNoCase(offending) == 0;
        });
        if (create && !createOnly && generatedKey)
            throw CWMIException(kClassMapperLogSource, __LINE__, WBEM_E_NOT_FOUND, CWmipMessages::kNotFound);
        ThrowProperty(__LINE__, WBEM_E_FAILED, CWmipMessages::kNotEditableProperty, offending);
    }

    if (create)
    {
        m_stage.GetFieldSet(m_mainTable, CWmideFieldSet::Mode::Insert);
        // Keys first: a key left empty takes its default before the other properties.
        for (const Property& property : m_properties)
        {
            if (!property.key)
                continue;
            Property asValue = property;
            asValue.key = false;
            StageProperty(instance, asValue, true, nullptr);
            _variant_t value;
            instance->Get(property.name, 0, &value, nullptr, nullptr);
            if (CWmipClassMapperHooks::IsEmptyValue(value))
                ThrowProperty(__LINE__, WBEM_E_ILLEGAL_NULL, CWmipMessages::kRequiredProperty, property.name);
        }
    }
    else
    {
        StageLinkedTables(instance, false);
    }
    for (const Property& property : m_properties)
        StageProperty(instance, property, create, current);

    for (const auto& fieldSet : m_stage.GetFieldSets())
    {
        if (fieldSet->IsInsert())
            m_mapper.AddAdditionalFields(*fieldSet);
    }
    // A write never places a row in a segment the caller cannot reach.
    m_mapper.RequireReachableSegment(instance);
    if (create)
        m_mapper.CanAdd(instance);
    else
        m_mapper.CanModify(instance);
    m_mapper.BeforeWriteInstance(operation, instance);
    m_stage.Write(database);
    m_mapper.LogTransaction(operation, instance);
    m_mapper.AfterWriteInstance(operation, instance);
}

HRESULT CWmipInstanceWriter::Put(IWbemClassObject* instance, LONG flags, CString& path)
{
    if (instance == nullptr ||
        (flags & (WBEM_FLAG_UPDATE_ONLY | WBEM_FLAG_CREATE_ONLY)) == (WBEM_FLAG_UPDATE_ONLY | WBEM_FLAG_CREATE_ONLY))
        throw CWMIException(kClassMapperLogSource, __LINE__, WBEM_E_INVALID_PARAMETER);
    CWMIDebugLog::LogInfo(kClassMapperLogSource, __LINE__,
                          CString(L"CWmipClassMapper::PutInstance. Begin. ") + m_mapper.GetClassName());
    try
    {
        LoadProperties();
        // From the read of the current instance to the audit, the write is one frame on the
        // mapper's connection: the checks, defaults, the mapper's own writes (BeforeWriteInstance,
        // AfterWriteInstance) and the rows stand or fall together.
        ComPtr<IWbemClassObject> current;
        bool create = false;
        CWmipWriteFrame::Run(
            m_mapper, [&] { OpenPut(instance, flags, current, create); }, instance, nullptr,
            [&](CBntDatabase& database) {
                WriteInstance(instance, flags, create, current.Get(), database);
                return S_OK;
            });

        CWmipObjectPath written(m_mapper.GetClassName());
        if (!BuildKeyPath(instance, written, nullptr))
            throw CWMIException(kClassMapperLogSource, __LINE__, WBEM_E_FAILED);
        written.GetPath(path);
    }
    catch (const CDBException& e)
    {
        CWmipWriteFrame::ThrowNotWritten(kClassMapperLogSource, __LINE__, L"CWmipClassMapper::PutInstance failed.", e,
                                         CWmipMessages::kInstanceNotWritten);
    }
    CWMIDebugLog::LogInfo(kClassMapperLogSource, __LINE__, CString(L"CWmipClassMapper::PutInstance. Done. ") + path);
    return S_OK;
}

HRESULT CWmipInstanceWriter::Delete(CWmipObjectPath* path)
{
    if (path == nullptr)
        throw CWMIException(kClassMapperLogSource, __LINE__, WBEM_E_INVALID_PARAMETER);
    CWMIDebugLog::LogInfo(kClassMapperLogSource, __LINE__,
                          CString(L"CWmipClassMapper::DeleteInstance. Begin. ") + m_mapper.GetClassName());
    try
    {
        ComPtr<IWbemClassObject> current;
        CWmipWriteFrame::Run(
            m_mapper,
            [&] {
                m_mapper.CanDelete(nullptr);
                LoadProperties();
                current.Attach(m_mapper.GetCurrentInstance(path));
                if (current == nullptr)
                    throw CWMIException(kClassMapperLogSource, __LINE__, WBEM_E_NOT_FOUND, CWmipMessages::kNotFound);
            },
            nullptr, nullptr,
            [&](CBntDatabase& database) {
                m_mapper.CanDelete(current.Get());
                m_mapper.BeforeWriteInstance(Operation::Delete, current.Get());
                StageLinkedTables(current.Get(), true);
                // Rows that hang on the main row go first, the main row last.
                const auto& fieldSets = m_stage.GetFieldSets();
                for (auto it = fieldSets.rbegin(); it != fieldSets.rend(); ++it)
                {
                    CSQLStatement statement;
                    statement.SetFrom((*it)->GetTableName());
                    for (const CWmideUnit& key : (*it)->GetKeyUnits())
                        statement.AddToWhere(CString(), key.GetColumnName(), key.GetValue());
                    const LONG removed = database.ExecuteSQL(statement, CSQLStatement::Kind::Delete);
                    if (removed == 0 && (*it)->GetTableName().CompareNoCase(m_mainTable) == 0)
                        throw CWMIException(kClassMapperLogSource, __LINE__, WBEM_E_NOT_FOUND,
                                            CWmipMessages::kNotFound);
                }
                m_mapper.LogTransaction(Operation::Delete, current.Get());
                m_mapper.AfterWriteInstance(Operation::Delete, current.Get());
                return S_OK;
            });
    }
    catch (const CDBException& e)
    {
        CWmipWriteFrame::ThrowNotWritten(kClassMapperLogSource, __LINE__, L"CWmipClassMapper::DeleteInstance failed.",
                                         e, CWmipMessages::kInstanceNotWritten);
    }
    CWMIDebugLog::LogInfo(kClassMapperLogSource, __LINE__, L"CWmipClassMapper::DeleteInstance. Done.");
    return S_OK;
}
