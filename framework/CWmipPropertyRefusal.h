// CWmipPropertyRefusal: the refusals a mapper raises about one property of an instance it
// reads: a required number that is missing, and any refusal whose text names the property.
// Record and device mappers alike refuse through it, so the code and text of a refusal are
// decided in one place.
//
// Static functions only; thread-safe.
#pragma once

#include "platform/win32/WinTypes.h"

class IWbemClassObject;

class CWmipPropertyRefusal
{
public:
    CWmipPropertyRefusal() = delete;

    // The property as a 32-bit number; throws CWMIException 0x80041028 (CWmipMessages::
    // kRequiredProperty naming the property) when the instance has no such value. sourceFile
    // names the caller's source.
    static LONG RequireNumber(const wchar_t* sourceFile, IWbemClassObject* instance, const wchar_t* property);
    // Throws CWMIException with hr and format ("%s" is the property).
    [[noreturn]] static void ThrowNamed(const wchar_t* sourceFile, int line, HRESULT hr, const wchar_t* format,
                                        const wchar_t* property);
};
