// CWmipMethodParameterRegistrar: declares one parameter of a method (an input when input is
// true, else an output) to CWmipMapperRegistry in its constructor, with the class an embedded
// object parameter takes (empty for any other); a parameter of a method not declared yet creates
// the method.
//
// Holds nothing; runs on the loader thread only, before any other thread of the library.
#pragma once

#include "platform/com/CimTypes.h"
#include "platform/mfc/CString.h"

class CWmipMethodParameterRegistrar
{
public:
    CWmipMethodParameterRegistrar(CString className, CString method, bool input, CString parameter, CIMTYPE cimType,
                                  CString objectClass = CString());
};
