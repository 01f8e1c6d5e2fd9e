// IWbemEventProviderQuerySink: the WMI service tells an event provider which event queries
// consumers have registered and cancelled.
#pragma once

#include "platform/com/Unknown.h"

class IWbemEventProviderQuerySink : public IUnknown
{
public:
    static constexpr IID kIID = {0x580ACAF8, 0xFA1C, 0x11D0, {0xAD, 0x72, 0x00, 0xC0, 0x4F, 0xD8, 0xFD, 0xFF}};

    virtual HRESULT NewQuery(ULONG id, LPWSTR queryLanguage, LPWSTR query) = 0;
    virtual HRESULT CancelQuery(ULONG id) = 0;

protected:
    ~IWbemEventProviderQuerySink() = default;
};
