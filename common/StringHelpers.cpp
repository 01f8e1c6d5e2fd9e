#include "common/StringHelpers.h"

#include <string>

#include "platform/win32/HexDigits.h"

CString BytesToHexString(const BYTE* data, int count)
{
    if (data == nullptr || count <= 0)
        return CString();
    return CString(hex::Encode<wchar_t>({data, static_cast<std::size_t>(count)}, hex::Letters::Upper));
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
