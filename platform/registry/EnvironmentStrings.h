// Expansion of %NAME% references from the process environment.
//
// "%NAME%" is replaced by the variable's value (names are case-sensitive on this platform).
// A reference to a variable that is not set (or "%%") stays as it is and scanning goes on
// after its closing "%", as on Windows; a "%" without a closing one stays too. Values are not
// expanded again. Stateless;
// thread-safe as long as nobody changes the environment meanwhile.
#pragma once

#include "platform/win32/WinTypes.h"

#include <string>
#include <string_view>

class EnvironmentStrings
{
public:
    // The longest expansion produced, in characters without the terminator, as on Windows.
    static constexpr std::size_t kMaxChars = 32767;

    // The expanded text; an expansion that would exceed kMaxChars stops just past it.
    static std::wstring Expand(std::wstring_view text);
};

// Expands `source` into `destination` (room: `size` characters). Returns the characters the
// expansion needs including the terminator; when that is more than `size`, nothing is
// written. 0 with ERROR_INVALID_PARAMETER for a null source or an expansion longer than
// EnvironmentStrings::kMaxChars.
DWORD ExpandEnvironmentStringsW(LPCWSTR source, LPWSTR destination, DWORD size);
