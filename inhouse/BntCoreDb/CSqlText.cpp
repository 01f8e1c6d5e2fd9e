#include "inhouse/BntCoreDb/CSqlText.h"

#include <iterator>
#include <type_traits>

#include "inhouse/BntCoreDb/CDBException.h"

namespace {

bool IsIdentifierStart(wchar_t c)
{
    return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z') || c == L'_';
}

bool IsIdentifierPart(wchar_t c)
{
    return IsIdentifierStart(c) || (c >= L'0' && c <= L'9');
}

template <typename Char>
bool IsPlainIdentifier(std::basic_string_view<Char> name)
{
    if (name.empty() || name.size() > CSqlText::kMaxIdentifierLength ||
        !IsIdentifierStart(static_cast<wchar_t>(name[0])))
        return false;
    for (const Char c : name)
    {
        if (!IsIdentifierPart(static_cast<wchar_t>(c)))
            return false;
    }
    return true;
}

std::wstring_view ViewOf(const CString& text)
{
    return std::wstring_view(text.GetString(), static_cast<std::size_t>(text.GetLength()));
}

[[noreturn]] void ThrowSyntax(const CString& message)
{
    throw CDBException(CDBException::kRetRefused, L"42000", 0, message);
}

CString Describe(const wchar_t* what, std::wstring_view text)
{
    // Echo at most a short, printable prefix of the refused text into the message.
    constexpr std::size_t kEcho = 64;
    std::wstring shown;
    for (std::size_t i = 0; i < text.size() && i < kEcho; ++i)
        shown.push_back(text[i] >= 0x20 && text[i] < 0x7F ? text[i] : L'?');
    if (text.size() > kEcho)
        shown += L"...";
    CString message(what);
    message += L" is not a valid SQL identifier: \"";
    message += shown.c_str();
    message += L"\"";
    return message;
}

// The checks of CheckRawText on wide or on narrow text (a byte above 0x7F is refused like any
// character above it).
template <typename Char>
std::string CheckRaw(std::basic_string_view<Char> view, std::size_t parameterCount)
{
    if (view.size() > CSqlText::kMaxRawTextLength)
        ThrowSyntax(L"SQL text is too long.");
    std::string narrow;
    narrow.reserve(view.size());
    std::size_t placeholders = 0;
    for (std::size_t i = 0; i < view.size(); ++i)
    {
        const wchar_t c = static_cast<wchar_t>(static_cast<std::make_unsigned_t<Char>>(view[i]));
        // Values are bound, never written into the text: anything that could open a literal,
        // a comment, a second statement or a named parameter is refused outright.
        if (c == 0 || c >= 0x7F || c == L'\'' || c == L'`' || c == L'[' || c == L']' || c == L';' || c == L':' ||
            c == L'@' || c == L'$' || c == L'#' || c == L'\\')
            ThrowSyntax(L"SQL text contains a character that is not allowed; values must be bound parameters.");
        if ((c == L'-' && i + 1 < view.size() && view[i + 1] == Char('-')) ||
            (c == L'/' && i + 1 < view.size() && view[i + 1] == Char('*')))
            ThrowSyntax(L"SQL text may not contain comments.");
        if (c == L'"')
        {
            // Only a quoted identifier: "NAME".
            const std::size_t close = view.find(Char('"'), i + 1);
            if (close == std::basic_string_view<Char>::npos || !IsPlainIdentifier(view.substr(i + 1, close - i - 1)))
                ThrowSyntax(L"SQL text contains a quoted text that is not an identifier.");
            for (; i <= close; ++i)
                narrow.push_back(static_cast<char>(view[i]));
            --i;
            continue;
        }
        if (c == L'?')
        {
            if (i + 1 < view.size() && view[i + 1] >= Char('0') && view[i + 1] <= Char('9'))
                ThrowSyntax(L"SQL text may not contain numbered parameters.");
            ++placeholders;
        }
        if (c < 0x20 && c != L'\t' && c != L'\n' && c != L'\r')
            ThrowSyntax(L"SQL text contains a control character.");
        narrow.push_back(static_cast<char>(c));
    }
    if (placeholders != parameterCount)
    {
        CString message;
        message.Format(L"SQL text has %d parameter markers but %d values were given.", static_cast<int>(placeholders),
                       static_cast<int>(parameterCount));
        ThrowSyntax(message);
    }
    return narrow;
}

}  // namespace

bool CSqlText::IsValidIdentifier(std::wstring_view name, bool allowQualified)
{
    const std::size_t dot = name.find(L'.');
    if (dot == std::wstring_view::npos)
        return IsPlainIdentifier(name);
    if (!allowQualified)
        return false;
    return IsPlainIdentifier(name.substr(0, dot)) && IsPlainIdentifier(name.substr(dot + 1));
}

std::string CSqlText::QuoteIdentifier(const CString& name, bool allowQualified, const wchar_t* what)
{
    const std::wstring_view view = ViewOf(name);
    if (!IsValidIdentifier(view, allowQualified))
        ThrowSyntax(Describe(what, view));
    std::string quoted = "\"";
    for (wchar_t c : view)
    {
        if (c == L'.')
            quoted += "\".\"";
        else
            quoted.push_back(static_cast<char>(c));
    }
    quoted.push_back('"');
    return quoted;
}

CString CSqlText::ParseTableReference(const CString& fromText, CString& table, CString& alias)
{
    const std::wstring_view view = ViewOf(fromText);
    const std::size_t blank = view.find(L' ');
    const std::wstring_view tablePart = view.substr(0, blank);
    const std::wstring_view aliasPart = blank == std::wstring_view::npos ? std::wstring_view() : view.substr(blank + 1);
    if (!IsPlainIdentifier(tablePart) || (blank != std::wstring_view::npos && !IsPlainIdentifier(aliasPart)))
        ThrowSyntax(Describe(L"Table reference", view));
    table = CString(tablePart.data(), static_cast<int>(tablePart.size()));
    alias = CString(aliasPart.data(), static_cast<int>(aliasPart.size()));
    return alias.IsEmpty() ? table : alias;
}

std::string CSqlText::CheckRawText(const CString& text, std::size_t parameterCount)
{
    return CheckRaw(ViewOf(text), parameterCount);
}

std::string CSqlText::CheckRawText(std::string_view text, std::size_t parameterCount)
{
    return CheckRaw(text, parameterCount);
}

const char* CSqlText::ComparisonText(int comparison)
{
    static constexpr const char* kOperators[] = {"=", "<>", "<", "<=", ">", ">=", "LIKE"};
    if (comparison < 0 || comparison >= static_cast<int>(std::size(kOperators)))
        ThrowSyntax(L"Unknown comparison operator.");
    return kOperators[comparison];
}

std::string CSqlText::QuoteTableReference(const CString& fromText, CString& name)
{
    CString table;
    CString alias;
    name = ParseTableReference(fromText, table, alias);
    std::string quoted = QuoteIdentifier(table, false, L"Table");
    if (!alias.IsEmpty())
        quoted += " AS " + QuoteIdentifier(alias, false, L"Alias");
    return quoted;
}
