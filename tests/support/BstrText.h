// BstrText: a BSTR argument of a test's call, freed when it goes out of scope; a BstrOwner that
// converts to the BSTR the interfaces take. Move-only; one owner.
#pragma once

#include <string>

#include "platform/com/BstrOwner.h"

namespace support {
class BstrText
{
public:
    explicit BstrText(const wchar_t* text) : m_owner(BstrOwner::Copy(text)) {}
    // Every character of the text, embedded NULs included.
    explicit BstrText(const std::wstring& text)
        : m_owner(SysAllocStringLen(text.data(), static_cast<UINT>(text.size())))
    {
    }

    operator BSTR() const { return m_owner.Get(); }

private:
    BstrOwner m_owner;
};
}  // namespace support
