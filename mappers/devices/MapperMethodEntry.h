// MapperMethodEntry: one row of a device mapper's method table: a WMI method name, the
// mapper's command step for it, the permission the caller needs, the audit record written
// when the step succeeded, and optionally a check of the in-parameters made before the caller. Each class keeps one
// constant table of rows in a fixed order; CWmipDeviceMethod::Dispatch walks it.
#pragma once

#include "platform/mfc/CString.h"
#include "platform/win32/WinTypes.h"

class IWbemClassObject;
class IWbemObjectSink;

// The audit record of one method: operation, object kind and text resource (its %1 is the
// device's "Name").
struct DeviceAudit
{
    LONG operation;
    LONG objectKind;
    UINT textResource;
};

// What a command step is handed: the device's current instance, the method's in-parameters
// and the sink for its output, each valid for the call, and the audit record of its row. A
// step whose text depends on its parameters picks audit.textResource; one whose audit names
// the device otherwise than by its "Name" sets auditText to the whole text.
struct DeviceMethodCall
{
    IWbemClassObject* instance;
    IWbemClassObject* inParams;
    IWbemObjectSink* sink;
    DeviceAudit audit;
    CString auditText;
};

template <class Mapper>
struct MapperMethodEntry
{
    // A command step: S_OK when it did what was asked (audited), CWmipDeviceMethod::kNothingSent
    // when there was nothing to do (not audited); any other result is the method's answer.
    using Handler = HRESULT (Mapper::*)(DeviceMethodCall& call);

    const wchar_t* name;
    Handler handler;
    DWORD permission;
    DeviceAudit audit;
    // Refuses in-parameters before the caller is checked: S_OK lets the call go on, any other
    // answer is the method's. None for most methods.
    Handler check = nullptr;
};
