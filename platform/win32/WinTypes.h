// Base Windows types, result codes and limits, with their Windows widths and numbers.
//
// Every other stand-in and every subsystem builds on these names. LONG, DWORD and INT are
// 32 bits as on Windows (never the platform's `long`); wide text is wchar_t (32 bits on
// Linux, which is fine inside the process). Header only; no state.
#pragma once

#include <cstddef>
#include <cstdint>

using BYTE = std::uint8_t;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using LONG = std::int32_t;
using ULONG = std::uint32_t;
using INT = std::int32_t;
using UINT = std::uint32_t;
using SHORT = std::int16_t;
using USHORT = std::uint16_t;
using CHAR = char;
using UCHAR = unsigned char;
using BOOL = std::int32_t;
using BOOLEAN = BYTE;
using LONGLONG = std::int64_t;
using ULONGLONG = std::uint64_t;
using INT_PTR = std::intptr_t;
using UINT_PTR = std::uintptr_t;
using LONG_PTR = std::intptr_t;
using ULONG_PTR = std::uintptr_t;
using DWORD_PTR = std::uintptr_t;
using SIZE_T = std::size_t;
using WCHAR = wchar_t;
using TCHAR = wchar_t;
using LPSTR = char*;
using LPCSTR = const char*;
using LPWSTR = wchar_t*;
using LPCWSTR = const wchar_t*;
using LPTSTR = wchar_t*;
using LPCTSTR = const wchar_t*;
using LPVOID = void*;
using LPCVOID = const void*;
using PVOID = void*;
using LPBYTE = BYTE*;
using LPDWORD = DWORD*;
using LPLONG = LONG*;
using HANDLE = void*;
using HRESULT = std::int32_t;
using SCODE = std::int32_t;
using LCID = DWORD;
using __time32_t = std::int32_t;
using __time64_t = std::int64_t;
// OLE automation date: days since 1899-12-30, the fraction is the time of day.
using DATE = double;
using VARIANT_BOOL = std::int16_t;
constexpr VARIANT_BOOL VARIANT_TRUE = -1;
constexpr VARIANT_BOOL VARIANT_FALSE = 0;

#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif

#ifndef _T
#define _T(x) L##x
#endif
#ifndef _TEXT
#define _TEXT(x) L##x
#endif

constexpr bool SUCCEEDED(HRESULT hr)
{
    return hr >= 0;
}
constexpr bool FAILED(HRESULT hr)
{
    return hr < 0;
}

// HRESULT literals are written as their unsigned hexadecimal text; keep the Windows bits.
constexpr HRESULT MAKE_HRESULT_FROM_BITS(std::uint32_t bits)
{
    return static_cast<HRESULT>(bits);
}

constexpr HRESULT S_OK = 0;
constexpr HRESULT S_FALSE = 1;
constexpr HRESULT E_UNEXPECTED = MAKE_HRESULT_FROM_BITS(0x8000FFFFu);
constexpr HRESULT E_NOTIMPL = MAKE_HRESULT_FROM_BITS(0x80004001u);
constexpr HRESULT E_NOINTERFACE = MAKE_HRESULT_FROM_BITS(0x80004002u);
constexpr HRESULT E_POINTER = MAKE_HRESULT_FROM_BITS(0x80004003u);
constexpr HRESULT E_ABORT = MAKE_HRESULT_FROM_BITS(0x80004004u);
constexpr HRESULT E_FAIL = MAKE_HRESULT_FROM_BITS(0x80004005u);
constexpr HRESULT E_ACCESSDENIED = MAKE_HRESULT_FROM_BITS(0x80070005u);
constexpr HRESULT E_HANDLE = MAKE_HRESULT_FROM_BITS(0x80070006u);
constexpr HRESULT E_OUTOFMEMORY = MAKE_HRESULT_FROM_BITS(0x8007000Eu);
constexpr HRESULT E_INVALIDARG = MAKE_HRESULT_FROM_BITS(0x80070057u);
constexpr HRESULT DISP_E_TYPEMISMATCH = MAKE_HRESULT_FROM_BITS(0x80020005u);
constexpr HRESULT DISP_E_OVERFLOW = MAKE_HRESULT_FROM_BITS(0x8002000Au);
constexpr HRESULT DISP_E_BADVARTYPE = MAKE_HRESULT_FROM_BITS(0x80020008u);
constexpr HRESULT DISP_E_BADINDEX = MAKE_HRESULT_FROM_BITS(0x8002000Bu);
constexpr HRESULT DISP_E_ARRAYISLOCKED = MAKE_HRESULT_FROM_BITS(0x8002000Du);
constexpr HRESULT RPC_E_CHANGED_MODE = MAKE_HRESULT_FROM_BITS(0x80010106u);
// No security context is available to allow impersonation (no caller on this thread).
constexpr HRESULT RPC_E_NO_CONTEXT = MAKE_HRESULT_FROM_BITS(0x8001011Eu);

