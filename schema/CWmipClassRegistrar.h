// CWmipClassRegistrar: declares one class of the schema to CWmipMapperRegistry in its
// constructor (with a factory; with a superclass and a factory; dynamic; abstract; the root).
//
// Holds nothing; runs on the loader thread only, before any other thread of the library.
#pragma once

#include "framework/CWmipMapperRegistry.h"
#include "platform/mfc/CString.h"

class CWmipClassRegistrar
{
public:
    // The three concrete forms record the class as declared concrete, so that a class no bound
    // mapper serves (empty factory) is still checked and refused as a served class (LoadSchema).
    // A concrete class without superclass.
    CWmipClassRegistrar(CString className, MapperFactory factory);
    // A concrete class with a superclass.
    CWmipClassRegistrar(CString className, CString superclass, MapperFactory factory);
    // A class registered with the dynamic flag (its key gets no "key" qualifier).
    CWmipClassRegistrar(CString className, CString superclass, bool dynamic, MapperFactory factory);
    // An abstract class: no factory.
    CWmipClassRegistrar(CString className, CString superclass);
    // The root class: no superclass, no factory.
    explicit CWmipClassRegistrar(CString className);
};
