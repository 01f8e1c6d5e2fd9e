#include "platform/win32/SystemInfo.h"

#include <chrono>
#include <optional>
#include <string>

#include <unistd.h>

namespace {

thread_local DWORD t_lastError = ERROR_SUCCESS;

// Host names on Linux are at most 64 bytes; a little more room keeps a terminator in reach.
constexpr std::size_t kHostNameRoom = 256;

// The host name as a Windows computer name; nothing when the host name cannot be read.
std::optional<std::wstring> ComputerName()
{
    char host[kHostNameRoom] = {};
    if (::gethostname(host, sizeof(host) - 1) != 0)
        return std::nullopt;
    std::wstring name;
    for (const char* at = host; *at != '\0' && *at != '.' && name.size() < MAX_COMPUTERNAME_LENGTH; ++at)
    {
        const auto byte = static_cast<unsigned char>(*at);
        // A computer name is plain ASCII; anything else an administrator managed to set is
        // replaced rather than passed on half-decoded.
        name.push_back(byte < 0x80 ? static_cast<wchar_t>(byte) : L'?');
    }
    return name;
}

}  // namespace

DWORD GetTickCount()
{
    return static_cast<DWORD>(GetTickCount64());
}

ULONGLONG GetTickCount64()
{
    const auto sinceStart = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<ULONGLONG>(std::chrono::duration_cast<std::chrono::milliseconds>(sinceStart).count());
}

BOOL GetComputerNameW(LPWSTR buffer, LPDWORD size)
{
    if (buffer == nullptr || size == nullptr)
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const std::optional<std::wstring> found = ComputerName();
    if (!found)
    {
        SetLastError(ERROR_NOT_SUPPORTED);
        return FALSE;
    }
    const std::wstring& name = *found;
    const auto needed = static_cast<DWORD>(name.size() + 1);
    if (*size < needed)
    {
        *size = needed;
        SetLastError(ERROR_BUFFER_OVERFLOW);
        return FALSE;
    }
    name.copy(buffer, name.size());
    buffer[name.size()] = L'\0';
    *size = static_cast<DWORD>(name.size());
    return TRUE;
}

DWORD GetLastError()
{
    return t_lastError;
}

void SetLastError(DWORD error)
{
    t_lastError = error;
}

DWORD GetCurrentThreadId()
{
    thread_local const DWORD id = static_cast<DWORD>(::gettid());
    return id;
}

DWORD GetCurrentProcessId()
{
    return static_cast<DWORD>(::getpid());
}
