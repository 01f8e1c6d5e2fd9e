#include "platform/registry/Registry.h"

#include "platform/win32/ThreadSafety.h"
#include "platform/registry/RegistryStore.h"

#include <cstring>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>

namespace {

constexpr REGSAM kViewFlags = KEY_WOW64_32KEY | KEY_WOW64_64KEY;

// One open key: its path below HKEY_LOCAL_MACHINE and the access it was opened with.
struct OpenKey
{
    std::wstring m_path;
    REGSAM m_access = 0;
};

// The registry's handles. Handle numbers count up from a base far from the predefined keys
// and are never reused, so a stale handle stays invalid.
class KeyTable
{
public:
    static KeyTable& Instance();

    HKEY Insert(OpenKey key)
    {
        CheckedMutexLock guard(m_lock);
        const std::uintptr_t value = m_next;
        m_next += 4;
        m_keys.emplace(value, std::move(key));
        return reinterpret_cast<HKEY>(value);
    }

    std::optional<OpenKey> Find(HKEY key)
    {
        if (key == HKEY_LOCAL_MACHINE)
            return OpenKey{L"", KEY_ALL_ACCESS};
        CheckedMutexLock guard(m_lock);
        const auto found = m_keys.find(reinterpret_cast<std::uintptr_t>(key));
        if (found == m_keys.end())
            return std::nullopt;
        return found->second;
    }

