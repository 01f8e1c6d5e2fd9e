#include "platform/mfc/CString.h"

#include <algorithm>
#include <clocale>
#include <cwchar>
#include <cstdint>
#include <cwctype>
#include <locale.h>
#include <new>
#include <ostream>

#include "platform/mfc/CException.h"
#include "platform/mfc/CStringFormatter.h"
#include "platform/win32/UnicodeConversion.h"

namespace {

// Character classes and case of the whole Unicode range, independent of the process's
// locale (the C locale knows only ASCII). Built once; read-only afterwards.
class UnicodeCharacters
{
public:
    UnicodeCharacters()
    {
        m_locale = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
        if (m_locale == static_cast<locale_t>(nullptr))
            m_locale = newlocale(LC_CTYPE_MASK, "C.utf8", static_cast<locale_t>(nullptr));
    }
    ~UnicodeCharacters()
    {
        if (m_locale != static_cast<locale_t>(nullptr))
            freelocale(m_locale);
    }
    UnicodeCharacters(const UnicodeCharacters&) = delete;
    UnicodeCharacters& operator=(const UnicodeCharacters&) = delete;

    static const UnicodeCharacters& Instance()
    {
        static const UnicodeCharacters instance;
        return instance;
    }

    // ASCII, nearly every character of class and column names, is mapped without the locale.
    wchar_t Upper(wchar_t c) const
    {
        if (static_cast<std::uint32_t>(c) < 0x80u)
            return c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - (L'a' - L'A')) : c;
        return static_cast<wchar_t>(m_locale != static_cast<locale_t>(nullptr)
                                        ? towupper_l(static_cast<wint_t>(c), m_locale)
                                        : towupper(static_cast<wint_t>(c)));
    }
    wchar_t Lower(wchar_t c) const
    {
        if (static_cast<std::uint32_t>(c) < 0x80u)
            return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c + (L'a' - L'A')) : c;
        return static_cast<wchar_t>(m_locale != static_cast<locale_t>(nullptr)
                                        ? towlower_l(static_cast<wint_t>(c), m_locale)
                                        : towlower(static_cast<wint_t>(c)));
    }
    bool IsSpace(wchar_t c) const
    {
        return (m_locale != static_cast<locale_t>(nullptr) ? iswspace_l(static_cast<wint_t>(c), m_locale)
                                                           : iswspace(static_cast<wint_t>(c))) != 0;
    }

private:
    locale_t m_locale;
};

std::wstring_view ViewOf(const wchar_t* text)
{
    return text == nullptr ? std::wstring_view() : std::wstring_view(text);
}

// Position of a character in UTF-16 code-unit order: characters above U+FFFF are written with
// surrogates (0xD800-0xDFFF) and so sort before U+E000-U+FFFF.
std::uint32_t Utf16OrderKey(wchar_t c)
{
    const std::uint32_t value = static_cast<std::uint32_t>(c);
    return value >= 0xE000 && value <= 0xFFFF ? value + 0x200000 : value;
}

int CompareKeys(std::wstring_view left, std::wstring_view right, bool ignoreCase)
{
    const std::size_t common = std::min(left.size(), right.size());
    if (!ignoreCase)
    {
        // Ordered maps compare keys this way many times a request: the first differing unit
        // is found without a per-character case decision.
        const auto differ =
            std::mismatch(left.begin(), left.begin() + static_cast<std::ptrdiff_t>(common), right.begin());
        if (differ.first != left.begin() + static_cast<std::ptrdiff_t>(common))
            return Utf16OrderKey(*differ.first) < Utf16OrderKey(*differ.second) ? -1 : 1;
    }
    else
    {
        const UnicodeCharacters& characters = UnicodeCharacters::Instance();
        for (std::size_t i = 0; i < common; ++i)
        {
            const wchar_t a = characters.Lower(left[i]);
            const wchar_t b = characters.Lower(right[i]);
            if (a != b)
                return Utf16OrderKey(a) < Utf16OrderKey(b) ? -1 : 1;
        }
    }
    if (left.size() == right.size())
        return 0;
    return left.size() < right.size() ? -1 : 1;
}

int Clamp(int value, int low, int high)
{
    return value < low ? low : value > high ? high : value;
}

template <typename Predicate>
void TrimLeftWhile(std::wstring& text, Predicate matches)
{
    std::size_t first = 0;
    while (first < text.size() && matches(text[first]))
        ++first;
    text.erase(0, first);
}

