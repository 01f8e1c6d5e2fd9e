// CWmipNoRecordRegistrar: declares to CWmipMapperRegistry, in its constructor, that an id-shaped
// property of a class (method empty) or input parameter of one of its methods names no record,
// and why. Every id a class holds declares this or the record it names (CWmipNamedRecordRegistrar).
//
// Holds nothing; runs on the loader thread only, before any other thread of the library.
#pragma once

#include "platform/mfc/CString.h"

class CWmipNoRecordRegistrar
{
public:
    CWmipNoRecordRegistrar(const CString& className, CString method, CString name, CString reason);
};
