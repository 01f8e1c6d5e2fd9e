// IEnumWbemClassObject: a forward enumeration of WMI objects from a synchronous call.
#pragma once

#include "platform/com/Unknown.h"

class IWbemClassObject;
class IWbemObjectSink;

class IEnumWbemClassObject : public IUnknown
{
public:
    static constexpr IID kIID = {0x027947E1, 0xD731, 0x11CE, {0xA3, 0x57, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01}};

    virtual HRESULT Reset() = 0;
    // Up to `count` objects into `objects`; *returned tells how many were written.
    virtual HRESULT Next(LONG timeout, ULONG count, IWbemClassObject** objects, ULONG* returned) = 0;
    virtual HRESULT NextAsync(ULONG count, IWbemObjectSink* sink) = 0;
    virtual HRESULT Clone(IEnumWbemClassObject** copy) = 0;
    virtual HRESULT Skip(LONG timeout, ULONG count) = 0;

protected:
    ~IEnumWbemClassObject() = default;
};
