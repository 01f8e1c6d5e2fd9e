// CWmipPropertyRegistrar: declares one property with its table, column, key flag, maximum length,
// ID type and segment option to CWmipMapperRegistry in its constructor.
//
// Holds nothing; runs on the loader thread only, before any other thread of the library.
#pragma once

#include "platform/com/CimTypes.h"
#include "platform/mfc/CString.h"

class CWmipPropertyRegistrar
{
public:
    CWmipPropertyRegistrar(CString className, CString property, CIMTYPE cimType, CString table, CString column, int key,
                           int maxLength, int idType, int segmentOption);
};
