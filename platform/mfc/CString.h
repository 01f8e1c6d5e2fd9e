// CString: the framework's wide string, a value type holding std::wstring, with the members
// the system calls. Narrow text is UTF-8; UTF-16 is produced only where a byte layout asks
// for it (ToUtf16/FromUtf16).
//
// A value: copies are independent. One object may be read from several threads at once but
// not changed while another thread uses it. A pointer or buffer obtained from an object
// (operator LPCWSTR, GetString, GetBuffer) stays valid until the object is next changed or
// destroyed.
//
// Indexes and counts are int as in the framework. Out-of-range arguments of Left/Mid/Right/
// Insert/Delete are clamped into the string; GetAt/SetAt/operator[] past the end throw
// CInvalidArgException. Letter case follows Unicode's simple case mapping (not only ASCII);
// Compare orders like the UTF-16 text (ordinal), CompareNoCase compares lower-cased text.
#pragma once

#include <array>
#include <compare>
#include <concepts>
#include <cstdarg>
#include <cstddef>
#include <functional>
#include <iosfwd>
#include <span>
#include <string>
#include <string_view>
#include <utility>

#include "platform/com/Bstr.h"
#include "platform/mfc/FormatArgument.h"
#include "platform/win32/WinTypes.h"

class CString
{
public:
    CString() = default;
    CString(const CString&) = default;
    CString(CString&&) noexcept = default;
    CString& operator=(const CString&) = default;
    CString& operator=(CString&&) noexcept = default;
    ~CString() = default;

    // A null pointer gives the empty string.
    CString(const wchar_t* text);
    // The first length characters, embedded NULs included (text must hold that many; a
    // negative length counts as 0; null text gives empty).
    CString(const wchar_t* text, int length);
    // UTF-8 text; invalid sequences become U+FFFD. A null pointer gives the empty string.
    CString(const char* text);
    // The character repeated count times (a count below 1 gives the empty string).
    explicit CString(wchar_t character, int count = 1);
    CString(const std::wstring& text) : m_text(text) {}
    CString(std::wstring&& text) noexcept : m_text(std::move(text)) {}

    CString& operator=(const wchar_t* text);
    CString& operator=(const char* text);
    CString& operator=(wchar_t character);

    // --- Size and access -------------------------------------------------------------------
    int GetLength() const { return static_cast<int>(m_text.size()); }
    bool IsEmpty() const { return m_text.empty(); }
    void Empty() { m_text.clear(); }
    // The character at index; CInvalidArgException when index is outside 0..GetLength()-1.
    wchar_t GetAt(int index) const;
    void SetAt(int index, wchar_t character);
    template <std::integral Index>
    wchar_t operator[](Index index) const
    {
        return GetAt(CheckedIndex(index));
    }
    // Terminated text; valid until the string changes.
    const wchar_t* GetString() const { return m_text.c_str(); }
    operator const wchar_t*() const { return m_text.c_str(); }
    const std::wstring& GetWString() const { return m_text; }

    // --- Concatenation and comparison ------------------------------------------------------
    CString& operator+=(const CString& text);
    CString& operator+=(const wchar_t* text);
    CString& operator+=(wchar_t character);
    CString& operator+=(const char* text);

    // Ordinal comparison in UTF-16 code-unit order: <0, 0 or >0. Null counts as empty.
    int Compare(const wchar_t* text) const;
    // Comparison of the lower-cased texts: <0, 0 or >0. Null counts as empty.
    int CompareNoCase(const wchar_t* text) const;

    friend bool operator==(const CString& left, const CString& right) { return left.m_text == right.m_text; }
    friend bool operator==(const CString& left, const wchar_t* right) { return left.Compare(right) == 0; }
    friend std::strong_ordering operator<=>(const CString& left, const CString& right)
    {
        return left.Compare(right.GetString()) <=> 0;
    }
    friend std::strong_ordering operator<=>(const CString& left, const wchar_t* right)
    {
        return left.Compare(right) <=> 0;
    }

    // --- Extraction ------------------------------------------------------------------------
    // The first count characters (all when count exceeds the length, none when negative).
    CString Left(int count) const;
    // From first to the end; first is clamped into 0..GetLength().
    CString Mid(int first) const;
    // count characters from first; first is clamped into 0..GetLength(), count into what is left.
    CString Mid(int first, int count) const;
    // The last count characters (all when count exceeds the length, none when negative).
    CString Right(int count) const;
    // The leading characters that are all in set (empty when set is null).
    CString SpanIncluding(const wchar_t* set) const;
    // The leading characters that are none of set (the whole string when set is null).
    CString SpanExcluding(const wchar_t* set) const;
    // The next token after start, skipping delimiters in front of it. start moves past the
    // token's delimiter. At the end (only delimiters left, start past the end or negative)
    // the result is empty and start becomes -1. With no delimiters the rest of the string is
    // the one token and start moves to the end, so a loop always finishes.
    CString Tokenize(const wchar_t* delimiters, int& start) const;

    // --- Search: each returns the index of the first match, or -1 when there is none -------
    // A start outside 0..GetLength()-1 finds nothing.
    int Find(wchar_t character, int start = 0) const;
    // An empty text is found at start (start may equal GetLength()); a start outside
    // 0..GetLength() or a null text finds nothing.
    int Find(const wchar_t* text, int start = 0) const;
    int ReverseFind(wchar_t character) const;
    int FindOneOf(const wchar_t* set) const;

