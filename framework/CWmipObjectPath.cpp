#include "framework/CWmipObjectPath.h"

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "framework/CWmipQuery.h"
#include "framework/wql/WqlExpression.h"
#include "framework/wql/WqlLimits.h"
#include "framework/wql/WqlParser.h"
#include "framework/wql/WqlSqlTranslator.h"

namespace {

bool IsLetter(wchar_t c)
{
    return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z') || c == L'_';
}

bool IsDigit(wchar_t c)
{
    return c >= L'0' && c <= L'9';
}

bool IsNamespaceChar(wchar_t c)
{
    return IsLetter(c) || IsDigit(c) || c == L'\\' || c == L'/';
}

bool IsServerChar(wchar_t c)
{
    return IsLetter(c) || IsDigit(c) || c == L'.' || c == L'-';
}

bool IsIdentifier(const std::wstring& text)
{
    return !text.empty() && text.find(L'.') == std::wstring::npos &&
           WqlSqlTranslator::IsColumnIdentifier(CString(text));
}

bool EqualsNoCase(const std::wstring& left, const wchar_t* right)
{
    return CString(left).CompareNoCase(right) == 0;
}

CString QuoteValue(const CString& value)
{
    WqlLiteral literal;
    literal.LiteralKind = WqlLiteral::Kind::String;
    literal.Text = value;
    return literal.ToWqlText();
}

// Reads one path; all state of the read lives here.
class PathReader
{
public:
    explicit PathReader(std::wstring_view text) : m_text(text) {}

    bool Read(CWmipObjectPath& path, bool& singleton, CString& server, CString& nameSpace)
    {
        if (!ReadPrefix(server, nameSpace))
            return false;
        std::wstring className;
        if (!ReadIdentifier(className))
            return false;
        path.SetClassName(CString(className));
        if (AtEnd())
            return true;
        if (m_text[m_position] == L'=')
        {
            singleton = m_position + 2 == m_text.size() && m_text[m_position + 1] == L'@';
            return singleton;
        }
        if (m_text[m_position] != L'.')
            return false;
        ++m_position;
        for (;;)
        {
            std::wstring name;
            std::wstring value;
            if (!ReadIdentifier(name) || AtEnd() || m_text[m_position] != L'=')
                return false;
            ++m_position;
            if (!ReadValue(value))
                return false;
            if (!path.AddKey(name.c_str(), value.c_str()))
                return false;
            if (AtEnd())
                return true;
            if (m_text[m_position] != L',')
                return false;
            ++m_position;
        }
    }

private:
    bool AtEnd() const { return m_position >= m_text.size(); }

    bool ReadPrefix(CString& server, CString& nameSpace)
    {
        std::size_t i = 0;
        if (m_text.size() >= 2 && (m_text.substr(0, 2) == L"\\\\" || m_text.substr(0, 2) == L"//"))
        {
            i = 2;
            while (i < m_text.size() && IsServerChar(m_text[i]))
                ++i;
            if (i == 2 || i >= m_text.size() || (m_text[i] != L'\\' && m_text[i] != L'/'))
                return false;
            server = CString(std::wstring(m_text.substr(2, i - 2)));
            const std::size_t namespaceStart = ++i;
            while (i < m_text.size() && IsNamespaceChar(m_text[i]))
                ++i;
            if (i == namespaceStart || i >= m_text.size() || m_text[i] != L':')
                return false;
            nameSpace = CString(std::wstring(m_text.substr(namespaceStart, i - namespaceStart)));
            m_position = i + 1;
            return true;
        }
        while (i < m_text.size() && IsNamespaceChar(m_text[i]))
            ++i;
        if (i > 0 && i < m_text.size() && m_text[i] == L':')
        {
            nameSpace = CString(std::wstring(m_text.substr(0, i)));
            m_position = i + 1;
        }
        return true;
    }

    bool ReadIdentifier(std::wstring& name)
    {
        const std::size_t start = m_position;
        if (AtEnd() || !IsLetter(m_text[m_position]))
            return false;
        while (!AtEnd() && (IsLetter(m_text[m_position]) || IsDigit(m_text[m_position])))
            ++m_position;
        if (m_position - start > WqlLimits::kMaxIdentifierLength)
            return false;
        name.assign(m_text.substr(start, m_position - start));
        return true;
    }

