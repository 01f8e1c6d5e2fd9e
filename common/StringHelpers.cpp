#include "common/StringHelpers.h"

#include <string>

CString BytesToHexString(const BYTE* data, int count)
{
    static constexpr wchar_t kDigits[] = L"0123456789ABCDEF";
    if (data == nullptr || count <= 0)
        return CString();
    std::wstring text;
    text.reserve(static_cast<std::size_t>(count) * 2);
    for (int i = 0; i < count; ++i)
    {
        text.push_back(kDigits[data[i] >> 4]);
        text.push_back(kDigits[data[i] & 0x0F]);
    }
    return CString(std::move(text));
}
