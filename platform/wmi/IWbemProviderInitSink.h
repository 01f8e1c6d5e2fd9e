// IWbemProviderInitSink: where a provider reports the end of its initialisation.
#pragma once

#include "platform/com/Unknown.h"

class IWbemProviderInitSink : public IUnknown
{
public:
    static constexpr IID kIID = {0x1BE41571, 0x91DD, 0x11D1, {0xAE, 0xB2, 0x00, 0xC0, 0x4F, 0xB6, 0x88, 0x20}};

    // status: WBEM_S_INITIALIZED (0) or WBEM_E_FAILED; flags are 0.
    virtual HRESULT SetStatus(LONG status, LONG flags) = 0;

protected:
    ~IWbemProviderInitSink() = default;
};
