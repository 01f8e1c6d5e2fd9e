// HKEY_LOCAL_MACHINE, kept in registry.ini under PROVIXA_HOME (format: RegistryFile.h).
//
// Keys are opened through HKEY handles that name a key path; the handle table owns nothing but
// the path and the access granted, so a handle whose key vanished from the file answers
// ERROR_KEY_DELETED and a bad or closed handle ERROR_INVALID_HANDLE, never a crash. Key paths
// and value names compare without regard to case. Only HKEY_LOCAL_MACHINE is offered; the
// 32-bit and 64-bit views (KEY_WOW64_*) are one and the same. Every function is thread-safe
// and returns a Win32 error code (ERROR_SUCCESS on success); a malformed file answers
// ERROR_BADKEY and a malformed value ERROR_INVALID_DATA.
//
// Strings are wide: sizes are in bytes and include the terminator, sizeof(wchar_t) per
// character, as callers of the Windows functions compute them.
#pragma once

#include "platform/registry/EnvironmentStrings.h"
#include "platform/registry/RegistryFile.h"
#include "platform/win32/WinTypes.h"

struct HKEY__;
using HKEY = HKEY__*;
using PHKEY = HKEY*;
using REGSAM = DWORD;
using LSTATUS = LONG;
struct FILETIME;

inline const HKEY HKEY_LOCAL_MACHINE = reinterpret_cast<HKEY>(std::uintptr_t{0x80000002u});

constexpr REGSAM KEY_QUERY_VALUE = 0x0001;
constexpr REGSAM KEY_SET_VALUE = 0x0002;
constexpr REGSAM KEY_CREATE_SUB_KEY = 0x0004;
constexpr REGSAM KEY_ENUMERATE_SUB_KEYS = 0x0008;
constexpr REGSAM KEY_NOTIFY = 0x0010;
constexpr REGSAM KEY_WOW64_64KEY = 0x0100;
constexpr REGSAM KEY_WOW64_32KEY = 0x0200;
constexpr REGSAM KEY_READ = 0x20019;
constexpr REGSAM KEY_WRITE = 0x20006;
constexpr REGSAM KEY_ALL_ACCESS = 0xF003F;

constexpr DWORD REG_OPTION_NON_VOLATILE = 0;
constexpr DWORD REG_CREATED_NEW_KEY = 1;
constexpr DWORD REG_OPENED_EXISTING_KEY = 2;

// Opens `subKey` below `key` (null or empty: the key itself) with `access`. *result is set on
// success and null otherwise. ERROR_FILE_NOT_FOUND when the key does not exist,
// ERROR_INVALID_PARAMETER for a bad path (empty component, over 255 characters) or a null
// result pointer, ERROR_INVALID_HANDLE for a bad `key`.
LSTATUS RegOpenKeyExW(HKEY key, LPCWSTR subKey, DWORD options, REGSAM access, PHKEY result);

// Opens `subKey`, creating it and its parents when missing; *disposition (optional) says
// which. Needs KEY_CREATE_SUB_KEY on `key` (ERROR_ACCESS_DENIED). `className` and
// `security` are ignored; options other than REG_OPTION_NON_VOLATILE answer
// ERROR_INVALID_PARAMETER. Other failures as RegOpenKeyExW, plus ERROR_CANTWRITE.
LSTATUS RegCreateKeyExW(HKEY key, LPCWSTR subKey, DWORD reserved, LPWSTR className, DWORD options, REGSAM access,
                        LPSECURITY_ATTRIBUTES security, PHKEY result, LPDWORD disposition);

// Reads the value `name` (null or empty: the default value). *type (optional) gets its type.
// With `data` null, *size (optional) gets the size needed. With `data`, *size is the buffer's
// size in bytes on entry and the size of the value on return; a short buffer answers
// ERROR_MORE_DATA with *size set and the buffer untouched. ERROR_FILE_NOT_FOUND for a missing
// value, ERROR_INVALID_DATA for a malformed one, ERROR_ACCESS_DENIED without KEY_QUERY_VALUE,
// ERROR_INVALID_PARAMETER for `data` without `size`.
LSTATUS RegQueryValueExW(HKEY key, LPCWSTR name, LPDWORD reserved, LPDWORD type, LPBYTE data, LPDWORD size);

// Writes a value: REG_DWORD takes exactly 4 bytes; REG_SZ and REG_EXPAND_SZ take wide text
// of `size` bytes (a multiple of sizeof(wchar_t)), ending at the first terminator if any.
// ERROR_INVALID_PARAMETER for a bad size or missing data, ERROR_NOT_SUPPORTED for other
// types, ERROR_ACCESS_DENIED without KEY_SET_VALUE (and on HKEY_LOCAL_MACHINE itself),
// ERROR_BADKEY when the file is malformed (it is not overwritten), ERROR_CANTWRITE when the
// file could not be written.
LSTATUS RegSetValueExW(HKEY key, LPCWSTR name, DWORD reserved, DWORD type, const BYTE* data, DWORD size);

// Deletes a value. ERROR_FILE_NOT_FOUND when there is none; other failures as RegSetValueExW.
LSTATUS RegDeleteValueW(HKEY key, LPCWSTR name);

// The value at `index` in file order. `name` receives its name; *nameChars is the room in
// characters (terminator included) on entry and the name's length without terminator on
// return. A short name buffer answers ERROR_MORE_DATA with *nameChars set to the room needed
// (terminator included). Type and data as RegQueryValueExW. ERROR_NO_MORE_ITEMS past the end.
LSTATUS RegEnumValueW(HKEY key, DWORD index, LPWSTR name, LPDWORD nameChars, LPDWORD reserved, LPDWORD type,
                      LPBYTE data, LPDWORD size);

// The direct subkey at `index`, ordered without regard to case; name room as RegEnumValueW.
// `className` (optional) gets an empty text. `lastWriteTime` must be null: no write times are
// kept (ERROR_NOT_SUPPORTED). Needs KEY_ENUMERATE_SUB_KEYS. ERROR_NO_MORE_ITEMS past the end.
LSTATUS RegEnumKeyExW(HKEY key, DWORD index, LPWSTR name, LPDWORD nameChars, LPDWORD reserved, LPWSTR className,
                      LPDWORD classChars, FILETIME* lastWriteTime);

// Closes a handle from RegOpenKeyExW or RegCreateKeyExW (HKEY_LOCAL_MACHINE: nothing to do).
// ERROR_INVALID_HANDLE when it is not open.
LSTATUS RegCloseKey(HKEY key);