    bool ReadValue(std::wstring& value)
    {
        if (AtEnd())
            return false;
        if (m_text[m_position] == L'"')
        {
            for (std::size_t i = m_position + 1; i < m_text.size(); ++i)
            {
                const wchar_t c = m_text[i];
                if (c == L'"')
                {
                    m_position = i + 1;
                    return true;
                }
                if (c == L'\\')
                {
                    if (i + 1 >= m_text.size() || (m_text[i + 1] != L'"' && m_text[i + 1] != L'\\'))
                        return false;
                    ++i;
                    value.push_back(m_text[i]);
                    continue;
                }
                value.push_back(c);
            }
            return false;  // unterminated quote
        }
        const std::size_t start = m_position;
        while (!AtEnd() && m_text[m_position] != L',')
            ++m_position;
        const std::wstring token(m_text.substr(start, m_position - start));
        if (EqualsNoCase(token, L"TRUE") || EqualsNoCase(token, L"FALSE"))
        {
            value = EqualsNoCase(token, L"TRUE") ? L"TRUE" : L"FALSE";
            return true;
        }
        // -digits[.digits]
        std::size_t i = !token.empty() && token[0] == L'-' ? 1 : 0;
        const std::size_t digits = i;
        while (i < token.size() && IsDigit(token[i]))
            ++i;
        if (i == digits)
            return false;
        if (i < token.size() && token[i] == L'.')
        {
            const std::size_t fraction = ++i;
            while (i < token.size() && IsDigit(token[i]))
                ++i;
            if (i == fraction)
                return false;
        }
        if (i != token.size())
            return false;
        value = token;
        return true;
    }

    std::wstring_view m_text;
    std::size_t m_position = 0;
};

}  // namespace

CWmipObjectPath::CWmipObjectPath(const wchar_t* className) : m_className(className) {}

std::unique_ptr<CWmipObjectPath> CWmipObjectPath::CreateFromPath(const wchar_t* path)
{
    if (path == nullptr)
        return nullptr;
    const std::wstring_view text(path);
    if (text.empty() || text.size() > WqlLimits::kMaxPathLength)
        return nullptr;
    auto parsed = std::make_unique<CWmipObjectPath>();
    PathReader reader(text);
    if (!reader.Read(*parsed, parsed->m_singleton, parsed->m_server, parsed->m_namespace))
        return nullptr;
    return parsed;
}

bool CWmipObjectPath::AddKey(const wchar_t* name, const wchar_t* value)
{
    if (name == nullptr || !IsIdentifier(name) || m_keyNames.size() >= WqlLimits::kMaxPathKeys)
        return false;
    for (const CString& existing : m_keyNames)
    {
        if (existing.CompareNoCase(name) == 0)
            return false;
    }
    m_keyNames.emplace_back(name);
    m_keyValues.emplace_back(value);
    return true;
}

bool CWmipObjectPath::AddKey(const wchar_t* name, LONG value)
{
    CString text;
    text.Format(L"%d", value);
    return AddKey(name, text.GetString());
}

bool CWmipObjectPath::GetKeyValue(const wchar_t* name, CString& value) const
{
    for (std::size_t i = 0; i < m_keyNames.size(); ++i)
    {
        if (m_keyNames[i].CompareNoCase(name) == 0)
        {
            value = m_keyValues[i];
            return true;
        }
    }
    return false;
}

void CWmipObjectPath::GetPath(CString& path) const
{
    path = m_className;
    if (m_singleton)
    {
        path += L"=@";
        return;
    }
    for (std::size_t i = 0; i < m_keyNames.size(); ++i)
    {
        path += i == 0 ? L"." : L",";
        path += m_keyNames[i] + L"=" + QuoteValue(m_keyValues[i]);
    }
}

CString CWmipObjectPath::GetPath() const
{
    CString path;
    GetPath(path);
    return path;
}

std::unique_ptr<CWmipQuery> CWmipObjectPath::GetQuery() const
{
    // The query is built as the parser would build "SELECT * FROM class WHERE k = "v" AND ...":
    // every keyed get passes here, and writing the text only to parse it back cost more than
    // the rest of the query's life.
    if (!IsIdentifier(m_className.GetWString()) || WqlParser::IsReservedWord(m_className.GetWString()))
        return nullptr;
    CString whereText;
    std::vector<std::unique_ptr<WqlExpression>> comparisons;
    comparisons.reserve(m_keyNames.size());
    for (std::size_t i = 0; i < m_keyNames.size(); ++i)
    {
        if (WqlParser::IsReservedWord(m_keyNames[i].GetWString()))
            return nullptr;
        whereText += i == 0 ? L"WHERE " : L" AND ";
        // The value travels as an escaped literal, so quotes or keywords inside it stay data.
        whereText += m_keyNames[i] + L" = " + QuoteValue(m_keyValues[i]);
        comparisons.push_back(
            WqlExpression::MakeComparison(m_keyNames[i], WqlOpEqual, WqlLiteral::FromString(m_keyValues[i])));
    }
    std::unique_ptr<WqlExpression> where;
    if (comparisons.size() == 1)
        where = std::move(comparisons.front());
    else if (comparisons.size() > 1)
        where = WqlExpression::MakeJunction(WqlExpression::Kind::And, std::move(comparisons));
    return CWmipQuery::CreateSelectAll(m_className, whereText, std::move(where));
}
