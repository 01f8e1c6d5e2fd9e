// CWmipCameraMapper: the mapper of Bnt_Camera, the cameras (CCTVDEVICE) of the panels joined to
// their panel. Its one method asks the driver server of the panel's host ("Workstation") for
// the camera's status: "Status" is 1 when the server reports the camera online and 0 otherwise,
// an unreachable server included. Viewing and the method need 0x1000006D; cameras are never
// written through this class.
//
// Built per request by its factory; the caller owns it. One request on one thread: no lock.
#pragma once

#include "framework/CWmipDynamicClassMapper.h"
#include "mappers/devices/CWmipDeviceMethod.h"
#include "mappers/devices/MapperMethodEntry.h"

class CWmipCameraMapper : public CWmipDynamicClassMapper
{
public:
    // The method table, in its fixed order.
    static const MapperMethodEntry<CWmipCameraMapper> kMethods[];
    static const std::size_t kMethodCount;

    CWmipCameraMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services);
    ~CWmipCameraMapper() override;

    // The WMI class the mapper serves: "Bnt_Camera".
    static const wchar_t* GetWMIClassName();
    // The MapperFactory of the class: a new mapper that the caller owns; never null.
    static CWmipClassMapper* CreateMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services);

    // Dispatches by name over kMethods (CWmipDeviceMethod::Dispatch).
    HRESULT ExecuteMethod(CWmipObjectPath* path, const wchar_t* methodName, LONG flags, IWbemContext* context,
                          IWbemClassObject* inParams, IWbemObjectSink* sink) override;

    HRESULT GetHardwareStatus(IWbemClassObject* instance, IWbemClassObject* inParams, IWbemObjectSink* sink);
};
