#include "common/CBntRegistry.h"

#include <string>
#include <vector>

namespace {

// Registry names are at most 16383 characters; one more for the terminator.
constexpr DWORD kMaxNameChars = 16384;

const wchar_t* KeyOrDefault(const wchar_t* subKey)
{
    return subKey == nullptr || subKey[0] == L'\0' ? CBntRegistry::kDefaultKey : subKey;
}

template <class Enumerate>
bool EnumName(HKEY key, Enumerate enumerate, CString& name)
{
    if (key == nullptr)
        return false;
    std::vector<wchar_t> buffer(256);
    for (;;)
    {
        DWORD chars = static_cast<DWORD>(buffer.size());
        const LSTATUS status = enumerate(buffer.data(), &chars);
        if (status == ERROR_SUCCESS)
        {
            name = CString(buffer.data(), static_cast<int>(chars));
            return true;
        }
        if (status != ERROR_MORE_DATA || buffer.size() >= kMaxNameChars)
            return false;
        buffer.resize(kMaxNameChars);
    }
}

}  // namespace

CBntRegistry::CBntRegistry(bool readOnly) : m_readOnly(readOnly) {}

CBntRegistry::CBntRegistry(bool readOnly, const wchar_t* subKey, HKEY root) : m_readOnly(readOnly)
{
    Open(subKey, root);
}

CBntRegistry::~CBntRegistry()
{
    Close();
}

bool CBntRegistry::Open(const wchar_t* subKey, HKEY root)
{
    Close();
    const wchar_t* path = KeyOrDefault(subKey);
    HKEY key = nullptr;
    if (m_readOnly)
    {
        if (RegOpenKeyExW(root, path, 0, KEY_READ | KEY_WOW64_32KEY, &key) != ERROR_SUCCESS &&
            RegOpenKeyExW(root, path, 0, KEY_READ | KEY_WOW64_64KEY, &key) != ERROR_SUCCESS)
            return false;
    }
    else if (RegCreateKeyExW(root, path, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &key, nullptr) !=
             ERROR_SUCCESS)
    {
        return false;
    }
    m_key = key;
    return true;
}

void CBntRegistry::Close()
{
    if (m_key != nullptr)
    {
        RegCloseKey(m_key);
        m_key = nullptr;
    }
}

bool CBntRegistry::GetDWORDValue(const wchar_t* name, DWORD* value) const
{
    if (m_key == nullptr || value == nullptr)
        return false;
    DWORD number = 0;
    DWORD size = sizeof(number);
    if (RegQueryValueExW(m_key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(&number), &size) != ERROR_SUCCESS ||
        size != sizeof(number))
        return false;
    *value = number;
    return true;
}

bool CBntRegistry::GetStringValue(const wchar_t* name, CString& value, bool /*wide*/) const
{
    if (m_key == nullptr)
        return false;
    DWORD type = REG_NONE;
    DWORD size = 0;
    if (RegQueryValueExW(m_key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ) || size > kMaxTextBytes)
        return false;
    std::vector<wchar_t> buffer(size / sizeof(wchar_t) + 1, L'\0');
    size = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
    if (RegQueryValueExW(m_key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &size) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ))
        return false;
    buffer.back() = L'\0';
    if (type == REG_SZ)
    {
        value = CString(buffer.data());
        return true;
    }
    value = CString(EnvironmentStrings::Expand(buffer.data()));
    return true;
}

bool CBntRegistry::SetDWORDValue(const wchar_t* name, DWORD value)
{
    if (m_key == nullptr || m_readOnly)
        return false;
    return RegSetValueExW(m_key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value)) ==
           ERROR_SUCCESS;
}

bool CBntRegistry::SetStringValue(const wchar_t* name, const CString& value, bool expandable)
{
    if (m_key == nullptr || m_readOnly)
        return false;
    const DWORD size = static_cast<DWORD>((value.GetLength() + 1) * sizeof(wchar_t));
    return RegSetValueExW(m_key, name, 0, expandable ? REG_EXPAND_SZ : REG_SZ,
                          reinterpret_cast<const BYTE*>(value.GetString()), size) == ERROR_SUCCESS;
}

bool CBntRegistry::EnumValueName(DWORD index, CString& name) const
{
    return EnumName(
        m_key,
        [&](wchar_t* buffer, DWORD* chars) {
            return RegEnumValueW(m_key, index, buffer, chars, nullptr, nullptr, nullptr, nullptr);
        },
        name);
}

bool CBntRegistry::EnumSubKeyName(DWORD index, CString& name) const
{
    return EnumName(
        m_key,
        [&](wchar_t* buffer, DWORD* chars) {
            return RegEnumKeyExW(m_key, index, buffer, chars, nullptr, nullptr, nullptr, nullptr);
        },
        name);
}
