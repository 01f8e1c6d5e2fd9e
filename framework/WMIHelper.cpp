#include "framework/WMIHelper.h"

#include "common/DateTimeZoneInfo.h"
#include "common/KvrTime.h"
#include "framework/DateTimeText.h"
#include "framework/IntegerValue.h"
#include "framework/objects/CCorvessaClassObject.h"
#include "framework/wql/WqlExpression.h"
#include "platform/com/BstrOwner.h"
#include "platform/com/CimTypes.h"
#include "platform/com/SafeArray.h"
#include "platform/com/WbemConstants.h"
#include "platform/wmi/IWbemClassObject.h"
#include "platform/wmi/IWbemQualifierSet.h"
#include "platform/wmi/WbemClassObject.h"
#include "platform/wmi/WbemCall.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <ctime>
#include <iterator>
#include <memory>
#include <new>
#include <optional>
#include <string_view>

namespace {

// Puts a value the caller gives up (*value is VT_EMPTY or unchanged afterwards): by slot when
// the object accepts the slot, otherwise by name through the interface.
HRESULT PutGiven(IWbemClassObject* object, const wchar_t* name, VARIANT* value, LONG cimType,
                 const WbemClassObject::PropertySlot* slot)
{
    if (object == nullptr)
        return WBEM_E_FAILED;
    if (slot != nullptr)
    {
        WbemClassObject* own = WbemClassObject::FromInterface(object);
        if (own != nullptr && own->AcceptsSlot(*slot))
            return own->PutBySlot(*slot, value, cimType);
    }
    return object->Put(name, 0, value, cimType);
}

// A scalar that owns nothing, so it needs no clearing after the put.
VARIANT PlainScalar(VARTYPE type)
{
    VARIANT value{};
    value.vt = type;
    return value;
}

// Reads a property into `value` (fresh, VT_EMPTY) with its CIM type. 0 with a value; the
// helpers' codes for a null object, a failed Get and a property without value.
HRESULT ReadValue(IWbemClassObject* object, const wchar_t* name, _variant_t& value, CIMTYPE& type)
{
    if (object == nullptr)
        return WBEM_E_FAILED;
    const HRESULT hr = object->Get(name, 0, &value, &type, nullptr);
    if (FAILED(hr))
        return hr;
    if (value.vt == VT_NULL)
        return WBEM_E_ILLEGAL_NULL;
    return WBEM_S_NO_ERROR;
}

// The integer VARIANTs a 32-bit read accepts; unsigned 32-bit values keep their bits.
std::optional<LONG> ToLong(const VARIANT& value)
{
    const std::optional<LONGLONG> number = IntegerValue::FromVariant(value, false);
    if (!number)
        return std::nullopt;
    return static_cast<LONG>(*number);
}

std::wstring_view TextView(const VARIANT& value)
{
    return value.bstrVal == nullptr ? std::wstring_view()
                                    : std::wstring_view(value.bstrVal, SysStringLen(value.bstrVal));
}

// The fields of a date-time text of the door's form.
bool ParseModeText(std::wstring_view text, DateTimeText::Parts& parts, Door door)
{
    return door == Door::kBus ? DateTimeText::ParseIso(text, parts) : DateTimeText::ParseDmtf(text, parts);
}

// The date-time text of the door's form (isoForm: the bus door's): the DMTF form
// written into buffer (every instance read carries its date-times, so it allocates nothing), the
// ISO form kept in iso.
std::wstring_view FormatModeText(const DateTimeText::Parts& parts, DateTimeText::DmtfBuffer& buffer, CString& iso,
                                 bool isoForm)
{
    if (!isoForm)
        return DateTimeText::FormatDmtf(parts, buffer);
    iso = DateTimeText::FormatIso(parts);
    return std::wstring_view(iso.GetString(), static_cast<std::size_t>(iso.GetLength()));
}

HRESULT PutDateTimeParts(IWbemClassObject* object, const wchar_t* name, bool haveParts,
                         const DateTimeText::Parts& parts, const WbemClassObject::PropertySlot* slot, bool isoForm)
{
    if (object == nullptr)
        return WBEM_E_FAILED;
    if (!haveParts)
        return WBEM_E_INVALID_PARAMETER;
    DateTimeText::DmtfBuffer buffer;
    CString iso;
    return WMIHelper::PutText(object, name, FormatModeText(parts, buffer, iso, isoForm), CIM_EMPTY, slot);
}

// Removes the quotes a bus client may have put around an ISO text.
std::wstring_view StripEnclosingQuotes(std::wstring_view text)
{
    if (text.size() <= static_cast<std::size_t>(DateTimeText::kIsoLength))
        return text;
    const bool doubleQuoted = text.front() == L'"' && text.back() == L'"';
    const bool singleQuoted =
        text.front() == L'\'' && text.back() == L'\'' && text.find(L'"') == std::wstring_view::npos;
    if (doubleQuoted || singleQuoted)
        return text.substr(1, text.size() - 2);
    return text;
}

// Reads one property and converts it; the output is written only when both steps succeed.
template <typename T, typename Convert>
HRESULT ReadConverted(IWbemClassObject* object, const wchar_t* name, T& value, Convert convert)
{
    return WbemCall::Run([&]() -> HRESULT {
        _variant_t read;
        CIMTYPE type = CIM_EMPTY;
        const HRESULT hr = ReadValue(object, name, read, type);
        if (FAILED(hr))
            return hr;
        std::optional<T> converted = convert(read, type);
        if (!converted)
            return WBEM_E_FAILED;
        value = std::move(*converted);
        return WBEM_S_NO_ERROR;
    });
}

}  // namespace