    bool Close(HKEY key)
    {
        if (key == HKEY_LOCAL_MACHINE)
            return true;
        CheckedMutexLock guard(m_lock);
        return m_keys.erase(reinterpret_cast<std::uintptr_t>(key)) == 1;
    }

private:
    CheckedMutex m_lock;
    std::unordered_map<std::uintptr_t, OpenKey> m_keys GUARDED_BY(m_lock);
    std::uintptr_t m_next GUARDED_BY(m_lock) = 0x20000;
};

// Kept alive past static destruction, like the store the handles refer to.
union ImmortalKeyTable
{
    KeyTable m_table;
    ImmortalKeyTable() : m_table() {}
    ~ImmortalKeyTable() {}
};

KeyTable& KeyTable::Instance()
{
    static ImmortalKeyTable table;
    return table.m_table;
}

// The path of `subKey` below `parent`; nothing when it is not a valid path.
std::optional<std::wstring> JoinPath(const std::wstring& parent, LPCWSTR subKey)
{
    const std::wstring_view sub = subKey == nullptr ? std::wstring_view() : std::wstring_view(subKey);
    std::wstring path = parent;
    if (!sub.empty())
        path += (path.empty() ? L"" : L"\\") + std::wstring(sub);
    if ((!sub.empty() && !RegistryFile::IsValidPath(sub)) || !RegistryFile::IsValidPath(path))
        return std::nullopt;
    return path;
}

std::wstring_view NameOf(LPCWSTR name)
{
    return name == nullptr ? std::wstring_view() : std::wstring_view(name);
}

// The value's bytes as the Windows functions hand them out.
std::basic_string<BYTE> BytesOf(const RegistryValue& value)
{
    if (value.m_type == REG_DWORD)
    {
        std::basic_string<BYTE> bytes(sizeof(DWORD), 0);
        std::memcpy(bytes.data(), &value.m_number, sizeof(DWORD));
        return bytes;
    }
    std::basic_string<BYTE> bytes((value.m_text.size() + 1) * sizeof(wchar_t), 0);
    std::memcpy(bytes.data(), value.m_text.c_str(), bytes.size());
    return bytes;
}

// The common answer of RegQueryValueExW and RegEnumValueW for one value.
LSTATUS AnswerValue(const RegistryValue& value, LPDWORD type, LPBYTE data, LPDWORD size)
{
    if (value.m_type == REG_NONE)
        return static_cast<LSTATUS>(ERROR_INVALID_DATA);
    if (type != nullptr)
        *type = value.m_type;
    if (data != nullptr && size == nullptr)
        return static_cast<LSTATUS>(ERROR_INVALID_PARAMETER);
    const std::basic_string<BYTE> bytes = BytesOf(value);
    if (size == nullptr)
        return static_cast<LSTATUS>(ERROR_SUCCESS);
    const DWORD room = *size;
    *size = static_cast<DWORD>(bytes.size());
    if (data == nullptr)
        return static_cast<LSTATUS>(ERROR_SUCCESS);
    if (room < bytes.size())
        return static_cast<LSTATUS>(ERROR_MORE_DATA);
    std::memcpy(data, bytes.data(), bytes.size());
    return static_cast<LSTATUS>(ERROR_SUCCESS);
}

// Copies a name into a caller's buffer with the enumeration functions' size protocol.
LSTATUS AnswerName(const std::wstring& text, LPWSTR name, LPDWORD nameChars)
{
    if (name == nullptr || nameChars == nullptr)
        return static_cast<LSTATUS>(ERROR_INVALID_PARAMETER);
    if (*nameChars < text.size() + 1)
    {
        *nameChars = static_cast<DWORD>(text.size() + 1);
        return static_cast<LSTATUS>(ERROR_MORE_DATA);
    }
    text.copy(name, text.size());
    name[text.size()] = L'\0';
    *nameChars = static_cast<DWORD>(text.size());
    return static_cast<LSTATUS>(ERROR_SUCCESS);
}

// Runs `read` on the open key's section (null when it has none but exists through a
// descendant). ERROR_INVALID_HANDLE, ERROR_ACCESS_DENIED without `needed` access,
// ERROR_KEY_DELETED when the key is gone from the file.
template <class Read>
LSTATUS ReadKey(HKEY key, REGSAM needed, Read read)
{
    const std::optional<OpenKey> open = KeyTable::Instance().Find(key);
    if (!open)
        return static_cast<LSTATUS>(ERROR_INVALID_HANDLE);
    if ((open->m_access & needed) != needed)
        return static_cast<LSTATUS>(ERROR_ACCESS_DENIED);
    return static_cast<LSTATUS>(RegistryStore::Instance().Read([&](const RegistryFile& file) {
        if (!file.KeyExists(open->m_path))
            return ERROR_KEY_DELETED;
        return static_cast<DWORD>(read(file, open->m_path));
    }));
}

// Runs `change` on the open key's section, made when it exists only through a descendant.
// Failures as ReadKey, plus the store's write failures; HKEY_LOCAL_MACHINE itself holds no
// values (ERROR_ACCESS_DENIED).
template <class Change>
LSTATUS ChangeKey(HKEY key, Change change)
{
    const std::optional<OpenKey> open = KeyTable::Instance().Find(key);
    if (!open)
        return static_cast<LSTATUS>(ERROR_INVALID_HANDLE);
    if ((open->m_access & KEY_SET_VALUE) == 0 || open->m_path.empty())
        return static_cast<LSTATUS>(ERROR_ACCESS_DENIED);
    return static_cast<LSTATUS>(RegistryStore::Instance().Write([&](RegistryFile& file) {
        if (!file.KeyExists(open->m_path))
            return ERROR_KEY_DELETED;
        return change(file.CreateKey(open->m_path));
    }));
}

// The stored form of the caller's bytes; nothing (with the error) when they cannot be stored.
std::optional<RegistryValue> ValueFromBytes(LPCWSTR name, DWORD type, const BYTE* data, DWORD size, DWORD& error)
{
    RegistryValue value;
    value.m_name = NameOf(name);
    value.m_type = type;
    error = ERROR_INVALID_PARAMETER;
    if (value.m_name.size() > RegistryFile::kMaxValueNameChars || (data == nullptr && size != 0))
        return std::nullopt;
    if (type == REG_DWORD)
    {
        if (size != sizeof(DWORD))
            return std::nullopt;
        std::memcpy(&value.m_number, data, sizeof(DWORD));
        return value;
    }
    if (type != REG_SZ && type != REG_EXPAND_SZ)
    {
        error = ERROR_NOT_SUPPORTED;
        return std::nullopt;
    }
    if (size % sizeof(wchar_t) != 0)
        return std::nullopt;
    std::wstring text(size / sizeof(wchar_t), L'\0');
    if (size != 0)
        std::memcpy(text.data(), data, size);
    // Windows keeps whatever follows a terminator; a text value ends at its first one here.
    text.resize(std::wcslen(text.c_str()));
    value.m_text = std::move(text);
    return value;
}

}  // namespace

LSTATUS RegOpenKeyExW(HKEY key, LPCWSTR subKey, DWORD, REGSAM access, PHKEY result)
{
    if (result == nullptr)
        return static_cast<LSTATUS>(ERROR_INVALID_PARAMETER);
    *result = nullptr;
    const std::optional<OpenKey> parent = KeyTable::Instance().Find(key);
    if (!parent)
        return static_cast<LSTATUS>(ERROR_INVALID_HANDLE);
    const std::optional<std::wstring> path = JoinPath(parent->m_path, subKey);
    if (!path)
        return static_cast<LSTATUS>(ERROR_INVALID_PARAMETER);
    const DWORD error = RegistryStore::Instance().Read(
        [&](const RegistryFile& file) { return file.KeyExists(*path) ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND; });
    if (error != ERROR_SUCCESS)
        return static_cast<LSTATUS>(error);
    *result = KeyTable::Instance().Insert(OpenKey{*path, access & ~kViewFlags});
    return static_cast<LSTATUS>(ERROR_SUCCESS);
}

