// WbemContext: the named values that travel with a WMI call (IWbemContext).
//
// Values are kept in the order they were first set, names compare without regard to case,
// and each value is an independent copy of what was set. Owned through its reference count
// (atomic; the creator holds the first reference). One thread uses a context at a time.
#pragma once

#include "platform/com/Unknown.h"
#include "platform/com/Variant.h"
#include "platform/wmi/IWbemContext.h"
#include "platform/wmi/WbemNameCursor.h"

#include <string>
#include <utility>
#include <vector>

class WbemContext final : public RefCounted<WbemContext, IWbemContext>
{
public:
    // A new empty context.
    static ComPtr<WbemContext> Create();

    // Use Create; public only for MakeComObject.
    WbemContext() = default;

    HRESULT QueryInterface(REFIID iid, void** object) override;
    // A new context holding copies of every value. WBEM_E_INVALID_PARAMETER for a null copy.
    HRESULT Clone(IWbemContext** copy) override;
    // A new BSTR array of the names in the order they were first set.
    HRESULT GetNames(LONG flags, SAFEARRAY** names) override;
    HRESULT BeginEnumeration(LONG flags) override;
    // The next name and a copy of its value; WBEM_S_NO_MORE_DATA after the last;
    // WBEM_E_UNEXPECTED without BeginEnumeration.
    HRESULT Next(LONG flags, BSTR* name, VARIANT* value) override;
    HRESULT EndEnumeration() override;
    // Sets (or replaces) a copy of *value under name. WBEM_E_INVALID_PARAMETER for a null or
    // empty name or a null value.
    HRESULT SetValue(LPCWSTR name, LONG flags, VARIANT* value) override;
    // A copy of the named value in *value (VariantInit first). WBEM_E_NOT_FOUND when absent.
    HRESULT GetValue(LPCWSTR name, LONG flags, VARIANT* value) override;
    // Removes the named value. WBEM_E_NOT_FOUND when absent.
    HRESULT DeleteValue(LPCWSTR name, LONG flags) override;
    HRESULT DeleteAll() override;

private:
    friend class RefCounted<WbemContext, IWbemContext>;
    ~WbemContext() = default;

    std::vector<std::pair<std::wstring, _variant_t>>::iterator Find(LPCWSTR name);
    // The names in the order they were first set.
    std::vector<std::wstring> Names() const;

    std::vector<std::pair<std::wstring, _variant_t>> m_values;
    WbemNameCursor m_cursor;
};
