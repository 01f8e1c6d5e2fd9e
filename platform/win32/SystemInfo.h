// System facts of the running process: tick counts, the computer name, thread and process
// ids, and the thread's last-error value.
//
// Stateless apart from the last error, which is per thread. All functions are thread-safe.
#pragma once

#include "platform/win32/WinTypes.h"

// Milliseconds of the steady clock, cut to 32 bits: it wraps after about 49.7 days exactly as
// on Windows, so callers measure spans with unsigned subtraction.
DWORD GetTickCount();
// The same clock, 64 bits wide; never wraps.
ULONGLONG GetTickCount64();

// The computer name: the host name up to its first dot, cut to MAX_COMPUTERNAME_LENGTH
// characters as a Windows computer name is. `size` holds the buffer's room in characters.
// Success: TRUE, the name and a terminator written, *size = its length without terminator.
// Buffer too small: FALSE with ERROR_BUFFER_OVERFLOW and *size = the room needed including
// the terminator. Null arguments: FALSE with ERROR_INVALID_PARAMETER. The name keeps the host's
// case; callers upper-case it.
BOOL GetComputerNameW(LPWSTR buffer, LPDWORD size);

// The calling thread's last error code, as set by the last failing (or clearing) call.
DWORD GetLastError();
void SetLastError(DWORD error);

// The kernel's id of the calling thread (never 0) and of this process.
DWORD GetCurrentThreadId();
DWORD GetCurrentProcessId();
