#include "tools/provixa/ProvixaOutput.h"

#include "framework/CWmipMessages.h"
#include "inhouse/BntUtility/CWMIDebugLog.h"
#include "mappers/devices/QpidTypeConverter.h"
#include "platform/com/BstrOwner.h"
#include "platform/com/SafeArray.h"
#include "platform/com/WbemConstants.h"
#include "tools/provixa/ProvixaText.h"
#include "platform/wmi/CimValue.h"
#include "platform/wmi/WbemClassObject.h"
#include "platform/wmi/WbemObjectText.h"
#include "tools/provixa/WbemStatusName.h"

#include <cctype>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <sstream>

namespace {
// Embedded objects nest; deeper ones are cut off rather than followed without end.
constexpr int kMaxDepth = 16;

std::wstring TextValue(const VARIANT& value)
{
    if (value.vt != VT_BSTR || value.bstrVal == nullptr)
        return std::wstring();
    return std::wstring(value.bstrVal, SysStringLen(value.bstrVal));
}

std::wstring StringProperty(IWbemClassObject* object, LPCWSTR name)
{
    _variant_t value;
    if (object == nullptr || FAILED(object->Get(name, 0, &value, nullptr, nullptr)))
        return std::wstring();
    return TextValue(value);
}

std::string ObjectJson(IWbemClassObject* object, int depth);

bool IsClass(IWbemClassObject* object)
{
    _variant_t genus;
    return SUCCEEDED(object->Get(L"__GENUS", 0, &genus, nullptr, nullptr)) && genus.vt == VT_I4 &&
           genus.lVal == WBEM_GENUS_CLASS;
}

// One VARIANT element of a property of `type` (without the array flag) as JSON.
std::string ScalarJson(CIMTYPE type, const VARIANT& value, int depth)
{
    switch (value.vt)
    {
    case VT_EMPTY:
    case VT_NULL:
        return "null";
    case VT_BOOL:
        return value.boolVal != VARIANT_FALSE ? "true" : "false";
    case VT_I2:
    case VT_I4:
    case VT_UI1:
    case VT_R4:
    case VT_R8:
        // The number as the text form writes it: a uint32 (carried in the signed form) as the
        // unsigned number it is, a real in the fewest digits that read back as the same double.
        return ProvixaText::ToUtf8(CimValue::ToKeyText(type, value));
    case VT_I1:
    case VT_INT:
    case VT_UI2:
    case VT_UI4:
    case VT_UINT:
    case VT_I8:
    case VT_UI8: {
        _variant_t copy;
        if (FAILED(VariantChangeType(&copy, &value, 0, VT_BSTR)))
            return "null";
        return ProvixaText::ToUtf8(TextValue(copy));
    }
    case VT_BSTR:
        return ProvixaOutput::JsonString(TextValue(value));
    case VT_UNKNOWN: {
        if (value.punkVal == nullptr)
            return "null";
        ComPtr<IUnknown> unknown(value.punkVal);
        const ComPtr<IWbemClassObject> embedded = unknown.As<IWbemClassObject>();
        return embedded ? ObjectJson(embedded.Get(), depth + 1) : "null";
    }
    default:
        return "null";
    }
}

// A byte array's numbers, written from its bytes as they are read: no VARIANT or text per byte,
// and never the whole text at once.
void WriteBytesJson(SAFEARRAY* array, std::ostream& out)
{
    LONG lower = 0;
    LONG upper = -1;
    void* data = nullptr;
    if (FAILED(SafeArrayGetLBound(array, 1, &lower)) || FAILED(SafeArrayGetUBound(array, 1, &upper)) ||
        FAILED(SafeArrayAccessData(array, &data)))
    {
        out << "null";
        return;
    }
    const auto* bytes = static_cast<const unsigned char*>(data);
    const std::int64_t count = static_cast<std::int64_t>(upper) - lower + 1;
    char piece[64 * 1024];
    std::size_t used = 0;
    piece[used++] = '[';
    for (std::int64_t i = 0; i < count; ++i)
    {
        // Room for a comma and three digits.
        if (used + 4 > sizeof(piece))
        {
            out.write(piece, static_cast<std::streamsize>(used));
            used = 0;
        }
        if (i > 0)
            piece[used++] = ',';
        used = static_cast<std::size_t>(std::to_chars(piece + used, piece + sizeof(piece), bytes[i]).ptr - piece);
    }
    SafeArrayUnaccessData(array);
    piece[used++] = ']';
    out.write(piece, static_cast<std::streamsize>(used));
}

void WriteValueJson(CIMTYPE type, const VARIANT& value, int depth, std::ostream& out)
{
    const CIMTYPE elementType = type & ~CIM_FLAG_ARRAY;
    if ((value.vt & VT_ARRAY) == 0)
    {
        out << ScalarJson(elementType, value, depth);
        return;
    }
    SAFEARRAY* array = value.parray;
    if (array == nullptr)
    {
        out << "null";
        return;
    }
    const VARTYPE variantType = static_cast<VARTYPE>(value.vt & ~VT_ARRAY);
    if (variantType == VT_UI1)
    {
        WriteBytesJson(array, out);
        return;
    }
    LONG lower = 0;
    LONG upper = -1;
    if (FAILED(SafeArrayGetLBound(array, 1, &lower)) || FAILED(SafeArrayGetUBound(array, 1, &upper)))
    {
        out << "null";
        return;
    }
    out << '[';
    for (LONG i = lower; i <= upper; ++i)
    {
        _variant_t element;
        if (variantType == VT_BSTR)
        {
            BstrOwner text;
            if (SUCCEEDED(SafeArrayGetElement(array, &i, text.Receive())))
                element = _variant_t(text ? text.Get() : L"");
        }
        else if (variantType == VT_UNKNOWN)
        {
            IUnknown* unknown = nullptr;
            if (SUCCEEDED(SafeArrayGetElement(array, &i, &unknown)) && unknown != nullptr)
            {
                element.vt = VT_UNKNOWN;
                element.punkVal = unknown;
            }
        }
        else if (variantType == VT_BOOL)
        {
            VARIANT_BOOL flag = VARIANT_FALSE;
            if (SUCCEEDED(SafeArrayGetElement(array, &i, &flag)))
            {
                element.vt = VT_BOOL;
                element.boolVal = flag;
            }
        }
        else
        {
            VARIANT raw;
            VariantInit(&raw);
            raw.vt = variantType;
            if (SUCCEEDED(SafeArrayGetElement(array, &i, &raw.llVal)))
                element = raw;
        }
        if (i > lower)
            out << ',';
        out << ScalarJson(elementType, element, depth);
    }
    out << ']';
}

void WriteObjectJson(IWbemClassObject* object, int depth, std::ostream& out)
{
    if (depth > kMaxDepth)
    {
        out << "null";
        return;
    }
    const bool isClass = IsClass(object);
    out << "{\"class\":" << ProvixaOutput::JsonString(StringProperty(object, L"__CLASS"));
    if (isClass)
        out << ",\"superclass\":" << ProvixaOutput::JsonString(StringProperty(object, L"__SUPERCLASS"));
    else
        out << ",\"path\":" << ProvixaOutput::JsonString(StringProperty(object, L"__PATH"));
    out << ",\"properties\":{";
    bool first = true;
    if (SUCCEEDED(object->BeginEnumeration(WBEM_FLAG_NONSYSTEM_ONLY)))
    {
        for (;;)
        {
            BstrOwner name;
            _variant_t value;
            CIMTYPE type = CIM_EMPTY;
            if (object->Next(0, name.Receive(), &value, &type, nullptr) != WBEM_S_NO_ERROR)
                break;
            const std::wstring propertyName = name ? name.Get() : L"";
            if (!first)
                out << ',';
            first = false;
            out << ProvixaOutput::JsonString(propertyName) << ':';
            if (isClass)
            {
                std::wstring typeName = CimValue::TypeName(type & ~CIM_FLAG_ARRAY);
                if ((type & CIM_FLAG_ARRAY) != 0)
                    typeName += L"[]";
                out << ProvixaOutput::JsonString(typeName);
            }
            else
            {
                WriteValueJson(type, value, depth, out);
            }
        }
        object->EndEnumeration();
    }
    out << '}';
    if (isClass)
    {
        out << ",\"methods\":[";
        bool firstMethod = true;
        if (SUCCEEDED(object->BeginMethodEnumeration(0)))
        {
            for (;;)
            {
                BstrOwner name;
                if (object->NextMethod(0, name.Receive(), nullptr, nullptr) != WBEM_S_NO_ERROR)
                    break;
                out << (firstMethod ? "" : ",") << ProvixaOutput::JsonString(name ? name.Get() : L"");
                firstMethod = false;
            }
            object->EndMethodEnumeration();
        }
        out << ']';
    }
    out << '}';
}

std::string ObjectJson(IWbemClassObject* object, int depth)
{
    std::ostringstream out;
    WriteObjectJson(object, depth, out);
    return out.str();
}
}  // namespace

