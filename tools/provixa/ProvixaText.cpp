#include "tools/provixa/ProvixaText.h"

#include <cstring>

#include "platform/mfc/CString.h"

std::string ProvixaText::ToUtf8(std::wstring_view text)
{
    return CStringToUtf8(CString(text.data(), static_cast<int>(text.size())));
}

std::wstring ProvixaText::FromUtf8(std::string_view text)
{
    const CString converted = Utf8ToCString(text);
    return std::wstring(converted.GetString(), static_cast<std::size_t>(converted.GetLength()));
}

std::string ProvixaText::FileFailure(int reason, const char* otherwise)
{
    return reason != 0 ? std::strerror(reason) : otherwise;
}
