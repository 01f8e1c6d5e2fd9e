#include "framework/CWmipObjectPath.h"

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "framework/wql/WqlExpression.h"
#include "framework/wql/WqlLimits.h"
#include "framework/wql/WqlParser.h"
#include "framework/wql/WqlSqlTranslator.h"
#include "platform/wmi/WbemPathParser.h"

namespace {

bool IsIdentifier(const std::wstring& text)
{
    return !text.empty() && text.find(L'.') == std::wstring::npos &&
           WqlSqlTranslator::IsColumnIdentifier(CString(text));
}

CString QuoteValue(const CString& value)
{
    WqlLiteral literal;
    literal.LiteralKind = WqlLiteral::Kind::String;
    literal.Text = value;
    return literal.ToWqlText();
}

}  // namespace

CWmipObjectPath::CWmipObjectPath(const wchar_t* className) : m_className(className) {}

std::unique_ptr<CWmipObjectPath> CWmipObjectPath::CreateFromPath(const wchar_t* path, CString* error)
{
    std::wstring why = L"no path";
    WbemPathParser::Result read;
    if (path != nullptr && SUCCEEDED(WbemPathParser::Parse(path, &read, &why)))
    {
        auto parsed = std::make_unique<CWmipObjectPath>(read.className.c_str());
        parsed->m_server = read.server.c_str();
        parsed->m_namespace = read.ns.c_str();
        parsed->m_singleton = read.singleton;
        // The provider's names reach its SQL as identifiers, which are narrower than what the
        // grammar lets a name be.
        bool usable = IsIdentifier(read.className);
        for (const WbemPathParser::Key& key : read.keys)
            usable = usable && parsed->AddKey(key.name.c_str(), key.value.c_str());
        if (usable)
            return parsed;
        why = L"class and key names are ASCII letters, digits and _ (not starting with a digit), at most " +
              std::to_wstring(WqlLimits::kMaxIdentifierLength) + L" characters";
    }
    if (error != nullptr)
        *error = why.c_str();
    return nullptr;
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

bool CWmipObjectPath::GetKeyCondition(CString& whereText, std::unique_ptr<WqlExpression>& where) const
{
    // The tree is built as the parser would build it from the text: every keyed get passes here,
    // and writing the text only to parse it back cost more than the rest of the query's life.
    if (!IsIdentifier(m_className.GetWString()) || WqlParser::IsReservedWord(m_className.GetWString()))
        return false;
    CString text;
    std::vector<std::unique_ptr<WqlExpression>> comparisons;
    comparisons.reserve(m_keyNames.size());
    for (std::size_t i = 0; i < m_keyNames.size(); ++i)
    {
        if (WqlParser::IsReservedWord(m_keyNames[i].GetWString()))
            return false;
        text += i == 0 ? L"WHERE " : L" AND ";
        // The value travels as an escaped literal, so quotes or keywords inside it stay data.
        text += m_keyNames[i] + L" = " + QuoteValue(m_keyValues[i]);
        comparisons.push_back(
            WqlExpression::MakeComparison(m_keyNames[i], WqlOpEqual, WqlLiteral::FromString(m_keyValues[i])));
    }
    whereText = text;
    if (comparisons.size() == 1)
        where = std::move(comparisons.front());
    else if (comparisons.size() > 1)
        where = WqlExpression::MakeJunction(WqlExpression::Kind::And, std::move(comparisons));
    else
        where.reset();
    return true;
}
