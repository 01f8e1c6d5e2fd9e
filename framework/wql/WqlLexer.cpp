#include "framework/wql/WqlLexer.h"

#include <charconv>
#include <string>

#include "framework/wql/WqlLimits.h"

namespace {

bool IsAsciiLetter(wchar_t c)
{
    return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z');
}

bool IsDigitChar(wchar_t c)
{
    return c >= L'0' && c <= L'9';
}

bool IsIdentifierStart(wchar_t c)
{
    return IsAsciiLetter(c) || c == L'_';
}

bool IsIdentifierPart(wchar_t c)
{
    return IsIdentifierStart(c) || IsDigitChar(c);
}

bool IsWhiteSpace(wchar_t c)
{
    return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n' || c == L'\f' || c == L'\v';
}

wchar_t ToAsciiUpper(wchar_t c)
{
    return (c >= L'a' && c <= L'z') ? static_cast<wchar_t>(c - L'a' + L'A') : c;
}

}  // namespace

bool WqlToken::IsKeyword(const wchar_t* keyword) const
{
    if (Kind != WqlTokenKind::Identifier)
        return false;
    const std::wstring& text = Text.GetWString();
    std::size_t i = 0;
    for (; keyword[i] != L'\0'; ++i)
    {
        if (i >= text.size() || ToAsciiUpper(text[i]) != keyword[i])
            return false;
    }
    return i == text.size();
}

WqlLexer::WqlLexer(std::wstring_view text) : m_text(text) {}

std::size_t WqlLexer::GetPosition() const
{
    return m_hasPeeked ? m_peeked.Position : m_position;
}

WqlToken WqlLexer::Next()
{
    if (m_hasPeeked)
    {
        m_hasPeeked = false;
        return m_peeked;
    }
    return Scan();
}

const WqlToken& WqlLexer::Peek()
{
    if (!m_hasPeeked)
    {
        m_peeked = Scan();
        m_hasPeeked = true;
    }
    return m_peeked;
}

void WqlLexer::SkipWhiteSpace()
{
    while (m_position < m_text.size() && IsWhiteSpace(m_text[m_position]))
        ++m_position;
}

WqlToken WqlLexer::MakeError(std::size_t position, const wchar_t* reason)
{
    WqlToken token;
    token.Kind = WqlTokenKind::Error;
    token.Text = reason;
    token.Position = position;
    return token;
}

bool WqlLexer::ReadRawUntilRightBrace(CString& text)
{
    // A peeked token would already have consumed part of the raw text.
    if (m_hasPeeked || m_failed)
        return false;
    const std::size_t start = m_position;
    bool inQuotes = false;
    for (std::size_t i = start; i < m_text.size(); ++i)
    {
        const wchar_t c = m_text[i];
        if (inQuotes)
        {
            if (c == L'\\' && i + 1 < m_text.size())
                ++i;
            else if (c == L'"')
                inQuotes = false;
        }
        else if (c == L'"')
            inQuotes = true;
        else if (c == L'}')
        {
            text = CString(std::wstring(m_text.substr(start, i - start)));
            m_position = i + 1;
            return true;
        }
    }
    return false;
}

WqlToken WqlLexer::Scan()
{
    if (m_failed)
        return WqlToken{WqlTokenKind::End, CString(), 0, 0.0, m_text.size()};
    SkipWhiteSpace();
    const std::size_t start = m_position;
    WqlToken token;
    token.Position = start;
    if (start >= m_text.size())
        return token;

    const wchar_t c = m_text[start];
    const wchar_t next = start + 1 < m_text.size() ? m_text[start + 1] : L'\0';
    auto simple = [&](WqlTokenKind kind, std::size_t length) {
        m_position = start + length;
        token.Kind = kind;
        return token;
    };
    switch (c)
    {
    case L'(':
        return simple(WqlTokenKind::LeftParen, 1);
    case L')':
        return simple(WqlTokenKind::RightParen, 1);
    case L',':
        return simple(WqlTokenKind::Comma, 1);
    case L'*':
        return simple(WqlTokenKind::Star, 1);
    case L'{':
        return simple(WqlTokenKind::LeftBrace, 1);
    case L'}':
        return simple(WqlTokenKind::RightBrace, 1);
    case L'=':
        return simple(WqlTokenKind::Equal, 1);
    case L'<':
        if (next == L'>')
            return simple(WqlTokenKind::NotEqual, 2);
        if (next == L'=')
            return simple(WqlTokenKind::LessOrEqual, 2);
        return simple(WqlTokenKind::Less, 1);
    case L'>':
        if (next == L'=')
            return simple(WqlTokenKind::GreaterOrEqual, 2);
        return simple(WqlTokenKind::Greater, 1);
    case L'!':
        if (next == L'=')
            return simple(WqlTokenKind::NotEqual, 2);
        break;
    case L'\'':
    case L'"':
        return ScanString(c, start);
    default:
        break;
    }
    if (IsDigitChar(c) || (c == L'-' && (IsDigitChar(next) || next == L'.')) || (c == L'.' && IsDigitChar(next)))
        return ScanNumber(start);
    if (IsIdentifierStart(c))
        return ScanIdentifier(start);
    m_failed = true;
    return MakeError(start, L"unexpected character");
}

