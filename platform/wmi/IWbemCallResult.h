// IWbemCallResult: the semi-synchronous result of an IWbemServices call.
#pragma once

#include "platform/com/Bstr.h"
#include "platform/com/Unknown.h"

class IWbemClassObject;
class IWbemServices;

class IWbemCallResult : public IUnknown
{
public:
    static constexpr IID kIID = {0x44ACA675, 0xE8FC, 0x11D0, {0xA0, 0x7C, 0x00, 0xC0, 0x4F, 0xB6, 0x88, 0x20}};

    virtual HRESULT GetResultObject(LONG timeout, IWbemClassObject** resultObject) = 0;
    virtual HRESULT GetResultString(LONG timeout, BSTR* resultString) = 0;
    virtual HRESULT GetResultServices(LONG timeout, IWbemServices** services) = 0;
    virtual HRESULT GetCallStatus(LONG timeout, LONG* status) = 0;

protected:
    ~IWbemCallResult() = default;
};
