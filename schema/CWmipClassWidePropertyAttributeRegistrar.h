// CWmipClassWidePropertyAttributeRegistrar: declares one class-wide property attribute (a boolean
// qualifier on every property the class declares after it) to CWmipMapperRegistry in its
// constructor.
//
// Holds nothing; runs on the loader thread only, before any other thread of the library.
#pragma once

#include "platform/mfc/CString.h"

class CWmipClassWidePropertyAttributeRegistrar
{
public:
    CWmipClassWidePropertyAttributeRegistrar(CString className, CString attribute, int value);
};