template <typename Predicate>
void TrimRightWhile(std::wstring& text, Predicate matches)
{
    std::size_t end = text.size();
    while (end > 0 && matches(text[end - 1]))
        --end;
    text.erase(end);
}

auto IsSpace()
{
    return [](wchar_t c) { return UnicodeCharacters::Instance().IsSpace(c); };
}

auto IsCharacter(wchar_t character)
{
    return [character](wchar_t c) { return c == character; };
}

auto IsInSet(const wchar_t* set)
{
    return [set = ViewOf(set)](wchar_t c) { return set.find(c) != std::wstring_view::npos; };
}

}  // namespace

CString::CString(const wchar_t* text) : m_text(ViewOf(text)) {}

CString::CString(const wchar_t* text, int length)
{
    if (text != nullptr && length > 0)
        m_text.assign(text, static_cast<std::size_t>(length));
}

CString::CString(const char* text)
{
    if (text != nullptr)
        m_text = UnicodeConversion::DecodeUtf8(text);
}

CString::CString(wchar_t character, int count)
{
    if (count > 0)
        m_text.assign(static_cast<std::size_t>(count), character);
}

CString& CString::operator=(const wchar_t* text)
{
    // The text may point into this string; assign copes with that.
    m_text.assign(ViewOf(text));
    return *this;
}

CString& CString::operator=(const char* text)
{
    m_text = text == nullptr ? std::wstring() : UnicodeConversion::DecodeUtf8(text);
    return *this;
}

CString& CString::operator=(wchar_t character)
{
    m_text.assign(1, character);
    return *this;
}

wchar_t CString::GetAt(int index) const
{
    if (index < 0 || index >= GetLength())
        throw CInvalidArgException();
    return m_text[static_cast<std::size_t>(index)];
}

void CString::SetAt(int index, wchar_t character)
{
    if (index < 0 || index >= GetLength())
        throw CInvalidArgException();
    m_text[static_cast<std::size_t>(index)] = character;
}

CString& CString::operator+=(const CString& text)
{
    m_text += text.m_text;
    return *this;
}

CString& CString::operator+=(const wchar_t* text)
{
    // The text may point into this string; append copes with that.
    m_text.append(ViewOf(text));
    return *this;
}

CString& CString::operator+=(wchar_t character)
{
    m_text += character;
    return *this;
}

CString& CString::operator+=(const char* text)
{
    if (text != nullptr)
        m_text += UnicodeConversion::DecodeUtf8(text);
    return *this;
}

int CString::Compare(const wchar_t* text) const
{
    return CompareKeys(m_text, ViewOf(text), false);
}

int CString::CompareNoCase(const wchar_t* text) const
{
    return CompareKeys(m_text, ViewOf(text), true);
}

CString CString::Left(int count) const
{
    return Mid(0, count);
}

CString CString::Mid(int first) const
{
    return Mid(first, GetLength());
}

CString CString::Mid(int first, int count) const
{
    const int start = Clamp(first, 0, GetLength());
    const int length = Clamp(count, 0, GetLength() - start);
    return CString(m_text.substr(static_cast<std::size_t>(start), static_cast<std::size_t>(length)));
}

CString CString::Right(int count) const
{
    const int length = Clamp(count, 0, GetLength());
    return CString(m_text.substr(m_text.size() - static_cast<std::size_t>(length)));
}

CString CString::SpanIncluding(const wchar_t* set) const
{
    const std::size_t end = m_text.find_first_not_of(ViewOf(set));
    return CString(m_text.substr(0, end));
}

CString CString::SpanExcluding(const wchar_t* set) const
{
    const std::size_t end = m_text.find_first_of(ViewOf(set));
    return CString(m_text.substr(0, end));
}

CString CString::Tokenize(const wchar_t* delimiters, int& start) const
{
    if (start < 0 || start >= GetLength())
    {
        start = -1;
        return CString();
    }
    const std::wstring_view set = ViewOf(delimiters);
    if (set.empty())
    {
        // The framework leaves start where it was here, so a caller's loop would never end.
        CString rest = Mid(start);
        start = GetLength();
        return rest;
    }
    const std::size_t tokenStart = m_text.find_first_not_of(set, static_cast<std::size_t>(start));
    if (tokenStart == std::wstring::npos)
    {
        start = -1;
        return CString();
    }
    std::size_t tokenEnd = m_text.find_first_of(set, tokenStart);
    if (tokenEnd == std::wstring::npos)
        tokenEnd = m_text.size();
    start = static_cast<int>(tokenEnd) + 1;
    return CString(m_text.substr(tokenStart, tokenEnd - tokenStart));
}

