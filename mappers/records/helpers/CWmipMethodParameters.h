// CWmipMethodParameters: reads of the values a record mapper's method or write hook takes from
// a WMI object (in-parameters, instances), where an absent or null value counts as 0 or the
// empty text.
//
// Static functions; thread-safe for objects no other thread changes.
#pragma once

#include "platform/mfc/CString.h"
#include "platform/win32/WinTypes.h"

class IWbemClassObject;

class CWmipMethodParameters
{
public:
    CWmipMethodParameters() = delete;

    // The value; 0 (or empty) for a null object, a missing or null property, or a value of
    // another type.
    static LONG Number(IWbemClassObject* object, const wchar_t* name);
    static LONGLONG Number64(IWbemClassObject* object, const wchar_t* name);
    static CString Text(IWbemClassObject* object, const wchar_t* name);
    // True only for a boolean true.
    static bool IsTrue(IWbemClassObject* object, const wchar_t* name);
};
