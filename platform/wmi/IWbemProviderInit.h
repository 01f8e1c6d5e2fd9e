// IWbemProviderInit: the first call the WMI service makes on a provider it loads.
#pragma once

#include "platform/com/Unknown.h"

class IWbemContext;
class IWbemProviderInitSink;
class IWbemServices;

class IWbemProviderInit : public IUnknown
{
public:
    static constexpr IID kIID = {0x1BE41572, 0x91DD, 0x11D1, {0xAE, 0xB2, 0x00, 0xC0, 0x4F, 0xB6, 0x88, 0x20}};

    virtual HRESULT Initialize(LPWSTR user, LONG flags, LPWSTR ns, LPWSTR locale, IWbemServices* services,
                               IWbemContext* context, IWbemProviderInitSink* initSink) = 0;

protected:
    ~IWbemProviderInit() = default;
};