HRESULT WMIHelper::GetNumber(IWbemClassObject* object, const wchar_t* name, LONG& value)
{
    return ReadConverted(object, name, value, [](const _variant_t& read, CIMTYPE) { return ToLong(read); });
}

HRESULT WMIHelper::GetNumber64(IWbemClassObject* object, const wchar_t* name, LONGLONG& value)
{
    return ReadConverted(object, name, value, [](const _variant_t& read, CIMTYPE type) -> std::optional<LONGLONG> {
        // WMI carries a 64-bit property as decimal text; a uint64 text may use the unsigned range.
        if (read.vt == VT_BSTR)
            return IntegerValue::FromText(TextView(read), IntegerValue::TextRule::WmiDecimal, type == CIM_UINT64);
        // A 32-bit kind keeps its bits, as GetNumber reads it.
        if (const std::optional<LONG> small = ToLong(read))
            return *small;
        return IntegerValue::FromVariant(read);
    });
}

HRESULT WMIHelper::GetString(IWbemClassObject* object, const wchar_t* name, CString& value)
{
    return ReadConverted(object, name, value, [](const _variant_t& read, CIMTYPE) -> std::optional<CString> {
        if (read.vt != VT_BSTR)
            return std::nullopt;
        return CString(std::wstring(TextView(read)));
    });
}

HRESULT WMIHelper::GetBool(IWbemClassObject* object, const wchar_t* name, int& value)
{
    return ReadConverted(object, name, value, [](const _variant_t& read, CIMTYPE) -> std::optional<int> {
        const std::optional<LONG> number = ToLong(read);
        if (!number)
            return std::nullopt;
        return *number != 0 ? TRUE : FALSE;
    });
}

HRESULT WMIHelper::GetDateTime(IWbemClassObject* object, const wchar_t* name, COleDateTime* value, Door door)
{
    if (value == nullptr)
        return WBEM_E_INVALID_PARAMETER;
    return ReadConverted(object, name, *value, [door](const _variant_t& read, CIMTYPE) -> std::optional<COleDateTime> {
        DateTimeText::Parts parts;
        if (read.vt != VT_BSTR || !ParseModeText(TextView(read), parts, door))
            return std::nullopt;
        const COleDateTime wallClock = DateTimeText::ToWallClock(parts);
        if (wallClock.GetStatus() != COleDateTime::valid)
            return std::nullopt;
        return wallClock;
    });
}