WqlToken WqlLexer::ScanString(wchar_t quote, std::size_t start)
{
    std::wstring value;
    std::size_t i = start + 1;
    while (i < m_text.size())
    {
        const wchar_t c = m_text[i];
        if (c == quote)
        {
            m_position = i + 1;
            WqlToken token;
            token.Kind = WqlTokenKind::String;
            token.Text = CString(std::move(value));
            token.Position = start;
            return token;
        }
        if (c == L'\\')
        {
            const wchar_t escaped = i + 1 < m_text.size() ? m_text[i + 1] : L'\0';
            if (escaped != L'\\' && escaped != L'"' && escaped != L'\'')
            {
                m_failed = true;
                return MakeError(i, L"invalid escape in string literal");
            }
            value.push_back(escaped);
            i += 2;
            continue;
        }
        value.push_back(c);
        ++i;
    }
    m_failed = true;
    return MakeError(start, L"unterminated string literal");
}

WqlToken WqlLexer::ScanNumber(std::size_t start)
{
    std::size_t i = start;
    if (m_text[i] == L'-')
        ++i;
    bool isReal = false;
    auto digits = [&] {
        const std::size_t first = i;
        while (i < m_text.size() && IsDigitChar(m_text[i]))
            ++i;
        return i - first;
    };
    std::size_t count = digits();
    if (i < m_text.size() && m_text[i] == L'.')
    {
        ++i;
        isReal = true;
        count += digits();
    }
    if (count == 0)
    {
        m_failed = true;
        return MakeError(start, L"malformed number");
    }
    if (i < m_text.size() && (m_text[i] == L'e' || m_text[i] == L'E'))
    {
        ++i;
        isReal = true;
        if (i < m_text.size() && (m_text[i] == L'+' || m_text[i] == L'-'))
            ++i;
        if (digits() == 0)
        {
            m_failed = true;
            return MakeError(start, L"malformed number");
        }
    }
    // A number glued to a name (5abc) is not a number.
    if (i < m_text.size() && (IsIdentifierPart(m_text[i]) || m_text[i] == L'.'))
    {
        m_failed = true;
        return MakeError(start, L"malformed number");
    }

    // The characters are all ASCII here, so they narrow one to one.
    std::string narrow;
    narrow.reserve(i - start);
    for (std::size_t k = start; k < i; ++k)
        narrow.push_back(static_cast<char>(m_text[k]));

    WqlToken token;
    token.Position = start;
    token.Text = CString(std::wstring(m_text.substr(start, i - start)));
    const char* first = narrow.data();
    const char* last = narrow.data() + narrow.size();
    // An integer past 64 bits is a number all the same, as the database reads it: a real, whose
    // text every comparison with an integer reads exactly (WqlNumber).
    if (const auto [end, error] = std::from_chars(first, last, token.IntegerValue);
        !isReal && error == std::errc() && end == last)
        token.Kind = WqlTokenKind::Integer;
    else
    {
        token.IntegerValue = 0;
        const auto [realEnd, realError] = std::from_chars(first, last, token.RealValue);
        if (realError != std::errc() || realEnd != last)
        {
            m_failed = true;
            return MakeError(start, L"real number out of range");
        }
        token.Kind = WqlTokenKind::Real;
    }
    m_position = i;
    return token;
}

WqlToken WqlLexer::ScanIdentifier(std::size_t start)
{
    std::size_t i = start;
    for (;;)
    {
        const std::size_t partStart = i;
        while (i < m_text.size() && IsIdentifierPart(m_text[i]))
            ++i;
        if (i - partStart > WqlLimits::kMaxIdentifierLength)
        {
            m_failed = true;
            return MakeError(start, L"identifier too long");
        }
        if (i + 1 < m_text.size() && m_text[i] == L'.' && IsIdentifierStart(m_text[i + 1]))
        {
            ++i;
            continue;
        }
        break;
    }
    m_position = i;
    WqlToken token;
    token.Kind = WqlTokenKind::Identifier;
    token.Text = CString(std::wstring(m_text.substr(start, i - start)));
    token.Position = start;
    return token;
}
