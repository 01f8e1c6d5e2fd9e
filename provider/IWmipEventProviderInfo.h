// IWmipEventProviderInfo: how the query bookkeeping and the linkage-server connect thread see
// an event provider: its identifier text and its kind.
#pragma once

#include "platform/mfc/CString.h"

class IWmipEventProviderInfo
{
public:
    enum EventProviderType
    {
        SoftwareEventProvider = 1,
        HardwareEventProvider = 2
    };

    virtual CString GetEventProviderID() = 0;
    virtual EventProviderType GetEventProviderType() = 0;

protected:
    ~IWmipEventProviderInfo() = default;
};
