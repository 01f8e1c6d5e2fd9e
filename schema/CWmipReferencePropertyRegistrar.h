// CWmipReferencePropertyRegistrar: declares one reference property (to the referenced class) to
// CWmipMapperRegistry in its constructor.
//
// Holds nothing; runs on the loader thread only, before any other thread of the library.
#pragma once

#include "platform/mfc/CString.h"

class CWmipReferencePropertyRegistrar
{
public:
    CWmipReferencePropertyRegistrar(CString className, CString property, CString referencedClass);
};
