#include "common/StringHelpers.h"

#include <string>

namespace {

int HexDigitValue(wchar_t c)
{
    if (c >= L'0' && c <= L'9')
        return c - L'0';
    if (c >= L'a' && c <= L'f')
        return c - L'a' + 10;
    if (c >= L'A' && c <= L'F')
        return c - L'A' + 10;
    return -1;
}

}  // namespace

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
    if (text.size() % 2 != 0)
        return false;
    bytes.clear();
    bytes.reserve(text.size() / 2);
    for (std::size_t i = 0; i < text.size(); i += 2)
    {
        const int high = HexDigitValue(text[i]);
        const int low = HexDigitValue(text[i + 1]);
        if (high < 0 || low < 0)
            return false;
        bytes.push_back(static_cast<BYTE>(high * 16 + low));
    }
    return true;
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
