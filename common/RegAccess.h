// RegAccess: the installation look-ups of the common SDK in the registry.
//
// Free functions; thread-safe (the registry underneath is, and the creation of a pass phrase
// is serialised within the process).
#pragma once

#include "platform/mfc/CString.h"

// The key that holds the installation's pass phrases, below HKEY_LOCAL_MACHINE.
constexpr wchar_t kInstallationSecretsKey[] = L"SOFTWARE\\Brontel\\Ivarune\\Crypto";

// The string value "InstalledProductName" of the installation's default key, opened read-only;
// the empty string when the key or the value is absent. Never throws.
CString GetInstalledProductName();

// The installation's pass phrase stored as the string value `valueName` under
// kInstallationSecretsKey. When the value is absent a new phrase (32 random bytes written as
// 64 hexadecimal digits) is created and stored first, so every later call and every other
// process of the installation reads the same one. True with `phrase` set; false (`phrase`
// unchanged) when the value is empty, or is absent and cannot be created. The phrase is key
// material: callers never log it.
bool GetInstallationPassPhrase(const wchar_t* valueName, CString& phrase);
