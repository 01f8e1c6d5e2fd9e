// CWmipPropertyAttributeRegistrar: declares one qualifier of a property to CWmipMapperRegistry
// in its constructor: a boolean one from an integer, or a text one ("DefaultValue").
//
// Holds nothing; runs on the loader thread only, before any other thread of the library.
#pragma once

#include "platform/mfc/CString.h"

class CWmipPropertyAttributeRegistrar
{
public:
    CWmipPropertyAttributeRegistrar(CString className, CString property, CString attribute, int value);
    CWmipPropertyAttributeRegistrar(CString className, CString property, CString attribute, CString value);
};
