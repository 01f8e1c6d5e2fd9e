// IWbemEventProviderSecurity: the WMI service asks an event provider whether a consumer
// (given by its SID) may receive the events of a query.
#pragma once

#include "platform/com/Unknown.h"

// The right a consumer needs in an event's SECURITY_DESCRIPTOR to receive that event.
constexpr DWORD WBEM_RIGHT_SUBSCRIBE = 0x40;

class IWbemEventProviderSecurity : public IUnknown
{
public:
    static constexpr IID kIID = {0x631F7D96, 0xD993, 0x11D2, {0xB3, 0x39, 0x00, 0x10, 0x5A, 0x1F, 0x4A, 0xAF}};

    virtual HRESULT AccessCheck(LPCWSTR queryLanguage, LPCWSTR query, LONG sidLength, const BYTE* sid) = 0;

protected:
    ~IWbemEventProviderSecurity() = default;
};
