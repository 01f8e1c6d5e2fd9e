// CWmipDynamicPropertyRegistrar: declares one computed property (no column; the mapper produces
// its value) to CWmipMapperRegistry in its constructor.
//
// Holds nothing; runs on the loader thread only, before any other thread of the library.
#pragma once

#include "platform/com/CimTypes.h"
#include "platform/mfc/CString.h"

class CWmipDynamicPropertyRegistrar
{
public:
    CWmipDynamicPropertyRegistrar(CString className, CString property, CIMTYPE cimType, int maxLength);
};
