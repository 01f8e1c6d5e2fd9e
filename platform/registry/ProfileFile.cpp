#include "platform/registry/ProfileFile.h"

#include "platform/registry/ProvixaHome.h"
#include "platform/registry/TextFile.h"
#include "platform/registry/WideText.h"
#include "platform/win32/SystemInfo.h"

#include <algorithm>
#include <charconv>
#include <mutex>

namespace {

constexpr std::wstring_view kBlanks = L" \t";

std::wstring_view Trim(std::wstring_view text)
{
    const std::size_t first = text.find_first_not_of(kBlanks);
    if (first == std::wstring_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

// The section name of a "[name]" line (text after "]" ignored), or nothing.
std::optional<std::wstring_view> SectionOf(std::wstring_view line)
{
    line = Trim(line);
    if (!line.starts_with(L'['))
        return std::nullopt;
    const std::size_t close = line.find(L']');
    if (close == std::wstring_view::npos)
        return std::nullopt;
    return Trim(line.substr(1, close - 1));
}

// The key and raw value of a "key=value" line, or nothing for any other line.
std::optional<std::pair<std::wstring_view, std::wstring_view>> EntryOf(std::wstring_view line)
{
    const std::wstring_view trimmed = Trim(line);
    if (trimmed.empty() || trimmed.starts_with(L';') || trimmed.starts_with(L'['))
        return std::nullopt;
    const std::size_t assignment = trimmed.find(L'=');
    if (assignment == std::wstring_view::npos)
        return std::nullopt;
    return std::make_pair(Trim(trimmed.substr(0, assignment)), Trim(trimmed.substr(assignment + 1)));
}

std::wstring_view Unquote(std::wstring_view value)
{
    if (value.size() >= 2 && (value.front() == L'"' || value.front() == L'\'') && value.back() == value.front())
        return value.substr(1, value.size() - 2);
    return value;
}

void AddOnce(std::vector<std::wstring>& names, std::wstring_view name)
{
    const bool seen = std::any_of(names.begin(), names.end(),
                                  [&](const std::wstring& existing) { return WideText::EqualNoCase(existing, name); });
    if (!seen)
        names.emplace_back(name);
}

std::filesystem::path PathOf(LPCWSTR fileName)
{
    return ProvixaHome::PathOf(fileName);
}

// Serialises read-modify-write of profile files in this process.
std::mutex& WriteLock()
{
    static std::mutex lock;
    return lock;
}

// Copies a single text with the value truncation rule.
DWORD CopyText(std::wstring_view text, LPWSTR buffer, DWORD size)
{
    const std::size_t count = std::min<std::size_t>(text.size(), size - 1);
    text.copy(buffer, count);
    buffer[count] = L'\0';
    return static_cast<DWORD>(count);
}

// Copies a list of names, each terminated, with a second terminator at the end.
DWORD CopyList(const std::vector<std::wstring>& names, LPWSTR buffer, DWORD size)
{
    if (size < 2)
    {
        buffer[0] = L'\0';
        return 0;
    }
    std::wstring joined;
    for (const std::wstring& name : names)
    {
        joined += name;
        joined.push_back(L'\0');
    }
    if (joined.empty())
    {
        // An empty list still ends in two terminators, so a reader of the list stops at once.
        buffer[0] = L'\0';
        buffer[1] = L'\0';
        return 0;
    }
    if (joined.size() + 1 <= size)
    {
        joined.copy(buffer, joined.size());
        buffer[joined.size()] = L'\0';
        return static_cast<DWORD>(joined.size());
    }
    joined.copy(buffer, size - 2);
    buffer[size - 2] = L'\0';
    buffer[size - 1] = L'\0';
    return size - 2;
}

bool HasLineBreak(std::wstring_view text)
{
    return text.find_first_of(L"\r\n") != std::wstring_view::npos;
}

}  // namespace

DWORD ProfileFile::Load(const std::filesystem::path& path, ProfileFile& file)
{
    file.m_lines.clear();
    std::string content;
    const DWORD error = TextFile::Read(path, content);
    if (error != ERROR_SUCCESS)
        return error;
    file.m_lines = WideText::Lines(content);
    return ERROR_SUCCESS;
}

DWORD ProfileFile::Save(const std::filesystem::path& path) const
{
    std::wstring text;
    for (const std::wstring& line : m_lines)
    {
        text += line;
        text.push_back(L'\n');
    }
    return TextFile::WriteAtomically(path, WideText::ToUtf8(text));
}

std::optional<std::pair<std::size_t, std::size_t>> ProfileFile::FindSection(std::wstring_view section) const
{
    const std::wstring_view wanted = Trim(section);
    for (std::size_t first = 0; first < m_lines.size(); ++first)
    {
        const std::optional<std::wstring_view> name = SectionOf(m_lines[first]);
        if (!name || !WideText::EqualNoCase(*name, wanted))
            continue;
        std::size_t end = first + 1;
        while (end < m_lines.size() && !SectionOf(m_lines[end]))
            ++end;
        return std::make_pair(first, end);
    }
    return std::nullopt;
}

std::optional<std::wstring> ProfileFile::Value(std::wstring_view section, std::wstring_view key) const
{
    const auto range = FindSection(section);
    if (!range)
        return std::nullopt;
    const std::wstring_view wanted = Trim(key);
    for (std::size_t index = range->first + 1; index < range->second; ++index)
    {
        const auto entry = EntryOf(m_lines[index]);
        if (entry && WideText::EqualNoCase(entry->first, wanted))
            return std::wstring(Unquote(entry->second));
    }
    return std::nullopt;
}

std::vector<std::wstring> ProfileFile::SectionNames() const
{
    std::vector<std::wstring> names;
    for (const std::wstring& line : m_lines)
    {
        if (const std::optional<std::wstring_view> name = SectionOf(line))
            AddOnce(names, *name);
    }
    return names;
}

std::vector<std::wstring> ProfileFile::KeyNames(std::wstring_view section) const
{
    std::vector<std::wstring> names;
    const auto range = FindSection(section);
    if (!range)
        return names;
    for (std::size_t index = range->first + 1; index < range->second; ++index)
    {
        if (const auto entry = EntryOf(m_lines[index]))
            AddOnce(names, entry->first);
    }
    return names;
}

bool ProfileFile::SetValue(std::wstring_view section, std::wstring_view key, std::wstring_view value)
{
    std::wstring line = std::wstring(Trim(key)) + L"=" + std::wstring(value);
    const auto range = FindSection(section);
    if (!range)
    {
        if (!m_lines.empty() && !Trim(m_lines.back()).empty())
            m_lines.emplace_back();
        m_lines.push_back(L"[" + std::wstring(Trim(section)) + L"]");
        m_lines.push_back(std::move(line));
        return true;
    }
    std::size_t insertAt = range->first + 1;
    for (std::size_t index = range->first + 1; index < range->second; ++index)
    {
        const auto entry = EntryOf(m_lines[index]);
        if (entry && WideText::EqualNoCase(entry->first, Trim(key)))
        {
            if (m_lines[index] == line)
                return false;
            m_lines[index] = std::move(line);
            return true;
        }
        // New entries go after the section's last non-blank line, before the blank lines
        // that separate it from the next section.
        if (!Trim(m_lines[index]).empty())
            insertAt = index + 1;
    }
    m_lines.insert(m_lines.begin() + static_cast<std::ptrdiff_t>(insertAt), std::move(line));
    return true;
}

bool ProfileFile::DeleteKey(std::wstring_view section, std::wstring_view key)
{
    const auto range = FindSection(section);
    if (!range)
        return false;
    const auto first = m_lines.begin() + static_cast<std::ptrdiff_t>(range->first + 1);
    const auto end = m_lines.begin() + static_cast<std::ptrdiff_t>(range->second);
    const auto kept = std::remove_if(first, end, [&](const std::wstring& line) {
        const auto entry = EntryOf(line);
        return entry && WideText::EqualNoCase(entry->first, Trim(key));
    });
    if (kept == end)
        return false;
    m_lines.erase(kept, end);
    return true;
}

bool ProfileFile::DeleteSection(std::wstring_view section)
{
    const auto range = FindSection(section);
    if (!range)
        return false;
    m_lines.erase(m_lines.begin() + static_cast<std::ptrdiff_t>(range->first),
                  m_lines.begin() + static_cast<std::ptrdiff_t>(range->second));
    return true;
}

UINT GetPrivateProfileIntW(LPCWSTR section, LPCWSTR key, INT defaultValue, LPCWSTR fileName)
{
    const auto fallback = static_cast<UINT>(defaultValue);
    if (section == nullptr || key == nullptr || fileName == nullptr)
        return fallback;
    ProfileFile file;
    if (ProfileFile::Load(PathOf(fileName), file) != ERROR_SUCCESS)
        return fallback;
    const std::optional<std::wstring> value = file.Value(section, key);
    if (!value)
        return fallback;
    const std::string digits = WideText::ToUtf8(Trim(*value));
    INT number = 0;
    const char* end = digits.data() + digits.size();
    const auto [stop, error] = std::from_chars(digits.data(), end, number);
    if (digits.empty() || error != std::errc() || stop != end)
        return fallback;
    return static_cast<UINT>(number);
}

DWORD GetPrivateProfileStringW(LPCWSTR section, LPCWSTR key, LPCWSTR defaultValue, LPWSTR buffer, DWORD size,
                               LPCWSTR fileName)
{
    if (buffer == nullptr || size == 0)
        return 0;
    ProfileFile file;
    if (fileName == nullptr)
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return CopyText(L"", buffer, size);
    }
    const DWORD error = ProfileFile::Load(PathOf(fileName), file);
    if (error != ERROR_SUCCESS)
        SetLastError(error);
    if (section == nullptr)
        return CopyList(file.SectionNames(), buffer, size);
    if (key == nullptr)
        return CopyList(file.KeyNames(section), buffer, size);
    if (const std::optional<std::wstring> value = file.Value(section, key))
        return CopyText(*value, buffer, size);
    std::wstring_view fallback = defaultValue == nullptr ? L"" : defaultValue;
    fallback = fallback.substr(0, fallback.find_last_not_of(L' ') + 1);
    return CopyText(fallback, buffer, size);
}

BOOL WritePrivateProfileStringW(LPCWSTR section, LPCWSTR key, LPCWSTR value, LPCWSTR fileName)
{
    const auto invalid = [] {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    };
    if (section == nullptr || fileName == nullptr)
        return invalid();
    const std::wstring_view sectionName = Trim(section);
    if (sectionName.empty() || HasLineBreak(sectionName) || sectionName.find(L']') != std::wstring_view::npos)
        return invalid();
    if (key != nullptr)
    {
        const std::wstring_view keyName = Trim(key);
        if (keyName.empty() || HasLineBreak(keyName) || keyName.find(L'=') != std::wstring_view::npos ||
            keyName.starts_with(L'[') || keyName.starts_with(L';'))
            return invalid();
    }
    if (value != nullptr && HasLineBreak(value))
        return invalid();

    const std::filesystem::path path = PathOf(fileName);
    std::lock_guard<std::mutex> guard(WriteLock());
    ProfileFile file;
    const DWORD loaded = ProfileFile::Load(path, file);
    if (loaded != ERROR_SUCCESS && loaded != ERROR_FILE_NOT_FOUND)
    {
        SetLastError(loaded);
        return FALSE;
    }
    const bool changed = key == nullptr     ? file.DeleteSection(section)
                         : value == nullptr ? file.DeleteKey(section, key)
                                            : file.SetValue(section, key, value);
    if (!changed)
        return TRUE;
    const DWORD saved = file.Save(path);
    if (saved != ERROR_SUCCESS)
    {
        SetLastError(saved);
        return FALSE;
    }
    return TRUE;
}
