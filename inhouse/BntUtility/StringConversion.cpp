#include "inhouse/BntUtility/StringConversion.h"

#include "platform/win32/UnicodeConversion.h"

// The codec is the platform's one, so text converted here and text the string class converts
// itself agree byte for byte, malformed input included.
namespace brontel::utility {

std::wstring Utf8ToWide(std::string_view text)
{
    return UnicodeConversion::DecodeUtf8(text);
}

std::string WideToUtf8(std::wstring_view text)
{
    return UnicodeConversion::EncodeUtf8(text);
}

std::string Utf16ToUtf8(std::u16string_view text)
{
    return UnicodeConversion::EncodeUtf8(UnicodeConversion::DecodeUtf16(text));
}

std::u16string Utf8ToUtf16(std::string_view text)
{
    return UnicodeConversion::EncodeUtf16(UnicodeConversion::DecodeUtf8(text));
}

CString ConvertUtf8ToCString(const std::string& text)
{
    return Utf8ToCString(text);
}

std::string ConvertCStringToUtf8(const CString& text)
{
    return CStringToUtf8(text);
}

std::string ConvertUtf16ToUtf8(const std::wstring& text)
{
    return WideToUtf8(text);
}

std::string ConvertUtf16ToUtf8(const wchar_t* text)
{
    return text == nullptr ? std::string() : WideToUtf8(std::wstring_view(text));
}

CString ConvertToCString(const std::string& text)
{
    return ConvertUtf8ToCString(text);
}

std::string ConvertToStdString(const CString& text)
{
    return ConvertCStringToUtf8(text);
}

}  // namespace brontel::utility
