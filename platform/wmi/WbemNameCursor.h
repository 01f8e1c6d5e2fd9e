// WbemNameCursor: the walk of a name/value store (a context, a qualifier set) through
// BeginEnumeration, Next and EndEnumeration. It keeps the names taken when the walk began and
// the place reached; Next passes over a name whose value has gone since, so a store may change
// while it is walked. NamesToArray gives the same names as GetNames hands them out.
//
// Owned by the store as a member; used by one thread at a time, as the store is.
#pragma once

#include "platform/com/Bstr.h"
#include "platform/com/SafeArray.h"
#include "platform/win32/WinTypes.h"

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

class WbemNameCursor
{
public:
    // Is the value of this name still there? If so, the store keeps a copy of it to hand out
    // once Next succeeds. May throw std::bad_alloc or _com_error.
    using Fetch = std::function<bool(const std::wstring& name)>;

    // Starts a walk over `names` (in this order), ending any walk before it.
    void Begin(std::vector<std::wstring> names) noexcept;
    // Moves to the next name whose value `fetch` still finds and puts a new copy of the name
    // in *name (when name is not null). WBEM_S_NO_ERROR; WBEM_S_NO_MORE_DATA after the last
    // name; WBEM_E_UNEXPECTED without Begin; WBEM_E_OUT_OF_MEMORY when the name or the value
    // cannot be copied (the walk has then moved past the name).
    HRESULT Next(BSTR* name, const Fetch& fetch);
    // Ends the walk; Next answers WBEM_E_UNEXPECTED until the next Begin.
    void End() noexcept;

    // A new BSTR array of `names` in *result. WBEM_S_NO_ERROR; WBEM_E_OUT_OF_MEMORY (*result
    // unchanged) when it cannot be made.
    static HRESULT NamesToArray(const std::vector<std::wstring>& names, SAFEARRAY** result);

private:
    bool m_active = false;
    std::vector<std::wstring> m_names;
    std::size_t m_position = 0;
};
