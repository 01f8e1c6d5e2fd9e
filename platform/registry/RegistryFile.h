// The contents of registry.ini: the keys under HKEY_LOCAL_MACHINE and their typed values.
//
// File format (UTF-8, lines end in LF; a CR before the LF is ignored):
//   ; a comment line (comments are not kept when the file is rewritten)
//   [SOFTWARE\Brontel\Ivarune]          a key, by its full path below HKEY_LOCAL_MACHINE
//   InstallInProgress=dword:0000001e    REG_DWORD, 1 to 8 hexadecimal digits
//   ProductVersion=sz:6.2.0             REG_SZ, the rest of the line
//   LogFilePath=expand_sz:%VAR%\logs    REG_EXPAND_SZ, the rest of the line
// Nothing is trimmed. In key paths, names and texts the caret escapes what a line cannot hold
// literally: ^^ caret, ^n line feed, ^r carriage return, and in paths and names also ^= ^[ ^]
// ^; for those characters. An empty name (before "=") is the key's default value.
// Parents of a key exist implicitly. Key paths and value names compare without regard to case.
//
// A line that is neither blank, a comment, a section nor a "name=" line, a value before any
// section, or a bad key path makes the whole file malformed (Parse answers nothing). A value
// with an unknown type tag, a bad number or a bad escape is kept as malformed: it answers
// ERROR_INVALID_DATA and is written back unchanged. A value object; not thread-safe.
#pragma once

#include "platform/win32/WinTypes.h"

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

constexpr DWORD REG_NONE = 0;
constexpr DWORD REG_SZ = 1;
constexpr DWORD REG_EXPAND_SZ = 2;
constexpr DWORD REG_DWORD = 4;

struct RegistryValue
{
    std::wstring m_name;
    // REG_SZ, REG_EXPAND_SZ or REG_DWORD; REG_NONE for a malformed value.
    DWORD m_type = REG_NONE;
    std::wstring m_text;
    DWORD m_number = 0;
    // For a malformed value: the file's text after "=", kept to be written back unchanged.
    std::string m_raw;
};

struct RegistryKey
{
    // The path as first written, keeping its case.
    std::wstring m_path;
    // In file order.
    std::vector<RegistryValue> m_values;

    const RegistryValue* FindValue(std::wstring_view name) const;
    // Replaces the value of that name (keeping its place) or appends it.
    void SetValue(RegistryValue value);
    // False when there was no such value.
    bool DeleteValue(std::wstring_view name);
};

class RegistryFile
{
public:
    // The longest key path component and value name accepted, as on Windows.
    static constexpr std::size_t kMaxNameChars = 255;
    static constexpr std::size_t kMaxValueNameChars = 16383;

    // The keys of the text, or nothing when the text is malformed as described above.
    static std::optional<RegistryFile> Parse(std::string_view utf8);
    // The text of the file; Parse(Serialize()) gives the same keys and values.
    std::string Serialize() const;

    // True for a path of non-empty components of at most kMaxNameChars each, or the empty
    // path (HKEY_LOCAL_MACHINE itself).
    static bool IsValidPath(std::wstring_view path);

    // True when the key has a section or a descendant key has one; the empty path always.
    bool KeyExists(std::wstring_view path) const;
    // The key's section, or null when it has none (it may still exist through a descendant).
    const RegistryKey* FindKey(std::wstring_view path) const;
    // The key's section, made (with the case of existing parents kept) when missing.
    RegistryKey& CreateKey(std::wstring_view path);
    // The names of the key's direct subkeys, ordered without regard to case.
    std::vector<std::wstring> SubKeyNames(std::wstring_view path) const;

private:
    // Keyed by the upper-cased path.
    std::map<std::wstring, RegistryKey> m_keys;
};
