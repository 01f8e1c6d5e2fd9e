// CWmipMethodRegistrar: declares one method of a class to CWmipMapperRegistry in its
// constructor (a method already declared for the class is left as it is).
//
// Holds nothing; runs on the loader thread only, before any other thread of the library.
#pragma once

#include "platform/mfc/CString.h"

class CWmipMethodRegistrar
{
public:
    CWmipMethodRegistrar(CString className, CString method);
};
