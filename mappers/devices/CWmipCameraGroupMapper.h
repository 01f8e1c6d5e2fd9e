// CWmipCameraGroupMapper: the mapper of Bnt_CameraGroup, the device groups that are camera groups (TYPE 3); viewing
// needs 0x10000035. Served by the framework from the schema registrations; the class cannot be written and has no
// methods.
//
// Built per request by its factory; the caller owns it. One request on one thread: no lock.
#pragma once

#include "framework/CWmipDynamicClassMapper.h"

class CWmipCameraGroupMapper : public CWmipDynamicClassMapper
{
public:
    CWmipCameraGroupMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services);
    ~CWmipCameraGroupMapper() override;

    // The WMI class the mapper serves: "Bnt_CameraGroup".
    static const wchar_t* GetWMIClassName();
    // The MapperFactory of the class: a new mapper that the caller owns; never null.
    static CWmipClassMapper* CreateMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services);

    // Viewing camera groups and their camera links needs this permission.
    static constexpr DWORD kViewPermission = 0x10000035;
    // Keeps only the rows of device groups of type 3 (camera groups); the link mapper uses it too.
    static void FilterCameraGroups(CMultiFilterRecordset* recordset);

    // Only device groups of type 3 (camera groups).
    void FilterInstanceRecordset(CMultiFilterRecordset* recordset) override;
};