LSTATUS RegCreateKeyExW(HKEY key, LPCWSTR subKey, DWORD, LPWSTR, DWORD options, REGSAM access, LPSECURITY_ATTRIBUTES,
                        PHKEY result, LPDWORD disposition)
{
    if (result == nullptr)
        return static_cast<LSTATUS>(ERROR_INVALID_PARAMETER);
    *result = nullptr;
    if (options != REG_OPTION_NON_VOLATILE)
        return static_cast<LSTATUS>(ERROR_INVALID_PARAMETER);
    const std::optional<OpenKey> parent = KeyTable::Instance().Find(key);
    if (!parent)
        return static_cast<LSTATUS>(ERROR_INVALID_HANDLE);
    if ((parent->m_access & KEY_CREATE_SUB_KEY) == 0)
        return static_cast<LSTATUS>(ERROR_ACCESS_DENIED);
    const std::optional<std::wstring> path = JoinPath(parent->m_path, subKey);
    if (!path || path->empty())
        return static_cast<LSTATUS>(ERROR_INVALID_PARAMETER);
    bool existed = false;
    const DWORD error = RegistryStore::Instance().Write([&](RegistryFile& file) {
        existed = file.KeyExists(*path);
        file.CreateKey(*path);
        return ERROR_SUCCESS;
    });
    if (error != ERROR_SUCCESS)
        return static_cast<LSTATUS>(error);
    if (disposition != nullptr)
        *disposition = existed ? REG_OPENED_EXISTING_KEY : REG_CREATED_NEW_KEY;
    *result = KeyTable::Instance().Insert(OpenKey{*path, access & ~kViewFlags});
    return static_cast<LSTATUS>(ERROR_SUCCESS);
}

LSTATUS RegQueryValueExW(HKEY key, LPCWSTR name, LPDWORD, LPDWORD type, LPBYTE data, LPDWORD size)
{
    return ReadKey(key, KEY_QUERY_VALUE, [&](const RegistryFile& file, const std::wstring& path) {
        const RegistryKey* section = file.FindKey(path);
        const RegistryValue* value = section == nullptr ? nullptr : section->FindValue(NameOf(name));
        if (value == nullptr)
            return static_cast<LSTATUS>(ERROR_FILE_NOT_FOUND);
        return AnswerValue(*value, type, data, size);
    });
}

LSTATUS RegSetValueExW(HKEY key, LPCWSTR name, DWORD, DWORD type, const BYTE* data, DWORD size)
{
    DWORD error = ERROR_SUCCESS;
    std::optional<RegistryValue> value = ValueFromBytes(name, type, data, size, error);
    if (!value)
        return static_cast<LSTATUS>(error);
    return ChangeKey(key, [&](RegistryKey& section) {
        section.SetValue(std::move(*value));
        return ERROR_SUCCESS;
    });
}

LSTATUS RegDeleteValueW(HKEY key, LPCWSTR name)
{
    return ChangeKey(key, [&](RegistryKey& section) {
        return section.DeleteValue(NameOf(name)) ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
    });
}

LSTATUS RegEnumValueW(HKEY key, DWORD index, LPWSTR name, LPDWORD nameChars, LPDWORD, LPDWORD type, LPBYTE data,
                      LPDWORD size)
{
    return ReadKey(key, KEY_QUERY_VALUE, [&](const RegistryFile& file, const std::wstring& path) {
        const RegistryKey* section = file.FindKey(path);
        if (section == nullptr || index >= section->m_values.size())
            return static_cast<LSTATUS>(ERROR_NO_MORE_ITEMS);
        const RegistryValue& value = section->m_values[index];
        const LSTATUS named = AnswerName(value.m_name, name, nameChars);
        if (named != static_cast<LSTATUS>(ERROR_SUCCESS))
            return named;
        return AnswerValue(value, type, data, size);
    });
}

LSTATUS RegEnumKeyExW(HKEY key, DWORD index, LPWSTR name, LPDWORD nameChars, LPDWORD, LPWSTR className,
                      LPDWORD classChars, FILETIME* lastWriteTime)
{
    if (lastWriteTime != nullptr)
        return static_cast<LSTATUS>(ERROR_NOT_SUPPORTED);
    return ReadKey(key, KEY_ENUMERATE_SUB_KEYS, [&](const RegistryFile& file, const std::wstring& path) {
        const std::vector<std::wstring> names = file.SubKeyNames(path);
        if (index >= names.size())
            return static_cast<LSTATUS>(ERROR_NO_MORE_ITEMS);
        const LSTATUS named = AnswerName(names[index], name, nameChars);
        if (named == static_cast<LSTATUS>(ERROR_SUCCESS) && className != nullptr && classChars != nullptr &&
            *classChars > 0)
        {
            className[0] = L'\0';
            *classChars = 0;
        }
        return named;
    });
}

LSTATUS RegCloseKey(HKEY key)
{
    return static_cast<LSTATUS>(KeyTable::Instance().Close(key) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE);
}
