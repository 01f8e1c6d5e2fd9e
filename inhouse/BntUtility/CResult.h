// The result of an in-house library operation: a 32-bit code (0 for success) and an
// optional text. A plain value type; copies are independent; not shared between threads.
#pragma once

#include "platform/mfc/CString.h"
#include "platform/win32/WinTypes.h"

class CResult
{
public:
    CResult() = default;
    explicit CResult(DWORD code, const CString& text = CString()) : m_code(code), m_text(text) {}

    // The code: 0 on success, else the failure's code.
    DWORD GetCode() const { return m_code; }
    // The text given with the code; empty when none was given.
    const CString& GetText() const { return m_text; }
    bool IsSuccess() const { return m_code == 0; }

    bool operator==(const CResult& other) const { return m_code == other.m_code; }

private:
    DWORD m_code = 0;
    CString m_text;
};