HRESULT WMIHelper::GetVariant(IWbemClassObject* object, const wchar_t* name, VARIANT* value)
{
    return WbemCall::Run([&]() -> HRESULT {
        if (value == nullptr)
            return WBEM_E_INVALID_PARAMETER;
        if (object == nullptr)
            return WBEM_E_FAILED;
        _variant_t read;
        const HRESULT hr = object->Get(name, 0, &read, nullptr, nullptr);
        if (FAILED(hr))
            return hr;
        if (read.vt == VT_EMPTY)
            read.vt = VT_NULL;
        *value = read.Detach();
        return WBEM_S_NO_ERROR;
    });
}

HRESULT WMIHelper::PutNumber(IWbemClassObject* object, const wchar_t* name, LONG value,
                             const WbemClassObject::PropertySlot* slot)
{
    return WbemCall::Run([&]() -> HRESULT {
        VARIANT number = PlainScalar(VT_I4);
        number.lVal = value;
        return PutGiven(object, name, &number, CIM_EMPTY, slot);
    });
}

HRESULT WMIHelper::PutUnsignedNumber(IWbemClassObject* object, const wchar_t* name, ULONG value,
                                     const WbemClassObject::PropertySlot* slot)
{
    return WbemCall::Run([&]() -> HRESULT {
        VARIANT number = PlainScalar(VT_I4);
        number.lVal = static_cast<LONG>(value);
        return PutGiven(object, name, &number, CIM_UINT32, slot);
    });
}

HRESULT WMIHelper::PutNumber64(IWbemClassObject* object, const wchar_t* name, LONGLONG value,
                               const WbemClassObject::PropertySlot* slot)
{
    // The text is made on the stack: an object of the WMI-service stand-in keeps it in the
    // storage its property held before, as for any text.
    char digits[24];
    const auto written = std::to_chars(std::begin(digits), std::end(digits), value);
    wchar_t text[std::size(digits)];
    const auto length = static_cast<std::size_t>(written.ptr - digits);
    std::copy(digits, written.ptr, text);
    return PutText(object, name, std::wstring_view(text, length), CIM_EMPTY, slot);
}

HRESULT WMIHelper::PutBool(IWbemClassObject* object, const wchar_t* name, bool value,
                           const WbemClassObject::PropertySlot* slot)
{
    return WbemCall::Run([&]() -> HRESULT {
        VARIANT flag = PlainScalar(VT_BOOL);
        flag.boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
        return PutGiven(object, name, &flag, CIM_EMPTY, slot);
    });
}

HRESULT WMIHelper::PutString(IWbemClassObject* object, const wchar_t* name, const CString& value, LONG cimType)
{
    return PutText(object, name, std::wstring_view(value.GetString(), static_cast<std::size_t>(value.GetLength())),
                   cimType);
}

HRESULT WMIHelper::PutText(IWbemClassObject* object, const wchar_t* name, std::wstring_view value, LONG cimType,
                           const WbemClassObject::PropertySlot* slot)
{
    return WbemCall::Run([&]() -> HRESULT {
        if (object == nullptr)
            return WBEM_E_FAILED;
        if (value.size() > kMaxBstrLength)
            return WBEM_E_OUT_OF_MEMORY;
        WbemClassObject* own = WbemClassObject::FromInterface(object);
        if (own != nullptr && slot != nullptr && own->AcceptsSlot(*slot))
            return own->PutTextBySlot(*slot, value, cimType);
        _variant_t text;
        text.bstrVal = SysAllocStringLen(value.data(), static_cast<UINT>(value.size()));
        if (text.bstrVal == nullptr)
            return WBEM_E_OUT_OF_MEMORY;
        text.vt = VT_BSTR;
        if (own != nullptr)
            return own->PutTaking(name, &text, cimType);
        return object->Put(name, 0, &text, cimType);
    });
}

