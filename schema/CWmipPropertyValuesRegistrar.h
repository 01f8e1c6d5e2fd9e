// CWmipPropertyValuesRegistrar: declares the value list of a property (comma-separated values
// and labels, paired by BuildPropertyValueMap) to CWmipMapperRegistry in its constructor.
//
// Holds nothing; runs on the loader thread only, before any other thread of the library.
#pragma once

#include "platform/mfc/CString.h"

class CWmipPropertyValuesRegistrar
{
public:
    CWmipPropertyValuesRegistrar(CString className, CString property, CString attribute, CString values,
                                 CString labels);
};
