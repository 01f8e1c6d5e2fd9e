// CWmipCameraGroupMapper: the mapper of Bnt_CameraGroup, the device groups that are camera groups (TYPE 3); viewing
// needs 0x10000035. Served by the framework from the schema registrations; the class cannot be written and has no
// methods.
//
// Built per request by its factory; the caller owns it. One request on one thread: no lock.
#pragma once

#include "framework/CWmipMapperSkeleton.h"

class CWmipCameraGroupMapper : public CWmipMapperSkeleton<CWmipCameraGroupMapper>
{
public:
    static constexpr const wchar_t* kWMIClassName = L"Bnt_CameraGroup";

    CWmipCameraGroupMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services);

    // Keeps only the rows of device groups of type 3 (camera groups); the link mapper uses it too.
    static void FilterCameraGroups(CMultiFilterRecordset* recordset);

    // Only device groups of type 3 (camera groups).
    void FilterInstanceRecordset(CMultiFilterRecordset* recordset) override;
};
