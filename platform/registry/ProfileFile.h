// Private profile (INI) files: "[Section]" lines and "Key=Value" lines, as GetPrivateProfile*
// read them.
//
// A relative file name lies under PROVIXA_HOME ("ACS.INI"); an absolute one stands. Files are
// UTF-8 (a leading byte-order mark is skipped). Sections and keys compare without regard to
// case; names and values are trimmed of blanks; lines starting with ";" are comments and lines
// that are neither section nor entry are ignored, as Windows ignores them. The first section
// and the first key of a name win. A write keeps every other line as it was and replaces the
// file atomically. A `ProfileFile` is one file's lines, a value object and not thread-safe;
// the functions below are thread-safe (writes in this process are serialised).
#pragma once

#include "platform/win32/WinTypes.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class ProfileFile
{
public:
    // The file's lines; ERROR_SUCCESS, ERROR_FILE_NOT_FOUND (then no lines) or the error of
    // TextFile::Read.
    static DWORD Load(const std::filesystem::path& path, ProfileFile& file);
    // Writes the lines back atomically; ERROR_SUCCESS or ERROR_CANTWRITE.
    DWORD Save(const std::filesystem::path& path) const;

    // The entry's value with one pair of enclosing quotes (" or ') removed, or nothing.
    std::optional<std::wstring> Value(std::wstring_view section, std::wstring_view key) const;
    // Section names in file order, each once.
    std::vector<std::wstring> SectionNames() const;
    // Key names of the section in file order, each once; empty when the section is missing.
    std::vector<std::wstring> KeyNames(std::wstring_view section) const;

    // Replaces the entry's line, or adds it at the end of its section, or adds the section at
    // the end of the file. False when nothing changed.
    bool SetValue(std::wstring_view section, std::wstring_view key, std::wstring_view value);
    // Removes the entry's lines; false when there were none.
    bool DeleteKey(std::wstring_view section, std::wstring_view key);
    // Removes the section's header and body; false when there was none.
    bool DeleteSection(std::wstring_view section);

private:
    // Index range [first, end) of the first section of that name: its header and body lines.
    std::optional<std::pair<std::size_t, std::size_t>> FindSection(std::wstring_view section) const;

    std::vector<std::wstring> m_lines;
};

// The integer value of the entry: a whole decimal INT (blanks around it allowed) cast to UINT.
// `defaultValue` when the file, section or key is missing or the value is not such a number.
UINT GetPrivateProfileIntW(LPCWSTR section, LPCWSTR key, INT defaultValue, LPCWSTR fileName);

// Copies into `buffer` (room: `size` characters) the entry's value, or `defaultValue` (null:
// empty; trailing blanks removed) when it is missing. With `key` null: every key of the
// section; with `section` null: every section name; each name ends in a terminator and the
// list in a second one (an empty list is two terminators). Returns the characters copied without the final terminator.
// A value that does not fit is cut to size - 1 characters and size - 1 returned; a list that does not fit is cut to
// size - 2 characters, ends in two terminators, and size - 2 is returned. A missing file sets ERROR_FILE_NOT_FOUND and
// answers like a missing entry. 0 when `buffer` is null or `size` is 0.
DWORD GetPrivateProfileStringW(LPCWSTR section, LPCWSTR key, LPCWSTR defaultValue, LPWSTR buffer, DWORD size,
                               LPCWSTR fileName);

// Sets the entry (the file and section are made when missing); with `value` null deletes the
// entry, with `key` null deletes the section. TRUE on success; FALSE with
// ERROR_INVALID_PARAMETER for a null section or file name or a name or value that a profile
// line cannot hold (a line break, "=" or a leading "[" or ";" in a key, "]" in a section),
// or with the error of reading or writing the file.
BOOL WritePrivateProfileStringW(LPCWSTR section, LPCWSTR key, LPCWSTR value, LPCWSTR fileName);