int CString::Find(wchar_t character, int start) const
{
    if (start < 0 || start >= GetLength())
        return -1;
    const std::size_t found = m_text.find(character, static_cast<std::size_t>(start));
    return found == std::wstring::npos ? -1 : static_cast<int>(found);
}

int CString::Find(const wchar_t* text, int start) const
{
    if (text == nullptr || start < 0 || start > GetLength())
        return -1;
    const std::size_t found = m_text.find(text, static_cast<std::size_t>(start));
    return found == std::wstring::npos ? -1 : static_cast<int>(found);
}

int CString::ReverseFind(wchar_t character) const
{
    const std::size_t found = m_text.rfind(character);
    return found == std::wstring::npos ? -1 : static_cast<int>(found);
}

int CString::FindOneOf(const wchar_t* set) const
{
    const std::wstring_view characters = ViewOf(set);
    if (characters.empty())
        return -1;
    const std::size_t found = m_text.find_first_of(characters);
    return found == std::wstring::npos ? -1 : static_cast<int>(found);
}

CString& CString::Trim()
{
    return TrimRight().TrimLeft();
}
CString& CString::Trim(wchar_t character)
{
    return TrimRight(character).TrimLeft(character);
}
CString& CString::Trim(const wchar_t* set)
{
    return TrimRight(set).TrimLeft(set);
}

CString& CString::TrimLeft()
{
    TrimLeftWhile(m_text, IsSpace());
    return *this;
}

CString& CString::TrimLeft(wchar_t character)
{
    TrimLeftWhile(m_text, IsCharacter(character));
    return *this;
}

CString& CString::TrimLeft(const wchar_t* set)
{
    // The set may point into this string.
    const std::wstring copy(ViewOf(set));
    TrimLeftWhile(m_text, IsInSet(copy.c_str()));
    return *this;
}

CString& CString::TrimRight()
{
    TrimRightWhile(m_text, IsSpace());
    return *this;
}

CString& CString::TrimRight(wchar_t character)
{
    TrimRightWhile(m_text, IsCharacter(character));
    return *this;
}

CString& CString::TrimRight(const wchar_t* set)
{
    const std::wstring copy(ViewOf(set));
    TrimRightWhile(m_text, IsInSet(copy.c_str()));
    return *this;
}

CString& CString::MakeUpper()
{
    const UnicodeCharacters& characters = UnicodeCharacters::Instance();
    for (wchar_t& c : m_text)
        c = characters.Upper(c);
    return *this;
}

CString& CString::MakeLower()
{
    const UnicodeCharacters& characters = UnicodeCharacters::Instance();
    for (wchar_t& c : m_text)
        c = characters.Lower(c);
    return *this;
}

int CString::Replace(const wchar_t* oldText, const wchar_t* newText)
{
    const std::wstring from(ViewOf(oldText));
    const std::wstring to(ViewOf(newText));
    if (from.empty())
        return 0;
    std::wstring result;
    int count = 0;
    std::size_t pos = 0;
    for (std::size_t found = m_text.find(from); found != std::wstring::npos; found = m_text.find(from, pos))
    {
        result.append(m_text, pos, found - pos);
        result += to;
        pos = found + from.size();
        ++count;
    }
    if (count > 0)
    {
        result.append(m_text, pos, std::wstring::npos);
        m_text = std::move(result);
    }
    return count;
}

int CString::Replace(wchar_t oldCharacter, wchar_t newCharacter)
{
    int count = 0;
    for (wchar_t& c : m_text)
    {
        if (c == oldCharacter)
        {
            c = newCharacter;
            ++count;
        }
    }
    return count;
}

int CString::Remove(wchar_t character)
{
    const std::size_t before = m_text.size();
    std::erase(m_text, character);
    return static_cast<int>(before - m_text.size());
}

int CString::Insert(int index, wchar_t character)
{
    m_text.insert(static_cast<std::size_t>(Clamp(index, 0, GetLength())), 1, character);
    return GetLength();
}