std::ostream& ProvixaOutput::Notes(bool json, std::ostream& out, std::ostream& err)
{
    return json ? err : out;
}

std::string ProvixaOutput::JsonString(const std::wstring& text)
{
    return QpidTypeConverter::JsonString(ProvixaText::ToUtf8(text));
}

namespace {
// What the MOF text leaves out: a class's inherited properties as comments (put after its opening
// brace), an instance's properties without a value as NULL lines (put before its closing brace),
// so that the person sees the object whole, as the JSON form shows it. `mof` is the object's own
// text, which an inherited property the class overrides stands in already.
std::string AddedLines(IWbemClassObject* object, bool isClass, const std::string& mof)
{
    const std::wstring className = StringProperty(object, L"__CLASS");
    std::string added;
    if (SUCCEEDED(object->BeginEnumeration(WBEM_FLAG_NONSYSTEM_ONLY)))
    {
        for (;;)
        {
            BstrOwner name;
            _variant_t value;
            CIMTYPE type = CIM_EMPTY;
            if (object->Next(0, name.Receive(), &value, &type, nullptr) != WBEM_S_NO_ERROR || !name)
                break;
            BstrOwner origin;
            const std::string propertyName = ProvixaText::ToUtf8(name.Get());
            if (isClass && SUCCEEDED(object->GetPropertyOrigin(name.Get(), origin.Receive())) && origin &&
                className != origin.Get() && mof.find(" " + propertyName + ";\n") == std::string::npos)
                added += "\t// " + ProvixaText::ToUtf8(CimValue::TypeName(type & ~CIM_FLAG_ARRAY)) +
                         ((type & CIM_FLAG_ARRAY) != 0 ? "[] " : " ") + propertyName + "; (from " +
                         ProvixaText::ToUtf8(origin.Get()) + ")\n";
            else if (!isClass && (value.vt == VT_NULL || value.vt == VT_EMPTY))
                added += "\t" + propertyName + " = NULL;\n";
        }
        object->EndEnumeration();
    }
    return added;
}
}  // namespace