// Win32 error codes (GetLastError values).
constexpr DWORD ERROR_SUCCESS = 0;
constexpr DWORD ERROR_FILE_NOT_FOUND = 2;
constexpr DWORD ERROR_PATH_NOT_FOUND = 3;
constexpr DWORD ERROR_ACCESS_DENIED = 5;
constexpr DWORD ERROR_INVALID_HANDLE = 6;
constexpr DWORD ERROR_NOT_ENOUGH_MEMORY = 8;
constexpr DWORD ERROR_INVALID_DATA = 13;
constexpr DWORD ERROR_OUTOFMEMORY = 14;
constexpr DWORD ERROR_NOT_SUPPORTED = 50;
constexpr DWORD ERROR_INVALID_PARAMETER = 87;
constexpr DWORD ERROR_BROKEN_PIPE = 109;
constexpr DWORD ERROR_BUFFER_OVERFLOW = 111;
constexpr DWORD ERROR_INSUFFICIENT_BUFFER = 122;
constexpr DWORD ERROR_ALREADY_EXISTS = 183;
constexpr DWORD ERROR_MORE_DATA = 234;
constexpr DWORD ERROR_NO_MORE_ITEMS = 259;
constexpr DWORD ERROR_NOT_OWNER = 288;
constexpr DWORD ERROR_NO_TOKEN = 1008;
constexpr DWORD ERROR_BADKEY = 1010;
constexpr DWORD ERROR_CANTOPEN = 1011;
constexpr DWORD ERROR_CANTREAD = 1012;
constexpr DWORD ERROR_CANTWRITE = 1013;
constexpr DWORD ERROR_KEY_DELETED = 1018;
constexpr DWORD ERROR_TIMEOUT = 1460;
constexpr DWORD ERROR_INVALID_SID = 1337;

constexpr HRESULT HRESULT_FROM_WIN32(DWORD code)
{
    return code == 0 ? S_OK : static_cast<HRESULT>((code & 0x0000FFFFu) | (7u << 16) | 0x80000000u);
}

constexpr DWORD INFINITE = 0xFFFFFFFFu;
constexpr DWORD WAIT_OBJECT_0 = 0;
constexpr DWORD WAIT_ABANDONED = 0x80;
constexpr DWORD WAIT_TIMEOUT = 258;
constexpr DWORD WAIT_FAILED = 0xFFFFFFFFu;
constexpr DWORD STILL_ACTIVE = 259;
constexpr DWORD MAXIMUM_WAIT_OBJECTS = 64;

// Handles never refer to memory here; INVALID_HANDLE_VALUE is the Windows all-ones value.
inline const HANDLE INVALID_HANDLE_VALUE = reinterpret_cast<HANDLE>(~std::uintptr_t{0});
using PHANDLE = HANDLE*;
using HLOCAL = void*;

// Accepted where Windows takes it; everything here is process-local, so it carries nothing.
struct SECURITY_ATTRIBUTES
{
    DWORD nLength;
    LPVOID lpSecurityDescriptor;
    BOOL bInheritHandle;
};
using LPSECURITY_ATTRIBUTES = SECURITY_ATTRIBUTES*;

constexpr std::size_t MAX_PATH = 260;
constexpr std::size_t MAX_COMPUTERNAME_LENGTH = 15;

#define UNREFERENCED_PARAMETER(p) (void)(p)
