#include "schema/CWmipReferencePropertyRegistrar.h"

#include "framework/CWmipMapperRegistry.h"

CWmipReferencePropertyRegistrar::CWmipReferencePropertyRegistrar(CString className, CString property,
                                                                 CString referencedClass)
{
    CWmipMapperRegistry::Instance()->RegisterReferenceProperty(className, property, referencedClass);
}
