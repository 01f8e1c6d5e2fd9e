// Reading a device's command-capability text (for example "<Disarm>true</Disarm>...") into one
// flag per command tag.
//
// Stateless; safe from any thread.
#pragma once

#include <map>
#include <span>

#include "platform/mfc/CString.h"

// Result: one entry per tag of tags (a duplicated tag gives one entry); the flag of a tag is true
// when the tag occurs in capabilities (exactly, case-sensitive; its first occurrence counts) at a
// position greater than 0 and the four characters right after it read "true" without regard to
// case, false otherwise (also when the text ends before four characters follow, and for a tag
// at the very start of the text). Null entries of tags are skipped.
std::map<CString, bool> ReadCommandCapabilities(std::span<const wchar_t* const> tags, const CString& capabilities);
