// BstrOwner: owns one BSTR and frees it when it goes out of scope (the one owner of a BSTR in
// this tree).
//
// Move-only; not thread-safe (one owner). A null BSTR stands for the empty text.
#pragma once

#include <string>
#include <utility>

#include "platform/com/Bstr.h"

class BstrOwner
{
public:
    BstrOwner() = default;
    // Takes a BSTR that was allocated for this owner.
    explicit BstrOwner(BSTR owned) : m_text(owned) {}
    // A copy of the NUL-terminated text (null text: none).
    static BstrOwner Copy(LPCOLESTR text) { return BstrOwner(text != nullptr ? SysAllocString(text) : nullptr); }
    ~BstrOwner() { Reset(); }
    BstrOwner(const BstrOwner&) = delete;
    BstrOwner& operator=(const BstrOwner&) = delete;
    BstrOwner(BstrOwner&& other) noexcept : m_text(std::exchange(other.m_text, nullptr)) {}
    BstrOwner& operator=(BstrOwner&& other) noexcept
    {
        if (this != &other)
        {
            Reset();
            m_text = std::exchange(other.m_text, nullptr);
        }
        return *this;
    }

    // The BSTR, still owned; valid until this owner changes.
    BSTR Get() const { return m_text; }
    explicit operator bool() const { return m_text != nullptr; }
    // The whole text, embedded NULs kept; empty for null.
    std::wstring Text() const
    {
        return m_text == nullptr ? std::wstring() : std::wstring(m_text, SysStringLen(m_text));
    }
    // Frees what is held and gives the address to fill through an out-parameter.
    BSTR* Receive()
    {
        Reset();
        return &m_text;
    }
    // Hands the BSTR to the caller, who frees it.
    BSTR Detach() { return std::exchange(m_text, nullptr); }
    void Reset() { SysFreeString(std::exchange(m_text, nullptr)); }

private:
    BSTR m_text = nullptr;
};