HRESULT WMIHelper::PutVariant(IWbemClassObject* object, const wchar_t* name, VARIANT* value, LONG cimType,
                              const WbemClassObject::PropertySlot* slot)
{
    return WbemCall::Run([&]() -> HRESULT { return PutGiven(object, name, value, cimType, slot); });
}

HRESULT WMIHelper::PutByteArray(IWbemClassObject* object, const wchar_t* name, std::span<const BYTE> value,
                                const WbemClassObject::PropertySlot* slot)
{
    return WbemCall::Run([&]() -> HRESULT {
        if (object == nullptr)
            return WBEM_E_FAILED;
        if (value.size() > kMaxSafeArrayElements)
            return WBEM_E_INVALID_PARAMETER;
        // An empty binary value is none, as the installation stores an empty text.
        if (value.empty())
        {
            VARIANT none = PlainScalar(VT_NULL);
            return PutGiven(object, name, &none, CIM_UINT8 | CIM_FLAG_ARRAY, slot);
        }
        _variant_t bytes;
        SAFEARRAY* array = SafeArrayCreateVector(VT_UI1, 0, static_cast<ULONG>(value.size()));
        if (array == nullptr)
            return WBEM_E_OUT_OF_MEMORY;
        bytes.vt = VT_ARRAY | VT_UI1;
        bytes.parray = array;
        void* data = nullptr;
        const HRESULT hr = SafeArrayAccessData(array, &data);
        if (FAILED(hr))
            return hr;
        std::memcpy(data, value.data(), value.size());
        SafeArrayUnaccessData(array);
        // The array is handed over, not copied again: a value of megabytes is held once.
        if (auto* busObject = dynamic_cast<CCorvessaClassObject*>(object))
            return busObject->PutTaking(name, &bytes, CIM_UINT8 | CIM_FLAG_ARRAY);
        return PutVariant(object, name, &bytes, CIM_UINT8 | CIM_FLAG_ARRAY, slot);
    });
}

HRESULT WMIHelper::PutObject(IWbemClassObject* object, const wchar_t* name, IWbemClassObject* embedded)
{
    return WbemCall::Run([&]() -> HRESULT {
        _variant_t holder;
        if (embedded == nullptr)
            holder.vt = VT_NULL;
        else
            holder = _variant_t(static_cast<IUnknown*>(embedded));
        return PutVariant(object, name, &holder, CIM_OBJECT);
    });
}

HRESULT WMIHelper::PutDateTime(IWbemClassObject* object, const wchar_t* name, const TIMESTAMP_STRUCT& value, Door door)
{
    return WbemCall::Run([&]() -> HRESULT {
        DateTimeText::Parts parts;
        const bool haveParts = DateTimeText::FromTimestamp(value, parts);
        return PutDateTimeParts(object, name, haveParts, parts, nullptr, door == Door::kBus);
    });
}

HRESULT WMIHelper::PutDateTime(IWbemClassObject* object, const wchar_t* name, const COleDateTime& value, Door door,
                               const WbemClassObject::PropertySlot* slot)
{
    return WbemCall::Run([&]() -> HRESULT {
        DateTimeText::Parts parts;
        const bool haveParts = DateTimeText::FromOleDateTime(value, parts);
        return PutDateTimeParts(object, name, haveParts, parts, slot, door == Door::kBus);
    });
}

