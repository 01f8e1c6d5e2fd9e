#include "platform/wmi/WbemPathParser.h"

#include "platform/com/WbemConstants.h"
#include "platform/wmi/WbemName.h"

#include <algorithm>
#include <cwctype>
#include <vector>

namespace {
bool IsSeparator(wchar_t c)
{
    return c == L'\\' || c == L'/';
}

bool IsWordChar(wchar_t c)
{
    return c == L'_' || std::iswalnum(static_cast<std::wint_t>(c)) != 0;
}

// An unquoted key value: a number, TRUE/FALSE or another bare word.
bool IsBareValueChar(wchar_t c)
{
    return IsWordChar(c) || c == L'-' || c == L'+' || c == L'.';
}

// One pass over the text; every read checks the position against the end.
class PathReader
{
public:
    explicit PathReader(std::wstring_view text) : m_text(text) {}

    bool Read(WbemPathParser::Result& result)
    {
        if (!ReadPrefix(result))
            return false;
        if (!ReadName(result.className))
            return false;
        if (AtEnd())
            return true;
        result.instance = true;
        if (m_text[m_position] == L'=')
        {
            ++m_position;
            if (!AtEnd() && m_text[m_position] == L'@')
            {
                ++m_position;
                return AtEnd();
            }
            return ReadValue() && AtEnd();
        }
        if (m_text[m_position] != L'.')
            return false;
        ++m_position;
        std::vector<std::wstring> keys;
        for (;;)
        {
            std::wstring key;
            if (!ReadName(key))
                return false;
            const bool repeated = std::any_of(keys.begin(), keys.end(),
                                              [&key](const std::wstring& seen) { return WbemName::Equal(seen, key); });
            if (repeated || keys.size() == WbemPathParser::kMaxKeys)
                return false;
            keys.push_back(std::move(key));
            if (AtEnd() || m_text[m_position] != L'=')
                return false;
            ++m_position;
            if (!ReadValue())
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

    // \\server\ns\...: or //server/ns/...: or ns\...: ahead of the class name.
    bool ReadPrefix(WbemPathParser::Result& result)
    {
        if (m_text.size() >= 2 && IsSeparator(m_text[0]) && IsSeparator(m_text[1]))
        {
            std::size_t end = 2;
            while (end < m_text.size() && !IsSeparator(m_text[end]) && m_text[end] != L':')
                ++end;
            if (end == 2 || end >= m_text.size() || !IsSeparator(m_text[end]))
                return false;
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
        if (colon == std::wstring_view::npos || colon == m_position)
            return false;
        std::wstring ns;
        std::size_t segmentStart = m_position;
        for (std::size_t i = m_position; i <= colon; ++i)
        {
            if (i < colon && !IsSeparator(m_text[i]))
                continue;
            const std::wstring_view segment = m_text.substr(segmentStart, i - segmentStart);
            if (!WbemName::IsValidIdentifier(segment))
                return false;
            if (!ns.empty())
                ns += L'\\';
            ns.append(segment);
            segmentStart = i + 1;
        }
        result.ns = std::move(ns);
        m_position = colon + 1;
        return true;
    }

    bool ReadName(std::wstring& name)
    {
        const std::size_t start = m_position;
        while (!AtEnd() && IsWordChar(m_text[m_position]))
            ++m_position;
        name.assign(m_text.substr(start, m_position - start));
        return WbemName::IsValidIdentifier(name);
    }

    bool ReadValue()
    {
        if (AtEnd())
            return false;
        if (m_text[m_position] == L'"')
        {
            ++m_position;
            while (!AtEnd())
            {
                const wchar_t c = m_text[m_position++];
                if (c == L'"')
                    return true;
                if (c == L'\\')
                {
                    if (AtEnd())
                        return false;
                    ++m_position;
                }
            }
            return false;
        }
        const std::size_t start = m_position;
        while (!AtEnd() && IsBareValueChar(m_text[m_position]))
            ++m_position;
        return m_position > start;
    }

    std::wstring_view m_text;
    std::size_t m_position = 0;
};
}  // namespace

HRESULT WbemPathParser::Parse(std::wstring_view path, Result* result)
{
    if (result == nullptr)
        return WBEM_E_INVALID_PARAMETER;
    if (path.empty() || path.size() > kMaxPathLength)
        return WBEM_E_INVALID_OBJECT_PATH;
    Result parsed;
    PathReader reader(path);
    if (!reader.Read(parsed))
        return WBEM_E_INVALID_OBJECT_PATH;
    *result = std::move(parsed);
    return WBEM_S_NO_ERROR;
}
