// CWmipValueForm: the form every written text must have, whatever its class, and what is wrong
// with one that lacks it: no longer than its limit, no NUL inside, and for a date-time a real
// date (not Feb 31, hour 25 or all zeros). The class mapper refuses such a value
// (CWmipClassMapper::CheckValueForm); a client that was refused can say why from the same rule.
//
// Stateless; any thread.
#pragma once

#include "framework/Door.h"
#include "platform/com/CimTypes.h"
#include "platform/com/Variant.h"
#include "platform/mfc/CString.h"

class CWmipValueForm
{
public:
    CWmipValueForm() = delete;

    // What is wrong with the value written to a property of CIM type `type` that holds at most
    // `limit` characters (0: no limit): CWmipMessages::kValueTooLong, kValueHoldsNul or
    // kValueNotADate (a date-time of the door's form, named in the text); empty when the value
    // has its form. Only texts are checked.
    static CString Fault(CIMTYPE type, LONG limit, const VARIANT& value, Door door);
};