HRESULT WMIHelper::PutDateTime(IWbemClassObject* object, const wchar_t* name, const CTime& value, Door door)
{
    return WbemCall::Run([&]() -> HRESULT {
        const std::time_t seconds = static_cast<std::time_t>(value.GetTime());
        std::tm utc{};
        DateTimeText::Parts parts;
        bool haveParts = false;
        if (gmtime_r(&seconds, &utc) != nullptr)
        {
            COleDateTime fields;
            fields.SetDateTime(utc.tm_year + 1900, utc.tm_mon + 1, utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec);
            haveParts = DateTimeText::FromOleDateTime(fields, parts);
        }
        return PutDateTimeParts(object, name, haveParts, parts, nullptr, door == Door::kBus);
    });
}

bool WMIHelper::StoredToUtc(const TIMESTAMP_STRUCT& stored, bool localTime, DateTimeText::Parts& utc)
{
    // Every date column of every row read comes here: the fields go to UTC as whole seconds,
    // never through a COleDateTime and back.
    TIMESTAMP_STRUCT shifted = stored;
    // A UTC value is only checked: its fields are written as they are.
    LONGLONG checked = 0;
    if (localTime ? !UtcTimestampFromLocal(stored, DefaultTimeZoneInfo, shifted)
                  : !SecondsFromTimestamp(stored, checked))
        return false;
    utc =
        DateTimeText::WallClock(shifted.year, shifted.month, shifted.day, shifted.hour, shifted.minute, shifted.second);
    // A zone shift is whole seconds: the fraction is the stored one, to the microsecond.
    utc.microseconds = static_cast<int>(stored.fraction / 1000u);
    return true;
}

HRESULT WMIHelper::PutStoredDateTime(IWbemClassObject* object, const wchar_t* name, const TIMESTAMP_STRUCT& stored,
                                     bool localTime, bool isoForm, const WbemClassObject::PropertySlot* slot)
{
    return WbemCall::Run([&]() -> HRESULT {
        // Every date column of every row read comes here; a value no road takes is named by the
        // reader, never served as absent.
        DateTimeText::Parts parts;
        if (!StoredToUtc(stored, localTime, parts))
            return WBEM_E_VALUE_OUT_OF_RANGE;
        return PutDateTimeParts(object, name, true, parts, slot, isoForm);
    });
}

HRESULT WMIHelper::GetPropertyQualifierSet(IWbemClassObject* object, const wchar_t* property,
                                           IWbemQualifierSet** qualifiers)
{
    return WbemCall::Run([&]() -> HRESULT {
        if (qualifiers == nullptr)
            return WBEM_E_INVALID_PARAMETER;
        *qualifiers = nullptr;
        if (object == nullptr)
            return WBEM_E_FAILED;
        IWbemQualifierSet* set = nullptr;
        const HRESULT hr = object->GetPropertyQualifierSet(property, &set);
        if (FAILED(hr))
        {
            if (set != nullptr)
                set->Release();
            return hr;
        }
        *qualifiers = set;
        return hr;
    });
}

HRESULT WMIHelper::PutQualString(IWbemClassObject* object, const wchar_t* property, const wchar_t* qualifier,
                                 const CString& value, LONG flavor)
{
    return WbemCall::Run([&]() -> HRESULT {
        ComPtr<IWbemQualifierSet> set;
        const HRESULT hr = GetPropertyQualifierSet(object, property, &set);
        if (FAILED(hr))
            return hr;
        if (set == nullptr)
            return WBEM_E_FAILED;
        _variant_t text;
        text.bstrVal = value.AllocSysString();
        if (text.bstrVal == nullptr)
            return WBEM_E_OUT_OF_MEMORY;
        text.vt = VT_BSTR;
        return set->Put(qualifier, &text, flavor);
    });
}

HRESULT WMIHelper::PutQualInt(IWbemQualifierSet* qualifiers, const wchar_t* name, int value, LONG flavor)
{
    return WbemCall::Run([&]() -> HRESULT {
        if (qualifiers == nullptr)
            return WBEM_E_FAILED;
        _variant_t number(static_cast<LONG>(value));
        return qualifiers->Put(name, &number, flavor);
    });
}

