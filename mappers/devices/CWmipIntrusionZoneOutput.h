// CWmipIntrusionZoneOutput: the mapper of Bnt_IntrusionZoneOutput, the zone outputs of an intrusion panel (zones with
// ZONE_OUTPUT 1): Activate and Deactivate; CWmipIntrusionDeviceMapper with this device's layout.
//
// Built per request by its factory; the caller owns it. One request on one thread: no lock.
#pragma once

#include "mappers/devices/CWmipIntrusionDeviceMapper.h"

class CWmipIntrusionZoneOutput : public CWmipIntrusionDeviceMapper
{
public:
    // The method table, in its fixed order.
    static const MethodEntry kMethods[];
    static const std::size_t kMethodCount;

    CWmipIntrusionZoneOutput(const CAcsUser* user, IWbemContext* context, IWbemServices* services);
    ~CWmipIntrusionZoneOutput() override;

    // The WMI class the mapper serves: "Bnt_IntrusionZoneOutput".
    static const wchar_t* GetWMIClassName();
    // The MapperFactory of the class: a new mapper that the caller owns; never null.
    static CWmipClassMapper* CreateMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services);
};
