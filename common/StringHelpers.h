// Small text helpers of the common support classes.
//
// Pure functions; safe from any thread.
#pragma once

#include "platform/mfc/CString.h"
#include "platform/win32/WinTypes.h"

// Two upper-case hexadecimal digits per byte, in byte order ("0A1BFF"). Empty for a count of 0
// or less, or for null data.
CString BytesToHexString(const BYTE* data, int count);
