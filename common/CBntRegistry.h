// CBntRegistry: one registry key of the installation, opened read-only or writable, with typed
// reads and writes and enumeration of its values and subkeys.
//
// The wrapper owns the key handle it opened and closes it on Close, on the next Open and in its
// destructor. Texts in the registry are Unicode throughout. Not thread-safe: one owner at a
// time (the registry underneath is thread-safe, so separate wrappers may be used concurrently).
#pragma once

#include "platform/mfc/CString.h"
#include "platform/registry/Registry.h"
#include "platform/win32/WinTypes.h"

class CBntRegistry
{
public:
    // The installation's key below HKEY_LOCAL_MACHINE, used when no subkey is named.
    static constexpr wchar_t kDefaultKey[] = L"SOFTWARE\\Brontel\\Ivarune";

    // A wrapper that holds no key until Open.
    explicit CBntRegistry(bool readOnly = true);
    // Opens `subKey` below `root` at once (null or empty: kDefaultKey). A key that cannot be
    // opened leaves the wrapper closed, and every later read fails.
    CBntRegistry(bool readOnly, const wchar_t* subKey, HKEY root = HKEY_LOCAL_MACHINE);
    ~CBntRegistry();
    CBntRegistry(const CBntRegistry&) = delete;
    CBntRegistry& operator=(const CBntRegistry&) = delete;

    // Closes any key held, then opens `subKey` below `root` (null or empty: kDefaultKey).
    // Read-only: the 32-bit view first, then the 64-bit view. Writable: the key is created
    // when missing. True when the key is open afterwards; false leaves the wrapper closed.
    bool Open(const wchar_t* subKey, HKEY root = HKEY_LOCAL_MACHINE);
    void Close();
    bool IsOpen() const { return m_key != nullptr; }

    // Reads a 4-byte value into *value (its registry type is not checked). False, with *value
    // unchanged, when the key is not open, the value is missing or it is not 4 bytes long.
    bool GetDWORDValue(const wchar_t* name, DWORD* value) const;
    bool GetDWORDValue(const wchar_t* name, DWORD& value) const { return GetDWORDValue(name, &value); }

    // Reads a REG_SZ or REG_EXPAND_SZ value into `value`; an expandable text has its
    // %VARIABLE% references expanded. `wide` says whether the caller stored the text as UTF-16
    // or 8-bit text; both are held as Unicode here, so either reads the same text. False, with
    // `value` unchanged, when the key is not open, the value is missing, is not a text or is
    // longer than kMaxTextBytes.
    bool GetStringValue(const wchar_t* name, CString& value, bool wide = true) const;

    // Typed writes. False when the key is not open, is read-only or the write fails.
    bool SetDWORDValue(const wchar_t* name, DWORD value);
    bool SetStringValue(const wchar_t* name, const CString& value, bool expandable = false);

    // The name of the value (or direct subkey) at `index`. False past the end or when the key is
    // not open; `name` is then unchanged.
    bool EnumValueName(DWORD index, CString& name) const;
    bool EnumSubKeyName(DWORD index, CString& name) const;

    // Longest text value read, in bytes; anything longer is refused rather than allocated.
    static constexpr DWORD kMaxTextBytes = 64 * 1024;

private:
    // Set at construction.
    bool m_readOnly;
    // The open key, or null.
    HKEY m_key = nullptr;
};
