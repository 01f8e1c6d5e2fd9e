// CWmipIntrusionOffBoardRelay: the mapper of Bnt_OffBoardRelay, the off-board relays of an intrusion panel (device type
// 3): Activate, Deactivate and Toggle; CWmipIntrusionDeviceMapper with this device's layout.
//
// Built per request by its factory; the caller owns it. One request on one thread: no lock.
#pragma once

#include "mappers/devices/CWmipIntrusionDeviceMapper.h"

class CWmipIntrusionOffBoardRelay : public CWmipIntrusionDeviceMapper
{
public:
    // The method table, in its fixed order.
    static const MethodEntry kMethods[];
    static const std::size_t kMethodCount;

    CWmipIntrusionOffBoardRelay(const CAcsUser* user, IWbemContext* context, IWbemServices* services);
    ~CWmipIntrusionOffBoardRelay() override;

    // The WMI class the mapper serves: "Bnt_OffBoardRelay".
    static const wchar_t* GetWMIClassName();
    // The MapperFactory of the class: a new mapper that the caller owns; never null.
    static CWmipClassMapper* CreateMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services);
};
