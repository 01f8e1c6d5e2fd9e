#include "inhouse/BntCoreDb/CDBValue.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string_view>

#include "inhouse/BntCoreDb/CDBException.h"
#include "platform/mfc/UnicodeText.h"
#include "platform/win32/Calendar.h"

namespace {

[[noreturn]] void ThrowConversion(const wchar_t* message)
{
    throw CDBException(CDBException::kRetRefused, L"22018", 0, message);
}

[[noreturn]] void ThrowDateTime(const wchar_t* message)
{
    throw CDBException(CDBException::kRetRefused, L"22007", 0, message);
}

std::string ToUtf8(const CString& text)
{
    return mfc_detail::EncodeUtf8(std::wstring_view(text.GetString(), static_cast<std::size_t>(text.GetLength())));
}

bool IsValidTimestamp(const TIMESTAMP_STRUCT& t)
{
    return t.year >= 1 && t.year <= 9999 && calendar::IsValidDate(t.year, t.month, t.day) && t.hour < 24 &&
           t.minute < 60 && t.second < 60 && t.fraction < 1000000000u;
}

// Reads exactly `digits` decimal digits at pos; false when any is missing.
bool ReadDigits(std::string_view text, std::size_t pos, std::size_t digits, unsigned& value)
{
    if (pos + digits > text.size())
        return false;
    value = 0;
    for (std::size_t i = pos; i < pos + digits; ++i)
    {
        if (text[i] < '0' || text[i] > '9')
            return false;
        value = value * 10 + static_cast<unsigned>(text[i] - '0');
    }
    return true;
}

// The UTF-8 text as wide text, as mfc_detail::DecodeUtf8 gives it, into `wide`. An ASCII
// byte always stands for itself, so the leading ASCII run is copied as it is and only what
// follows it is decoded.
void DecodeText(std::string_view utf8, std::wstring& wide)
{
    wide.resize(utf8.size());
    wchar_t* out = wide.data();
    std::size_t at = 0;
    // Eight bytes at a time while none of them has its high bit set.
    constexpr std::uint64_t kHighBits = 0x8080808080808080ull;
    for (; at + 8 <= utf8.size(); at += 8)
    {
        std::uint64_t chunk = 0;
        std::memcpy(&chunk, utf8.data() + at, sizeof chunk);
        if ((chunk & kHighBits) != 0)
            break;
        for (std::size_t i = 0; i < 8; ++i)
            out[at + i] = static_cast<wchar_t>(static_cast<unsigned char>(utf8[at + i]));
    }
    for (; at < utf8.size(); ++at)
    {
        const auto byte = static_cast<unsigned char>(utf8[at]);
        if (byte >= 0x80)
            break;
        out[at] = static_cast<wchar_t>(byte);
    }
    if (at == utf8.size())
        return;
    wide.resize(at);
    wide += mfc_detail::DecodeUtf8(utf8.substr(at));
}

}  // namespace

CDBValue::CDBValue(const CString& text) : m_value(ToUtf8(text)) {}

CDBValue::CDBValue(const wchar_t* text)
{
    if (text != nullptr)
        m_value = mfc_detail::EncodeUtf8(std::wstring_view(text));
}

CDBValue CDBValue::FromUtf8(std::string text)
{
    CDBValue value;
    value.m_value = std::move(text);
    return value;
}

CDBValue CDBValue::FromBytes(std::vector<BYTE> bytes)
{
    CDBValue value;
    value.m_value = std::move(bytes);
    return value;
}

void CDBValue::AssignUtf8(std::string_view text)
{
    if (auto* held = std::get_if<std::string>(&m_value))
        held->assign(text);
    else
        m_value.emplace<std::string>(text);
}

void CDBValue::AssignBytes(std::span<const BYTE> bytes)
{
    if (auto* held = std::get_if<std::vector<BYTE>>(&m_value))
        held->assign(bytes.begin(), bytes.end());
    else
        m_value.emplace<std::vector<BYTE>>(bytes.begin(), bytes.end());
}

CDBValue CDBValue::FromTimestamp(const TIMESTAMP_STRUCT& timestamp)
{
    if (!IsValidTimestamp(timestamp))
        ThrowDateTime(L"The date-time value is out of range.");
    char text[64];
    std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u", static_cast<unsigned>(timestamp.year),
                  static_cast<unsigned>(timestamp.month), static_cast<unsigned>(timestamp.day),
                  static_cast<unsigned>(timestamp.hour), static_cast<unsigned>(timestamp.minute),
                  static_cast<unsigned>(timestamp.second));
    return FromUtf8(text);
}

void CDBValue::ThrowOutOfRange()
{
    throw CDBException(CDBException::kRetRefused, L"22003", 0, L"The numeric value is out of range.");
}

