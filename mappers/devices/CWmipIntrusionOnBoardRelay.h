// CWmipIntrusionOnBoardRelay: the mapper of Bnt_OnBoardRelay, the on-board relays of an intrusion panel (device type
// 2): Activate and Deactivate; CWmipIntrusionDeviceMapper with this device's layout.
//
// Built per request by its factory; the caller owns it. One request on one thread: no lock.
#pragma once

#include "mappers/devices/CWmipIntrusionDeviceMapper.h"

class CWmipIntrusionOnBoardRelay : public CWmipIntrusionDeviceMapper
{
public:
    // The method table, in its fixed order.
    static const MethodEntry kMethods[];
    static const std::size_t kMethodCount;

    CWmipIntrusionOnBoardRelay(const CAcsUser* user, IWbemContext* context, IWbemServices* services);
    ~CWmipIntrusionOnBoardRelay() override;

    // The WMI class the mapper serves: "Bnt_OnBoardRelay".
    static const wchar_t* GetWMIClassName();
    // The MapperFactory of the class: a new mapper that the caller owns; never null.
    static CWmipClassMapper* CreateMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services);
};