HRESULT WMIHelper::PutQualBool(IWbemQualifierSet* qualifiers, const wchar_t* name, bool value, LONG flavor)
{
    return WbemCall::Run([&]() -> HRESULT {
        if (qualifiers == nullptr)
            return WBEM_E_FAILED;
        _variant_t flag(value);
        return qualifiers->Put(name, &flag, flavor);
    });
}

HRESULT WMIHelper::PutQualStringArray(IWbemQualifierSet* qualifiers, const wchar_t* name, const CStringList& values,
                                      LONG flavor)
{
    return WbemCall::Run([&]() -> HRESULT {
        if (qualifiers == nullptr)
            return WBEM_E_FAILED;
        if (values.size() > kMaxSafeArrayElements)
            return WBEM_E_INVALID_PARAMETER;
        _variant_t list;
        SAFEARRAY* array = SafeArrayCreateVector(VT_BSTR, 0, static_cast<ULONG>(values.size()));
        if (array == nullptr)
            return WBEM_E_OUT_OF_MEMORY;
        list.vt = VT_ARRAY | VT_BSTR;
        list.parray = array;
        LONG index = 0;
        for (const CString& value : values)
        {
            const BstrOwner text(value.AllocSysString());
            if (!text)
                return WBEM_E_OUT_OF_MEMORY;
            const HRESULT hr = SafeArrayPutElement(array, &index, text.Get());
            if (FAILED(hr))
                return hr;
            ++index;
        }
        return qualifiers->Put(name, &list, flavor);
    });
}

bool WMIHelper::DateTimeToString(CString& text, const COleDateTime& value, [[maybe_unused]] int flag, Door door)
{
    DateTimeText::Parts parts;
    if (!DateTimeText::FromOleDateTime(value, parts))
    {
        text.Empty();
        return false;
    }
    DateTimeText::DmtfBuffer buffer;
    CString iso;
    text = CString(std::wstring(FormatModeText(parts, buffer, iso, door == Door::kBus)));
    return true;
}

namespace {

// The fields of a date-time text of the door's form, a bus client's quotes around it allowed.
bool ParseDoorText(const CString& text, Door door, DateTimeText::Parts& parts)
{
    const std::wstring_view written = text.GetWString();
    return ParseModeText(door == Door::kBus ? StripEnclosingQuotes(written) : written, parts, door);
}

}  // namespace

COleDateTime WMIHelper::ToDateTimeUTC(const CString& text, Door door)
{
    DateTimeText::Parts parts;
    if (!ParseDoorText(text, door, parts))
    {
        COleDateTime invalid;
        invalid.SetStatus(COleDateTime::invalid);
        return invalid;
    }
    return DateTimeText::ToUtc(parts);
}

bool WMIHelper::ToUtcParts(const CString& text, Door door, DateTimeText::Parts& utc)
{
    DateTimeText::Parts parts;
    return ParseDoorText(text, door, parts) && DateTimeText::ToUtcParts(parts, utc);
}

namespace {

// A valid time moved between the machine zone and UTC by shift; an invalid one as it is.
COleDateTime ShiftZone(const COleDateTime& time, LONGLONG (DateTimeZoneInfo::*shift)(LONGLONG) const)
{
    if (time.GetStatus() != COleDateTime::valid)
        return time;
    LONGLONG seconds = 0;
    SecondsFromOleDateTime(time, seconds);
    return OleDateTimeFromSeconds((DefaultTimeZoneInfo.*shift)(seconds));
}

}  // namespace

COleDateTime WMIHelper::LocalToUtc(const COleDateTime& local)
{
    return ShiftZone(local, &DateTimeZoneInfo::LocalToUtcSeconds);
}

COleDateTime WMIHelper::UtcToLocal(const COleDateTime& utc)
{
    return ShiftZone(utc, &DateTimeZoneInfo::UtcToLocalSeconds);
}

