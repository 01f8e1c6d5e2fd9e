#include "common/StringHelpers.h"

#include <string>

#include "platform/win32/HexDigits.h"

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

bool HexStringToBytes(std::wstring_view text, std::vector<BYTE>& bytes)
{
    bytes.assign(text.size() / 2, 0);
    return hex::Decode(text, bytes.data());
}

std::vector<CString> SplitTrimmedList(const CString& list, wchar_t separator)
{
    std::vector<CString> pieces;
    int start = 0;
    while (start <= list.GetLength())
    {
        int end = list.Find(separator, start);
        if (end < 0)
            end = list.GetLength();
        CString piece = list.Mid(start, end - start);
        piece.Trim();
        if (!piece.IsEmpty())
            pieces.push_back(piece);
        start = end + 1;
    }
    return pieces;
}