LONGLONG CDBValue::AsInteger() const
{
    switch (GetKind())
    {
    case Kind::Null:
        return 0;
    case Kind::Integer:
        return GetInteger();
    case Kind::Real: {
        const double real = GetReal();
        if (!std::isfinite(real) || std::trunc(real) != real)
            ThrowConversion(L"The value has a fraction and cannot be read as an integer.");
        // 2^63 is exactly representable; anything at or beyond it does not fit.
        if (real >= 9223372036854775808.0 || real < -9223372036854775808.0)
            ThrowOutOfRange();
        return static_cast<LONGLONG>(real);
    }
    case Kind::Text: {
        const std::string& text = GetUtf8();
        LONGLONG value = 0;
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
        if (error == std::errc::result_out_of_range)
            ThrowOutOfRange();
        if (error != std::errc() || end != text.data() + text.size() || text.empty())
            ThrowConversion(L"The text is not an integer.");
        return value;
    }
    case Kind::Blob:
        break;
    }
    ThrowConversion(L"Bytes cannot be read as an integer.");
}

double CDBValue::AsReal() const
{
    switch (GetKind())
    {
    case Kind::Null:
        return 0.0;
    case Kind::Integer:
        return static_cast<double>(GetInteger());
    case Kind::Real:
        return GetReal();
    case Kind::Text: {
        const std::string& text = GetUtf8();
        double value = 0.0;
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
        if (error == std::errc::result_out_of_range)
            ThrowOutOfRange();
        if (error != std::errc() || end != text.data() + text.size() || text.empty())
            ThrowConversion(L"The text is not a number.");
        return value;
    }
    case Kind::Blob:
        break;
    }
    ThrowConversion(L"Bytes cannot be read as a number.");
}

CString CDBValue::AsText() const
{
    if (GetKind() == Kind::Text)
    {
        std::wstring wide;
        DecodeText(GetUtf8(), wide);
        return CString(std::move(wide));
    }
    switch (GetKind())
    {
    case Kind::Null:
        return CString();
    case Kind::Integer: {
        CString text;
        text.Format(L"%lld", static_cast<long long>(GetInteger()));
        return text;
    }
    case Kind::Real: {
        char buffer[64];
        const auto result = std::to_chars(buffer, buffer + sizeof buffer, GetReal());
        return CString(
            mfc_detail::DecodeUtf8(std::string_view(buffer, static_cast<std::size_t>(result.ptr - buffer))).c_str());
    }
    case Kind::Text:
    case Kind::Blob:
        break;
    }
    ThrowConversion(L"Bytes cannot be read as a text.");
}

void CDBValue::AsText(std::wstring& text) const
{
    if (GetKind() == Kind::Text)
        DecodeText(GetUtf8(), text);
    else
        text = AsText().GetWString();
}

std::vector<BYTE> CDBValue::AsBytes() const
{
    const std::span<const BYTE> bytes = AsBytesView();
    return std::vector<BYTE>(bytes.begin(), bytes.end());
}

std::span<const BYTE> CDBValue::AsBytesView() const
{
    switch (GetKind())
    {
    case Kind::Null:
        return {};
    case Kind::Blob:
        return GetBytes();
    case Kind::Text:
        return std::span<const BYTE>(reinterpret_cast<const BYTE*>(GetUtf8().data()), GetUtf8().size());
    case Kind::Integer:
    case Kind::Real:
        break;
    }
    ThrowConversion(L"A number cannot be read as bytes.");
}

TIMESTAMP_STRUCT CDBValue::AsTimestamp() const
{
    TIMESTAMP_STRUCT result{};
    if (IsNull())
        return result;
    if (GetKind() != Kind::Text)
        ThrowDateTime(L"The value is not a date-time text.");
    const std::string_view text = GetUtf8();
    unsigned year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    const bool shapeOk = text.size() >= 19 && text[4] == '-' && text[7] == '-' && text[10] == ' ' && text[13] == ':' &&
                         text[16] == ':' && ReadDigits(text, 0, 4, year) && ReadDigits(text, 5, 2, month) &&
                         ReadDigits(text, 8, 2, day) && ReadDigits(text, 11, 2, hour) &&
                         ReadDigits(text, 14, 2, minute) && ReadDigits(text, 17, 2, second);
    if (!shapeOk)
        ThrowDateTime(L"The text is not a date-time of the form YYYY-MM-DD HH:MM:SS.");
    unsigned fraction = 0;
    if (text.size() > 19)
    {
        const std::size_t digits = text.size() - 20;
        if (text[19] != '.' || digits < 1 || digits > 9 || !ReadDigits(text, 20, digits, fraction))
            ThrowDateTime(L"The date-time text has a malformed fraction.");
        for (std::size_t i = digits; i < 9; ++i)
            fraction *= 10;
    }
    result.year = static_cast<SQLSMALLINT>(year);
    result.month = static_cast<SQLUSMALLINT>(month);
    result.day = static_cast<SQLUSMALLINT>(day);
    result.hour = static_cast<SQLUSMALLINT>(hour);
    result.minute = static_cast<SQLUSMALLINT>(minute);
    result.second = static_cast<SQLUSMALLINT>(second);
    result.fraction = fraction;
    if (!IsValidTimestamp(result))
        ThrowDateTime(L"The date-time text names no real date or time.");
    return result;
}
