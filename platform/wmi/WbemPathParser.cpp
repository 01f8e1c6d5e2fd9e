#include "platform/wmi/WbemPathParser.h"

#include "platform/com/WbemConstants.h"
#include "platform/wmi/WbemName.h"

#include <algorithm>
#include <cwctype>

namespace {
bool IsSeparator(wchar_t c)
{
    return c == L'\\' || c == L'/';
}

bool IsWordChar(wchar_t c)
{
    return c == L'_' || std::iswalnum(static_cast<std::wint_t>(c)) != 0;
}

bool IsDigit(wchar_t c)
{
    return c >= L'0' && c <= L'9';
}

// One pass over the text; every read checks the position against the end. The first failure
// is kept with its offset.
class PathReader
{
public:
    explicit PathReader(std::wstring_view text) : m_text(text) {}

    bool Read(WbemPathParser::Result& result)
    {
        if (!ReadPrefix(result) || !ReadName(result.className, L"class name expected"))
            return false;
        if (AtEnd())
            return true;
        result.instance = true;
        if (Peek() == L'=')
        {
            ++m_position;
            if (AtEnd() || Peek() != L'@')
                return Fail(L"@ expected (the keys of an instance follow a dot)");
            ++m_position;
            result.singleton = true;
            return AtEnd() || Fail(L"end of path expected after =@");
        }
        if (Peek() != L'.')
            return Fail(L". or =@ expected after the class name");
        ++m_position;
        for (;;)
        {
            const std::size_t keyStart = m_position;
            WbemPathParser::Key key;
            if (!ReadName(key.name, L"key name expected"))
                return false;
            const bool repeated = std::any_of(result.keys.begin(), result.keys.end(), [&key](const auto& seen) {
                return WbemName::Equal(seen.name, key.name);
            });
            if (repeated)
                return Fail(L"key " + key.name + L" repeated", keyStart);
            if (result.keys.size() == WbemPathParser::kMaxKeys)
                return Fail(L"more than " + std::to_wstring(WbemPathParser::kMaxKeys) + L" keys", keyStart);
            if (AtEnd() || Peek() != L'=')
                return Fail(L"= expected after key " + key.name);
            ++m_position;
            if (!ReadValue(key.value))
                return false;
            result.keys.push_back(std::move(key));
            if (AtEnd())
                return true;
            if (Peek() != L',')
                return Fail(L", or end of path expected after the value of key " + result.keys.back().name);
            ++m_position;
        }
    }

    const std::wstring& Error() const { return m_error; }

private:
    bool AtEnd() const { return m_position >= m_text.size(); }
    wchar_t Peek() const { return m_text[m_position]; }

    bool Fail(const std::wstring& reason) { return Fail(reason, m_position); }
    bool Fail(const std::wstring& reason, std::size_t offset)
    {
        if (m_error.empty())
            m_error = reason + L" at offset " + std::to_wstring(offset);
        return false;
    }

    // \\server\ns\...: or //server/ns/...: or ns\...: ahead of the class name.
    bool ReadPrefix(WbemPathParser::Result& result)
    {
        if (m_text.size() >= 2 && IsSeparator(m_text[0]) && IsSeparator(m_text[1]))
        {
            std::size_t end = 2;
            while (end < m_text.size() && !IsSeparator(m_text[end]) && m_text[end] != L':')
                ++end;
            if (end == 2)
                return Fail(L"server name expected", 2);
            if (end >= m_text.size() || !IsSeparator(m_text[end]))
                return Fail(L"namespace expected after the server name", end);
            result.server.assign(m_text.substr(2, end - 2));
            m_position = end + 1;
            return ReadNamespace(result);
        }
        // A colon ahead of the first character that can only follow a class name marks a
        // namespace prefix.
        const std::size_t colon = m_text.find(L':');
        const std::size_t body = m_text.find_first_of(L".=\"");
        if (colon == std::wstring_view::npos || (body != std::wstring_view::npos && body < colon))
            return true;
        return ReadNamespace(result);
    }

    bool ReadNamespace(WbemPathParser::Result& result)
    {
        const std::size_t colon = m_text.find(L':', m_position);
        if (colon == std::wstring_view::npos)
            return Fail(L": expected after the namespace", m_text.size());
        std::wstring ns;
        std::size_t segmentStart = m_position;
        for (std::size_t i = m_position; i <= colon; ++i)
        {
            if (i < colon && !IsSeparator(m_text[i]))
                continue;
            const std::wstring_view segment = m_text.substr(segmentStart, i - segmentStart);
            if (!WbemName::IsValidIdentifier(segment))
                return Fail(L"namespace name expected", segmentStart);
            if (!ns.empty())
                ns += L'\\';
            ns.append(segment);
            segmentStart = i + 1;
        }
        result.ns = std::move(ns);
        m_position = colon + 1;
        return true;
    }

    bool ReadName(std::wstring& name, const wchar_t* expected)
    {
        const std::size_t start = m_position;
        while (!AtEnd() && IsWordChar(Peek()))
            ++m_position;
        name.assign(m_text.substr(start, m_position - start));
        return WbemName::IsValidIdentifier(name) || Fail(expected, start);
    }

    bool ReadValue(std::wstring& value)
    {
        const std::size_t start = m_position;
        if (!AtEnd() && Peek() == L'"')
        {
            ++m_position;
            while (!AtEnd())
            {
                const wchar_t c = m_text[m_position++];
                if (c == L'"')
                    return true;
                if (c == L'\\')
                {
                    if (AtEnd() || (Peek() != L'"' && Peek() != L'\\'))
                        return Fail(L"\\\" or \\\\ expected after a backslash (the only escapes)", m_position - 1);
                    value.push_back(m_text[m_position++]);
                    continue;
                }
                value.push_back(c);
            }
            return Fail(L"unterminated quoted value", start);
        }
        while (!AtEnd() && Peek() != L',')
            ++m_position;
        const std::wstring_view token = m_text.substr(start, m_position - start);
        if (WbemName::Equal(token, L"TRUE") || WbemName::Equal(token, L"FALSE"))
        {
            value = WbemName::Equal(token, L"TRUE") ? L"TRUE" : L"FALSE";
            return true;
        }
        // -digits[.digits]
        std::size_t i = !token.empty() && token[0] == L'-' ? 1 : 0;
        const std::size_t digits = i;
        while (i < token.size() && IsDigit(token[i]))
            ++i;
        bool number = i > digits;
        if (number && i < token.size() && token[i] == L'.')
        {
            const std::size_t fraction = ++i;
            while (i < token.size() && IsDigit(token[i]))
                ++i;
            number = i > fraction;
        }
        if (!number || i != token.size())
            return Fail(L"value expected (a quoted text, a number, TRUE or FALSE)", start);
        value.assign(token);
        return true;
    }

    std::wstring_view m_text;
    std::size_t m_position = 0;
    std::wstring m_error;
};
}  // namespace

HRESULT WbemPathParser::Parse(std::wstring_view path, Result* result, std::wstring* error)
{
    if (result == nullptr)
        return WBEM_E_INVALID_PARAMETER;
    std::wstring why;
    Result parsed;
    PathReader reader(path);
    if (path.empty())
        why = L"the path is empty";
    else if (path.size() > kMaxPathLength)
        why = L"the path is longer than " + std::to_wstring(kMaxPathLength) + L" characters";
    else if (reader.Read(parsed))
    {
        *result = std::move(parsed);
        return WBEM_S_NO_ERROR;
    }
    else
        why = reader.Error();
    if (error != nullptr)
        *error = std::move(why);
    return WBEM_E_INVALID_OBJECT_PATH;
}
