// IWbemEventProvider: the WMI service hands an event provider the sink its events go to.
#pragma once

#include "platform/com/Unknown.h"

class IWbemObjectSink;

class IWbemEventProvider : public IUnknown
{
public:
    static constexpr IID kIID = {0xE245105B, 0xB06E, 0x11D0, {0xAD, 0x61, 0x00, 0xC0, 0x4F, 0xD8, 0xFD, 0xFF}};

    virtual HRESULT ProvideEvents(IWbemObjectSink* sink, LONG flags) = 0;

protected:
    ~IWbemEventProvider() = default;
};
