// CWmipCameraGroupCameraLinkMapper: the mapper of Bnt_CameraGroupCameraLink, the cameras of the camera groups (device
// group links of groups of TYPE 3); viewing needs 0x10000035. Served by the framework from the schema registrations;
// the class cannot be written and has no methods.
//
// Built per request by its factory; the caller owns it. One request on one thread: no lock.
#pragma once

#include "framework/CWmipMapperSkeleton.h"

class CWmipCameraGroupCameraLinkMapper : public CWmipMapperSkeleton<CWmipCameraGroupCameraLinkMapper>
{
public:
    static constexpr const wchar_t* kWMIClassName = L"Bnt_CameraGroupCameraLink";

    CWmipCameraGroupCameraLinkMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services);

    // Only device groups of type 3 (camera groups).
    void FilterInstanceRecordset(CMultiFilterRecordset* recordset) override;
};