std::string ProvixaOutput::Text(IWbemClassObject* object)
{
    BstrOwner text;
    if (object == nullptr)
        return std::string();
    if (FAILED(object->GetObjectText(0, text.Receive())) || !text)
        return "instance of " + ProvixaText::ToUtf8(StringProperty(object, L"__CLASS")) + "\n";
    std::string mof = ProvixaText::ToUtf8(text.Text());
    const bool isClass = IsClass(object);
    const std::string added = AddedLines(object, isClass, mof);
    const std::size_t at = isClass ? mof.find("\n{\n") : mof.rfind("};");
    if (!added.empty() && at != std::string::npos)
        mof.insert(isClass ? at + 3 : at, added);
    return mof;
}

void ProvixaOutput::WriteText(IWbemClassObject* object, std::ostream& out)
{
    const WbemClassObject* own = object == nullptr ? nullptr : WbemClassObject::FromInterface(object);
    if (own == nullptr || IsClass(object))
    {
        out << Text(object);
        return;
    }
    const std::string added = AddedLines(object, false, std::string());
    // The text goes out as it is made; its end is held back, so that the NULL lines go in before
    // its closing brace as Text puts them.
    constexpr std::size_t kHeldBack = 64;
    std::string pending;
    WbemObjectText::Write(*own, 0, [&](std::wstring_view piece) {
        pending += ProvixaText::ToUtf8(piece);
        if (pending.size() > 64 * 1024)
        {
            out.write(pending.data(), static_cast<std::streamsize>(pending.size() - kHeldBack));
            pending.erase(0, pending.size() - kHeldBack);
        }
    });
    const std::size_t at = pending.rfind("};");
    if (!added.empty() && at != std::string::npos)
        pending.insert(at, added);
    out << pending;
}

