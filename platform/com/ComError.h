// _com_error: the exception the COM support classes (_variant_t) throw for a failed HRESULT.
//
// Thrown by value, caught by reference. Immutable after construction; safe to read anywhere.
#pragma once

#include "platform/win32/WinTypes.h"

class _com_error
{
public:
    explicit _com_error(HRESULT result) noexcept : m_result(result) {}

    // The failing HRESULT the exception carries.
    HRESULT Error() const noexcept { return m_result; }

private:
    HRESULT m_result;
};

// Throws _com_error carrying `result`.
[[noreturn]] inline void _com_issue_error(HRESULT result)
{
    throw _com_error(result);
}
