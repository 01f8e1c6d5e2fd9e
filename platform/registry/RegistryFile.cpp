#include "platform/registry/RegistryFile.h"

#include "platform/registry/WideText.h"

#include <algorithm>
#include <charconv>

namespace {

constexpr wchar_t kEscape = L'^';
constexpr wchar_t kSeparator = L'\\';
constexpr std::string_view kDwordTag = "dword:";
constexpr std::string_view kSzTag = "sz:";
constexpr std::string_view kExpandSzTag = "expand_sz:";
constexpr std::size_t kMaxDwordDigits = 8;

// Characters escaped in paths and names; texts escape only the first three.
constexpr std::wstring_view kNameSpecials = L"^\n\r=[];";
constexpr std::wstring_view kTextSpecials = L"^\n\r";

std::wstring Escape(std::wstring_view text, std::wstring_view specials)
{
    std::wstring out;
    out.reserve(text.size());
    for (const wchar_t c : text)
    {
        if (specials.find(c) == std::wstring_view::npos)
        {
            out.push_back(c);
            continue;
        }
        out.push_back(kEscape);
        out.push_back(c == L'\n' ? L'n' : c == L'\r' ? L'r' : c);
    }
    return out;
}

// The text with escapes resolved; nothing for a caret before anything else or at the end.
std::optional<std::wstring> Unescape(std::wstring_view text)
{
    std::wstring out;
    out.reserve(text.size());
    for (std::size_t at = 0; at < text.size(); ++at)
    {
        if (text[at] != kEscape)
        {
            out.push_back(text[at]);
            continue;
        }
        if (++at == text.size())
            return std::nullopt;
        const wchar_t c = text[at];
        if (c == L'n')
            out.push_back(L'\n');
        else if (c == L'r')
            out.push_back(L'\r');
        else if (kNameSpecials.find(c) != std::wstring_view::npos && c != L'\n' && c != L'\r')
            out.push_back(c);
        else
            return std::nullopt;
    }
    return out;
}

// Position of the first "=" that is not escaped, or npos.
std::size_t FindAssignment(std::wstring_view line)
{
    for (std::size_t at = 0; at < line.size(); ++at)
    {
        if (line[at] == kEscape)
            ++at;
        else if (line[at] == L'=')
            return at;
    }
    return std::wstring_view::npos;
}

std::optional<DWORD> ParseDword(std::string_view digits)
{
    DWORD value = 0;
    const char* end = digits.data() + digits.size();
    const auto [stop, error] = std::from_chars(digits.data(), end, value, 16);
    if (digits.empty() || digits.size() > kMaxDwordDigits || error != std::errc() || stop != end)
        return std::nullopt;
    return value;
}

// The value for the text after "="; a malformed value when the tag, number or escape is bad.
RegistryValue ParseValue(std::wstring name, std::wstring_view data)
{
    RegistryValue value;
    value.m_name = std::move(name);
    const std::string raw = WideText::ToUtf8(data);
    const std::string_view text(raw);
    std::optional<std::wstring> unescaped;
    if (text.starts_with(kDwordTag))
    {
        if (const std::optional<DWORD> number = ParseDword(text.substr(kDwordTag.size())))
        {
            value.m_type = REG_DWORD;
            value.m_number = *number;
            return value;
        }
    }
    else if (text.starts_with(kSzTag) && (unescaped = Unescape(data.substr(kSzTag.size()))))
    {
        value.m_type = REG_SZ;
        value.m_text = std::move(*unescaped);
        return value;
    }
    else if (text.starts_with(kExpandSzTag) && (unescaped = Unescape(data.substr(kExpandSzTag.size()))))
    {
        value.m_type = REG_EXPAND_SZ;
        value.m_text = std::move(*unescaped);
        return value;
    }
    value.m_type = REG_NONE;
    value.m_raw = raw;
    return value;
}

std::string SerializeValue(const RegistryValue& value)
{
    std::string line = WideText::ToUtf8(Escape(value.m_name, kNameSpecials)) + "=";
    switch (value.m_type)
    {
    case REG_DWORD: {
        char digits[kMaxDwordDigits + 1] = {};
        const auto [end, error] = std::to_chars(digits, digits + kMaxDwordDigits, value.m_number, 16);
        const std::string hex(digits, end);
        line += std::string(kDwordTag) + std::string(kMaxDwordDigits - hex.size(), '0') + hex;
        break;
    }
    case REG_SZ:
        line += std::string(kSzTag) + WideText::ToUtf8(Escape(value.m_text, kTextSpecials));
        break;
    case REG_EXPAND_SZ:
        line += std::string(kExpandSzTag) + WideText::ToUtf8(Escape(value.m_text, kTextSpecials));
        break;
    default:
        line += value.m_raw;
        break;
    }
    return line + "\n";
}

std::vector<std::wstring_view> SplitPath(std::wstring_view path)
{
    std::vector<std::wstring_view> parts;
    if (path.empty())
        return parts;
    for (;;)
    {
        const std::size_t separator = path.find(kSeparator);
        parts.push_back(path.substr(0, separator));
        if (separator == std::wstring_view::npos)
            return parts;
        path.remove_prefix(separator + 1);
    }
}

// True when the upper-cased path `key` lies below the upper-cased `path` ("" is the root).
bool IsBelow(const std::wstring& key, const std::wstring& path)
{
    return path.empty() ||
           (key.size() > path.size() && key.compare(0, path.size(), path) == 0 && key[path.size()] == kSeparator);
}

// The first descendant of the upper-cased path in map order: descendants sort together right
// after path + separator, whatever other keys share the path's first characters.
template <class Map>
auto FirstBelow(const Map& keys, const std::wstring& path)
{
    return path.empty() ? keys.begin() : keys.lower_bound(path + kSeparator);
}

}  // namespace

