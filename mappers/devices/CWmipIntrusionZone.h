// CWmipIntrusionZone: the mapper of Bnt_IntrusionZone, the zones of an intrusion panel (device type 1, zone outputs
// included): Bypass and UnBypass; CWmipIntrusionDeviceMapper with this device's layout.
//
// Built per request by its factory; the caller owns it. One request on one thread: no lock.
#pragma once

#include "mappers/devices/CWmipIntrusionDeviceMapper.h"

class CWmipIntrusionZone : public CWmipIntrusionDeviceMapper
{
public:
    // The method table, in its fixed order.
    static const MethodEntry kMethods[];
    static const std::size_t kMethodCount;

    CWmipIntrusionZone(const CAcsUser* user, IWbemContext* context, IWbemServices* services);
    ~CWmipIntrusionZone() override;

    // The WMI class the mapper serves: "Bnt_IntrusionZone".
    static const wchar_t* GetWMIClassName();
    // The MapperFactory of the class: a new mapper that the caller owns; never null.
    static CWmipClassMapper* CreateMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services);
};
