// CWmipCameraGroupCameraLinkMapper: the mapper of Bnt_CameraGroupCameraLink, the cameras of the camera groups (device
// group links of groups of TYPE 3); viewing needs 0x10000035. Served by the framework from the schema registrations;
// the class cannot be written and has no methods.
//
// Built per request by its factory; the caller owns it. One request on one thread: no lock.
#pragma once

#include "framework/CWmipDynamicClassMapper.h"

class CWmipCameraGroupCameraLinkMapper : public CWmipDynamicClassMapper
{
public:
    CWmipCameraGroupCameraLinkMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services);
    ~CWmipCameraGroupCameraLinkMapper() override;

    // The WMI class the mapper serves: "Bnt_CameraGroupCameraLink".
    static const wchar_t* GetWMIClassName();
    // The MapperFactory of the class: a new mapper that the caller owns; never null.
    static CWmipClassMapper* CreateMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services);

    // Only device groups of type 3 (camera groups).
    void FilterInstanceRecordset(CMultiFilterRecordset* recordset) override;
};
