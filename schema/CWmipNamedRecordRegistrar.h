// CWmipNamedRecordRegistrar: declares to CWmipMapperRegistry, in its constructor, one record of
// another class that a class's properties (method empty) or a method's input parameters name:
// names and referencedKeys are comma-separated lists of the same length, road who answers a
// record that does not exist or that the caller may not see.
//
// Holds nothing; runs on the loader thread only, before any other thread of the library.
#pragma once

#include "framework/NamedRecordRoad.h"
#include "platform/mfc/CString.h"
#include "platform/win32/WinTypes.h"

class CWmipNamedRecordRegistrar
{
public:
    CWmipNamedRecordRegistrar(CString className, CString method, const CString& names, CString referencedClass,
                              const CString& referencedKeys, NamedRecordRoad road);
};