bool WMIHelper::UnquoteWqlLiteral(const CString& literal, CString& text)
{
    const int length = literal.GetLength();
    if (length < 2 || literal[0] != L'"' || literal[length - 1] != L'"')
        return false;
    CString result;
    for (int i = 1; i < length - 1; ++i)
    {
        wchar_t ch = literal[i];
        if (ch == L'\\')
        {
            if (i + 1 >= length - 1)
                return false;
            ch = literal[++i];
        }
        else if (ch == L'"')
        {
            return false;
        }
        result += ch;
    }
    text = result;
    return true;
}

bool WMIHelper::ReadDateLiteral(const CString& literal, Door door, DateTimeText::Parts& utc)
{
    CString text;
    return UnquoteWqlLiteral(literal, text) && ToUtcParts(text, door, utc);
}

std::optional<bool> WMIHelper::ReadBooleanLiteral(const CString& literal)
{
    WqlLiteral parsed;
    CDBValue value;
    if (!WqlLiteral::FromWqlText(literal, parsed, value))
        return std::nullopt;
    return parsed.ReadBoolean();
}

WMIHelper::ProcessMethod WMIHelper::GetPropertyProcessMethod(const CString& column, const CString& table,
                                                             [[maybe_unused]] bool isVisitor)
{
    if (column.IsEmpty())
        return kProcessSkip;
    if (table == L"EVENTS" && column == L"EVENTTYPE")
        return kProcessByMapper;
    return kProcessByColumnName;
}

HRESULT WMIHelper::ForEachProperty(IWbemClassObject* object, LONG flags, const PropertyVisitor& visit)
{
    if (object == nullptr)
        return WBEM_E_INVALID_PARAMETER;
    HRESULT result = object->BeginEnumeration(flags);
    while (SUCCEEDED(result))
    {
        BstrOwner name;
        _variant_t value;
        CIMTYPE type = CIM_EMPTY;
        result = object->Next(0, name.Receive(), &value, &type, nullptr);
        if (result == WBEM_S_NO_MORE_DATA || FAILED(result))
            break;
        if (!visit(CString(name.Get() != nullptr ? name.Get() : L""), value, type))
            break;
    }
    object->EndEnumeration();
    return FAILED(result) ? result : S_OK;
}

std::vector<CString> WMIHelper::SplitString(const CString& text, const CString& delimiter)
{
    std::vector<CString> tokens;
    int position = 0;
    CString token = text.Tokenize(delimiter, position);
    while (position != -1)
    {
        tokens.push_back(token);
        token = text.Tokenize(delimiter, position);
    }
    return tokens;
}

bool WMIHelper::ConvertVectorPairToMap(const std::vector<CString>& keys, const std::vector<CString>& values,
                                       std::map<CString, CString>& map)
{
    map.clear();
    if (keys.size() != values.size())
        return false;
    for (std::size_t i = 0; i < keys.size(); ++i)
    {
        CString key = keys[i];
        CString value = values[i];
        map[key.Trim()] = value.Trim();
    }
    return true;
}

BSTR WMIHelper::ConvertToBSTR(const std::string& text)
{
    try
    {
        const CString wide = Utf8ToCString(text);
        return SysAllocStringLen(wide.GetString(), static_cast<UINT>(wide.GetLength()));
    }
    catch (const std::bad_alloc&)
    {
        return nullptr;
    }
}

CString WMIHelper::ConvertToCString(const wchar_t* text)
{
    return CString(text);
}

std::string WMIHelper::ConvertToStdString(const wchar_t* text)
{
    return text == nullptr ? std::string() : CStringToUtf8(CString(text));
}

bool WMIHelper::IsValidPINCode(const CString& pin)
{
    for (const wchar_t character : pin.GetWString())
    {
        if (character < L'0' || character > L'9')
            return false;
    }
    return true;
}
