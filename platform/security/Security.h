// Access tokens of the current thread and process, over the caller identity of
// CallerIdentity.h; includes the SID conversions so one header serves a security caller.
//
// A token is a snapshot taken when it is opened: a later change of the thread's caller does
// not alter it. Tokens are kernel objects behind HANDLEs, closed with CloseHandle; a bad
// handle answers failure, never a crash. All functions are thread-safe and set the thread's
// last error on failure.
#pragma once

#include "platform/security/CallerIdentity.h"
#include "platform/security/Sid.h"
#include "platform/win32/WinTypes.h"

constexpr DWORD TOKEN_QUERY = 0x0008;

enum TOKEN_INFORMATION_CLASS : std::int32_t
{
    TokenUser = 1,
    TokenImpersonationLevel = 9,
};

struct SID_AND_ATTRIBUTES
{
    PSID Sid;
    DWORD Attributes;
};

// TokenUser answer: the SID pointer addresses the SID bytes that follow it in the caller's
// buffer, so the whole answer lives and dies with that buffer.
struct TOKEN_USER
{
    SID_AND_ATTRIBUTES User;
};
using PTOKEN_USER = TOKEN_USER*;
using PDWORD = DWORD*;

// Opens the impersonation token of the calling thread (`thread` must be GetCurrentThread();
// `openAsSelf` changes nothing here). TRUE with *token set on success; FALSE with
// ERROR_NO_TOKEN when the thread is not impersonating, ERROR_INVALID_HANDLE for another
// thread handle, ERROR_INVALID_PARAMETER for a null out pointer. *token is null on failure.
BOOL OpenThreadToken(HANDLE thread, DWORD desiredAccess, BOOL openAsSelf, PHANDLE token);

// Opens the primary token of this process (`process` must be GetCurrentProcess()); its user
// is CallerIdentity::ProcessAccountSid(). Failures as for OpenThreadToken.
BOOL OpenProcessToken(HANDLE process, DWORD desiredAccess, PHANDLE token);

// Copies one piece of the token into `information` (`length` bytes) and sets *returnLength
// (optional) to the bytes written or, on ERROR_INSUFFICIENT_BUFFER, the bytes needed.
// TokenImpersonationLevel: a SECURITY_IMPERSONATION_LEVEL (thread tokens only; a process
// token answers ERROR_INVALID_PARAMETER). TokenUser: a TOKEN_USER followed by the SID bytes
// (ERROR_INVALID_SID when the caller's SID text is not a SID). FALSE with
// ERROR_INVALID_HANDLE for a handle that is not an open token, ERROR_ACCESS_DENIED when the
// token was opened without TOKEN_QUERY, ERROR_INVALID_PARAMETER for another class.
BOOL GetTokenInformation(HANDLE token, TOKEN_INFORMATION_CLASS informationClass, LPVOID information, DWORD length,
                         PDWORD returnLength);
