// CWmipClassAttributeRegistrar: declares one integer class qualifier ("UDFTableId") to
// CWmipMapperRegistry in its constructor.
//
// Holds nothing; runs on the loader thread only, before any other thread of the library.
#pragma once

#include "platform/mfc/CString.h"

class CWmipClassAttributeRegistrar
{
public:
    CWmipClassAttributeRegistrar(CString className, CString attribute, int value);
};