const RegistryValue* RegistryKey::FindValue(std::wstring_view name) const
{
    const auto found = std::find_if(m_values.begin(), m_values.end(),
                                    [&](const auto& value) { return WideText::EqualNoCase(value.m_name, name); });
    return found == m_values.end() ? nullptr : &*found;
}

void RegistryKey::SetValue(RegistryValue value)
{
    const auto found = std::find_if(m_values.begin(), m_values.end(), [&](const auto& existing) {
        return WideText::EqualNoCase(existing.m_name, value.m_name);
    });
    if (found == m_values.end())
        m_values.push_back(std::move(value));
    else
        *found = std::move(value);
}

bool RegistryKey::DeleteValue(std::wstring_view name)
{
    const auto found = std::find_if(m_values.begin(), m_values.end(),
                                    [&](const auto& value) { return WideText::EqualNoCase(value.m_name, name); });
    if (found == m_values.end())
        return false;
    m_values.erase(found);
    return true;
}

std::optional<RegistryFile> RegistryFile::Parse(std::string_view utf8)
{
    RegistryFile file;
    RegistryKey* current = nullptr;
    for (const std::wstring& text : WideText::Lines(utf8))
    {
        const std::wstring_view line(text);
        if (line.find_first_not_of(L" \t") == std::wstring_view::npos || line.starts_with(L';'))
            continue;
        if (line.starts_with(L'['))
        {
            if (line.size() < 2 || !line.ends_with(L']'))
                return std::nullopt;
            const std::optional<std::wstring> path = Unescape(line.substr(1, line.size() - 2));
            if (!path || path->empty() || !IsValidPath(*path))
                return std::nullopt;
            current = &file.CreateKey(*path);
            continue;
        }
        const std::size_t assignment = FindAssignment(line);
        if (current == nullptr || assignment == std::wstring_view::npos)
            return std::nullopt;
        std::optional<std::wstring> name = Unescape(line.substr(0, assignment));
        if (!name || name->size() > kMaxValueNameChars)
            return std::nullopt;
        current->SetValue(ParseValue(std::move(*name), line.substr(assignment + 1)));
    }
    return file;
}

std::string RegistryFile::Serialize() const
{
    std::string text;
    for (const auto& [upper, key] : m_keys)
    {
        if (!text.empty())
            text += "\n";
        text += "[" + WideText::ToUtf8(Escape(key.m_path, kNameSpecials)) + "]\n";
        for (const RegistryValue& value : key.m_values)
            text += SerializeValue(value);
    }
    return text;
}

bool RegistryFile::IsValidPath(std::wstring_view path)
{
    const std::vector<std::wstring_view> parts = SplitPath(path);
    return std::all_of(parts.begin(), parts.end(),
                       [](std::wstring_view part) { return !part.empty() && part.size() <= kMaxNameChars; });
}

bool RegistryFile::KeyExists(std::wstring_view path) const
{
    if (path.empty())
        return true;
    const std::wstring upper = WideText::Upper(path);
    if (m_keys.contains(upper))
        return true;
    const auto below = FirstBelow(m_keys, upper);
    return below != m_keys.end() && IsBelow(below->first, upper);
}

const RegistryKey* RegistryFile::FindKey(std::wstring_view path) const
{
    const auto found = m_keys.find(WideText::Upper(path));
    return found == m_keys.end() ? nullptr : &found->second;
}

RegistryKey& RegistryFile::CreateKey(std::wstring_view path)
{
    const std::wstring upper = WideText::Upper(path);
    if (const auto found = m_keys.find(upper); found != m_keys.end())
        return found->second;
    // Existing parents keep the case they were written with.
    const auto& keys = m_keys;
    std::wstring display;
    std::wstring prefix;
    std::size_t depth = 0;
    for (const std::wstring_view part : SplitPath(path))
    {
        prefix += (prefix.empty() ? L"" : L"\\") + WideText::Upper(part);
        std::wstring component(part);
        auto existing = keys.find(prefix);
        if (existing == keys.end())
        {
            existing = FirstBelow(keys, prefix);
            if (existing != keys.end() && !IsBelow(existing->first, prefix))
                existing = keys.end();
        }
        if (existing != keys.end())
            component = SplitPath(existing->second.m_path)[depth];
        display += (display.empty() ? L"" : L"\\") + component;
        ++depth;
    }
    RegistryKey& key = m_keys[upper];
    key.m_path = std::move(display);
    return key;
}

std::vector<std::wstring> RegistryFile::SubKeyNames(std::wstring_view path) const
{
    const std::wstring upper = WideText::Upper(path);
    const std::size_t depth = path.empty() ? 0 : SplitPath(path).size();
    std::map<std::wstring, std::wstring> names;
    for (auto key = FirstBelow(m_keys, upper); key != m_keys.end() && IsBelow(key->first, upper); ++key)
    {
        const std::wstring_view child = SplitPath(key->second.m_path)[depth];
        names.emplace(WideText::Upper(child), std::wstring(child));
    }
    std::vector<std::wstring> result;
    result.reserve(names.size());
    for (auto& [upperName, name] : names)
        result.push_back(std::move(name));
    return result;
}
