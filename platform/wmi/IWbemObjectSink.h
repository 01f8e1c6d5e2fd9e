// IWbemObjectSink: where asynchronous WMI calls deliver objects and report their end.
//
// A sink is called by whichever thread produces the results; implementations say how they
// guard themselves.
#pragma once

#include "platform/com/Bstr.h"
#include "platform/com/Unknown.h"

class IWbemClassObject;

class IWbemObjectSink : public IUnknown
{
public:
    static constexpr IID kIID = {0x7C857801, 0x7381, 0x11CF, {0x88, 0x4D, 0x00, 0xAA, 0x00, 0x4B, 0x2E, 0x24}};

    // Delivers `count` objects; the sink takes references of its own when it keeps them.
    virtual HRESULT Indicate(LONG count, IWbemClassObject** objects) = 0;
    // Reports progress or the end of the call (WBEM_STATUS_COMPLETE with its HRESULT).
    virtual HRESULT SetStatus(LONG flags, HRESULT result, BSTR param, IWbemClassObject* statusObject) = 0;

protected:
    ~IWbemObjectSink() = default;
};