int CString::Insert(int index, const wchar_t* text)
{
    const std::wstring copy(ViewOf(text));
    m_text.insert(static_cast<std::size_t>(Clamp(index, 0, GetLength())), copy);
    return GetLength();
}

int CString::Delete(int index, int count)
{
    const int start = Clamp(index, 0, GetLength());
    const int length = Clamp(count, 0, GetLength() - start);
    m_text.erase(static_cast<std::size_t>(start), static_cast<std::size_t>(length));
    return GetLength();
}

wchar_t* CString::GetBuffer(int minLength)
{
    try
    {
        if (minLength > GetLength())
            m_text.resize(static_cast<std::size_t>(minLength));
    }
    catch (const std::bad_alloc&)
    {
        throw CMemoryException();
    }
    return m_text.data();
}

wchar_t* CString::GetBufferSetLength(int length)
{
    try
    {
        m_text.resize(static_cast<std::size_t>(length < 0 ? 0 : length));
    }
    catch (const std::bad_alloc&)
    {
        throw CMemoryException();
    }
    return m_text.data();
}

void CString::ReleaseBuffer(int newLength)
{
    const std::size_t length =
        newLength < 0 ? std::wcslen(m_text.c_str()) : std::min(static_cast<std::size_t>(newLength), m_text.size());
    m_text.resize(length);
}

BSTR CString::AllocSysString() const
{
    return SysAllocStringLen(m_text.data(), static_cast<UINT>(m_text.size()));
}

void CString::FormatV(const wchar_t* format, va_list args)
{
    std::wstring result;
    mfc_detail::CStringFormatter::AppendFormatV(ViewOf(format), args, result);
    m_text = std::move(result);
}

void CString::AppendFormatV(const wchar_t* format, va_list args)
{
    std::wstring result;
    mfc_detail::CStringFormatter::AppendFormatV(ViewOf(format), args, result);
    m_text += result;
}

void CString::ApplyFormat(const wchar_t* format, std::span<const mfc_detail::FormatArgument> arguments, bool append)
{
    std::wstring result;
    mfc_detail::CStringFormatter::AppendFormat(ViewOf(format), arguments, result);
    if (append)
        m_text += result;
    else
        m_text = std::move(result);
}

void CString::ApplyMessage(const wchar_t* format, std::span<const mfc_detail::FormatArgument> arguments)
{
    std::wstring result;
    mfc_detail::CStringFormatter::AppendMessage(ViewOf(format), arguments, result);
    m_text = std::move(result);
}

namespace {

// One allocation for the joined text, however the two halves are given.
CString Joined(std::wstring_view left, std::wstring_view right)
{
    std::wstring joined;
    joined.reserve(left.size() + right.size());
    joined.append(left).append(right);
    return CString(std::move(joined));
}

}  // namespace

CString operator+(const CString& left, const CString& right)
{
    return Joined(left.GetWString(), right.GetWString());
}

CString operator+(const CString& left, const wchar_t* right)
{
    return Joined(left.GetWString(), ViewOf(right));
}

CString operator+(const wchar_t* left, const CString& right)
{
    return Joined(ViewOf(left), right.GetWString());
}

CString operator+(const CString& left, wchar_t right)
{
    return Joined(left.GetWString(), std::wstring_view(&right, 1));
}

CString operator+(wchar_t left, const CString& right)
{
    return Joined(std::wstring_view(&left, 1), right.GetWString());
}

CString operator+(CString&& left, const CString& right)
{
    left += right;
    return std::move(left);
}

CString operator+(CString&& left, const wchar_t* right)
{
    left += right;
    return std::move(left);
}

CString operator+(CString&& left, wchar_t right)
{
    left += right;
    return std::move(left);
}

std::string CStringToUtf8(const CString& text)
{
    return UnicodeConversion::EncodeUtf8(text.GetWString());
}

CString Utf8ToCString(std::string_view text)
{
    return CString(UnicodeConversion::DecodeUtf8(text));
}

std::u16string ToUtf16(const CString& text)
{
    return UnicodeConversion::EncodeUtf16(text.GetWString());
}

CString FromUtf16(std::u16string_view text)
{
    return CString(UnicodeConversion::DecodeUtf16(text));
}

std::ostream& operator<<(std::ostream& stream, const CString& text)
{
    return stream << CStringToUtf8(text);
}