    // --- Changes ---------------------------------------------------------------------------
    // White space (Unicode spaces, tabs and line breaks), one character, or any of a set.
    CString& Trim();
    CString& Trim(wchar_t character);
    CString& Trim(const wchar_t* set);
    CString& TrimLeft();
    CString& TrimLeft(wchar_t character);
    CString& TrimLeft(const wchar_t* set);
    CString& TrimRight();
    CString& TrimRight(wchar_t character);
    CString& TrimRight(const wchar_t* set);
    CString& MakeUpper();
    CString& MakeLower();
    // Number of replacements made; an empty or null old text replaces nothing (0).
    int Replace(const wchar_t* oldText, const wchar_t* newText);
    int Replace(wchar_t oldCharacter, wchar_t newCharacter);
    // Removes every occurrence; the number removed.
    int Remove(wchar_t character);
    // Inserts before index (clamped into 0..GetLength()); the new length.
    int Insert(int index, wchar_t character);
    int Insert(int index, const wchar_t* text);
    // Removes count characters from index (both clamped into the string); the new length.
    int Delete(int index, int count = 1);

    // --- Direct buffer access --------------------------------------------------------------
    // A writable buffer of at least minLength characters plus a terminator, holding the
    // current text. Call ReleaseBuffer before any other member.
    wchar_t* GetBuffer(int minLength = 0);
    // A writable buffer of exactly length characters plus a terminator; the length is set.
    wchar_t* GetBufferSetLength(int length);
    // Ends buffer access: newLength characters (clamped to the buffer), or with -1 the text
    // up to the first terminator.
    void ReleaseBuffer(int newLength = -1);

    // A new BSTR holding the text; the caller frees it with SysFreeString. Null when memory
    // runs out.
    BSTR AllocSysString() const;

    // --- Formatting (see CStringFormatter.h for the specifiers) ----------------------------
    // Replaces the text with the formatted one. Arguments are captured with their types, so a
    // missing or mismatched argument is shown as its specifier instead of being read blindly.
    template <typename... Args>
    void Format(const wchar_t* format, const Args&... args);
    // The same with a C argument list, for functions that take "...". The caller guarantees
    // an argument of the right type for every specifier.
    void FormatV(const wchar_t* format, va_list args);
    template <typename... Args>
    void AppendFormat(const wchar_t* format, const Args&... args);
    void AppendFormatV(const wchar_t* format, va_list args);
    // Message formatting with numbered inserts %1..%99 (%1!d!, %n, %%, ...). Insert n is
    // argument n; an insert without an argument is kept as written.
    template <typename... Args>
    void FormatMessage(const wchar_t* format, const Args&... args);

private:
    // An index that int cannot hold becomes -1, which GetAt refuses.
    template <std::integral Index>
    static int CheckedIndex(Index index)
    {
        return std::in_range<int>(index) ? static_cast<int>(index) : -1;
    }
    // Formats into a separate text first, so a format or argument that refers to this
    // string's own text stays valid throughout; then replaces or appends.
    void ApplyFormat(const wchar_t* format, std::span<const mfc_detail::FormatArgument> arguments, bool append);
    void ApplyMessage(const wchar_t* format, std::span<const mfc_detail::FormatArgument> arguments);

    std::wstring m_text;
};

CString operator+(const CString& left, const CString& right);
CString operator+(const CString& left, const wchar_t* right);
CString operator+(const wchar_t* left, const CString& right);
CString operator+(const CString& left, wchar_t right);
CString operator+(wchar_t left, const CString& right);
// A temporary on the left is extended in place, so a chain such as a + L"." + b copies once.
CString operator+(CString&& left, const CString& right);
CString operator+(CString&& left, const wchar_t* right);
CString operator+(CString&& left, wchar_t right);

template <typename... Args>
void CString::Format(const wchar_t* format, const Args&... args)
{
    const std::array<mfc_detail::FormatArgument, sizeof...(Args)> arguments{mfc_detail::MakeFormatArgument(args)...};
    ApplyFormat(format, arguments, false);
}

template <typename... Args>
void CString::AppendFormat(const wchar_t* format, const Args&... args)
{
    const std::array<mfc_detail::FormatArgument, sizeof...(Args)> arguments{mfc_detail::MakeFormatArgument(args)...};
    ApplyFormat(format, arguments, true);
}

template <typename... Args>
void CString::FormatMessage(const wchar_t* format, const Args&... args)
{
    const std::array<mfc_detail::FormatArgument, sizeof...(Args)> arguments{mfc_detail::MakeFormatArgument(args)...};
    ApplyMessage(format, arguments);
}

// --- Conversions at the edges ------------------------------------------------------------
// UTF-8 form of the text; unpaired surrogates become U+FFFD.
std::string CStringToUtf8(const CString& text);
// Text from UTF-8; each ill-formed sequence becomes U+FFFD.
CString Utf8ToCString(std::string_view text);
// UTF-16 form of the text (surrogate pairs for characters above U+FFFF).
std::u16string ToUtf16(const CString& text);
// Text from UTF-16; an unpaired surrogate becomes U+FFFD.
CString FromUtf16(std::u16string_view text);

// Writes the text as UTF-8 (diagnostics and test failure messages).
std::ostream& operator<<(std::ostream& stream, const CString& text);

// Orders strings as CompareNoCase does (for ordered maps keyed without regard to case).
struct CStringNoCaseLess
{
    bool operator()(const CString& left, const CString& right) const { return left.CompareNoCase(right) < 0; }
};

template <>
struct std::hash<CString>
{
    std::size_t operator()(const CString& text) const noexcept { return std::hash<std::wstring>()(text.GetWString()); }
};