std::string ProvixaOutput::Json(IWbemClassObject* object)
{
    return object == nullptr ? "null" : ObjectJson(object, 0);
}

void ProvixaOutput::WriteJson(IWbemClassObject* object, std::ostream& out)
{
    if (object == nullptr)
        out << "null";
    else
        WriteObjectJson(object, 0, out);
}

std::string ProvixaOutput::Reason(IWbemClassObject* statusObject)
{
    return WithoutLocations(ProvixaText::ToUtf8(StringProperty(statusObject, L"Description")));
}

std::string ProvixaOutput::WithoutLocations(std::string text)
{
    // Each location is a word, a line number in parentheses and a colon: "source(line): ".
    for (;;)
    {
        const std::size_t open = text.find('(');
        if (open == 0 || open == std::string::npos || text.find(' ') < open)
            return text;
        std::size_t close = open + 1;
        while (close < text.size() && std::isdigit(static_cast<unsigned char>(text[close])) != 0)
            ++close;
        if (close == open + 1 || text.compare(close, 2, "):") != 0)
            return text;
        const std::size_t next = text.find_first_not_of(' ', close + 2);
        text.erase(0, next == std::string::npos ? text.size() : next);
    }
}

std::string ProvixaOutput::Code(HRESULT status)
{
    char code[16];
    std::snprintf(code, sizeof(code), "0x%08X", static_cast<unsigned>(status));
    return code;
}

std::string ProvixaOutput::FailureJson(const std::string& key, const std::string& message, HRESULT status,
                                       const std::string& log)
{
    using qpid::types::Variant;
    Variant::Map failure{{"error", Variant(key)}, {"message", Variant(message)}, {"hresult", Variant(Code(status))}};
    if (!log.empty())
        failure["log"] = Variant(log);
    return QpidTypeConverter::ToJson(failure);
}

std::string ProvixaOutput::WarningJson(const std::string& message, const std::string& log)
{
    using qpid::types::Variant;
    Variant::Map warning{{"warning", Variant(message)}};
    if (!log.empty())
        warning["log"] = Variant(log);
    return QpidTypeConverter::ToJson(warning);
}

std::string ProvixaOutput::LogFileSentTo(std::string_view text)
{
    static constexpr std::string_view kServerLogs = "check server logs";
    const std::string provider = ProvixaText::ToUtf8(CWmipMessages::kFailed);
    std::string lower(text);
    for (char& c : lower)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (text.find(provider) == std::string_view::npos && text.find(kLogNamesCause) == std::string_view::npos &&
        text.find(kLogKeepsMessage) == std::string_view::npos && lower.find(kServerLogs) == std::string::npos)
        return std::string();
    return ProvixaText::ToUtf8(brontel::utility::CWMIDebugLog::GetLogFileName().GetString());
}

std::string ProvixaOutput::Error(HRESULT status, IWbemClassObject* statusObject)
{
    std::string line = "Error " + Code(status);
    if (const char* name = WbemStatusName::Of(status))
        line += std::string(" (") + name + ")";
    const std::string reason = Reason(statusObject);
    if (!reason.empty())
        line += ": " + reason;
    return line;
}
