// CWmipNullVariant: the value that stands for "no value" in an instance a mapper builds: a
// property put with it reads as null through WMI and as the bus front end's null value.
//
// Static functions; thread-safe.
#pragma once

#include "platform/com/Variant.h"

class CWmipNullVariant
{
public:
    CWmipNullVariant() = delete;

    // A VT_NULL VARIANT (nothing to clear).
    static VARIANT Get();
};
